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
#include "app/GameRecording.h"
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
         "                      [--record FILE]\n"
         "  The bot plays on its own; without --frames it stops after G games (1).\n"
         "  --stats: the time each frame took to draw and show, on the real clock:\n"
         "  p50, p95, p99, the longest, and the frames over 15 ms.\n"
         "  --pieces P: the bot quits each game at the prompt after P pieces.\n"
         "  --mode 0 1024x768, 1 800x600, 2 640x480. Screenshots are frame-NNNNNN.png.\n"
         "  A virtual clock runs the game as fast as it draws unless --realtime.\n"
         "  --record FILE keeps the last game played (up to where the demo stopped) as a replay.\n";
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
    const auto path = [&](std::filesystem::path& out, const char* what) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = a + " needs " + what;
        return false;
      }
      out = args[++i];
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
      if (!path(o.Screenshots, "a folder")) return std::nullopt;
    } else if (a == "--speed") {
      if (!value(n, 1, 4) || n == 3) {
        if (error.empty()) error = "--speed " + args[i] + ": expected 1, 2 or 4";
        return std::nullopt;
      }
      o.Speed = static_cast<int>(n);
    } else if (a == "--record") {
      if (!path(o.Record, "a file")) return std::nullopt;
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

namespace {

// What the demo and a replay show play with: the window in the chosen mode,
// the content, the sound, the keys' table and the clock the screen times
// itself by. Only the loop's own reads go through the recorder or the player.
struct Stage {
  explicit Stage(const DemoOptions& o, const char* title)
      : options(o),
        mode(ScreenModeFor(o.Mode)),
        graphics(GraphicsOptions{o.Windowed ? WindowMode::Windowed : WindowMode::Fullscreen, title,
                                 o.Screenshots.empty()}) {}

  // False (the reason said) when there is no device to play on.
  bool Open() {
    if (!options.Screenshots.empty()) std::filesystem::create_directories(options.Screenshots);
    if (!graphics.InitD3D()) {
      ShowMessageBox("Quarnix", "Unable to Init 3D Vedio Device 0.");
      return false;
    }
    const int kind = CreatePlayDevice(graphics, mode);
    if (kind == DeviceKindNone || graphics.Device() == nullptr) {
      ShowMessageBox("Quarnix", "No Any Graphics 3D Accelerator Device.");
      return false;
    }
    state->DeviceKind = kind;
    IDevice& device = *graphics.Device();
    GameCam = std::make_unique<CamObject>(device);
    SetupPlayCamera(*GameCam);
    font = MakePlayFont(device, mode);
    sprite = device.CreateSprite();
    SetPlayFieldConstants(rules, player);
    // The game's data as the game finds it; neither reads records or writes them.
    const GameFolders folders = GameFolders::In(FindDataFolder(ProgramFolder()));
    assets = std::make_unique<GameAssets>(device);
    LoadPlayContent(*assets, folders);
    SetupPlaySounds(sound, bank, player, folders);
    layout = SetupHudLayout(mode);
    return true;
  }
  IClock& ScreenClock() { return options.Realtime ? static_cast<IClock&>(realClock) : virtualClock; }

  const DemoOptions& options;
  const ScreenMode mode;
  GlGraphics graphics;
  std::unique_ptr<GameState> state = std::make_unique<GameState>();  // large: keep it off the stack
  Rng random{options.Seed};
  SoundPlayer player;
  GameRules rules{*state, random, player};
  std::unique_ptr<CamObject> GameCam;
  std::unique_ptr<IFont> font;
  std::unique_ptr<ISprite> sprite;
  std::unique_ptr<GameAssets> assets;
  MixerSoundSystem sound;
  SoundBank bank;  // after the sound system: its buffers go first
  HudLayout layout;
  EventPump pump{nullptr};
  VirtualClock virtualClock;
  SdlClock realClock{&pump};
};

}  // namespace

int RunDemo(const DemoOptions& options) {
  const auto began = std::chrono::steady_clock::now();
  Stage stage(options, "Quarnix demo");
  if (!stage.Open()) return 1;
  GameState& state = *stage.state;
  IClock& clock = stage.ScreenClock();
  BlinkTimer blink(clock);
  // The screen's sway draws from its own source, so a game is the same on any screen or none.
  Rng screenRandom(~options.Seed);
  PlayRenderer renderer(state, *stage.assets, *stage.sprite, screenRandom, blink, stage.layout, stage.mode);
  DemoScreen screen(renderer, *stage.graphics.Device(), options);
  CameraControl camera(*stage.GameCam);
  DemoEvents events(stage.pump, screen, options.Frames);
  ScriptedKeySource source;
  GameRecorder recorder(clock, source, events);
  Keys keys(recorder.KeySource());
  keys.InitKeyTable();
  MemoryScoreStore scores;
  const GameKeys gameKey = DefaultGameKeys();
  recorder.Attach(stage.random, keys, gameKey, state, options.Mode);
  GameLoop loop(stage.rules, stage.player, keys, gameKey, recorder.Clock(),
                {screen, camera, recorder.Events(), scores, renderer.Screen(), &renderer});
  DemoPlayer bot(state, renderer.Screen(), keys, source, gameKey, options.Seed, options.Pieces);
  loop.AddObserver(&bot);
  loop.AddObserver(&recorder);

  const std::uint32_t start = clock.Ticks();
  try {
    do {
      bot.NewGame();
      loop.PlayGame();
      std::cout << "game " << bot.Games() << ": score " << state.GameScore << ", level " << state.GameLevel
                << '\n';
    } while (options.Frames > 0 || bot.Games() < options.Games);
  } catch (const QuitRequest&) {
    // the frames asked for are shown, or the window was closed
    recorder.Stop();
  }
  std::cout << "demo: " << screen.Frames() << " frames, " << bot.Games() << " game(s), "
            << (clock.Ticks() - start) << " ms of game time, " << screen.Shots() << " screenshot(s), sound "
            << (stage.player.SoundOn == 1 ? "on" : "off") << '\n';
  if (options.Stats) {
    const FrameTimeStats t = SummariseFrameTimes(screen.Times());
    // Device, content and sounds up to the first frame shown: what Play waits for.
    std::printf("first frame shown after %.0f ms\n",
                std::chrono::duration<double, std::milli>(screen.FirstShown() - began).count());
    std::printf("frame times (ms) over %zu frames: p50 %.2f, p95 %.2f, p99 %.2f, max %.2f; over 15 ms: %zu\n",
                t.Frames, t.P50, t.P95, t.P99, t.Max, t.Over15);
  }
  if (!options.Record.empty()) {
    const Replay* game = recorder.Last();
    if (!game) {
      std::cerr << "quarnix: no game to record\n";
      return 1;
    }
    WriteReplay(options.Record, *game);
    const ReplayHeader& h = game->Header;
    std::cout << "recorded game " << bot.Games() << (h.End == ReplayEnd::Stopped ? " (stopped)" : "")
              << ": score " << h.Score << ", bonus " << h.Bonus << ", level " << h.Level << ", "
              << game->Frames.size() << " frames: " << options.Record.string() << '\n';
  }
  return 0;
}

std::string ReplayUsage() {
  return "usage: quarnix --replay FILE [--frames N] [--screenshots DIR [--every K]] [--mode 0|1|2]\n"
         "                             [--windowed] [--realtime [--speed 1|2|4]]\n"
         "  Shows a recorded game; --speed plays it faster in real time.\n";
}

int RunReplay(const DemoOptions& options, const std::filesystem::path& file) {
  const Replay replay = ReadReplay(file);
  Stage stage(options, "Quarnix replay");
  if (!stage.Open()) return 1;
  GameState& state = *stage.state;
  IClock& clock = stage.ScreenClock();
  BlinkTimer blink(clock);
  Rng screenRandom(static_cast<std::uint64_t>(replay.Header.Date));
  PlayRenderer renderer(state, *stage.assets, *stage.sprite, screenRandom, blink, stage.layout, stage.mode);
  DemoScreen screen(renderer, *stage.graphics.Device(), options);
  CameraControl camera(*stage.GameCam);
  DemoEvents events(stage.pump, screen, options.Frames);
  ReplayPlayer player(replay, events, options.Realtime ? &clock : nullptr, options.Speed);
  Keys keys(player.KeySource());
  keys.InitKeyTable();
  player.Attach(stage.random, keys, state);
  MemoryScoreStore scores;
  GameLoop loop(stage.rules, stage.player, keys, replay.Bindings, player.Clock(),
                {screen, camera, player.Events(), scores, renderer.Screen(), &renderer});
  loop.AddObserver(&player);
  try {
    loop.PlayGame();
  } catch (const QuitRequest&) {
    // the end of the recording, the frames asked for, or the window closed
  } catch (const ReplayError& e) {
    std::cerr << "quarnix: " << file.string() << ": " << e.what() << '\n';
    return 1;
  }
  std::cout << "replay: " << screen.Frames() << " frames, " << screen.Shots() << " screenshot(s), score "
            << state.GameScore << ", bonus " << state.ChainScore << ", level " << state.GameLevel << '\n';
  if (!player.Finished()) {
    std::cout << "replay: stopped before its end\n";
    return 0;
  }
  const ReplayOutcome o = CompareWithHeader(replay, state, loop.Frames());
  if (!o.Mismatch.empty()) {
    std::cerr << "quarnix: " << file.string()
              << ": the replay does not give its recorded game: " << o.Mismatch << '\n';
    return 1;
  }
  std::cout << "replay: the game matches its recording\n";
  return 0;
}

}  // namespace quarnix
