// Damaged sound files in every slot: the sound bank stays silent where it cannot decode, and
// never fails.
#include <gtest/gtest.h>

#include "support/AudioSession.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"
#include "support/TestWav.h"

#include <SDL_mixer.h>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

// The most copies of any one sound that the whole mixer plays at once, whichever channels they
// took: each effect must stay within its own copies, however often it is played.
int mostCopiesOfOneSound() {
    std::map<Mix_Chunk*, int> copies;
    int most = 0;
    for (int channel = 0; channel < Mix_AllocateChannels(-1); ++channel) {
        if (Mix_Playing(channel)) {
            most = std::max(most, ++copies[Mix_GetChunk(channel)]);
        }
    }
    return most;
}

} // namespace

// A sound whose samples are not all numbers: the device hears silence in their place, never a
// sample that is not a finite number, and nothing above the mix's ceiling.
TEST(HostileData, SamplesThatAreNotNumbersReachTheDeviceAsSilence) {
    ScratchDir dir;
    std::vector<float> tone(22050);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = 0.5f * std::sin(float(i) * 0.06f);
    }
    tone[5000] = std::numeric_limits<float>::quiet_NaN();
    tone[9000] = std::numeric_limits<float>::infinity();
    tone[9001] = -std::numeric_limits<float>::infinity();
    writeFloatWav("audio/fuel.wav", tone);
    const std::string output = (dir.path() / "output.raw").string();
    {
        AudioSession audio("disk", output);
        ASSERT_TRUE(audio.bank().isOpen());
        audio.bank().playEffect(0);
        ASSERT_TRUE(waitFor([] { return Mix_Playing(-1) == 0; }, 20000));
    }
    const std::vector<float> mixed = diskOutput(output);
    ASSERT_GE(mixed.size(), tone.size() * 2);
    EXPECT_EQ(std::count_if(mixed.begin(), mixed.end(), [](float s) { return !std::isfinite(s); }),
              0);
    EXPECT_LE(peakOf(mixed), kMinusOneDbfs);
    EXPECT_GT(peakOf(mixed), 0.3f) << "the tone itself was silenced";
}

TEST(HostileData, BrokenSoundsAndMusicAreSilent) {
    for (const HostileFile& file : hostileSounds()) {
        ScratchDir dir;
        for (const char* name : {"fuel", "blowout", "cooldown", "burnthrough"}) {
            dir.writeFile(std::string("audio/") + name + ".wav", file.bytes);
        }
        dir.writeFile("audio/backgroundmusic.mp3", file.bytes);
        AudioSession audio("dummy");
        SoundBank& bank = audio.bank();
        ASSERT_TRUE(bank.isOpen());
        bank.playMusic("./audio/backgroundmusic.mp3");
        // Each effect more often than it has copies, one after the other.
        for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
            for (int play = 0; play < SoundBank::kCopiesPerEffect + 2; ++play) {
                bank.playEffect(effect);
                EXPECT_LE(mostCopiesOfOneSound(), SoundBank::kCopiesPerEffect) << file.name;
                if (!file.usable) {
                    EXPECT_EQ(bank.playingCopies(effect), 0) << file.name;
                }
            }
        }
        if (!file.usable) {
            EXPECT_FALSE(bank.musicPlaying()) << file.name;
        }
        bank.stopMusic();
    }
}
