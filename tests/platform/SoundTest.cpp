// Sound through SDL2_mixer's real mixing, captured by SDL's disk audio driver:
// the mixed output is read back as samples.

#include "platform/Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A 16-bit wave of the given samples, all channels alike.
void WriteWave(const fs::path& path, const std::vector<std::int16_t>& samples, int channels) {
  const auto bytes = static_cast<std::uint32_t>(samples.size() * 2 * channels);
  const auto align = static_cast<std::uint16_t>(2 * channels);
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + bytes);
  out.write("WAVEfmt ", 8);
  u32(16), u16(1), u16(static_cast<std::uint16_t>(channels)), u32(Rate), u32(Rate * align), u16(align),
      u16(16);
  out.write("data", 4);
  u32(bytes);
  for (std::int16_t v : samples)
    for (int c = 0; c < channels; ++c) out.write(reinterpret_cast<const char*>(&v), 2);
}

// Effects are loaded whole, music is read as it plays: both must sound alike.
enum class Kept { Loaded, Streamed };

class MixerOutput : public ::testing::TestWithParam<Kept> {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = fs::temp_directory_path() / ("quarnix-sound-" + std::to_string(::getpid()) + "-" + name);
    fs::create_directories(dir_);
    capture_ = dir_ / "out.raw";
    ::setenv("SDL_AUDIODRIVER", "disk", 1);  // paces like a sound card, writes what it plays
    ::setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
    // No buffering delay beyond real time: the disk driver paces like a sound card.
    system_ = std::make_unique<MixerSoundSystem>(Rate);
    ASSERT_TRUE(system_->InitDSound()) << "audio driver " << (std::getenv("SDL_AUDIODRIVER") ?: "default");
  }
  void TearDown() override {
    buffers_.clear();
    system_.reset();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    fs::remove_all(dir_);
  }

  // A stereo wave of one constant value (mixing adds values, so levels read off exactly).
  fs::path Wave(const std::string& name, int ms, std::int16_t value) {
    return Wave(name, std::vector<std::int16_t>(static_cast<std::size_t>(Rate * ms / 1000), value), 2);
  }
  fs::path Wave(const std::string& name, const std::vector<std::int16_t>& samples, int channels) {
    const fs::path p = dir_ / name;
    WriteWave(p, samples, channels);
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

  ISoundBuffer& Load(const fs::path& p, Kept kept) {
    buffers_.push_back(kept == Kept::Loaded ? system_->CreateSoundBufferFromFile(p.string())
                                            : system_->CreateStreamingBufferFromFile(p.string()));
    return *buffers_.back();
  }
  ISoundBuffer& Load(const fs::path& p) { return Load(p, GetParam()); }

  fs::path dir_, capture_;
  std::unique_ptr<MixerSoundSystem> system_;
  std::vector<std::unique_ptr<ISoundBuffer>> buffers_;
};

