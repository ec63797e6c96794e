// Synthesis primitives and audio file writers.
#include "Synth.h"

#include "OutputFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <lame/lame.h>
#include <stdexcept>

Sound::Sound(double seconds, int channelCount)
    : channels(channelCount), frames(std::size_t(seconds * kSampleRate)),
      samples(frames * channelCount, 0.0f) {}

void Sound::add(std::size_t frame, int channel, float value, bool wrap) {
    if (wrap) {
        frame %= frames;
    } else if (frame >= frames) {
        return;
    }
    samples[frame * channels + channel] += value;
}

void Sound::normalize(float peak) {
    float loudest = 0;
    for (float s : samples) {
        loudest = std::max(loudest, std::abs(s));
    }
    if (loudest > 0) {
        for (float& s : samples) {
            s *= peak / loudest;
        }
    }
}

void Sound::limit(float gainDb, float ceiling, double releaseSeconds) {
    // The gain each frame may have, so that its loudest channel stays within the ceiling.
    const float drive = std::pow(10.0f, gainDb / 20.0f);
    std::vector<float> allowed(frames, 1.0f);
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const float level = std::abs(at(i, c)) * drive;
            if (level > ceiling) {
                allowed[i] = std::min(allowed[i], ceiling / level);
            }
        }
    }
    // Each frame takes the least gain of the lookahead to come, recovering no faster than the
    // release; a moving average over the lookahead then makes every change a ramp. A frame's
    // average covers only frames whose lookahead reached it, so it never exceeds the gain the
    // frame allows. The first frames average in frames before the start, which have none: they
    // take the held gain itself.
    constexpr std::size_t kLookahead = 96; // about 2 ms
    const float recovery = 1.0f - std::exp(-1.0f / float(releaseSeconds * kSampleRate));
    std::vector<float> held(frames, 1.0f);
    float gain = 1.0f;
    for (std::size_t i = 0; i < frames; ++i) {
        float least = 1.0f;
        for (std::size_t j = i; j < std::min(frames, i + kLookahead); ++j) {
            least = std::min(least, allowed[j]);
        }
        gain = std::min(least, gain + (1.0f - gain) * recovery);
        held[i] = gain;
    }
    double sum = 0;
    for (std::size_t i = 0; i < frames; ++i) {
        sum += held[i] - (i >= kLookahead ? held[i - kLookahead] : 1.0f);
        const float smooth = float((sum + double(kLookahead)) / double(kLookahead));
        const float applied = i + 1 < kLookahead ? std::min(smooth, held[i]) : smooth;
        for (int c = 0; c < channels; ++c) {
            at(i, c) *= drive * applied;
        }
    }
}

void Sound::fadeEdges(double seconds) {
    const std::size_t length = std::min(frames / 2, std::size_t(seconds * kSampleRate));
    for (std::size_t i = 0; i < length; ++i) {
        const float gain = float(i) / float(length);
        for (int c = 0; c < channels; ++c) {
            at(i, c) *= gain;
            at(frames - 1 - i, c) *= gain;
        }
    }
}

float Oscillator::next(double frequency) {
    const double p = phase_;
    phase_ += frequency / kSampleRate;
    phase_ -= std::floor(phase_);
    switch (shape_) {
    case Sine:
        return float(std::sin(2 * M_PI * p));
    case Triangle:
        return float(4 * std::abs(p - 0.5) - 1);
    case Saw:
        return float(2 * p - 1);
    case Square:
        return p < 0.5 ? 1.0f : -1.0f;
    }
    return 0;
}

float Noise::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return float(state_) / 2147483648.0f - 1.0f;
}

float LowPass::next(float input, double cutoff) {
    const double k = 1.0 - std::exp(-2 * M_PI * std::clamp(cutoff, 1.0, 20000.0) / kSampleRate);
    state_ += float(k) * (input - state_);
    return state_;
}

float HighPass::next(float input, double cutoff) {
    return input - low_.next(input, cutoff);
}

float pluck(double t, double attack, double decay) {
    if (t < 0) {
        return 0;
    }
    const double rise = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    return float(rise * std::exp(-t / decay));
}

double glide(double t, double from, double to, double seconds) {
    const double k = std::clamp(t / seconds, 0.0, 1.0);
    return from * std::pow(to / from, k);
}

double noteFrequency(int midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

namespace {

std::int16_t toPcm(float v) {
    return std::int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f));
}

// Appends value as little-endian bytes.
void put(std::string& bytes, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes.push_back(char((value >> (8 * i)) & 0xff));
    }
}

} // namespace

void writeWav(const std::string& path, const Sound& sound) {
    const std::uint32_t dataBytes = std::uint32_t(sound.samples.size() * 2);
    const std::uint32_t channels = std::uint32_t(sound.channels);
    std::string bytes = "RIFF";
    put(bytes, 36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    put(bytes, 16, 4);
    put(bytes, 1, 2); // PCM
    put(bytes, channels, 2);
    put(bytes, kSampleRate, 4);
    put(bytes, kSampleRate * channels * 2, 4);
    put(bytes, channels * 2, 2);
    put(bytes, 16, 2);
    bytes += "data";
    put(bytes, dataBytes, 4);
    for (float s : sound.samples) {
        put(bytes, std::uint16_t(toPcm(s)), 2);
    }
    OutputFile file(path);
    file.write(bytes.data(), bytes.size());
    file.close();
}

void writeMp3(const std::string& path, const Sound& sound, int kilobitsPerSecond) {
    if (sound.channels != 2) {
        throw std::runtime_error("music must be stereo");
    }
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, kSampleRate);
    lame_set_out_samplerate(lame, kSampleRate);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, kilobitsPerSecond);
    lame_set_quality(lame, 2);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("cannot set up the MP3 encoder");
    }
    std::vector<short> pcm(sound.samples.size());
    std::transform(sound.samples.begin(), sound.samples.end(), pcm.begin(), toPcm);
    std::vector<unsigned char> out(std::size_t(1.25 * sound.frames + 7200) + 16384);
    const int encoded = lame_encode_buffer_interleaved(lame, pcm.data(), int(sound.frames),
                                                       out.data(), int(out.size()));
    // A negative count is an error code, never an offset into the buffer.
    const int flushed =
        encoded < 0 ? -1 : lame_encode_flush(lame, out.data() + encoded, int(out.size()) - encoded);
    if (encoded < 0 || flushed < 0) {
        lame_close(lame);
        throw std::runtime_error("cannot encode " + path);
    }
    out.resize(std::size_t(encoded + flushed));
    // The first frame is reserved for the header that records the encoder's delay and padding.
    unsigned char tag[4096];
    const std::size_t tagBytes = lame_get_lametag_frame(lame, tag, sizeof tag);
    std::copy(tag, tag + std::min(tagBytes, out.size()), out.begin());
    lame_close(lame);

    OutputFile file(path);
    file.write(out.data(), out.size());
    file.close();
}
