#include "app/PlayDriver.h"

#include <SDL.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/Attract.h"
#include "app/GameLoop.h"
#include "app/GameRecording.h"
#include "app/Intro.h"
#include "app/Menu.h"
#include "app/PadKeys.h"
#include "app/PlaySetup.h"
#include "app/StartDialog.h"
#include "app/StartUp.h"
#include "content/GameFolder.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"
#include "platform/Gamepads.h"
#include "platform/GlGraphics.h"
#include "platform/PublicX8.h"
#include "presentation/ScreenImages.h"
#include "storage/Controls.h"
#include "storage/Scores.h"

namespace quarnix {

namespace {

// Seconds since midnight: a fresh sequence for every run.
std::uint64_t SecondsSinceMidnight() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<std::uint64_t>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

template <class T>
T& Require(const std::unique_ptr<T>& p, const char* what) {
  if (!p) throw std::runtime_error(std::string(what) + " is missing");
  return *p;
}

// The form: every object of the game, from start-up to the shutdown.
class StartGame {
 public:
  explicit StartGame(const StartOptions& options) : options_(options) {}

  void Form_Load();
  // The dialog; returns when the player pressed Play, runs the shutdown when
  // the dialog is closed.
  int ShowDialog();
  [[noreturn]] void RunPlay(int ComboIndex);
  // Releases everything and ends the program with exitCode.
  [[noreturn]] void Form_Unload(int exitCode = 0);

 private:
  void PlayForever();
  // The menu's demonstration: the best kept replay, or the bot.
  void Attract(ICameraControl& camera);
  void SetUpPlay(int ComboIndex);
  // The content every screen draws from: a file that fails to load ends the
  // program here (its name and the reason on stderr, then the damaged-files
  // message), before a screen could draw from half of it.
  void LoadContent(const char* what, const std::function<void()>& load);
  // The player asked to close while play was being set up.
  void CheckQuit();

  StartOptions options_;
  GameLocation where_;
  GameFolders folders_;
  std::unique_ptr<Rng> random_;
  std::unique_ptr<Rng> screenRandom_;  // the play screen's own: a game is the same on any screen
  std::unique_ptr<SdlKeySource> keySource_;
  std::unique_ptr<SdlGamepads> pads_;
  std::unique_ptr<EventPump> pump_;
  std::unique_ptr<SdlClock> clock_;
  std::unique_ptr<WindowEvents> events_;
  std::unique_ptr<GameRecorder> recorder_;  // every game, between the loop and the clock, keys and events
  std::unique_ptr<Keys> keys_;
  std::unique_ptr<GlGraphics> graphics_;
  std::unique_ptr<MixerSoundSystem> soundSystem_;
  SoundPlayer player_;
  std::unique_ptr<GameState> state_;
  std::unique_ptr<GameRules> rules_;
  int DesktopWidth = 0, DesktopHeight = 0;
  ScreenMode mode_;

