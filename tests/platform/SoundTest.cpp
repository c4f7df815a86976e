// Sound through SDL2_mixer's real mixing, captured by SDL's disk audio driver and read back as samples.

#include "platform/Sound.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

namespace quarnix {
namespace {

namespace fs = std::filesystem;
constexpr int Rate = 44100, Ms = Rate / 1000;
using Samples = std::vector<std::int16_t>;

// catches: a wrong decibel scale, gain above the recorded level, silence not silent (levels are heard below).
TEST(SoundVolume, HundredthsOfADecibelToGain) {
  EXPECT_NEAR(GainFromVolume(-600), 0.501187, 1e-6);
  EXPECT_EQ(std::tuple(GainFromVolume(500), GainFromVolume(-2000), MixerLevelFromVolume(-10000)),
            std::tuple(1.0, 0.1, 0));
}

enum class Kept { Loaded, Streamed };  // effects are loaded whole, music is read as it plays: alike

class MixerOutput : public ::testing::TestWithParam<Kept> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarnix-sound-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);  // paces like a sound card, writes what it plays
    ::setenv("SDL_DISKAUDIOFILE", (dir_ / "out.raw").c_str(), 1);
    system_ = std::make_unique<MixerSoundSystem>(Rate);
    ASSERT_TRUE(system_->InitDSound()) << "audio driver " << (std::getenv("SDL_AUDIODRIVER") ?: "default");
  }
  void TearDown() override {
    buffers_.clear();
    system_.reset();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    fs::remove_all(dir_);
  }
  // A 16-bit wave of the samples, all channels alike: constant levels mix by adding, read off exactly.
  fs::path Wave(const std::string& name, const Samples& samples, int channels) {
    const fs::path p = dir_ / name;
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2 * channels), align = 2u * channels;
    std::ofstream out(p, std::ios::binary);
    auto put = [&](std::uint32_t v, int size) { out.write(reinterpret_cast<const char*>(&v), size); };
    out.write("RIFF", 4), put(36 + bytes, 4), out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(channels, 2), put(Rate, 4), put(Rate * align, 4), put(align, 2), put(16, 2);
    out.write("data", 4), put(bytes, 4);
    for (std::int16_t v : samples)
      for (int c = 0; c < channels; ++c) put(static_cast<std::uint16_t>(v), 2);
    return p;
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // Closes the device and returns the left-channel samples it played.
  Samples Captured() {
    buffers_.clear();
    system_.reset();
    std::ifstream in(dir_ / "out.raw", std::ios::binary);
    Samples all(fs::file_size(dir_ / "out.raw") / 2), left;
    in.read(reinterpret_cast<char*>(all.data()), static_cast<std::streamsize>(all.size() * 2));
    for (std::size_t i = 0; i < all.size(); i += 2) left.push_back(all[i]);
    return left;
  }
  static int CountOf(const Samples& s, int value, int tolerance = 1) {
    return std::count_if(s.begin(), s.end(), [&](int v) { return std::abs(v - value) <= tolerance; });
  }
  static int NonZero(const Samples& s) { return s.size() - std::count(s.begin(), s.end(), 0); }
  ISoundBuffer& Load(const fs::path& p, Kept kept) {
    buffers_.push_back(kept == Kept::Loaded ? system_->CreateSoundBufferFromFile(p.string())
                                            : system_->CreateStreamingBufferFromFile(p.string()));
    return *buffers_.back();
  }
  ISoundBuffer& Load(const fs::path& p) { return Load(p, GetParam()); }
  fs::path dir_;
  std::unique_ptr<MixerSoundSystem> system_;
  std::vector<std::unique_ptr<ISoundBuffer>> buffers_;
};

// catches: volume ignored or mis-scaled, a replay not starting from the position set, Stop ignored.
TEST_P(MixerOutput, MinusSixHundredIsAboutHalfTheAmplitudeAndStopCutsAWaveShort) {
  ISoundBuffer& b = Load(Wave("tone.wav", Samples(150 * Ms, 8000), 2));
  for (int volume : {0, -600}) {
    b.SetVolume(volume);
    b.SetCurrentPosition(0);
    b.Play(0);
    Wait(350);
  }
  ISoundBuffer& cut = Load(Wave("long.wav", Samples(1000 * Ms, 5000), 2));
  cut.Play(0);
  Wait(150);
  cut.Stop();
  Wait(150);
  const auto s = Captured();
  // Each playing lasts the whole wave, at 8000 and then at 10^(-600/2000) of it.
  EXPECT_NEAR(CountOf(s, 8000), 150 * Ms, 150 * Ms / 20);
  EXPECT_NEAR(CountOf(s, 4000, 40), 150 * Ms, 150 * Ms / 20);
  EXPECT_GT(CountOf(s, 5000), 0);
  EXPECT_LT(CountOf(s, 5000), 500 * Ms);
  EXPECT_EQ(NonZero(s), CountOf(s, 8000) + CountOf(s, 4000, 40) + CountOf(s, 5000));
}

