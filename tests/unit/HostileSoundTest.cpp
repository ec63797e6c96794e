// Damaged sound files in every slot: the sound bank stays silent where it cannot decode, and
// never fails.
#include <gtest/gtest.h>

#include "support/AudioSession.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"

#include <SDL_mixer.h>
#include <algorithm>
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
