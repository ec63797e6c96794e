// WAV writing for tests.
#include "support/TestWav.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <vector>

namespace {

void put(std::ofstream& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.put(char((value >> (8 * i)) & 0xff));
    }
}

// The header of a mono 44.1 kHz WAV file whose samples follow in one data chunk.
void putMonoHeader(std::ofstream& out, std::uint32_t format, std::uint32_t bytesPerSample,
                   std::uint32_t dataBytes) {
    constexpr std::uint32_t rate = 44100;
    out.write("RIFF", 4);
    put(out, 36 + dataBytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);                    // format chunk size
    put(out, format, 2);                // 1 PCM, 3 IEEE float
    put(out, 1, 2);                     // mono
    put(out, rate, 4);                  // frames per second
    put(out, rate * bytesPerSample, 4); // bytes per second
    put(out, bytesPerSample, 2);        // bytes per frame
    put(out, bytesPerSample * 8, 2);    // bits per sample
    out.write("data", 4);
    put(out, dataBytes, 4);
}

} // namespace

void writeFloatWav(const std::string& path, const std::vector<float>& samples) {
    const auto bytes = std::uint32_t(samples.size() * sizeof(float));
    std::ofstream out(path, std::ios::binary);
    putMonoHeader(out, 3, 4, bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), std::streamsize(bytes));
}

void writeToneWav(const std::string& path, double seconds, double frequency, double amplitude) {
    constexpr std::uint32_t rate = 44100;
    const auto frames = std::uint32_t(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    putMonoHeader(out, 1, 2, frames * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double value = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
        put(out, std::uint32_t(std::int16_t(std::lround(value * 32767))) & 0xffff, 2);
    }
}

void writeEffectWavs(double seconds) {
    for (const char* name : {"fuel", "blowout", "cooldown", "burnthrough"}) {
        writeToneWav(std::string("audio/") + name + ".wav", seconds);
    }
}