// catches: effects not mixed together, a restart that does not begin the wave again.
TEST_P(MixerOutput, TwoEffectsOverlapAndARestartBeginsAgain) {
  ISoundBuffer& a = Load(Wave("a.wav", Samples(300 * Ms, 6000), 2));
  ISoundBuffer& b = Load(Wave("b.wav", Samples(300 * Ms, 3000), 2));
  a.Play(0);
  b.Play(0);
  Wait(150);
  b.SetCurrentPosition(0);  // restarted while it sounds: its whole length again from here
  b.Play(0);
  Wait(500);
  const auto s = Captured();
  EXPECT_GT(CountOf(s, 9000), 100 * Ms);  // both together
  EXPECT_GT(CountOf(s, 3000), 100 * Ms);  // b alone after a has ended
  // 150 ms, then b's whole length again (a loaded machine only makes the first part longer).
  EXPECT_GT(CountOf(s, 9000) + CountOf(s, 3000), 420 * Ms);
}

// A mono wave never 0 nor repeating a value: where each playing starts and what it holds shows.
Samples Ramp(int frames) {
  Samples s;
  for (int i = 0; i < frames; ++i) s.push_back(static_cast<std::int16_t>(100 + (i * 7) % 30000));
  return s;
}

// catches: a loop that stops after one round, leaves a gap or drops samples, or goes on after Stop.
TEST_P(MixerOutput, LoopingRepeatsTheWaveWithoutAGapUntilStopped) {
  const auto wave = Ramp(40 * Ms);
  ISoundBuffer& b = Load(Wave("ramp.wav", wave, 1));
  b.Play(1);
  Wait(400);
  b.Stop();
  Wait(200);
  const auto s = Captured();
  EXPECT_GT(NonZero(s), 250 * Ms);
  EXPECT_EQ(NonZero(Samples(s.end() - 100 * Ms, s.end())), 0);
  const auto first = std::find_if(s.begin(), s.end(), [](std::int16_t v) { return v != 0; });
  ASSERT_GT(s.end() - first, static_cast<long>(4 * wave.size()));
  for (std::size_t i = 0; i < 3 * wave.size(); ++i)
    ASSERT_EQ(first[static_cast<long>(i)], wave[i % wave.size()]) << "sample " << i;
}

INSTANTIATE_TEST_SUITE_P(LoadedAndStreamed, MixerOutput, ::testing::Values(Kept::Loaded, Kept::Streamed),
                         [](const auto& info) { return info.param == Kept::Loaded ? "Loaded" : "Streamed"; });

using StreamedMusic = MixerOutput;

// catches: unopened systems or bad waves accepted, errors unnamed, music unlike effects, volumes shared.
TEST_F(StreamedMusic, WhatIsNoWaveIsRefusedWithItsNameMusicSoundsExactlyAsTheLoadedWaveTracksOverlap) {
  EXPECT_THROW(MixerSoundSystem().CreateSoundBufferFromFile("x.wav"), std::runtime_error);
  NullSoundSystem null, silent(false);
  ASSERT_TRUE(null.InitDSound());
  EXPECT_FALSE(silent.InitDSound());
  std::ofstream(dir_ / "text.wav") << "RIFF....WAVEfmt and nothing more";
  for (const fs::path& path : {dir_ / "missing.wav", dir_ / "text.wav", fs::path("/dev/null"), dir_,
                               fs::path("/nonexistent/NoWay.WAV")}) {
    ISoundSystem& from = path.filename() == "NoWay.WAV" ? static_cast<ISoundSystem&>(null) : *system_;
    EXPECT_THAT([&] { from.CreateStreamingBufferFromFile(path.string()); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr(path.string())));
  }
  const auto wave = Ramp(60 * Ms);
  const fs::path file = Wave("track.wav", wave, 1);
  ISoundBuffer& loaded = Load(file, Kept::Loaded);
  ISoundBuffer& streamed = Load(file, Kept::Streamed);
  ISoundBuffer& other = Load(Wave("other.wav", Samples(200 * Ms, 1000), 2), Kept::Streamed);
  for (ISoundBuffer* b : {&loaded, &streamed}) {
    b->SetVolume(-600);
    b->Play(0);
    Wait(150);
  }
  other.SetVolume(-2000);  // two tracks at once, each at its own volume
  other.Play(1);
  streamed.SetVolume(0);
  streamed.Play(1);
  Wait(150);
  streamed.Stop();
  other.Stop();
  Wait(100);
  const auto s = Captured();
  // Two playings at -6 dB, then both tracks together: ramp + 100 (1000 at a tenth).
  std::vector<Samples> runs;
  for (auto i = s.begin(); (i = std::find_if(i, s.end(), [](int v) { return v != 0; })) != s.end();) {
    const auto j = std::find(i, s.end(), 0);
    runs.emplace_back(i, j);
    i = j;
  }
  ASSERT_GE(runs.size(), 3u);
  ASSERT_EQ(runs[0].size(), wave.size());
  EXPECT_EQ(runs[0], runs[1]);  // sample for sample, the level's rounding included
  for (std::size_t i = 0; i < wave.size(); ++i) ASSERT_NEAR(runs[0][i], wave[i] / 2, 1) << "sample " << i;
  const auto both = std::find_if(runs[2].begin(), runs[2].end(), [&](int v) { return v - wave[0] > 90; });
  ASSERT_GE(runs[2].end() - both, static_cast<long>(2 * wave.size()));
  for (std::size_t i = 0; i < 2 * wave.size(); ++i)
    ASSERT_NEAR(both[static_cast<long>(i)], wave[i % wave.size()] + 100, 2) << "sample " << i;
}

}  // namespace
}  // namespace quarnix
