// The wave files the build puts into the game folder, checked as the game and
// a listener meet them: names, format, lengths, levels, loop seams, variety,
// SDL_mixer loading, and a generator that gives the same bytes every run.

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "WavReader.h"

namespace fs = std::filesystem;
using quarnix::soundtest::ReadWav;
using quarnix::soundtest::WavData;

namespace {

// The names the game loads, spelled as it spells them.
const std::vector<std::string> Effects{
    "NoWay",  "CubeRotate", "Thund",        "CubeDown", "CubeCross",  "okMenuSelect", "okBuildMove",
    "okExpo", "SameColor",  "okExCubeDown", "okOpen",   "okRotBuild", "okMenuDefKey"};
std::vector<std::string> Music() {
  std::vector<std::string> names;
  for (int i = 1; i <= 13; ++i) names.push_back("okPlayGame" + std::to_string(i));
  names.push_back("okMenu");
  return names;
}

const fs::path WaveDir = fs::path(QUARNIX_GAME_DIR) / "Wave";

// Files are read once per test process.
const WavData& Load(const std::string& name) {
  static std::map<std::string, WavData> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, ReadWav(WaveDir / (name + ".WAV"))).first;
  return it->second;
}

double Peak(const std::vector<double>& x) {
  double p = 0.0;
  for (double v : x) p = std::max(p, std::abs(v));
  return p;
}

double Rms(const std::vector<double>& x) {
  double s = 0.0;
  for (double v : x) s += v * v;
  return std::sqrt(s / static_cast<double>(x.size()));
}

double Quantile(std::vector<double> v, double q) {
  const auto at = v.begin() + static_cast<long>(q * static_cast<double>(v.size() - 1));
  std::nth_element(v.begin(), at, v.end());
  return *at;
}

// Onsets a second: 10 ms frames whose level jumps well above the frames before.
double OnsetRate(const WavData& w) {
  const std::size_t frame = static_cast<std::size_t>(w.Rate / 100);
  std::vector<double> level;
  for (std::size_t i = 0; i + frame <= w.Mono.size(); i += frame)
    level.push_back(Rms(std::vector<double>(w.Mono.begin() + static_cast<long>(i),
                                            w.Mono.begin() + static_cast<long>(i + frame))));
  int onsets = 0;
  for (std::size_t i = 5; i < level.size(); ++i) {
    double before = 0.0;
    for (std::size_t k = i - 5; k < i; ++k) before += level[k] / 5.0;
    if (level[i] > 1.6 * before && level[i] > 0.02) ++onsets;
  }
  return onsets / w.Seconds();
}

// Zero crossings a second over a part of the sound: a rough pitch or
// brightness, enough to tell a low thud from a high blip.
double Crossings(const std::vector<double>& x, double from, double to) {
  const std::size_t a = static_cast<std::size_t>(from * static_cast<double>(x.size()));
  const std::size_t b = static_cast<std::size_t>(to * static_cast<double>(x.size()));
  int count = 0;
  for (std::size_t i = a + 1; i < b; ++i) count += (x[i - 1] < 0) != (x[i] < 0);
  return count / (static_cast<double>(b - a) / 44100.0);
}

double PartRms(const std::vector<double>& x, double from, double to) {
  return Rms(std::vector<double>(x.begin() + static_cast<long>(from * static_cast<double>(x.size())),
                                 x.begin() + static_cast<long>(to * static_cast<double>(x.size()))));
}

std::string Bytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct TempDir {
  fs::path Path;
  explicit TempDir(const std::string& tag)
      : Path(fs::temp_directory_path() / ("quarnix-soundgen-" + tag + "-" + std::to_string(::getpid()))) {
    fs::remove_all(Path);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(Path, ignored);
  }
};

