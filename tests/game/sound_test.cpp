#include "fixture.h"

TEST_F(PlayField, OneShotRestartsLoopedKeepsPlaying)
{
    SOUND* roll = GameSound(sndRoll);
    ASSERT_TRUE(roll->fLoaded());
    roll->Play();
    EXPECT_TRUE(roll->IsPlaying());
    clock_control::Advance(20);  // the 10 ms sound has ended
    EXPECT_FALSE(roll->IsPlaying());
    SOUND* walk = GameSound(sndWalk);
    walk->Play(true);
    clock_control::Advance(1000);
    EXPECT_TRUE(walk->IsPlaying());
    walk->Stop();
    EXPECT_FALSE(walk->IsPlaying());
}

TEST_F(PlayField, WithoutADeviceSoundsFailToLoadAndStaySilent)
{
    sound_control::UseNoDevice();
    SOUND s((folder + "roll.wav").c_str());
    EXPECT_FALSE(s.fLoaded());
    EXPECT_EQ(SoundLastError(), kSoundErrorBadFile);
    s.Play();
    EXPECT_FALSE(s.IsPlaying());
    EXPECT_TRUE(sound_control::Calls().empty());
}

TEST_F(PlayField, DamagedWaveFailsToLoad)
{
    std::FILE* f = std::fopen((folder + "bad.wav").c_str(), "wb");
    std::fputs("RIFF\x10\0\0\0WAVEfmt ", f);
    std::fclose(f);
    SOUND s((folder + "bad.wav").c_str());
    EXPECT_FALSE(s.fLoaded());
    EXPECT_EQ(GameSoundFile(sndFell, true), "fell_esp.wav");
}
