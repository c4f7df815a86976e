// The sound set-up: which wave file goes into which buffer, what a failing
// file does, and the real mixer loading every wave of the game folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "AssetsTestUtil.h"
#include "core/Files.h"
#include "platform/Sound.h"
#include "presentation/SoundSetup.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;

fs::path WaveDir() { return test::GameDir() / "Wave"; }

// The buffer a null sound system made from the named wave of folder.
RecordingSoundBuffer* Made(const NullSoundSystem& sound, const fs::path& folder, const std::string& name) {
  return sound.Buffer(ResolveFile(folder / (name + ".WAV")).string());
}

TEST(SoundSetup, BuffersAreInTableOrder) {
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  SoundPlayer player;
  player.SoundOn = 1;
  SoundBank bank;
  SetupSounds(bank, player, sound, WaveDir());
  const char* effects[] = {"NoWay",        "CubeRotate",  "Thund",       "CubeDown",  "CubeCross",
                           "okMenuSelect", "okBuildMove", "okExpo",      "SameColor", "okExCubeDown",
                           "okOpen",       "okRotBuild",  "okMenuDefKey"};
  for (int No = 1; No <= 13; ++No) {
    ASSERT_NE(player.WaveBuffer(No), nullptr) << No;
    EXPECT_EQ(player.WaveBuffer(No), Made(sound, WaveDir(), effects[No - 1])) << No;
    EXPECT_EQ(player.WaveBuffer(No), bank.Waves(No).get());
  }
  for (int No = 1; No <= 14; ++No) {
    const std::string track = No == 14 ? "okMenu" : "okPlayGame" + std::to_string(No);
    ASSERT_NE(player.MusicBuffer(No), nullptr) << No;
    EXPECT_EQ(player.MusicBuffer(No), Made(sound, WaveDir(), track)) << No;
  }
  EXPECT_EQ(player.WaveBuffer(10), Made(sound, WaveDir(), "okExCubeDown"));
  EXPECT_EQ(player.MusicBuffer(14), Made(sound, WaveDir(), "okMenu"));
}

TEST(SoundSetup, WithoutASoundDeviceNoFileIsOpened) {
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  SoundPlayer player;
  player.SoundOn = 0;
  SoundBank bank;
  SetupSounds(bank, player, sound, WaveDir());
  EXPECT_EQ(Made(sound, WaveDir(), "NoWay"), nullptr);
  EXPECT_EQ(player.WaveBuffer(1), nullptr);
  EXPECT_EQ(player.MusicBuffer(14), nullptr);
}

TEST(SoundSetup, AFailingFileEndsTheSetUpThereAndKeepsWhatWasMade) {
  test::TempFolder folder;
  for (const auto& e : fs::directory_iterator(WaveDir()))
    fs::copy_file(e.path(), folder / e.path().filename().string());
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  SoundPlayer player;
  player.SoundOn = 1;
  SoundBank bank;
  SetupSounds(bank, player, sound, folder.Path());
  ISoundBuffer* firstMenu = player.MusicBuffer(14);

  // A second set-up replaces the buffers up to the one that fails.
  fs::remove(ResolveFile(folder / "CubeCross.WAV"));
  EXPECT_THROW(SetupSounds(bank, player, sound, folder.Path()), std::runtime_error);
  for (int No = 1; No <= 4; ++No) EXPECT_EQ(player.WaveBuffer(No), bank.Waves(No).get());
  EXPECT_EQ(player.MusicBuffer(14), firstMenu);
  EXPECT_EQ(player.MusicBuffer(14), bank.Music(14).get());

  // From scratch, the buffers after the failing one stay empty.
  SoundPlayer fresh;
  fresh.SoundOn = 1;
  SoundBank freshBank;
  EXPECT_THROW(SetupSounds(freshBank, fresh, sound, folder.Path()), std::runtime_error);
  EXPECT_NE(fresh.WaveBuffer(4), nullptr);
  for (int No = 5; No <= 13; ++No) EXPECT_EQ(fresh.WaveBuffer(No), nullptr) << No;
  for (int No = 1; No <= 14; ++No) EXPECT_EQ(fresh.MusicBuffer(No), nullptr) << No;
}

TEST(SoundSetup, EveryWaveLoadsInTheMixer) {
  MixerSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound()) << "SDL_AUDIODRIVER=dummy gives a device";
  {
    SoundPlayer player;
    player.SoundOn = 1;
    SoundBank bank;
    SetupSounds(bank, player, sound, WaveDir());
    std::set<ISoundBuffer*> distinct;
    for (int No = 1; No <= 13; ++No) distinct.insert(player.WaveBuffer(No));
    for (int No = 1; No <= 14; ++No) distinct.insert(player.MusicBuffer(No));
    distinct.erase(nullptr);
    EXPECT_EQ(distinct.size(), 27u);
    // The player drives the real buffers.
    player.PlayMusic(14, 1, 0);
    player.PlayWave(10, 0, -1500);
    player.StopMusic(14);
  }  // buffers go before the sound system
}

}  // namespace
}  // namespace quarnix
