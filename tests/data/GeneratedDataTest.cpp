// The generated data as the game will read it: pictures through the game's PNG decoder, sounds
// and music through SDL_mixer, and a second run of the generator that must give the same bytes.
#include <gtest/gtest.h>

#include "render/PngImage.h"
#include "support/AudioSession.h"
#include "support/ScratchDir.h"

#include <SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ebur128.h>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

const std::filesystem::path kData = EMBERDASH_DATA_DIR;
// Eleven pictures, five sounds and the icon at three sizes.
constexpr int kGeneratedFiles = 19;

PngImage decoded(const std::string& name) {
    PngImage image;
    EXPECT_TRUE(decodePngFile((kData / "images" / name).c_str(), image)) << name;
    return image;
}

float luminance(const PngImage& image, int x, int y) {
    const std::uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * image.channels];
    return (0.2126f * p[0] + 0.7152f * p[1] + 0.0722f * p[2]) / 255.0f;
}

int alphaAt(const PngImage& image, int x, int y) {
    return image.pixels[(std::size_t(y) * image.width + x) * image.channels + 3];
}

// The brightest pixel in a box of a picture.
float brightest(const PngImage& image, int x0, int y0, int x1, int y1) {
    float most = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            most = std::max(most, luminance(image, x, y));
        }
    }
    return most;
}

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// 16-bit audio as the mixer plays it, interleaved.
struct Pcm {
    int channels = 0;
    std::vector<std::int16_t> samples;
};

Pcm effectPcm(const std::string& name) {
    SDL_AudioSpec format;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    Pcm pcm;
    if (SDL_LoadWAV((kData / "audio" / name).c_str(), &format, &buffer, &length)) {
        pcm.channels = format.channels;
        const auto* first = reinterpret_cast<const std::int16_t*>(buffer);
        pcm.samples.assign(first, first + length / 2);
        SDL_FreeWAV(buffer);
    }
    return pcm;
}

// What SDL's disk driver wrote: the game's stereo output, as a 16-bit device plays it.
Pcm mixedPcm(const std::filesystem::path& file) {
    Pcm pcm;
    pcm.channels = 2;
    pcm.samples = diskOutput16(file.string());
    return pcm;
}

// The music as the game decodes and mixes it, alone and once through: one loop mixed by the disk
// driver as fast as it can write.
Pcm musicPcm() {
    ScratchDir dir;
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    {
        AudioSession audio("disk", (dir.path() / "music.raw").string());
        Mix_Music* music = Mix_LoadMUS((kData / "audio" / "backgroundmusic.mp3").c_str());
        EXPECT_NE(music, nullptr);
        Mix_PlayMusic(music, 0);
        EXPECT_TRUE(waitFor([] { return !Mix_PlayingMusic(); }, 60000));
        Mix_FreeMusic(music);
    }
    unsetenv("SDL_DISKAUDIODELAY");
    return mixedPcm(dir.path() / "music.raw");
}

// EBU R128 figures of a sound: loudness in LUFS, range in LU, peaks in dB of full scale.
struct Loudness {
    double integrated = 0, range = 0, truePeak = 0, samplePeak = 0;
};

Loudness measure(const Pcm& pcm) {
    Loudness loudness;
    if (pcm.channels <= 0 || pcm.samples.empty()) {
        ADD_FAILURE() << "no sound to measure";
        return loudness;
    }
    ebur128_state* meter = ebur128_init(unsigned(pcm.channels), 44100,
                                        EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK |
                                            EBUR128_MODE_SAMPLE_PEAK);
    ebur128_add_frames_short(meter, pcm.samples.data(), pcm.samples.size() / pcm.channels);
    ebur128_loudness_global(meter, &loudness.integrated);
    ebur128_loudness_range(meter, &loudness.range);
    double truePeak = 0, samplePeak = 0;
    for (int channel = 0; channel < pcm.channels; ++channel) {
        double peak = 0;
        ebur128_true_peak(meter, unsigned(channel), &peak);
        truePeak = std::max(truePeak, peak);
        ebur128_sample_peak(meter, unsigned(channel), &peak);
        samplePeak = std::max(samplePeak, peak);
    }
    loudness.truePeak = 20 * std::log10(truePeak);
    loudness.samplePeak = 20 * std::log10(samplePeak);
    ebur128_destroy(&meter);
    return loudness;
}

