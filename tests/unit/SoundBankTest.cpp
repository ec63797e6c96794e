// The sound bank on SDL's headless drivers: copies per effect, the looping music, what reaches
// the output, and silence when there is no device or no file.
#include <gtest/gtest.h>

#include "support/AudioSession.h"
#include "support/ScratchDir.h"
#include "support/TestWav.h"

#include <SDL_mixer.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<int> finishedChannels;

} // namespace

TEST(SoundBank, AFifthCopyRestartsTheOldestAndLeavesOtherEffectsAlone) {
    ScratchDir dir;
    writeEffectWavs(3.0);
    AudioSession audio("dummy");
    SoundBank& bank = audio.bank();
    ASSERT_TRUE(bank.isOpen());

    finishedChannels.clear();
    Mix_ChannelFinished([](int channel) { finishedChannels.push_back(channel); });
    for (int copy = 0; copy < 4; ++copy) {
        bank.playEffect(SoundEffect::Fuel);
        SDL_Delay(5); // distinct start times
    }
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Fuel)), 4);
    EXPECT_TRUE(finishedChannels.empty());

    bank.playEffect(SoundEffect::Fuel);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Fuel)), 4);
    // The first copy played on the group's first channel: that one was cut off and restarted.
    EXPECT_EQ(finishedChannels, std::vector<int>{0});

    bank.playEffect(SoundEffect::Cooldown);
    bank.playEffect(SoundEffect::Burnthrough);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Cooldown)), 1);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Burnthrough)), 1);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Blowout)), 0);
    EXPECT_EQ(bank.playingCopies(int(SoundEffect::Fuel)), 4);
    Mix_ChannelFinished(nullptr);

    // Short effects end by themselves.
    EXPECT_TRUE(waitFor([&] { return bank.playingCopies(int(SoundEffect::Cooldown)) == 0; }));
}

TEST(SoundBank, MusicLoopsWithoutEndUntilStoppedAndCanBeReplaced) {
    ScratchDir dir;
    writeToneWav("audio/short.wav", 0.1);
    writeToneWav("audio/other.wav", 0.1, 660.0);
    AudioSession audio("dummy");
    SoundBank& bank = audio.bank();

    bank.playMusic("./audio/short.wav");
    EXPECT_TRUE(bank.musicPlaying());
    SDL_Delay(500); // five times the track's length
    EXPECT_TRUE(bank.musicPlaying());

    bank.stopMusic();
    EXPECT_FALSE(bank.musicPlaying());
    SDL_Delay(150);
    EXPECT_FALSE(bank.musicPlaying());

    bank.playMusic("./audio/other.wav");
    EXPECT_TRUE(bank.musicPlaying());
    bank.playMusic("./audio/missing.mp3");
    EXPECT_FALSE(bank.musicPlaying());
    bank.stopMusic();
}

TEST(SoundBank, SilentWithoutADeviceOrWithoutFiles) {
    ScratchDir dir;
    writeEffectWavs(0.5);
    writeToneWav("audio/music.wav", 0.5);
    {
        AudioSession audio("no-such-driver");
        SoundBank& bank = audio.bank();
        EXPECT_FALSE(bank.isOpen());
        for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
            bank.playEffect(effect);
            EXPECT_EQ(bank.playingCopies(effect), 0);
        }
        bank.playMusic("./audio/music.wav");
        EXPECT_FALSE(bank.musicPlaying());
        bank.stopMusic();
    }
    std::filesystem::remove_all("audio");
    std::filesystem::create_directory("audio");
    dir.writeFile("audio/fuel.wav", "RIFF garbage that is no sound");
    AudioSession audio("dummy");
    SoundBank& bank = audio.bank();
    EXPECT_TRUE(bank.isOpen());
    for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
        bank.playEffect(effect);
        EXPECT_EQ(bank.playingCopies(effect), 0);
    }
    bank.playMusic("./audio/backgroundmusic.mp3");
    EXPECT_FALSE(bank.musicPlaying());
    bank.stopMusic();
}

TEST(SoundBank, PlayedEffectsReachTheOutput) {
    ScratchDir dir;
    writeEffectWavs(0.3);
    const std::string output = (dir.path() / "mixed.raw").string();
    {
        AudioSession audio("disk", output);
        ASSERT_TRUE(audio.bank().isOpen());
        // A first buffer of silence is written before anything plays, and the whole effect
        // after it, however the machine's load paces the mixer.
        const auto written = [&] {
            std::error_code missing;
            const std::uintmax_t size = std::filesystem::file_size(output, missing);
            return missing ? 0 : size;
        };
        constexpr std::uintmax_t kBufferBytes = 2048 * sizeof(float);
        ASSERT_TRUE(waitFor([&] { return written() >= kBufferBytes; }));
        const std::uintmax_t before = written();
        audio.bank().playEffect(SoundEffect::Blowout);
        const std::uintmax_t effectBytes = std::uintmax_t(0.3 * 44100) * 2 * sizeof(float);
        ASSERT_TRUE(waitFor([&] { return written() >= before + effectBytes + kBufferBytes; }));
    }
    const std::vector<std::int16_t> pcm = diskOutput16(output);
    ASSERT_GE(pcm.size(), 2048u);
    int peak = 0;
    for (std::int16_t sample : pcm) {
        peak = std::max(peak, std::abs(int(sample)));
    }
    EXPECT_GT(peak, 8000); // the tone, at about half of full scale
    for (std::size_t i = 0; i < 2048; ++i) {
        ASSERT_EQ(pcm[i], 0) << "sound before anything was played, at sample " << i;
    }
}