TEST_P(MixerOutput, MinusSixHundredIsAboutHalfTheAmplitude) {
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

TEST_P(MixerOutput, LoopingGoesOnUntilStopped) {
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

TEST_P(MixerOutput, StopCutsAWaveShort) {
  ISoundBuffer& b = Load(Wave("long.wav", 1000, 5000));
  b.Play(0);
  Wait(150);
  b.Stop();
  Wait(150);
  const auto s = Captured();
  EXPECT_GT(NonZero(s), 0);
  EXPECT_LT(NonZero(s), Rate * 500 / 1000);
}

TEST_P(MixerOutput, TwoEffectsOverlapAndARestartBeginsAgain) {
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
  // b sounds from its start, for at least 150 ms, then its whole length again
  // (a loaded machine only makes the first part longer).
  EXPECT_GT(CountOf(s, 9000) + CountOf(s, 3000), 420 * ms);
}

// A mono wave that never repeats a value within its length and is never 0,
// so where each playing starts and what it holds can be read off the output.
std::vector<std::int16_t> Ramp(int frames) {
  std::vector<std::int16_t> s;
  for (int i = 0; i < frames; ++i) s.push_back(static_cast<std::int16_t>(100 + (i * 7) % 30000));
  return s;
}

TEST_P(MixerOutput, LoopingRepeatsTheWaveWithoutAGap) {
  const auto wave = Ramp(Rate * 40 / 1000);
  ISoundBuffer& b = Load(Wave("ramp.wav", wave, 1));
  b.Play(1);
  Wait(300);
  b.Stop();
  Wait(100);
  const auto s = Captured();
  const auto first = std::find_if(s.begin(), s.end(), [](std::int16_t v) { return v != 0; });
  ASSERT_GT(s.end() - first, static_cast<long>(4 * wave.size()));
  // Three whole rounds, sample for sample, each straight after the last.
  for (std::size_t i = 0; i < 3 * wave.size(); ++i)
    ASSERT_EQ(first[static_cast<long>(i)], wave[i % wave.size()]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(LoadedAndStreamed, MixerOutput, ::testing::Values(Kept::Loaded, Kept::Streamed),
                         [](const auto& info) { return info.param == Kept::Loaded ? "Loaded" : "Streamed"; });

using StreamedMusic = MixerOutput;

TEST_F(StreamedMusic, SoundsExactlyAsTheLoadedWaveAndTracksOverlap) {
  const auto wave = Ramp(Rate * 60 / 1000);
  const fs::path file = Wave("track.wav", wave, 1);
  ISoundBuffer& loaded = Load(file, Kept::Loaded);
  ISoundBuffer& streamed = Load(file, Kept::Streamed);
  ISoundBuffer& other = Load(Wave("other.wav", 200, 1000), Kept::Streamed);
  for (ISoundBuffer* b : {&loaded, &streamed}) {
    b->SetVolume(-600);
    b->Play(0);
    Wait(150);
  }
  // Two tracks at once, each at its own volume.
  other.SetVolume(-2000);
  other.Play(1);
  streamed.SetVolume(0);
  streamed.Play(1);
  Wait(150);
  streamed.Stop();
  other.Stop();
  Wait(100);
  const auto s = Captured();
  // Two playings at -6 dB, then both tracks together: ramp + 100 (1000 at a tenth).
  std::vector<std::vector<std::int16_t>> runs;
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] == 0) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < s.size() && s[j] != 0) ++j;
    runs.emplace_back(s.begin() + static_cast<long>(i), s.begin() + static_cast<long>(j));
    i = j;
  }
  ASSERT_GE(runs.size(), 3u);
  ASSERT_EQ(runs[0].size(), wave.size());
  EXPECT_EQ(runs[0], runs[1]);  // sample for sample, the level's rounding included
  for (std::size_t i = 0; i < wave.size(); ++i) ASSERT_NEAR(runs[0][i], wave[i] / 2, 1) << "sample " << i;
  // The other track at a tenth (100) under every sample of two rounds of this one.
  const auto both = std::find_if(runs[2].begin(), runs[2].end(), [&](int v) { return v - wave[0] > 90; });
  ASSERT_GE(runs[2].end() - both, static_cast<long>(2 * wave.size()));
  for (std::size_t i = 0; i < 2 * wave.size(); ++i)
    ASSERT_NEAR(both[static_cast<long>(i)], wave[i % wave.size()] + 100, 2) << "sample " << i;
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

TEST_F(StreamedMusic, WhatIsNoWaveFileIsRefusedWithItsName) {
  std::ofstream(dir_ / "text.wav") << "RIFF....WAVEfmt and nothing more";
  for (const fs::path& path : {dir_ / "missing.wav", dir_ / "text.wav", fs::path("/dev/null"), dir_}) {
    try {
      system_->CreateStreamingBufferFromFile(path.string());
      ADD_FAILURE() << path;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(path.string()), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace quarnix
