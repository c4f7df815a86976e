#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>

#include "../storage/TempFolder.h"
#include "WavFile.h"
#include "content/GameFiles.h"
#include "core/Files.h"

namespace fs = std::filesystem;

namespace {

// The sounds' stems, effects first, and whether each is an effect.
const std::vector<std::pair<std::string, bool>> All = [] {
  std::vector<std::pair<std::string, bool>> names;
  for (auto role : {quarnix::FileRole::Effect, quarnix::FileRole::Music})
    for (const auto& f : quarnix::GameFiles)
      if (f.Role == role) names.emplace_back(f.Stem(), role == quarnix::FileRole::Effect);
  return names;
}();
const fs::path WaveDir = fs::path(QUARNIX_GAME_DIR) / "Wave";

struct Wave {
  int Rate = 0;
  std::vector<double> Mono;  // samples in [-1, 1)
  double Seconds() const { return static_cast<double>(Mono.size()) / Rate; }
};

// A 16-bit mono PCM file as SDL reads it, after a check of the RIFF header against the file.
Wave Read(const fs::path& path) {
  const auto bytes = quarnix::ReadFileBytes(path);
  auto u32 = [&](int at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
  };
  auto u16 = [&](int at) { return u32(at) & 0xFFFF; };
  EXPECT_GE(bytes.size(), 44u) << path;
  if (bytes.size() < 44) return {};
  const auto size = static_cast<std::uint32_t>(bytes.size());  // sizes, PCM, mono, 16 bits, 2-byte frames:
  EXPECT_EQ(std::tuple(u32(4), u32(40), u16(20), u16(22), u16(34), u16(32), u32(28)),
            std::tuple(size - 8, size - 44, 1u, 1u, 16u, 2u, 2 * u32(24)))
      << path;
  SDL_AudioSpec loaded{};
  Uint8* data = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV(path.string().c_str(), &loaded, &data, &length)) {
    ADD_FAILURE() << path << ": " << SDL_GetError();
    return {};
  }
  Wave w{loaded.freq, {}};
  EXPECT_EQ(loaded.format, AUDIO_S16LSB) << path;
  const auto* samples = reinterpret_cast<const std::int16_t*>(data);
  for (Uint32 i = 0; i < length / 2; ++i) w.Mono.push_back(samples[i] / 32768.0);
  SDL_FreeWAV(data);
  return w;
}

const Wave& Load(const std::string& name) {
  static std::map<std::string, Wave> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, Read(WaveDir / (name + ".WAV"))).first;
  return it->second;
}

