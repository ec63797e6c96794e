// What Linux and Windows share: frames at GLUT's idle turns, spaced 1/60 s apart by the pacer, and
// threads for start-up.
#include "platform/FramePacer.h"
#include "platform/Platform.h"

#include <GL/glut.h>
#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// While waiting for the next frame, sleep in short slices so that input is still handled.
constexpr auto kIdleSlice = std::chrono::milliseconds(1);

FramePacer pacer;

} // namespace

void startFrames(void (*turn)()) {
    glutIdleFunc(turn);
}

void stopFrames() {
    glutIdleFunc(nullptr);
}

bool nextFrameDue() {
    const auto wait = pacer.poll(FramePacer::Clock::now());
    if (wait == FramePacer::Clock::duration::zero()) {
        return true;
    }
    std::this_thread::sleep_for(std::min<FramePacer::Clock::duration>(wait, kIdleSlice));
    return false;
}

bool startUpThreadsAvailable() {
    return true;
}

void pointerNow(int&, int&) {}
