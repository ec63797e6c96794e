// Random numbers from the C library's generator, seeded once per run from the clock.
#include "util/Random.h"

#include <cstdlib>
#include <ctime>

bool seedPending = true;

namespace {

void seedOnce() {
    if (seedPending) {
        seedPending = false;
        std::srand(unsigned(std::time(nullptr)));
    }
}

} // namespace

int randomInt(int n) {
    seedOnce();
    if (n <= 0) {
        return 0;
    }
    return std::rand() % n;
}

float randomFloat(float low, float high) {
    seedOnce();
    const int r = std::rand() % 10000;
    const float step = 0.0001f;
    return float(low + r * double(step) * (double(high) - low));
}