// The part [from, to) of x, as fractions of its length.
std::vector<double> Part(const std::vector<double>& x, double from, double to) {
  return {x.begin() + static_cast<long>(from * x.size()), x.begin() + static_cast<long>(to * x.size())};
}
double Rms(const std::vector<double>& x) {
  return std::sqrt(std::inner_product(x.begin(), x.end(), x.begin(), 0.0) / static_cast<double>(x.size()));
}
double Peak(const std::vector<double>& x) {
  return std::abs(*std::ranges::max_element(x, {}, [](double v) { return std::abs(v); }));
}
double Quantile(std::vector<double> v, double q) {
  const auto at = v.begin() + static_cast<long>(q * static_cast<double>(v.size() - 1));
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

// Onsets a second: 10 ms frames whose level jumps well above the frames before.
double OnsetRate(const Wave& w) {
  const std::size_t frame = static_cast<std::size_t>(w.Rate / 100);
  std::vector<double> level;
  for (std::size_t i = 0; i + frame <= w.Mono.size(); i += frame)
    level.push_back(
        Rms({w.Mono.begin() + static_cast<long>(i), w.Mono.begin() + static_cast<long>(i + frame)}));
  int onsets = 0;
  for (std::size_t i = 5; i < level.size(); ++i) {
    const double before = std::accumulate(level.begin() + i - 5, level.begin() + i, 0.0) / 5.0;
    onsets += level[i] > 1.6 * before && level[i] > 0.02;
  }
  return onsets / w.Seconds();
}

// Zero crossings a second over a part of the sound: a rough pitch, enough to tell a thud from a blip.
double Crossings(const std::vector<double>& all, double from, double to) {
  const auto x = Part(all, from, to);
  int count = 0;
  for (std::size_t i = 1; i < x.size(); ++i) count += (x[i - 1] < 0) != (x[i] < 0);
  return count / (static_cast<double>(x.size()) / 44100.0);
}

int RunGenerator(const std::string& args) {
  const int status =
      std::system((std::string("\"") + QUARNIX_SOUNDGEN + "\" " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// catches: files of wrong format, length, level or shape; clicking effects; clicking, calm or alike music.
TEST(SoundFiles, EveryFileIsPcmOfSensibleLengthLevelAndShapeAndMusicLoopsWithoutAClick) {
  ASSERT_EQ(All.size(), 27u);
  std::vector<std::string> names;
  std::set<std::size_t> lengths;
  for (const auto& [n, effect] : All) {
    SCOPED_TRACE(n);
    const Wave& w = Load(n);
    EXPECT_EQ(w.Rate, 44100);
    EXPECT_TRUE(effect ? w.Seconds() > 0.03 && w.Seconds() < 2.0 : w.Seconds() >= 30 && w.Seconds() < 60)
        << w.Seconds();
    EXPECT_LT(Peak(w.Mono), std::pow(10.0, -1.0 / 20.0));
    EXPECT_GT(Peak(w.Mono), std::pow(10.0, -12.0 / 20.0));
    EXPECT_GT(Rms(w.Mono), std::pow(10.0, -36.0 / 20.0));
    EXPECT_TRUE(!effect || std::max(std::abs(w.Mono.front()), std::abs(w.Mono.back())) < 0.01);
    if (effect) continue;
    names.push_back(n);
    const std::vector<double>& x = w.Mono;
    const std::size_t N = x.size();
    lengths.insert(N);
    std::vector<double> step, bend;
    for (std::size_t i = 2; i < N; ++i) {
      step.push_back(std::abs(x[i] - x[i - 1]));
      bend.push_back(std::abs(x[i] - 2 * x[i - 1] + x[i - 2]));
    }
    EXPECT_LE(std::abs(x[0] - x[N - 1]), Quantile(step, 0.99));
    EXPECT_LE(std::abs(x[0] - 2 * x[N - 1] + x[N - 2]), Quantile(bend, 0.99));
    EXPECT_LE(std::abs(x[1] - 2 * x[0] + x[N - 1]), Quantile(bend, 0.99));
    double nearby = 0.0;
    for (std::size_t i = 1; i < 64; ++i)
      nearby = std::max({nearby, std::abs(x[i] - x[i - 1]), std::abs(x[N - i] - x[N - i - 1])});
    EXPECT_LE(std::abs(x[0] - x[N - 1]), 1.5 * nearby);
    EXPECT_TRUE(n == "okMenu" ||
                (Rms(Load("okMenu").Mono) < Rms(x) && OnsetRate(Load("okMenu")) < OnsetRate(Load(n))));
  }
  EXPECT_GE(lengths.size(), 10u) << "tempos should differ from track to track";
  for (std::size_t a = 0; a < names.size(); ++a)
    for (std::size_t b = a + 1; b < names.size(); ++b) {
      const auto &x = Load(names[a]).Mono, &y = Load(names[b]).Mono;
      double xy = 0, xx = 0, yy = 0;
      for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i)
        xy += x[i] * y[i], xx += x[i] * x[i], yy += y[i] * y[i];
      EXPECT_LT(std::abs(xy) / std::sqrt(xx * yy), 0.3) << names[a] << " and " << names[b];
    }
  for (const char* n : {"okMenuSelect", "okMenuDefKey", "okExCubeDown", "CubeRotate"})
    EXPECT_LT(Load(n).Seconds(), 0.25) << n;
  for (const char* n : {"NoWay", "CubeDown"}) EXPECT_LT(Load(n).Seconds(), 0.5) << n;
  for (const char* n : {"Thund", "okExpo", "okOpen", "SameColor", "okBuildMove", "okRotBuild", "CubeCross"})
    EXPECT_GT(Load(n).Seconds(), 0.8) << n;
  EXPECT_LT(Crossings(Load("CubeDown").Mono, 0, 1), 250);
  EXPECT_LT(Crossings(Load("NoWay").Mono, 0, 1), 400);
  EXPECT_GT(Crossings(Load("okMenuSelect").Mono, 0, 1), 800);
  const auto rises = [](const char* n) {
    return Crossings(Load(n).Mono, 2.0 / 3, 1) / Crossings(Load(n).Mono, 0, 1.0 / 3);
  };
  EXPECT_GT(rises("okRotBuild"), 2.0);
  EXPECT_GT(rises("okMenuDefKey"), 1.2);
  EXPECT_LT(rises("SameColor"), 0.5);
  EXPECT_LT(rises("Thund"), 0.33);
  EXPECT_LT(rises("okExpo"), 0.33);
  const auto& whoosh = Load("okBuildMove").Mono;  // swells in the middle
  EXPECT_GT(Rms(Part(whoosh, 1.0 / 3, 2.0 / 3)),
            1.5 * std::max(Rms(Part(whoosh, 0, 1.0 / 3)), Rms(Part(whoosh, 2.0 / 3, 1))));
}

// catches: a generator whose output depends on the run; bad arguments accepted; samples wrapped round.
TEST(SoundGenerator, TwoRunsGiveTheSameBytesAsTheBuildAndBadArgumentsAreRefused) {
  quarnix::test::TempFolder first, second;
  ASSERT_EQ(RunGenerator(first.Path().string()), 0);
  ASSERT_EQ(RunGenerator(second.Path().string()), 0);
  for (const auto& [n, effect] : All)
    for (const auto* run : {&first, &second})
      EXPECT_EQ(quarnix::ReadFileBytes(*run / "Wave" / (n + ".WAV")),
                quarnix::ReadFileBytes(WaveDir / (n + ".WAV")))
          << n;
  EXPECT_EQ(std::pair(RunGenerator(""), RunGenerator("a b")), std::pair(2, 2));
  quarnix::test::WriteText(first / "file", "x");  // a folder path through a plain file
  EXPECT_EQ(RunGenerator((first / "file" / "out").string()), 1);
  quarnix::soundgen::WriteWav(first / "t.WAV", {0.0f, 0.5f, -0.5f, 2.0f, -2.0f});
  EXPECT_EQ(Read(first / "t.WAV").Mono,
            (std::vector<double>{0, 16384 / 32768.0, -16384 / 32768.0, 32767 / 32768.0, -32767 / 32768.0}));
  EXPECT_THROW(quarnix::soundgen::WriteWav("/nonexistent-folder/x.WAV", {0.0f}), std::runtime_error);
}