// Samples at full scale or beyond, where the mixer had to clip.
int clippedSamples(const Pcm& pcm) {
    return int(std::count_if(pcm.samples.begin(), pcm.samples.end(),
                             [](std::int16_t s) { return s >= 32767 || s <= -32767; }));
}

const char* const kEffects[] = {"fuel.wav", "cooldown.wav", "burnthrough.wav", "blowout.wav"};

} // namespace

TEST(GeneratedImages, SpritesHaveTransparentCornersAndSolidCentres) {
    for (const char* name :
         {"fireback.png", "firemiddle.png", "circle.png", "arrow.png", "diamond.png"}) {
        const PngImage image = decoded(name);
        ASSERT_EQ(image.channels, 4) << name;
        EXPECT_EQ(image.width, 128) << name;
        EXPECT_EQ(image.height, 128) << name;
        for (auto [x, y] : {std::pair{0, 0}, {127, 0}, {0, 127}, {127, 127}, {64, 0}, {0, 64}}) {
            EXPECT_EQ(alphaAt(image, x, y), 0) << name << " at " << x << ", " << y;
        }
        EXPECT_GT(alphaAt(image, 64, 68), 200) << name;
    }
    // The fire's pictures are near white: the game tints them.
    for (const char* name : {"fireback.png", "firemiddle.png"}) {
        EXPECT_GT(luminance(decoded(name), 64, 68), 0.95f) << name;
    }
}

TEST(GeneratedImages, TheTileIsLightEnoughForTheHeatTintAndTheHoleIsDark) {
    for (const char* name : {"tile.png", "black.png"}) {
        const PngImage image = decoded(name);
        ASSERT_EQ(image.channels, 3) << name;
        double sum = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                sum += luminance(image, x, y);
            }
        }
        const double mean = sum / (image.width * image.height);
        if (std::string(name) == "tile.png") {
            EXPECT_GT(mean, 0.85) << name;
        } else {
            EXPECT_LT(mean, 0.15) << name;
        }
    }
}

TEST(GeneratedImages, ScreensFillTheWindowAndLeaveTheScoreOnCalmGround) {
    for (const char* name :
         {"background.png", "titlescreen.png", "instructions.png", "gameover.png"}) {
        const PngImage image = decoded(name);
        EXPECT_EQ(image.width, 1024) << name;
        EXPECT_EQ(image.height, 768) << name;
        EXPECT_EQ(image.channels, 3) << name;
    }
    // White score text stands from world x 29 at y 40 to 50 during play, and from x -26 at
    // baseline 15 on the game-over screen (10.24 pixels to a unit, y counted from the top).
    EXPECT_LT(brightest(decoded("background.png"), 800, 250, 1000, 380), 0.3f);
    EXPECT_LT(brightest(decoded("gameover.png"), 240, 520, 1000, 650), 0.35f);
}

TEST(GeneratedSounds, EffectsAreShortAndTheMusicLoopsForHalfAMinute) {
    AudioSession audio("dummy");
    ASSERT_TRUE(audio.bank().isOpen());
    for (const char* name : {"fuel.wav", "cooldown.wav", "burnthrough.wav", "blowout.wav"}) {
        const std::string bytes = bytesOf(kData / "audio" / name);
        ASSERT_GT(bytes.size(), 44u) << name;
        std::uint32_t rate = 0;
        std::uint16_t bits = 0;
        std::memcpy(&rate, bytes.data() + 24, 4);
        std::memcpy(&bits, bytes.data() + 34, 2);
        EXPECT_EQ(rate, 44100u) << name;
        EXPECT_EQ(bits, 16) << name;
        // Silent at both ends: no click when a copy starts or ends.
        const auto* pcm = reinterpret_cast<const std::int16_t*>(bytes.data() + 44);
        const std::size_t samples = (bytes.size() - 44) / 2;
        EXPECT_LT(samples, 2u * 44100) << name;
        EXPECT_LT(std::abs(pcm[0]), 40) << name;
        EXPECT_LT(std::abs(pcm[samples - 1]), 40) << name;

        Mix_Chunk* chunk = Mix_LoadWAV((kData / "audio" / name).c_str());
        EXPECT_NE(chunk, nullptr) << name;
        Mix_FreeChunk(chunk);
    }
    Mix_Music* music = Mix_LoadMUS((kData / "audio" / "backgroundmusic.mp3").c_str());
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MP3);
    const double seconds = Mix_MusicDuration(music);
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);
    Mix_FreeMusic(music);
}

