// Sound through SDL2_mixer's real mixing, captured by SDL's disk audio driver:
// the mixed output is read back as samples.

#include "platform/Sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace quarnix {
namespace {

namespace fs = std::filesystem;
constexpr int Rate = 44100;

TEST(SoundVolume, HundredthsOfADecibelToGain) {
  EXPECT_NEAR(GainFromVolume(0), 1.0, 1e-12);
  EXPECT_NEAR(GainFromVolume(-2000), 0.1, 1e-12);
  EXPECT_NEAR(GainFromVolume(-600), 0.501187, 1e-6);
  EXPECT_NEAR(GainFromVolume(500), 1.0, 1e-12);  // nothing above the recorded level
  EXPECT_EQ(MixerLevelFromVolume(0), 128);
  EXPECT_EQ(MixerLevelFromVolume(-600), 64);
  EXPECT_EQ(MixerLevelFromVolume(-10000), 0);
}

// A stereo 16-bit wave holding one constant sample value (mixing adds values,
// so levels can be read off the output exactly).
void WriteWave(const fs::path& path, int milliseconds, std::int16_t value) {
  const std::uint32_t frames = Rate * milliseconds / 1000, bytes = frames * 4;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16), u16(1), u16(2), u32(Rate), u32(Rate * 4), u16(4), u16(16);
  out.write("data", 4);
  u32(bytes);
  for (std::uint32_t i = 0; i < frames * 2; ++i) out.write(reinterpret_cast<const char*>(&value), 2);
}

class MixerOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarnix-sound-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    capture_ = dir_ / "out.raw";
    ::setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
    // No buffering delay beyond real time: the disk driver paces like a sound card.
    system_ = std::make_unique<MixerSoundSystem>(Rate);
    ASSERT_TRUE(system_->InitDSound()) << "audio driver " << (std::getenv("SDL_AUDIODRIVER") ?: "default");
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Wave(const std::string& name, int ms, std::int16_t value) {
    const fs::path p = dir_ / name;
    WriteWave(p, ms, value);
    return p;
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  // Closes the device and returns the left-channel samples it played.
  std::vector<std::int16_t> Captured() {
    buffers_.clear();
    system_.reset();
    std::ifstream in(capture_, std::ios::binary);
    std::vector<std::int16_t> all((fs::file_size(capture_)) / 2);
    in.read(reinterpret_cast<char*>(all.data()), static_cast<std::streamsize>(all.size() * 2));
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
  }
  static int CountOf(const std::vector<std::int16_t>& s, int value, int tolerance = 1) {
    int n = 0;
    for (auto v : s) n += std::abs(v - value) <= tolerance;
    return n;
  }
  static int NonZero(const std::vector<std::int16_t>& s) {
    int n = 0;
    for (auto v : s) n += v != 0;
    return n;
  }

  ISoundBuffer& Load(const fs::path& p) {
    buffers_.push_back(system_->CreateSoundBufferFromFile(p.string()));
    return *buffers_.back();
  }

  fs::path dir_, capture_;
  std::unique_ptr<MixerSoundSystem> system_;
  std::vector<std::unique_ptr<ISoundBuffer>> buffers_;
};

TEST_F(MixerOutput, MinusSixHundredIsAboutHalfTheAmplitude) {
  ISoundBuffer& b = Load(Wave("tone.wav", 150, 8000));
  b.SetVolume(0);
  b.SetCurrentPosition(0);
  b.Play(0);
  Wait(350);
  b.SetVolume(-600);
  b.SetCurrentPosition(0);
  b.Play(0);
  Wait(350);
  const auto s = Captured();
  const int frames = Rate * 150 / 1000;
  // Each playing lasts the whole wave, at 8000 and then at 10^(-600/2000) of it.
  EXPECT_NEAR(CountOf(s, 8000), frames, frames / 20);
  EXPECT_NEAR(CountOf(s, 4000, 40), frames, frames / 20);
  EXPECT_EQ(NonZero(s), CountOf(s, 8000) + CountOf(s, 4000, 40));
}

TEST_F(MixerOutput, LoopingGoesOnUntilStopped) {
  ISoundBuffer& b = Load(Wave("loop.wav", 50, 5000));
  b.Play(1);
  Wait(400);
  b.Stop();
  Wait(200);
  const auto s = Captured();
  // Far more than the 50 ms of the wave, and silence after the stop.
  EXPECT_GT(NonZero(s), Rate * 250 / 1000);
  const std::vector<std::int16_t> tail(s.end() - Rate * 100 / 1000, s.end());
  EXPECT_EQ(NonZero(tail), 0);
}

TEST_F(MixerOutput, StopCutsAWaveShort) {
  ISoundBuffer& b = Load(Wave("long.wav", 1000, 5000));
  b.Play(0);
  Wait(150);
  b.Stop();
  Wait(150);
  const auto s = Captured();
  EXPECT_GT(NonZero(s), 0);
  EXPECT_LT(NonZero(s), Rate * 500 / 1000);
}

TEST_F(MixerOutput, TwoEffectsOverlapAndARestartBeginsAgain) {
  ISoundBuffer& a = Load(Wave("a.wav", 300, 6000));
  ISoundBuffer& b = Load(Wave("b.wav", 300, 3000));
  a.Play(0);
  b.Play(0);
  Wait(150);
  // Restarting b while it sounds: it plays its whole length again from here.
  b.SetCurrentPosition(0);
  b.Play(0);
  Wait(500);
  const auto s = Captured();
  const int ms = Rate / 1000;
  EXPECT_GT(CountOf(s, 9000), 100 * ms);  // both together
  EXPECT_GT(CountOf(s, 3000), 100 * ms);  // b alone after a has ended
  EXPECT_NEAR(CountOf(s, 9000) + CountOf(s, 3000), 450 * ms, 60 * ms);
}

TEST(MixerSoundSystem, MissingOrBadFilesAreRefusedWithTheirName) {
  MixerSoundSystem closed;
  EXPECT_THROW(closed.CreateSoundBufferFromFile("x.wav"), std::runtime_error);
  NullSoundSystem null;
  ASSERT_TRUE(null.InitDSound());
  try {
    null.CreateSoundBufferFromFile("/nonexistent/NoWay.WAV");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("NoWay.WAV"), std::string::npos);
  }
  NullSoundSystem silent(false);
  EXPECT_FALSE(silent.InitDSound());
}

}  // namespace
}  // namespace quarnix
