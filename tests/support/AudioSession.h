// Opens the sound bank on one of SDL's headless audio drivers for the length of a test, and
// closes it afterwards so that the next test starts over.
#pragma once

#include "audio/SoundBank.h"

#include <cstdint>
#include <string>
#include <vector>

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

// What SDL's disk driver wrote of the game's mix: interleaved stereo, 32-bit floats with full
// scale at 1.
std::vector<float> diskOutput(const std::string& file);
// The same as a 16-bit device plays it: scaled, rounded and clipped at full scale.
std::vector<std::int16_t> diskOutput16(const std::string& file);
std::int16_t to16(float sample);
// The largest magnitude among float samples, full scale being 1.
float peakOf(const std::vector<float>& samples);
// -1 dB of full scale, the most the game's limited mix may reach.
constexpr float kMinusOneDbfs = 0.8913f;

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
