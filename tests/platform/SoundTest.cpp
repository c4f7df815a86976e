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
constexpr int Rate = 44100, Ms = Rate / 1000;

TEST(SoundVolume, HundredthsOfADecibelToGainAndMixerLevel) {
  for (auto [volume, gain] : {std::pair{0, 1.0}, {-2000, 0.1}, {-600, 0.501187}, {500, 1.0}})
    EXPECT_NEAR(GainFromVolume(volume), gain, 1e-6) << volume;  // nothing above the recorded level
  for (auto [volume, level] : {std::pair{0, 128}, {-600, 64}, {-10000, 0}})
    EXPECT_EQ(MixerLevelFromVolume(volume), level) << volume;
}

TEST(SoundSystems, MissingFilesAreRefusedWithTheirNameAndNoDeviceMeansSilence) {
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
  EXPECT_FALSE(NullSoundSystem(false).InitDSound());
}

class MixerOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarnix-sound-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);  // paces like a sound card, writes what it plays
    ::setenv("SDL_DISKAUDIOFILE", (dir_ / "out.raw").c_str(), 1);
    system_ = std::make_unique<MixerSoundSystem>(Rate);
    ASSERT_TRUE(system_->InitDSound());
  }
  void TearDown() override {
    buffers_.clear();
    system_.reset();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    fs::remove_all(dir_);
  }

  // A stereo 16-bit wave holding one sample value: mixing adds values, so
  // levels can be read off the output exactly.
  ISoundBuffer& Wave(const std::string& name, int ms, std::int16_t value) {
    const std::uint32_t frames = Rate / 1000 * ms, bytes = frames * 4;
    std::ofstream out(dir_ / name, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16), u16(1), u16(2), u32(Rate), u32(Rate * 4), u16(4), u16(16);
    out.write("data", 4);
    u32(bytes);
    for (std::uint32_t i = 0; i < frames * 2; ++i) out.write(reinterpret_cast<const char*>(&value), 2);
    out.close();
    buffers_.push_back(system_->CreateSoundBufferFromFile((dir_ / name).string()));
    return *buffers_.back();
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  // Closes the device and returns the left-channel samples it played.
  std::vector<std::int16_t> Captured() {
    buffers_.clear();
    system_.reset();
    std::ifstream in(dir_ / "out.raw", std::ios::binary);
    std::vector<std::int16_t> all(fs::file_size(dir_ / "out.raw") / 2), left;
    in.read(reinterpret_cast<char*>(all.data()), static_cast<std::streamsize>(all.size() * 2));
    for (std::size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
  }
  static int CountOf(const std::vector<std::int16_t>& s, int value, int tolerance = 1) {
    return static_cast<int>(
        std::count_if(s.begin(), s.end(), [&](int v) { return std::abs(v - value) <= tolerance; }));
  }

  fs::path dir_;
  std::unique_ptr<MixerSoundSystem> system_;
  std::vector<std::unique_ptr<ISoundBuffer>> buffers_;
};

TEST_F(MixerOutput, MinusSixHundredIsAboutHalfTheAmplitude) {
  ISoundBuffer& b = Wave("tone.wav", 150, 8000);
  for (int volume : {0, -600}) {
    b.SetVolume(volume);
    b.SetCurrentPosition(0);
    b.Play(0);
    Wait(350);
  }
  const auto s = Captured();
  // Each playing lasts the whole wave, at 8000 and then at 10^(-600/2000) of it.
  EXPECT_NEAR(CountOf(s, 8000), 150 * Ms, 150 * Ms / 20);
  EXPECT_NEAR(CountOf(s, 4000, 40), 150 * Ms, 150 * Ms / 20);
  EXPECT_EQ(static_cast<int>(s.size()) - CountOf(s, 0, 0), CountOf(s, 8000) + CountOf(s, 4000, 40));
}

TEST_F(MixerOutput, LoopingGoesOnUntilStopped) {
  ISoundBuffer& b = Wave("loop.wav", 50, 5000);
  b.Play(1);
  Wait(400);
  b.Stop();
  Wait(200);
  const auto s = Captured();
  // Far more than the 50 ms of the wave, and silence after the stop.
  EXPECT_GT(CountOf(s, 5000), 250 * Ms);
  EXPECT_EQ(CountOf(std::vector<std::int16_t>(s.end() - 100 * Ms, s.end()), 0, 0), 100 * Ms);
}

TEST_F(MixerOutput, TwoEffectsOverlapAndARestartBeginsAgain) {
  ISoundBuffer& a = Wave("a.wav", 300, 6000);
  ISoundBuffer& b = Wave("b.wav", 300, 3000);
  a.Play(0);
  b.Play(0);
  Wait(150);
  // Restarting b while it sounds: it plays its whole length again from here.
  b.SetCurrentPosition(0);
  b.Play(0);
  Wait(500);
  const auto s = Captured();
  // Together for the whole of a, however late the restart came; then b alone;
  // never b twice over.
  EXPECT_NEAR(CountOf(s, 9000), 300 * Ms, 15 * Ms);
  EXPECT_GT(CountOf(s, 3000), 100 * Ms);
  EXPECT_EQ(CountOf(s, 12000, 1000), 0);
}

}  // namespace
}  // namespace quarnix
