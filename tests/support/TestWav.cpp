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

} // namespace

void writeFloatWav(const std::string& path, const std::vector<float>& samples) {
    constexpr std::uint32_t rate = 44100;
    const auto bytes = std::uint32_t(samples.size() * sizeof(float));
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put(out, 36 + bytes, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);       // format chunk size
    put(out, 3, 2);        // IEEE float
    put(out, 1, 2);        // mono
    put(out, rate, 4);     // frames per second
    put(out, rate * 4, 4); // bytes per second
    put(out, 4, 2);        // bytes per frame
    put(out, 32, 2);       // bits per sample
    out.write("data", 4);
    put(out, bytes, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), std::streamsize(bytes));
}

void writeToneWav(const std::string& path, double seconds, double frequency, double amplitude) {
    constexpr std::uint32_t rate = 44100;
    const auto frames = std::uint32_t(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put(out, 36 + frames * 2, 4);
    out.write("WAVEfmt ", 8);
    put(out, 16, 4);       // format chunk size
    put(out, 1, 2);        // PCM
    put(out, 1, 2);        // mono
    put(out, rate, 4);     // frames per second
    put(out, rate * 2, 4); // bytes per second
    put(out, 2, 2);        // bytes per frame
    put(out, 16, 2);       // bits per sample
    out.write("data", 4);
    put(out, frames * 2, 4);
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