  // Made when play starts, released by the shutdown.
  std::unique_ptr<CamObject> GameCam;
  std::unique_ptr<IFont> TextFont;
  std::unique_ptr<ISprite> GameSprite;
  std::unique_ptr<GameAssets> assets_;
  std::unique_ptr<SoundBank> bank_;
  std::unique_ptr<BlinkTimer> blink_;
  ScoreBook scores_;
  GameKeys GameKey = DefaultGameKeys();
  HudLayout hudLayout_;
  MenuLayout menuLayout_;
  std::unique_ptr<PlayRenderer> renderer_;
};

void StartGame::Form_Load() {
  random_ = std::make_unique<Rng>(SecondsSinceMidnight());
  screenRandom_ = std::make_unique<Rng>(ClockSeed());
  // Found from the executable, not the working directory: a launcher starts
  // the game in the player's home folder.
  where_ = LocateGame(ProgramFolder());
  folders_ = GameFolders::In(where_.AppPath);

  keySource_ = std::make_unique<SdlKeySource>();
  // The pads press the keys of the screen the player is on; in play, the bindings as they are then.
  pads_ = std::make_unique<SdlGamepads>(
      *keySource_, folders_.DataPath / PadMappingsFileName,
      [this](InputScreen screen, PadButton button) { return PadKey(screen, button, GameKey); });
  pump_ = std::make_unique<EventPump>(keySource_.get(), pads_.get());
  clock_ = std::make_unique<SdlClock>(pump_.get());
  events_ = std::make_unique<WindowEvents>(*pump_);
  recorder_ = std::make_unique<GameRecorder>(*clock_, *keySource_, *events_);
  keys_ = std::make_unique<Keys>(recorder_->KeySource());
  keys_->InitKeyTable();

  graphics_ = std::make_unique<GlGraphics>(GraphicsOptions{WindowMode::Windowed, GameTitle, true});
  if (!graphics_->InitD3D()) {
    ShowMessageBox(GameTitle, NoVideoMessage);
    EndProgram(1);
  }
  soundSystem_ = std::make_unique<MixerSoundSystem>();
  if (soundSystem_->InitDSound()) {
    player_.SoundOn = 1;
  } else {
    ShowMessageBox(GameTitle, NoSoundMessage);
    player_.SoundOn = 0;
  }
  try {
    PrepareRecords(where_);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: " << e.what() << '\n';  // the file check names the records it lacks
  }
  const auto missing = CheckFiles(where_);
  if (!missing.empty()) {
    std::cerr << "quarnix: missing:";
    for (const auto& name : missing) std::cerr << ' ' << name.string();
    std::cerr << '\n';
    ShowMessageBox(GameTitle, DamagedFilesMessage);
    EndProgram(1);
  }
}

int StartGame::ShowDialog() {
  std::optional<int> chosen;
  try {
    StartDialog dialog(*graphics_, *pump_, *keys_, *clock_, folders_.DataPath2);
    chosen = dialog.Run(0);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: start dialog: " << e.what() << '\n';
  }
  if (!chosen) Form_Unload();
  return *chosen;
}

void StartGame::LoadContent(const char* what, const std::function<void()>& load) {
  CheckQuit();
  if (RunStep(what, load)) return;
  ShowMessageBox(GameTitle, DamagedFilesMessage);
  Form_Unload(1);
}

void StartGame::CheckQuit() {
  pump_->Pump();
  if (pump_->QuitRequested()) throw QuitRequest();
}

void StartGame::SetUpPlay(int ComboIndex) {
  ShowMouse(false);
  const D3DDISPLAYMODE desktop = graphics_->DisplayMode();
  DesktopWidth = static_cast<int>(desktop.Width);
  DesktopHeight = static_cast<int>(desktop.Height);
  RunStep("screen mode", [&] { mode_ = ScreenModeFor(ComboIndex); });

  // The dialog's window becomes the game's.
  graphics_->SetWindowMode(options_.Windowed ? WindowMode::Windowed : WindowMode::Fullscreen);
  graphics_->InitDevice(DesktopWidth, DesktopHeight, 1, PlayAmbient);
  const int kind = CreatePlayDevice(*graphics_, mode_);
  if (kind == DeviceKindNone || graphics_->Device() == nullptr) {
    graphics_->InitDevice(DesktopWidth, DesktopHeight, 1, PlayAmbient);
    ShowMessageBox(GameTitle, NoDeviceMessage);
    Form_Unload(1);
  }
  // The small dialog window grew into the game's: keep it on the screen.
  if (options_.Windowed)
    if (SDL_Window* window = SDL_GetWindowFromID(graphics_->WindowId()))
      SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  state_ = std::make_unique<GameState>();
  rules_ = std::make_unique<GameRules>(*state_, *random_, player_);
  state_->DeviceKind = kind;
  recorder_->Attach(*random_, *keys_, GameKey, *state_, ComboIndex);
  IDevice& device = *graphics_->Device();

  RunStep("camera", [&] {
    GameCam = std::make_unique<CamObject>(device);
    SetupPlayCamera(*GameCam);
  });
  RunStep("font", [&] { TextFont = MakePlayFont(device, mode_); });
  RunStep("sprite", [&] { GameSprite = device.CreateSprite(); });
  RunStep("play-field constants", [&] { SetPlayFieldConstants(*rules_, player_); });
  assets_ = std::make_unique<GameAssets>(device);
  LoadContent("textures and meshes", [&] { LoadPlayMeshes(*assets_, folders_); });
  LoadContent("screen images", [&] { LoadScreenImages(*assets_, folders_.DataPath2); });
  RunStep("scores", [&] { ReadScores(where_.PathOf(FileRole::Scores), scores_, *random_); });
  RunStep("controls", [&] { ReadControls(where_.PathOf(FileRole::Controls), GameKey, *random_); });
  bank_ = std::make_unique<SoundBank>();
  if (player_.SoundOn == 1)
    LoadContent("sounds", [&] { SetupSounds(*bank_, player_, *soundSystem_, folders_.WavePath); });
  CheckQuit();
  RunStep("key table", [&] { keys_->InitKeyTable(); });
  RunStep("layouts", [&] {
    hudLayout_ = SetupHudLayout(mode_);
    menuLayout_ = SetupMenuLayout(mode_.ScreenWidth, mode_.ScreenHeight, mode_.ScreenRatio);
    rules_->InitCubePos();
  });
  blink_ = std::make_unique<BlinkTimer>(*clock_);
  RunStep("play screen", [&] {
    renderer_ = std::make_unique<PlayRenderer>(*state_, *assets_, Require(GameSprite, "the sprite"),
                                               *screenRandom_, *blink_, hudLayout_, mode_);
  });
  RunStep("intro", [&] {
    ShowIntro(IntroParts{device, Require(GameSprite, "the sprite"), assets_->ScreenOA, assets_->ScreenOB,
                         player_, *clock_, *events_},
              IntroScreen{mode_.ScreenWidth, mode_.ScreenHeight, mode_.ScreenRatio});
  });
}

void StartGame::PlayForever() {
  IDevice& device = *graphics_->Device();
  CameraControl camera(Require(GameCam, "the camera"));
  FileScoreStore table(scores_, where_.PathOf(FileRole::Scores), *random_);
  // Beside the scores file, wherever the player's records are.
  ReplayKeepingScores scores(table, *recorder_, ReplaysFolderFor(where_.PathOf(FileRole::Scores)));
  int menuFailures = 0;  // in a row
  for (;;) {
    const std::uint32_t pass = clock_->Ticks();
    bool failed = false;
    const auto step = [&](const char* what, const std::function<void()>& f) {
      const bool ran = RunStep(what, f);
      failed = failed || !ran;
      return ran;
    };
    step("menu music", [&] { player_.PlayMusic(Music::Menu, PlayFlag::Looping, 0); });
    bool startGame = false;
    const bool menuRan = step("menu", [&] {
      MainMenu menu(
          MenuParts{device, Require(GameSprite, "the sprite"), Require(TextFont, "the font"),
                    assets_->ScreenME, assets_->XBackGround, *keys_, player_, *state_, GameKey,
                    scores_.ScoreList, *clock_, *events_, *blink_, where_.PathOf(FileRole::Controls),
                    *random_, [this] { Form_Unload(); }, [&] { Attract(camera); }},
          menuLayout_);
      menu.Run();
      startGame = true;  // the menu returns only when the player starts a game
    });
    // A menu that cannot be shown twice running will not be shown: the end,
    // rather than a loop that repeats the error for ever.
    menuFailures = menuRan ? 0 : menuFailures + 1;
    if (menuFailures >= 2) {
      ShowMessageBox(GameTitle, DamagedFilesMessage);
      Form_Unload(1);
    }
    if (startGame) {
      step("menu music", [&] { player_.StopMusic(Music::Menu); });
      step("game", [&] {
        PlayRenderer& renderer = Require(renderer_, "the play screen");
        ScreenRenderer screen(renderer);
        // Made for each game: it takes the bindings as the menu left them.
        GameLoop loop(*rules_, player_, *keys_, GameKey, recorder_->Clock(),
                      {screen, camera, recorder_->Events(), scores, renderer.Screen(), &renderer});
        loop.AddObserver(recorder_.get());
        loop.PlayGame();
      });
      step("game music", [&] { player_.StopMusicNow(); });
    }
    // A pass that failed at once must not spin: it waits out a menu frame
    // and still hears the window's close button.
    if (failed) {
      clock_->WaitUntil(pass + 20);
      pump_->Pump();
      if (pump_->QuitRequested()) throw QuitRequest();
    }
  }
}

void StartGame::Attract(ICameraControl& camera) {
  PlayRenderer& renderer = Require(renderer_, "the play screen");
  const std::filesystem::path best =
      BestReplay(ReplaysFolderFor(where_.PathOf(FileRole::Scores)), scores_.ScoreList);
  std::optional<Replay> replay;
  if (!best.empty()) {
    try {
      replay = ReadReplay(best);
    } catch (const std::exception& e) {
      std::cerr << "quarnix: " << e.what() << '\n';  // the bot plays instead
    }
  }
  player_.StopMusic(Music::Menu);
  renderer.SetBanner("DEMONSTRATION   PRESS ANY KEY");
  struct TakeDown {
    PlayRenderer& screen;
    ~TakeDown() { screen.SetBanner(""); }
  } takeDown{renderer};
  ScreenRenderer screen(renderer);
  // A demonstration that fails leaves the menu as it was: the reason on stderr.
  RunStep("demonstration", [&] {
    PlayAttract({*state_, player_, screen, camera, *events_, renderer.Screen(), renderer.Screen(), &renderer,
                 *clock_},
                replay ? &*replay : nullptr, ClockSeed());
  });
  player_.StopMusicNow();
  player_.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
}

void StartGame::RunPlay(int ComboIndex) {
  try {
    SetUpPlay(ComboIndex);
    PlayForever();
  } catch (const QuitRequest&) {
    // the window was closed: the same way out as the menu's exit
  }
  Form_Unload();
}

void StartGame::Form_Unload(int exitCode) {
  ShowMouse(true);
  GameCam.reset();
  renderer_.reset();
  assets_.reset();
  TextFont.reset();
  GameSprite.reset();
  bank_.reset();  // the buffers, before the sound system that made them
  keys_.reset();
  // The desktop's mode was never changed; letting the device and the window go
  // gives the desktop back.
  graphics_.reset();
  soundSystem_.reset();
  std::cout.flush();
  EndProgram(exitCode);
}

}  // namespace

int RunStartGame(const StartOptions& options) {
  // Large: the form lives on the heap for the whole run.
  auto form = std::make_unique<StartGame>(options);
  form->Form_Load();
  const int index = form->ShowDialog();
  form->RunPlay(index);
}

}  // namespace quarnix
