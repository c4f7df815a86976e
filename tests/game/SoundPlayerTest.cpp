// Effects and music through the volume steps and the sound switch.

#include <gtest/gtest.h>

#include <array>

#include "core/SoundBuffer.h"
#include "game/SoundPlayer.h"

using namespace quarnix;
using Call = RecordingSoundBuffer::Call;

namespace {

struct Player : ::testing::Test {
  Player() {
    for (int i = 1; i <= WaveCount; ++i) sound.WaveBuffer(i) = &waves[i - 1];
    for (int i = 1; i <= MusicCount; ++i) sound.MusicBuffer(i) = &music[i - 1];
    sound.SoundOn = 1;
  }
  SoundPlayer sound;
  std::array<RecordingSoundBuffer, WaveCount> waves;
  std::array<RecordingSoundBuffer, MusicCount> music;
};

}  // namespace

TEST_F(Player, EachEffectStepTakesThreeDecibelsOff) {
  sound.SoundLevel = 9;
  sound.PlayWave(12, 0, -1500);
  EXPECT_EQ(waves[11].Calls(),
            (std::vector<Call>{{Call::SetVolume, -1800}, {Call::SetCurrentPosition, 0}, {Call::Play, 0}}));
  sound.SoundLevel = 2;
  sound.PlayWave(12, 0, -1500);
  EXPECT_EQ(waves[11].Volume(), -3900);
  EXPECT_EQ(waves[11].Plays(), 2);  // played again from the start
  sound.SoundLevel = 1;
  sound.PlayWave(3, 0, 0);
  EXPECT_TRUE(waves[2].Calls().empty());
  // Different effects overlap: playing one does not stop another.
  sound.SoundLevel = 9;
  sound.PlayWave(4, 0, 0);
  sound.PlayWave(5, 0, 0);
  EXPECT_TRUE(waves[3].Playing() && waves[4].Playing());
  sound.StopWave(4);
  EXPECT_FALSE(waves[3].Playing());
}

TEST_F(Player, MusicIsRememberedEvenWhenTooQuietToPlay) {
  sound.MusicLevel = 1;
  sound.PlayMusic(5, 1, -500);
  EXPECT_EQ(music[4].Calls(), (std::vector<Call>{{Call::Stop, 0}}));
  EXPECT_EQ(sound.MusicNow, 5);
  sound.MusicLevel = 9;
  sound.PlayMusic(14, 1, -500);
  EXPECT_TRUE(music[13].Looping());
  EXPECT_EQ(music[13].Volume(), -800);
  EXPECT_EQ(sound.MusicNow, 14);
  sound.StopMusic(14);
  EXPECT_FALSE(music[13].Playing());
}

TEST_F(Player, WithoutASoundDeviceNothingHappens) {
  sound.SoundOn = 0;
  sound.PlayWave(1, 0, 0);
  sound.StopWave(1);
  sound.PlayMusic(2, 1, 0);
  sound.StopMusic(2);
  EXPECT_TRUE(waves[0].Calls().empty());
  EXPECT_TRUE(music[1].Calls().empty());
  EXPECT_EQ(sound.MusicNow, 0);
}

TEST_F(Player, NumbersOutsideTheTablesAreRefused) {
  EXPECT_THROW(sound.PlayWave(0, 0, 0), std::out_of_range);
  EXPECT_THROW(sound.PlayWave(14, 0, 0), std::out_of_range);
  EXPECT_THROW(sound.StopWave(14), std::out_of_range);
  EXPECT_THROW(sound.PlayMusic(15, 1, 0), std::out_of_range);
  EXPECT_THROW(sound.StopMusic(0), std::out_of_range);
  sound.SoundOn = 0;  // refused even with sound off: the caller is wrong either way
  EXPECT_THROW(sound.PlayWave(99, 0, 0), std::out_of_range);
  // A sound that was not loaded is skipped.
  sound.SoundOn = 1;
  sound.WaveBuffer(6) = nullptr;
  EXPECT_NO_THROW(sound.PlayWave(6, 0, 0));
}
