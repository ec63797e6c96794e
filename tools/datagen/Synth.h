// A small synthesiser: sample buffers, oscillators, envelopes, filters and noise, and the WAV and
// MP3 writers. Everything is deterministic: the same recipe gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int kSampleRate = 44100;

// Mono or stereo floating-point audio in [-1, 1].
struct Sound {
    explicit Sound(double seconds, int channels = 1);
    int channels;
    std::size_t frames;
    std::vector<float> samples; // interleaved

    float& at(std::size_t frame, int channel) { return samples[frame * channels + channel]; }
    // Adds a value; in a looping sound the frame wraps around to the start.
    void add(std::size_t frame, int channel, float value, bool wrap = false);
    // Scales so the loudest sample reaches peak.
    void normalize(float peak);
    // Raises the level by gainDb and holds every sample within ceiling, turning the gain down
    // just ahead of each peak and back up over releaseSeconds: louder, with its peaks tamed
    // rather than clipped.
    void limit(float gainDb, float ceiling, double releaseSeconds);
    // Short fades at both ends, so the sound starts and stops without a click.
    void fadeEdges(double seconds);
};

// Phase-continuous oscillators: call next() once per sample.
class Oscillator {
  public:
    enum Shape { Sine, Triangle, Saw, Square };
    explicit Oscillator(Shape shape, double phase = 0) : shape_(shape), phase_(phase) {}
    float next(double frequency);

  private:
    Shape shape_;
    double phase_;
};

// Repeatable white noise.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
    float next();

  private:
    std::uint32_t state_;
};

// One-pole filters; cutoff in Hz, may change every sample.
class LowPass {
  public:
    float next(float input, double cutoff);

  private:
    float state_ = 0;
};
class HighPass {
  public:
    float next(float input, double cutoff);

  private:
    LowPass low_;
};

// Attack then exponential decay, t in seconds from the start of a note.
float pluck(double t, double attack, double decay);
// Exponential glide from one frequency to another over a time.
double glide(double t, double from, double to, double seconds);
double noteFrequency(int midiNote);

void writeWav(const std::string& path, const Sound& sound);
// Encodes stereo 44100 Hz at a constant bit rate, with a gapless-playback header so that the
// track loops seamlessly in decoders that honour it.
void writeMp3(const std::string& path, const Sound& sound, int kilobitsPerSecond);
