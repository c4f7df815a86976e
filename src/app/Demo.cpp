#include "app/Demo.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>

#include "app/BotKeyDriver.h"
#include "app/GameLoop.h"
#include "app/PlaySetup.h"
#include "content/GameFolder.h"
#include "core/Clock.h"
#include "core/KeySource.h"
#include "core/Random.h"
#include "platform/GlGraphics.h"
#include "platform/PublicX8.h"
#include "platform/TextureImage.h"

namespace quarnix {

namespace {

bool ParseNumber(const std::string& text, std::int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

// The play screen, counting frames and keeping every K-th as a picture.
class DemoScreen final : public IPlayRenderer {
 public:
  DemoScreen(PlayRenderer& renderer, IDevice& device, const DemoOptions& options)
      : renderer_(renderer), device_(device), options_(options) {}

  // A frame's time: the play screen's drawing and its Present on the real
  // clock (screenshots aside). The game's own work between frames is not in it.
  void RenderFrame() override {
    const auto start = std::chrono::steady_clock::now();
    renderer_.RenderFrame();
    const auto end = std::chrono::steady_clock::now();
    if (frames_ == 0) firstShown_ = end;
    if (options_.Stats) times_.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    ++frames_;
    if (!options_.Screenshots.empty() && frames_ % options_.Every == 0) {
      SaveScreenshot(device_, (options_.Screenshots / ScreenshotName(frames_)).string());
      ++shots_;
    }
  }
  void ResetBackground() override { renderer_.ResetBackground(); }

  std::int64_t Frames() const { return frames_; }
  int Shots() const { return shots_; }
  const std::vector<double>& Times() const { return times_; }
  std::chrono::steady_clock::time_point FirstShown() const { return firstShown_; }

 private:
  PlayRenderer& renderer_;
  IDevice& device_;
  const DemoOptions& options_;
  std::int64_t frames_ = 0;
  int shots_ = 0;
  std::vector<double> times_;
  std::chrono::steady_clock::time_point firstShown_;
};

// The window's events; the demo asks to close itself once its frames are shown.
class DemoEvents final : public IEventPump {
 public:
  DemoEvents(EventPump& pump, const DemoScreen& screen, std::int64_t frames)
      : pump_(pump), screen_(screen), frames_(frames) {}
  void PumpEvents() override { pump_.Pump(); }
  bool QuitRequested() const override {
    return pump_.QuitRequested() || (frames_ > 0 && screen_.Frames() >= frames_);
  }

 private:
  EventPump& pump_;
  const DemoScreen& screen_;
  std::int64_t frames_;
};

// A fresh bot for every game, behind the one observer the loop keeps.
class DemoPlayer final : public IPlayObserver {
 public:
  DemoPlayer(const GameState& state, const DisplayFlags& shown, Keys& keys, ScriptedKeySource& source,
             const GameKeys& GameKey, std::uint64_t seed, std::int64_t pieces)
      : state_(state),
        shown_(shown),
        keys_(keys),
        source_(source),
        gameKey_(GameKey),
        seed_(seed),
        pieces_(pieces) {}
  void NewGame() {
    // A key the last game's bot still held would never be seen going down again.
    source_.ReleaseAll();
    driver_ = std::make_unique<BotKeyDriver>(state_, shown_, keys_, source_, gameKey_, seed_ + games_++);
    driver_->SetName("DEMO");
    driver_->SetMaxPieces(pieces_);
  }
  void OnFrame() override {
    if (driver_) driver_->OnFrame();
  }
  int Games() const { return games_; }

 private:
  const GameState& state_;
  const DisplayFlags& shown_;
  Keys& keys_;
  ScriptedKeySource& source_;
  GameKeys gameKey_;
  std::uint64_t seed_;
  std::int64_t pieces_;
  std::unique_ptr<BotKeyDriver> driver_;
  int games_ = 0;
};

}  // namespace

FrameTimeStats SummariseFrameTimes(std::vector<double> ms) {
  FrameTimeStats s;
  s.Frames = ms.size();
  if (ms.empty()) return s;
  std::sort(ms.begin(), ms.end());
  // The smallest time that at least p % of the frames do not exceed.
  const auto rank = [&](double p) {
    const auto n = static_cast<std::size_t>(std::ceil(p / 100 * static_cast<double>(ms.size())));
    return ms[std::max<std::size_t>(n, 1) - 1];
  };
  s.P50 = rank(50);
  s.P95 = rank(95);
  s.P99 = rank(99);
  s.Max = ms.back();
  s.Over15 = static_cast<std::size_t>(ms.end() - std::upper_bound(ms.begin(), ms.end(), 15.0));
  return s;
}

std::string DemoUsage() {
  return "usage: quarnix --demo [--seed S] [--frames N] [--pieces P] [--screenshots DIR [--every K]]\n"
         "                      [--mode 0|1|2] [--windowed] [--realtime] [--games G] [--stats]\n"
         "  The bot plays on its own; without --frames it stops after G games (1).\n"
         "  --stats: the time each frame took to draw and show, on the real clock:\n"
         "  p50, p95, p99, the longest, and the frames over 15 ms.\n"
         "  --pieces P: the bot quits each game at the prompt after P pieces.\n"
         "  --mode 0 1024x768, 1 800x600, 2 640x480. Screenshots are frame-NNNNNN.png.\n"
         "  A virtual clock runs the game as fast as it draws unless --realtime.\n";
}

std::optional<DemoOptions> ParseDemoOptions(std::span<const std::string> args, std::string& error) {
  DemoOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](std::int64_t& out, std::int64_t min, std::int64_t max) {
      if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return false;
      }
      if (!ParseNumber(args[++i], out) || out < min || out > max) {
        error = a + " " + args[i] + ": expected a whole number from " + std::to_string(min) + " to " +
                std::to_string(max);
        return false;
      }
      return true;
    };
    std::int64_t n = 0;
    if (a == "--seed") {
      if (!value(n, 0, INT64_MAX)) return std::nullopt;
      o.Seed = static_cast<std::uint64_t>(n);
    } else if (a == "--frames") {
      if (!value(n, 1, INT64_MAX)) return std::nullopt;
      o.Frames = n;
    } else if (a == "--pieces") {
      if (!value(n, 1, INT64_MAX)) return std::nullopt;
      o.Pieces = n;
    } else if (a == "--every") {
      if (!value(n, 1, INT64_MAX)) return std::nullopt;
      o.Every = n;
    } else if (a == "--games") {
      if (!value(n, 1, 1000000)) return std::nullopt;
      o.Games = static_cast<int>(n);
    } else if (a == "--mode") {
      if (!value(n, 0, 2)) return std::nullopt;
      o.Mode = static_cast<int>(n);
    } else if (a == "--screenshots") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "--screenshots needs a folder";
        return std::nullopt;
      }
      o.Screenshots = args[++i];
    } else if (a == "--windowed") {
      o.Windowed = true;
    } else if (a == "--realtime") {
      o.Realtime = true;
    } else if (a == "--stats") {
      o.Stats = true;
    } else {
      error = "unknown option " + a;
      return std::nullopt;
    }
  }
  return o;
}

