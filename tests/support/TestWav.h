// Writes real WAV files for tests: tones of a given length and loudness, and samples as given.
#pragma once

#include <string>
#include <vector>

// A mono 16-bit sine tone at 44100 Hz; amplitude from 0 to 1.
void writeToneWav(const std::string& path, double seconds, double frequency = 440.0,
                  double amplitude = 0.5);

// A mono WAV of 32-bit float samples at 44100 Hz, written as they are, whatever their values.
void writeFloatWav(const std::string& path, const std::vector<float>& samples);

// Writes the four effect files the sound bank loads, each the given length, into ./audio.
void writeEffectWavs(double seconds);
