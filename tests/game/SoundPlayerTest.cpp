// Effects and music through the volume steps and the sound switch.

#include "Rig.h"

using namespace quarnix;
using Call = RecordingSoundBuffer::Call;
using Player = quarnix::test::RulesTest;

static constexpr PlayFlag Once = PlayFlag::Once, Looping = PlayFlag::Looping;

TEST_F(Player, EachStepTakesThreeDecibelsOffAndMusicIsRememberedEvenWhenTooQuietToPlay) {
  sound.SoundLevel = 9;
  sound.PlayWave(Effect::OkRotBuild, Once, -1500);
  EXPECT_EQ(waves(Effect::OkRotBuild).Calls(),
            (std::vector<Call>{{Call::SetVolume, -1800}, {Call::SetCurrentPosition, 0}, {Call::Play, 0}}));
  sound.SoundLevel = 2;
  sound.PlayWave(Effect::OkRotBuild, Once, -1500);
  EXPECT_EQ(std::pair(waves(Effect::OkRotBuild).Volume(), waves(Effect::OkRotBuild).Plays()),
            std::pair(-3900, 2));  // played again from the start
  sound.SoundLevel = 1;
  sound.PlayWave(Effect::Thund, Once, 0);
  EXPECT_TRUE(waves(Effect::Thund).Calls().empty());
  // Different effects overlap: playing one does not stop another.
  sound.SoundLevel = 9;
  sound.PlayWave(Effect::CubeDown, Once, 0);
  sound.PlayWave(Effect::CubeCross, Once, 0);
  sound.StopWave(Effect::CubeCross);
  EXPECT_EQ(std::pair(waves(Effect::CubeDown).Playing(), waves(Effect::CubeCross).Playing()),
            std::pair(true, false));
  sound.MusicLevel = 1;
  sound.PlayMusic(LevelMusic(5), Looping, -500);
  EXPECT_EQ(music(5).Calls(), (std::vector<Call>{{Call::Stop, 0}}));
  EXPECT_EQ(sound.MusicNow, LevelMusic(5));
  sound.MusicLevel = 9;
  sound.PlayMusic(Music::Menu, Looping, -500);
  EXPECT_EQ(
      std::tuple(music(Music::Menu).Looping(), music(Music::Menu).Volume(), sound.MusicNow == Music::Menu),
      std::tuple(true, -800, true));
  sound.StopMusicNow();
  EXPECT_FALSE(music(Music::Menu).Playing());
}

TEST_F(Player, WithoutASoundDeviceNothingHappensButNumbersOutsideTheTablesAreRefused) {
  sound.SoundOn = 0;
  sound.PlayWave(Effect::NoWay, Once, 0);
  sound.StopWave(Effect::NoWay);
  sound.PlayMusic(LevelMusic(2), Looping, 0);
  sound.StopMusic(LevelMusic(2));
  EXPECT_TRUE(waves(Effect::NoWay).Calls().empty() && music(2).Calls().empty() && !sound.MusicNow);
  EXPECT_THROW(sound.PlayWave(Effect{0}, Once, 0), std::out_of_range);  // wrong with sound off too
  EXPECT_THROW(sound.StopMusic(Music{0}), std::out_of_range);
  sound.SoundOn = 1;
  EXPECT_THROW(sound.PlayMusic(Music{15}, Looping, 0), std::out_of_range);
  EXPECT_THROW(LevelMusic(14), std::out_of_range);   // the menu's track is no level's
  sound.WaveBuffer(Effect::OkMenuSelect) = nullptr;  // a sound that was not loaded is skipped
  EXPECT_NO_THROW(sound.PlayWave(Effect::OkMenuSelect, Once, 0));
}
