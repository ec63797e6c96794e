// Effect and music recipes.
#include "Sounds.h"

#include <cmath>

namespace {

constexpr double kEdgeFade = 0.004;

// Levels. The music sits at about -19 LUFS with its peaks near -11 dBFS; each effect stands a few
// LU above it, its peaks limited to the ceiling, so that the loudest music sample and the loudest
// effect sample together stay below full scale and the game's mix never clips.
constexpr float kMusicPeak = 0.24f;
constexpr float kEffectCeiling = 0.66f;
constexpr double kEffectRelease = 0.06;
constexpr float kCrackleDrive = 3.0f;

// Brings an effect to its level: raised by driveDb above the ceiling's peak, limited to it.
void level(Sound& sound, float driveDb, double releaseSeconds = kEffectRelease) {
    sound.normalize(kEffectCeiling);
    sound.limit(driveDb, kEffectCeiling, releaseSeconds);
}

double seconds(std::size_t frame) {
    return double(frame) / kSampleRate;
}

} // namespace

Sound makeFuelChime() {
    // Three quick bell notes rising through an A major triad.
    Sound sound(0.7);
    const int notes[] = {81, 85, 88};
    for (int n = 0; n < 3; ++n) {
        const double start = 0.06 * n;
        Oscillator fundamental(Oscillator::Sine), partial(Oscillator::Sine);
        const double f = noteFrequency(notes[n]);
        for (std::size_t i = std::size_t(start * kSampleRate); i < sound.frames; ++i) {
            const double t = seconds(i) - start;
            const float bell = fundamental.next(f) + 0.35f * partial.next(f * 2.76);
            sound.add(i, 0, bell * pluck(t, 0.003, 0.16 + 0.06 * n));
        }
    }
    level(sound, 2.0f);
    sound.fadeEdges(kEdgeFade);
    return sound;
}

Sound makeCooldownShimmer() {
    // Airy noise through a falling band, with a glassy tone gliding down beneath it.
    Sound sound(1.0);
    Noise noise(7);
    LowPass band;
    HighPass air;
    Oscillator tone(Oscillator::Sine), shimmer(Oscillator::Sine);
    for (std::size_t i = 0; i < sound.frames; ++i) {
        const double t = seconds(i);
        const double cutoff = glide(t, 9000, 1500, 0.9);
        const float breath = air.next(band.next(noise.next(), cutoff), cutoff * 0.4);
        const float tremolo = 0.75f + 0.25f * shimmer.next(11.0);
        const float glass = tone.next(glide(t, 2400, 900, 0.8)) * tremolo;
        const float envelope = pluck(t, 0.05, 0.32);
        sound.add(i, 0, (0.8f * breath + 0.35f * glass) * envelope);
    }
    level(sound, 3.0f);
    sound.fadeEdges(kEdgeFade);
    return sound;
}

Sound makeBurnthroughCrunch() {
    // A low thump under a burst of crackles that thin out.
    Sound sound(0.65);
    Noise noise(13), timing(29);
    LowPass grit;
    Oscillator thump(Oscillator::Sine);
    float crackle = 0;
    for (std::size_t i = 0; i < sound.frames; ++i) {
        const double t = seconds(i);
        const double density = 0.02 * std::exp(-t / 0.18);
        if (std::abs(timing.next()) < density) {
            crackle = noise.next() > 0 ? 1.0f : -1.0f;
        }
        crackle *= 0.93f;
        const float crunch = grit.next(crackle + 0.25f * noise.next() * pluck(t, 0, 0.05), 5000);
        const float low = thump.next(glide(t, 120, 45, 0.25)) * pluck(t, 0.002, 0.12);
        sound.add(i, 0, 0.8f * crunch + 0.9f * low);
    }
    // The crackles are sharp and brief: they are rounded off first, so that the limiter need not
    // hold the whole sound down for them.
    sound.normalize(1.0f);
    for (float& s : sound.samples) {
        s = std::tanh(kCrackleDrive * s);
    }
    level(sound, 8.0f);
    sound.fadeEdges(kEdgeFade);
    return sound;
}

