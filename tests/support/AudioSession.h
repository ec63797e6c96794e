// Opens the sound bank on one of SDL's headless audio drivers for the length of a test, and
// closes it afterwards so that the next test starts over.
#pragma once

#include "audio/SoundBank.h"

#include <string>

class AudioSession {
  public:
    // driver: "dummy" mixes in real time into nothing; "disk" writes what was mixed to diskFile.
    // Any other name is a driver that does not exist, so the device cannot open.
    explicit AudioSession(const char* driver, const std::string& diskFile = "");
    ~AudioSession();
    AudioSession(const AudioSession&) = delete;
    AudioSession& operator=(const AudioSession&) = delete;

    SoundBank& bank() const { return SoundBank::instance(); }
};

// Waits up to timeoutMs for the condition, polling; returns whether it came true.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 5000);

#include <SDL.h>

template <typename Condition>
bool waitFor(Condition condition, int timeoutMs) {
    const Uint32 start = SDL_GetTicks();
    while (!condition()) {
        if (SDL_GetTicks() - start > Uint32(timeoutMs)) {
            return false;
        }
        SDL_Delay(5);
    }
    return true;
}