int RunGenerator(const std::string& args) {
  const int status =
      std::system((std::string("\"") + QUARNIX_SOUNDGEN + "\" " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(SoundFiles, TheFolderHoldsExactlyTheGamesFilesAsPcm) {
  std::set<std::string> expected;
  for (const auto& n : Effects) expected.insert(n + ".WAV");
  for (const auto& n : Music()) expected.insert(n + ".WAV");
  ASSERT_EQ(expected.size(), 27u);
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(WaveDir)) found.insert(entry.path().filename().string());
  EXPECT_EQ(found, expected);
  for (const auto& name : expected) {
    const std::string base = name.substr(0, name.size() - 4);
    SCOPED_TRACE(name);
    const WavData& w = Load(base);
    EXPECT_EQ(w.Rate, 44100);
    EXPECT_FALSE(w.Mono.empty());
  }
}

TEST(SoundFiles, EffectsAreShortAndMusicRunsAtLeastThirtySeconds) {
  for (const auto& n : Effects) {
    SCOPED_TRACE(n);
    EXPECT_LT(Load(n).Seconds(), 2.0);
    EXPECT_GT(Load(n).Seconds(), 0.03);
  }
  for (const auto& n : Music()) {
    SCOPED_TRACE(n);
    EXPECT_GE(Load(n).Seconds(), 30.0);
    EXPECT_LT(Load(n).Seconds(), 60.0);  // keeps the game folder a sensible size
  }
}

TEST(SoundFiles, PeaksStayBelowMinusOneDecibelAndNothingIsSilent) {
  const double limit = std::pow(10.0, -1.0 / 20.0);
  std::vector<std::string> all = Effects;
  for (const auto& n : Music()) all.push_back(n);
  for (const auto& n : all) {
    SCOPED_TRACE(n);
    const WavData& w = Load(n);
    EXPECT_LT(Peak(w.Mono), limit);
    EXPECT_GT(Peak(w.Mono), std::pow(10.0, -12.0 / 20.0));
    EXPECT_GT(Rms(w.Mono), std::pow(10.0, -36.0 / 20.0));
  }
}

TEST(SoundFiles, EffectsStartAndEndQuietly) {
  for (const auto& n : Effects) {
    SCOPED_TRACE(n);
    const std::vector<double>& x = Load(n).Mono;
    EXPECT_LT(std::abs(x.front()), 0.01);
    EXPECT_LT(std::abs(x.back()), 0.01);
  }
}

TEST(SoundFiles, EachEffectHasTheShapeOfItsName) {
  // Quick cues are short; the big events take their time.
  for (const char* n : {"okMenuSelect", "okMenuDefKey", "okExCubeDown", "CubeRotate"})
    EXPECT_LT(Load(n).Seconds(), 0.25) << n;
  for (const char* n : {"NoWay", "CubeDown"}) EXPECT_LT(Load(n).Seconds(), 0.5) << n;
  for (const char* n : {"Thund", "okExpo", "okOpen", "SameColor", "okBuildMove", "okRotBuild", "CubeCross"})
    EXPECT_GT(Load(n).Seconds(), 0.8) << n;
  // A drop thud and a refusal buzz are low; the menu blip is high.
  EXPECT_LT(Crossings(Load("CubeDown").Mono, 0, 1), 250);
  EXPECT_LT(Crossings(Load("NoWay").Mono, 0, 1), 400);
  EXPECT_GT(Crossings(Load("okMenuSelect").Mono, 0, 1), 800);
  // The field's turn sweeps up, the cascade runs down, the key-accepted blip
  // steps up; thunder and the explosion darken as they fade.
  const auto rises = [](const char* n) {
    return Crossings(Load(n).Mono, 2.0 / 3, 1) / Crossings(Load(n).Mono, 0, 1.0 / 3);
  };
  EXPECT_GT(rises("okRotBuild"), 2.0);
  EXPECT_GT(rises("okMenuDefKey"), 1.2);
  EXPECT_LT(rises("SameColor"), 0.5);
  EXPECT_LT(rises("Thund"), 0.33);
  EXPECT_LT(rises("okExpo"), 0.33);
  // The start-of-game whoosh swells in the middle.
  const auto& whoosh = Load("okBuildMove").Mono;
  EXPECT_GT(PartRms(whoosh, 1.0 / 3, 2.0 / 3), 1.5 * PartRms(whoosh, 0, 1.0 / 3));
  EXPECT_GT(PartRms(whoosh, 1.0 / 3, 2.0 / 3), 1.5 * PartRms(whoosh, 2.0 / 3, 1));
}

TEST(SoundFiles, MusicLoopsWithoutAClickAtTheSeam) {
  for (const auto& n : Music()) {
    SCOPED_TRACE(n);
    const std::vector<double>& x = Load(n).Mono;
    const std::size_t N = x.size();
    std::vector<double> step, bend;
    for (std::size_t i = 1; i < N; ++i) step.push_back(std::abs(x[i] - x[i - 1]));
    for (std::size_t i = 2; i < N; ++i) bend.push_back(std::abs(x[i] - 2 * x[i - 1] + x[i - 2]));
    // Across the seam the track runs from its last sample into its first.
    EXPECT_LE(std::abs(x[0] - x[N - 1]), Quantile(step, 0.99));
    EXPECT_LE(std::abs(x[0] - 2 * x[N - 1] + x[N - 2]), Quantile(bend, 0.99));
    EXPECT_LE(std::abs(x[1] - 2 * x[0] + x[N - 1]), Quantile(bend, 0.99));
    // Nor does it stand out from the steps just before and after it.
    double nearby = 0.0;
    for (std::size_t i = 1; i < 64; ++i)
      nearby = std::max({nearby, std::abs(x[i] - x[i - 1]), std::abs(x[N - i] - x[N - i - 1])});
    EXPECT_LE(std::abs(x[0] - x[N - 1]), 1.5 * nearby);
  }
}

TEST(SoundFiles, EveryTrackIsItsOwnPiece) {
  const auto names = Music();
  std::set<std::size_t> lengths;
  for (const auto& n : names) lengths.insert(Load(n).Mono.size());
  EXPECT_GE(lengths.size(), 10u) << "tempos should differ from track to track";
  for (std::size_t a = 0; a < names.size(); ++a) {
    for (std::size_t b = a + 1; b < names.size(); ++b) {
      const auto& x = Load(names[a]).Mono;
      const auto& y = Load(names[b]).Mono;
      const std::size_t n = std::min(x.size(), y.size());
      double xy = 0, xx = 0, yy = 0;
      for (std::size_t i = 0; i < n; ++i) xy += x[i] * y[i], xx += x[i] * x[i], yy += y[i] * y[i];
      EXPECT_LT(std::abs(xy) / std::sqrt(xx * yy), 0.3) << names[a] << " and " << names[b];
    }
  }
}

TEST(SoundFiles, MenuMusicIsCalmerThanTheGameMusic) {
  const WavData& menu = Load("okMenu");
  for (const auto& n : Music()) {
    if (n == "okMenu") continue;
    SCOPED_TRACE(n);
    EXPECT_LT(Rms(menu.Mono), Rms(Load(n).Mono));
    EXPECT_LT(OnsetRate(menu), OnsetRate(Load(n)));
  }
}

TEST(SoundFiles, SdlMixerLoadsEveryFileWhole) {
  ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
  ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
  int rate = 0, channels = 0;
  Uint16 format = 0;
  ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
  const double bytesPerSecond = static_cast<double>(rate) * channels * (SDL_AUDIO_BITSIZE(format) / 8);
  std::vector<std::string> all = Effects;
  for (const auto& n : Music()) all.push_back(n);
  for (const auto& n : all) {
    SCOPED_TRACE(n);
    Mix_Chunk* chunk = Mix_LoadWAV((WaveDir / (n + ".WAV")).string().c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    EXPECT_NEAR(chunk->alen / bytesPerSecond, Load(n).Seconds(), 0.01);
    EXPECT_GE(Mix_PlayChannel(0, chunk, 0), 0) << Mix_GetError();
    Mix_HaltChannel(0);
    Mix_FreeChunk(chunk);
  }
  Mix_CloseAudio();
  SDL_Quit();
}

TEST(SoundGenerator, TwoRunsGiveTheSameBytesAsTheBuild) {
  TempDir first("a"), second("b");
  ASSERT_EQ(RunGenerator(first.Path.string()), 0);
  ASSERT_EQ(RunGenerator(second.Path.string()), 0);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(WaveDir)) {
    const fs::path name = entry.path().filename();
    SCOPED_TRACE(name.string());
    const std::string built = Bytes(entry.path());
    EXPECT_EQ(Bytes(first.Path / "Wave" / name), built);
    EXPECT_EQ(Bytes(second.Path / "Wave" / name), built);
    ++files;
  }
  EXPECT_EQ(files, 27);
}

TEST(SoundGenerator, RefusesBadArgumentsAndUnwritableFolders) {
  EXPECT_EQ(RunGenerator(""), 2);
  EXPECT_EQ(RunGenerator("a b"), 2);
  // A folder path that runs through a plain file cannot be created.
  TempDir dir("blocked");
  fs::create_directories(dir.Path);
  std::ofstream(dir.Path / "file") << "x";
  EXPECT_EQ(RunGenerator((dir.Path / "file" / "out").string()), 1);
}