Sound makeBlowout() {
    // A heavy whoosh: noise swelling through an opening filter, then a long fall over a rumble.
    Sound sound(1.8);
    Noise noise(31);
    LowPass whoosh, body;
    Oscillator rumble(Oscillator::Sine), sub(Oscillator::Triangle);
    for (std::size_t i = 0; i < sound.frames; ++i) {
        const double t = seconds(i);
        const double cutoff =
            t < 0.25 ? glide(t, 300, 4500, 0.25) : glide(t - 0.25, 4500, 200, 1.4);
        const float swell =
            float(std::min(1.0, t / 0.18) * std::exp(-std::max(0.0, t - 0.2) / 0.5));
        const float air = body.next(whoosh.next(noise.next(), cutoff), cutoff * 1.5);
        const float low =
            (rumble.next(glide(t, 70, 38, 1.2)) + 0.4f * sub.next(35)) * pluck(t, 0.03, 0.55);
        sound.add(i, 0, 1.2f * air * swell + 0.7f * low);
    }
    level(sound, 11.0f);
    sound.fadeEdges(0.05);
    return sound;
}

namespace {

constexpr double kBeatsPerMinute = 120;
constexpr double kStep = 60.0 / kBeatsPerMinute / 4; // a sixteenth note
constexpr int kStepsPerBar = 16;
constexpr int kBars = 16;

struct Chord {
    int bass;     // root, low
    int tones[3]; // triad for the arpeggio
};

// A minor, four phrases of four bars; the last bar's E leads back into the first bar's A.
const Chord kProgression[kBars] = {
    {45, {69, 72, 76}}, {41, {65, 69, 72}}, {48, {67, 72, 76}}, {43, {67, 71, 74}},
    {45, {69, 72, 76}}, {41, {65, 69, 72}}, {48, {67, 72, 76}}, {40, {64, 68, 71}},
    {38, {62, 65, 69}}, {45, {69, 72, 76}}, {41, {65, 69, 72}}, {40, {64, 68, 71}},
    {45, {69, 72, 76}}, {41, {65, 69, 72}}, {43, {67, 71, 74}}, {40, {64, 68, 71}},
};

struct Note {
    int bar, step, length, pitch;
};

// The melody, over bars 4 to 7 and again over 12 to 15.
const Note kMelody[] = {
    {0, 0, 4, 76},  {0, 4, 2, 74}, {0, 6, 2, 72}, {0, 8, 6, 69}, {0, 14, 2, 72}, {1, 0, 3, 72},
    {1, 3, 3, 74},  {1, 6, 2, 76}, {1, 8, 8, 77}, {2, 0, 4, 79}, {2, 4, 4, 76},  {2, 8, 4, 72},
    {2, 12, 4, 74}, {3, 0, 6, 76}, {3, 6, 2, 74}, {3, 8, 4, 71}, {3, 12, 4, 68},
};

// Renders one note into a looping mix: voice(t) gives the sample t seconds into the note.
template <typename Voice>
void renderNote(Sound& mix, double start, double tail, float left, float right, Voice voice) {
    const std::size_t first = std::size_t(start * kSampleRate);
    const std::size_t count = std::size_t(tail * kSampleRate);
    for (std::size_t i = 0; i < count; ++i) {
        const float v = voice(double(i) / kSampleRate);
        mix.add(first + i, 0, v * left, true);
        mix.add(first + i, 1, v * right, true);
    }
}

// Holds at full level for the note's length, then releases.
float gate(double t, double length, double release) {
    return t < length ? 1.0f : float(std::exp(-(t - length) / release));
}

void addDrums(Sound& mix, int bar, std::uint32_t seed) {
    const double barStart = bar * kStepsPerBar * kStep;
    for (int beat = 0; beat < 4; ++beat) {
        Oscillator body(Oscillator::Sine);
        renderNote(mix, barStart + beat * 4 * kStep, 0.35, 0.9f, 0.9f, [&](double t) {
            return body.next(glide(t, 150, 45, 0.12)) * pluck(t, 0.001, 0.16);
        });
    }
    const bool fill = bar % 4 == 3;
    for (int step = 0; step < kStepsPerBar; ++step) {
        const bool snare = step == 4 || step == 12 || (fill && step >= 13);
        if (snare) {
            Noise noise(seed + unsigned(step));
            HighPass bright;
            Oscillator tone(Oscillator::Sine);
            const float level = step > 12 ? 0.35f : 0.5f;
            renderNote(mix, barStart + step * kStep, 0.25, level, level * 0.9f, [&](double t) {
                return bright.next(noise.next(), 1800) * pluck(t, 0.001, 0.09) +
                       0.6f * tone.next(190) * pluck(t, 0, 0.05);
            });
        }
        Noise hiss(seed * 31u + unsigned(step));
        HighPass thin;
        const bool offbeat = step % 4 == 2;
        const float level = offbeat ? 0.22f : 0.09f;
        renderNote(mix, barStart + step * kStep, 0.12, level * 0.8f, level, [&](double t) {
            return thin.next(hiss.next(), 7000) * pluck(t, 0, offbeat ? 0.05 : 0.02);
        });
    }
}

void addBass(Sound& mix, int bar) {
    const int pattern[8] = {0, 0, 12, 0, 0, 12, 7, 12};
    for (int eighth = 0; eighth < 8; ++eighth) {
        const double f = noteFrequency(kProgression[bar].bass + pattern[eighth]);
        Oscillator saw(Oscillator::Saw), square(Oscillator::Square);
        LowPass tone, smooth;
        const double start = (bar * kStepsPerBar + eighth * 2) * kStep;
        renderNote(mix, start, 0.4, 0.55f, 0.55f, [&](double t) {
            const double cutoff = 180 + 1600 * pluck(t, 0, 0.07);
            const float raw = saw.next(f) + 0.4f * square.next(f * 0.5);
            return smooth.next(tone.next(raw, cutoff), cutoff * 2) * pluck(t, 0.004, 0.3) *
                   gate(t, 2 * kStep * 0.9, 0.02);
        });
    }
}

void addArpeggio(Sound& mix, int bar) {
    const int order[kStepsPerBar] = {0, 1, 2, 3, 2, 1, 0, 1, 0, 1, 2, 3, 2, 1, 2, 1};
    const Chord& chord = kProgression[bar];
    for (int step = 0; step < kStepsPerBar; ++step) {
        const int index = order[step];
        const int pitch = index == 3 ? chord.tones[0] + 12 : chord.tones[index];
        const double f = noteFrequency(pitch);
        Oscillator pulse(Oscillator::Square);
        LowPass soft;
        const float left = step % 2 ? 0.10f : 0.16f, right = step % 2 ? 0.16f : 0.10f;
        renderNote(mix, (bar * kStepsPerBar + step) * kStep, 0.3, left, right, [&](double t) {
            return soft.next(pulse.next(f), 2600) * pluck(t, 0.002, 0.08);
        });
    }
}

void addMelody(Sound& mix, int firstBar) {
    for (const Note& note : kMelody) {
        const double start = ((firstBar + note.bar) * kStepsPerBar + note.step) * kStep;
        const double length = note.length * kStep * 0.92;
        const double f = noteFrequency(note.pitch);
        // The note and two softer echoes, three sixteenths apart, trading sides.
        const float echoes[3][2] = {{0.30f, 0.30f}, {0.05f, 0.12f}, {0.07f, 0.03f}};
        for (int echo = 0; echo < 3; ++echo) {
            Oscillator tri(Oscillator::Triangle), saw(Oscillator::Saw), vibrato(Oscillator::Sine);
            LowPass warm;
            renderNote(mix, start + echo * 3 * kStep, length + 0.4, echoes[echo][0],
                       echoes[echo][1], [&](double t) {
                           const double wobble = t > 0.15 ? 0.006 * vibrato.next(5.5) : 0.0;
                           const double pitch = f * (1 + wobble);
                           const float raw = tri.next(pitch) + 0.3f * saw.next(pitch);
                           return warm.next(raw, 3800) * pluck(t, 0.01, 1.2) *
                                  gate(t, length, 0.08);
                       });
        }
    }
}

} // namespace

Sound makeMusicLoop() {
    Sound mix(kBars * kStepsPerBar * kStep, 2);
    for (int bar = 0; bar < kBars; ++bar) {
        addDrums(mix, bar, 1000u + unsigned(bar));
        addBass(mix, bar);
        addArpeggio(mix, bar);
    }
    addMelody(mix, 4);
    addMelody(mix, 12);
    // A gentle limiter, then the level.
    for (float& s : mix.samples) {
        s = std::tanh(1.4f * s);
    }
    mix.normalize(kMusicPeak);
    return mix;
}