std::string ScreenshotName(std::int64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
  return name;
}

int RunDemo(const DemoOptions& options) {
  const auto began = std::chrono::steady_clock::now();
  const ScreenMode mode = ScreenModeFor(options.Mode);
  if (!options.Screenshots.empty()) std::filesystem::create_directories(options.Screenshots);

  GlGraphics graphics(
      GraphicsOptions{options.Windowed ? WindowMode::Windowed : WindowMode::Fullscreen, "Quarnix demo"});
  if (!graphics.InitD3D()) {
    ShowMessageBox("Quarnix", "Unable to Init 3D Vedio Device 0.");
    return 1;
  }
  auto state = std::make_unique<GameState>();  // large: keep it off the stack
  Rng random(options.Seed);
  SoundPlayer player;
  GameRules rules(*state, random, player);

  const int kind = CreatePlayDevice(graphics, mode);
  if (kind == DeviceKindNone || graphics.Device() == nullptr) {
    ShowMessageBox("Quarnix", "No Any Graphics 3D Accelerator Device.");
    return 1;
  }
  state->DeviceKind = kind;
  IDevice& device = *graphics.Device();
  CamObject GameCam(device);
  SetupPlayCamera(GameCam);
  const auto font = MakePlayFont(device, mode);
  const auto sprite = device.CreateSprite();
  SetPlayFieldConstants(rules, player);
  // The game's data as the game finds it; the demo reads no records and writes none.
  const GameFolders folders = GameFolders::In(FindDataFolder(ProgramFolder()));
  GameAssets assets(device);
  LoadPlayContent(assets, folders);
  MixerSoundSystem sound;
  SoundBank bank;  // after the sound system: its buffers go first
  SetupPlaySounds(sound, bank, player, folders);
  ScriptedKeySource source;
  Keys keys(source);
  keys.InitKeyTable();
  const HudLayout layout = SetupHudLayout(mode);

  EventPump pump(nullptr);
  VirtualClock virtualClock;
  SdlClock realClock(&pump);
  IClock& clock = options.Realtime ? static_cast<IClock&>(realClock) : virtualClock;
  BlinkTimer blink(clock);
  PlayRenderer renderer(*state, assets, *sprite, random, blink, layout, mode);
  DemoScreen screen(renderer, device, options);
  CameraControl camera(GameCam);
  DemoEvents events(pump, screen, options.Frames);
  MemoryScoreStore scores;
  const GameKeys gameKey = DefaultGameKeys();
  GameLoop loop(rules, player, keys, gameKey, clock,
                {screen, camera, events, scores, renderer.Screen(), &renderer});
  DemoPlayer bot(*state, renderer.Screen(), keys, source, gameKey, options.Seed, options.Pieces);
  loop.AddObserver(&bot);

  const std::uint32_t start = clock.Ticks();
  int best = 0;
  try {
    do {
      bot.NewGame();
      loop.PlayGame();
      best = std::max(best, state->GameScore);
      std::cout << "game " << bot.Games() << ": score " << state->GameScore << ", level " << state->GameLevel
                << '\n';
    } while (options.Frames > 0 || bot.Games() < options.Games);
  } catch (const QuitRequest&) {
    // the frames asked for are shown, or the window was closed
  }
  std::cout << "demo: " << screen.Frames() << " frames, " << bot.Games() << " game(s), "
            << (clock.Ticks() - start) << " ms of game time, " << screen.Shots() << " screenshot(s), sound "
            << (player.SoundOn == 1 ? "on" : "off") << '\n';
  if (options.Stats) {
    const FrameTimeStats t = SummariseFrameTimes(screen.Times());
    // Device, content and sounds up to the first frame shown: what Play waits for.
    std::printf("first frame shown after %.0f ms\n",
                std::chrono::duration<double, std::milli>(screen.FirstShown() - began).count());
    std::printf("frame times (ms) over %zu frames: p50 %.2f, p95 %.2f, p99 %.2f, max %.2f; over 15 ms: %zu\n",
                t.Frames, t.P50, t.P95, t.P99, t.Max, t.Over15);
  }
  return 0;
}

}  // namespace quarnix