TEST(GeneratedSounds, TheMusicSitsUnderTheEffectsAndNeitherNearsFullScale) {
    const Loudness music = measure(musicPcm());
    std::printf("%-16s %7s %6s %8s %8s\n", "", "LUFS", "LU", "dBTP", "dBFS");
    const auto report = [](const char* name, const Loudness& l) {
        std::printf("%-16s %7.1f %6.1f %8.1f %8.1f\n", name, l.integrated, l.range, l.truePeak,
                    l.samplePeak);
    };
    report("music, decoded", music);
    EXPECT_GE(music.integrated, -20.0);
    EXPECT_LE(music.integrated, -16.0);
    EXPECT_LE(music.truePeak, -1.0);
    for (const char* name : kEffects) {
        const Loudness effect = measure(effectPcm(name));
        report(name, effect);
        EXPECT_GE(effect.integrated, music.integrated + 4.0) << name;
        EXPECT_LE(effect.truePeak, -1.0) << name;
        // The music's loudest sample and the effect's together stay below full scale: the two
        // never clip, wherever in the loop the effect starts.
        EXPECT_LT(std::pow(10.0, music.samplePeak / 20) + std::pow(10.0, effect.samplePeak / 20),
                  1.0)
            << name;
    }
}

// Keeps the mix as the mixer made it, before the bank's limiter has it: the plain sum of the
// music and the effects, which the mixer sent out as it was before it had a limiter.
void keepPlainSum(int, void* stream, int bytes, void* kept) {
    const auto* samples = static_cast<const float*>(stream);
    static_cast<std::vector<float>*>(kept)->insert(static_cast<std::vector<float>*>(kept)->end(),
                                                   samples, samples + bytes / sizeof(float));
}

// The game's sound bank in the data folder, mixing through the disk driver as fast as it can
// write into out: the music, with the effects started together at several places in its loop.
// The same mix before the limiter goes to plainSum, when one is given.
void mixOverTheMusic(const std::filesystem::path& out, const std::vector<int>& effects,
                     std::vector<float>* plainSum = nullptr) {
    const std::filesystem::path back = std::filesystem::current_path();
    std::filesystem::current_path(kData);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    {
        AudioSession audio("disk", out.string());
        SoundBank& bank = audio.bank();
        if (plainSum) {
            Mix_RegisterEffect(MIX_CHANNEL_POST, keepPlainSum, nullptr, plainSum);
        }
        bank.playMusic("./audio/backgroundmusic.mp3");
        for (const double offset : {3.0, 7.0, 11.0, 15.0, 21.0, 26.5}) {
            Mix_SetMusicPosition(offset);
            for (int effect : effects) {
                bank.playEffect(effect);
            }
            EXPECT_TRUE(waitFor([&] { return Mix_Playing(-1) == 0; }, 20000));
        }
    }
    unsetenv("SDL_DISKAUDIODELAY");
    std::filesystem::current_path(back);
}

