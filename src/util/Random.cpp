// Random numbers from an additive feedback generator of 31 words, seeded once per run from the
// clock.
#include "util/Random.h"

#include <cstdint>
#include <ctime>

bool seedPending = true;

namespace {

// The generator: each number is the sum of the words 31 and 3 places back, halved to 31 bits.
class FeedbackGenerator {
  public:
    void seed(unsigned seed) {
        // The words are filled by the minimal standard generator (16807 times the last, modulo
        // 2^31 - 1, by Schrage's method so that nothing overflows), then stirred.
        state_[0] = std::int32_t(seed == 0 ? 1 : seed);
        for (int i = 1; i < kWords; ++i) {
            const std::int32_t previous = state_[i - 1];
            std::int32_t word = 16807 * (previous % 127773) - 2836 * (previous / 127773);
            state_[i] = word < 0 ? word + 2147483647 : word;
        }
        front_ = kSeparation;
        rear_ = 0;
        for (int i = 0; i < 10 * kWords; ++i) {
            next();
        }
    }

    int next() {
        const std::uint32_t sum = std::uint32_t(state_[front_]) + std::uint32_t(state_[rear_]);
        state_[front_] = std::int32_t(sum);
        front_ = (front_ + 1) % kWords;
        rear_ = (rear_ + 1) % kWords;
        return int(sum >> 1);
    }

  private:
    static constexpr int kWords = 31;
    static constexpr int kSeparation = 3;
    std::int32_t state_[kWords] = {};
    int front_ = 0, rear_ = 0;
};

FeedbackGenerator generator;

void seedOnce() {
    if (seedPending) {
        seedRandom(unsigned(std::time(nullptr)));
    }
}

} // namespace

void seedRandom(unsigned seed) {
    seedPending = false;
    generator.seed(seed);
}

int randomInt(int n) {
    seedOnce();
    if (n <= 0) {
        return 0;
    }
    return generator.next() % n;
}

float randomFloat(float low, float high) {
    seedOnce();
    const int r = generator.next() % 10000;
    const float step = 0.0001f;
    return float(low + r * double(step) * (double(high) - low));
}
