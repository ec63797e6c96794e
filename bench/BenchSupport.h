// What the benchmarks and the probe share: the game's window, the baseline frame, a player that
// keeps a run going, and the process's resident memory.
#pragma once

#include <chrono>

// Opens the game's window as the game does and hands the camera its size.
void openGameWindow(int& argc, char** argv);

// Runs GLUT's event handling for the window until nothing is left to do.
void pumpWindowEvents();

// The reference frame: clear, one full-window square with the given texture, swap, finish.
void drawBaselineFrame(unsigned texture);

// A fresh floor, fresh pickups and the fire at its start, in play.
void layOutFreshRun();

// The loop the pointer follows, in world units: a circle over the middle of the floor, once every
// kFramesPerLoop frames. The fire, capped at 14 units a second, cuts inside it and never rests.
constexpr int kFramesPerLoop = 240;
struct WorldPoint {
    double x;
    double y;
};
WorldPoint pointOnLoop(int frame);

// Steers the fire around the loop through the real mouse handlers and starts a fresh run whenever
// one ends, so that every frame it is asked for is a playing frame.
class LoopingPlayer {
  public:
    // A fresh floor, fresh pickups, the fire at its start and the left button held.
    void startRun();
    // Moves the pointer one step along the loop; a run that has ended starts again.
    void step();
    // Releases the button: the fire comes to rest where the pointer was, and its tile burns.
    void letGo();
    int runsStarted() const { return runs_; }

  private:
    int frame_ = 0;
    int runs_ = 0;
};

// Resident memory of this process in KiB: in all, anonymous (heap and driver buffers) and
// file-backed (mapped code of the shared libraries).
struct ResidentMemory {
    long totalKiB = 0;
    long anonymousKiB = 0;
    long fileKiB = 0;
};
ResidentMemory residentMemory();

// CLOCK_MONOTONIC in nanoseconds: the one clock that a parent and its child both read.
long long monotonicNanoseconds();

inline double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