TEST(GeneratedSounds, TheGameMixesMusicAndEffectsWithoutClipping) {
    ScratchDir scratch;
    for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
        const auto out = scratch.path() / ("effect" + std::to_string(effect) + ".raw");
        mixOverTheMusic(out, {effect});
        EXPECT_EQ(clippedSamples(mixedPcm(out)), 0) << "effect " << effect;
        // What a converter rebuilds between the samples stays below -1 dB as well.
        EXPECT_LE(measure(mixedPcm(out)).truePeak, -1.0) << "effect " << effect;
    }
    // The most the channels hold: every effect in all its copies at once, over the music.
    std::vector<int> everyCopy;
    for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
        everyCopy.insert(everyCopy.end(), SoundBank::kCopiesPerEffect, effect);
    }
    const auto all = scratch.path() / "all.raw";
    mixOverTheMusic(all, everyCopy);
    const float peak = peakOf(diskOutput(all.string()));
    const double truePeak = measure(mixedPcm(all)).truePeak;
    std::printf("every copy of every effect at once, six times over the music: peak %.2f dBFS, "
                "true peak %.2f dBTP\n",
                20 * std::log10(peak), truePeak);
    EXPECT_EQ(clippedSamples(mixedPcm(all)), 0);
    EXPECT_LE(peak, kMinusOneDbfs) << "above -1 dBFS";
    EXPECT_LE(truePeak, -1.0) << "above -1 dBTP";
}

// The limiter holds the pile-ups down and leaves one effect over the music as loud as the plain
// sum that the mixer sent out before it had a limiter, measured on the same run.
TEST(GeneratedSounds, OneEffectOverTheMusicKeepsItsLoudness) {
    ScratchDir scratch;
    for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
        const auto out = scratch.path() / "limited.raw";
        std::vector<float> plainSum;
        mixOverTheMusic(out, {effect}, &plainSum);
        Pcm plain;
        plain.channels = 2;
        std::transform(plainSum.begin(), plainSum.end(), std::back_inserter(plain.samples), to16);
        const Loudness limited = measure(mixedPcm(out));
        const Loudness sum = measure(plain);
        std::printf("effect %d over the music: %.2f LUFS limited, %.2f LUFS as the plain sum, "
                    "peaks %.2f and %.2f dBFS\n",
                    effect, limited.integrated, sum.integrated, limited.samplePeak, sum.samplePeak);
        EXPECT_NEAR(limited.integrated, sum.integrated, 0.5) << "effect " << effect;
    }
}

TEST(DataGenerator, TwoRunsWriteIdenticalBytes) {
    ScratchDir dir;
    const std::string command = std::string("'") + EMBERDASH_DATAGEN + "' again '" +
                                EMBERDASH_DISPLAY_FONT + "' '" + EMBERDASH_BODY_FONT + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int compared = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator("again")) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const auto relative = std::filesystem::relative(entry.path(), "again");
        EXPECT_EQ(bytesOf(entry.path()), bytesOf(kData / relative)) << relative;
        ++compared;
    }
    EXPECT_EQ(compared, kGeneratedFiles);
}

TEST(DataGenerator, AWriteThatFailsLeavesNoPartFileAndFailsTheRun) {
    // A file size limit stands in for a full disk: first a picture cannot be written whole, then
    // only the music. Whatever was written must be whole, and the run must say it failed.
    for (const int limitKilobytes : {100, 300}) {
        ScratchDir dir;
        const std::string command = "sh -c 'trap \"\" XFSZ; ulimit -f " +
                                    std::to_string(limitKilobytes * 2) + "; exec \"$0\" \"$@\"' '" +
                                    EMBERDASH_DATAGEN + "' out '" + EMBERDASH_DISPLAY_FONT + "' '" +
                                    EMBERDASH_BODY_FONT + "' 2>error.txt";
        EXPECT_NE(std::system(command.c_str()), 0) << "limit " << limitKilobytes << " KiB";
        EXPECT_NE(bytesOf("error.txt").find("cannot "), std::string::npos) << bytesOf("error.txt");
        int whole = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator("out")) {
            if (entry.is_regular_file()) {
                const auto relative = std::filesystem::relative(entry.path(), "out");
                EXPECT_EQ(bytesOf(entry.path()), bytesOf(kData / relative)) << relative;
                ++whole;
            }
        }
        EXPECT_FALSE(std::filesystem::exists("out/audio/backgroundmusic.mp3"));
        EXPECT_LT(whole, kGeneratedFiles);
    }
}
