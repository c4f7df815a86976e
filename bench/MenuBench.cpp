// The main menu left alone at 1024 x 768, as the game shows it: the content
// and the sounds loaded as play loads them, the menu music playing, the
// menu's own frame pacing on the real clock. Over a stretch of seconds it
// reports the frames shown a second, the share of one core the whole process
// used (every thread: the software rasteriser's and the mixer's included)
// and the peak memory so far. Run from anywhere: the content comes from the
// built game folder. Headless: SDL_VIDEODRIVER=offscreen, and
// SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null for a sound device that
// mixes in real time.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/Menu.h"
#include "app/PlaySetup.h"
#include "core/KeySource.h"
#include "platform/Events.h"
#include "platform/GlGraphics.h"

namespace quarnix {
namespace {

double CpuSeconds() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
         static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// VmHWM of /proc/self/status, in MiB.
double PeakMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return -1;
}

// Counts the frames the menu shows.
class CountingEvents final : public IEventPump {
 public:
  explicit CountingEvents(EventPump& pump) : pump_(pump) {}
  void PumpEvents() override {
    pump_.Pump();
    ++frames;
  }
  bool QuitRequested() const override { return pump_.QuitRequested(); }
  long frames = 0;

 private:
  EventPump& pump_;
};

void BM_MenuIdle(benchmark::State& bench) {
  const double seconds = static_cast<double>(bench.range(0));
  GlGraphics graphics(
      GraphicsOptions{WindowMode::Hidden, "menu bench", std::getenv("QUARNIX_OFFSCREEN") == nullptr});
  const ScreenMode mode = ScreenModeFor(0);
  if (!graphics.InitD3D() || CreatePlayDevice(graphics, mode) == DeviceKindNone) {
    bench.SkipWithError("no OpenGL device (headless: SDL_VIDEODRIVER=offscreen)");
    return;
  }
  IDevice& device = *graphics.Device();
  const GameFolders folders = GameFolders::In(QUARNIX_GAME_DIR);
  auto state = std::make_unique<GameState>();
  Rng random(5);
  SoundPlayer player;
  GameRules rules(*state, random, player);
  SetPlayFieldConstants(rules, player);
  rules.InitLevelTable();
  GameAssets assets(device);
  LoadPlayContent(assets, folders);
  const auto font = MakePlayFont(device, mode);
  const auto sprite = device.CreateSprite();
  MixerSoundSystem sound;
  SoundBank bank;
  SetupPlaySounds(sound, bank, player, folders);
  ScriptedKeySource source;
  Keys keys(source);
  keys.InitKeyTable();
  EventPump pump(nullptr);
  SdlClock clock(&pump);
  CountingEvents events(pump);
  BlinkTimer blink(clock);
  GameKeys gameKey = DefaultGameKeys();
  ScoreTable scores;
  const MenuLayout layout = SetupMenuLayout(mode.ScreenWidth, mode.ScreenHeight, mode.ScreenRatio);
  MainMenu menu(MenuParts{device, *sprite, *font, assets.ScreenME, assets.XBackGround, keys, player, *state,
                          gameKey, scores, clock, events, blink, "/dev/null", random, [] {}},
                layout);
  player.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
  menu.Open();
  for (int warm = 0; warm < 25; ++warm) menu.Frame();

  for (auto _ : bench) {
    const long frames0 = events.frames;
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
      menu.Frame();
      elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    const double cpu = CpuSeconds() - cpu0;
    const auto frames = static_cast<double>(events.frames - frames0);
    bench.counters["frames_per_s"] = frames / elapsed;
    bench.counters["cpu_share_pct"] = 100 * cpu / elapsed;
    bench.counters["cpu_ms_per_frame"] = 1000 * cpu / frames;
  }
  bench.counters["peak_MiB"] = PeakMiB();
  bench.counters["sound"] = player.SoundOn;
}

BENCHMARK(BM_MenuIdle)->ArgName("seconds")->Arg(20)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace quarnix
BENCHMARK_MAIN();
