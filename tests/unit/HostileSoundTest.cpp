// Damaged sound files in every slot: the sound bank stays silent where it cannot decode, and
// never fails.
#include <gtest/gtest.h>

#include "support/AudioSession.h"
#include "support/HostileFiles.h"
#include "support/ScratchDir.h"

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
        for (int round = 0; round < 6; ++round) {
            for (int effect = 0; effect < SoundBank::kEffectCount; ++effect) {
                bank.playEffect(effect);
                EXPECT_LE(bank.playingCopies(effect), SoundBank::kCopiesPerEffect);
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
