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
RecordingSoundBuffer* Made(const NullSoundSystem& sound, const fs::path& folder, std::string_view name) {
  return sound.Buffer(ResolveFile(folder / name).string());
}

TEST(SoundSetup, EachBufferHoldsTheWaveOfItsNumber) {
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  SoundPlayer player;
  player.SoundOn = 1;
  SoundBank bank;
  SetupSounds(bank, player, sound, WaveDir());
  for (const GameFile& f : GameFilesOf(FileRole::Effect)) {
    EXPECT_EQ(player.WaveBuffer(f.Number), Made(sound, WaveDir(), f.Name)) << f.Name;
    EXPECT_EQ(player.WaveBuffer(f.Number), bank.Waves(f.Number).get());
  }
  for (const GameFile& f : GameFilesOf(FileRole::Music))
    EXPECT_EQ(player.MusicBuffer(f.Number), Made(sound, WaveDir(), f.Name)) << f.Name;
  EXPECT_EQ(player.WaveBuffer(Effect::OkExCubeDown), Made(sound, WaveDir(), "okExCubeDown.WAV"));
  EXPECT_EQ(player.MusicBuffer(Music::Menu), Made(sound, WaveDir(), "okMenu.WAV"));
  EXPECT_NE(player.MusicBuffer(Music::Menu), nullptr);
}

TEST(SoundSetup, WithoutASoundDeviceNoFileIsOpened) {
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  SoundPlayer player;
  player.SoundOn = 0;
  SoundBank bank;
  SetupSounds(bank, player, sound, WaveDir());
  EXPECT_EQ(Made(sound, WaveDir(), "NoWay.WAV"), nullptr);
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
  EXPECT_EQ(player.MusicBuffer(14), bank.Tracks(14).get());

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
    player.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
    player.PlayWave(Effect::OkExCubeDown, PlayFlag::Once, -1500);
    player.StopMusic(Music::Menu);
  }  // buffers go before the sound system
}

}  // namespace
}  // namespace quarnix
