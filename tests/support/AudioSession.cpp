// Headless audio sessions for tests.
#include "support/AudioSession.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <fstream>

// SDL's own setter, which SDL's reading of the variables sees on every system.
AudioSession::AudioSession(const char* driver, const std::string& diskFile) {
    SDL_setenv("SDL_AUDIODRIVER", driver, 1);
    if (!diskFile.empty()) {
        SDL_setenv("SDL_DISKAUDIOFILE", diskFile.c_str(), 1);
    }
    SoundBank::instance().init();
}

AudioSession::~AudioSession() {
    SoundBank::instance().shutdown();
}

std::vector<float> diskOutput(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    float sample;
    while (in.read(reinterpret_cast<char*>(&sample), sizeof sample)) {
        samples.push_back(sample);
    }
    return samples;
}

std::int16_t to16(float sample) {
    return std::int16_t(std::clamp(std::lround(sample * 32768.0f), -32768L, 32767L));
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0;
    for (float sample : samples) {
        peak = std::max(peak, std::abs(sample));
    }
    return peak;
}

std::vector<std::int16_t> diskOutput16(const std::string& file) {
    const std::vector<float> samples = diskOutput(file);
    std::vector<std::int16_t> converted(samples.size());
    std::transform(samples.begin(), samples.end(), converted.begin(), to16);
    return converted;
}
