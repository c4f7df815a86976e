#pragma once
// What the game loop drives besides the rules: the play screen, the camera,
// the window's events and the score table. The app wires the real ones; tests
// and the simulator use the null and recording ones here.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "core/Gamepad.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "storage/Scores.h"

namespace quarnix {

class IPlayRenderer {
 public:
  virtual ~IPlayRenderer() = default;
  // Draws and presents one frame of the play screen from the game state.
  virtual void RenderFrame() = 0;
  // A game starts: the background's sway starts afresh.
  virtual void ResetBackground() {}
  // A line for the player on the game-over panel; empty: none.
  virtual void ShowNotice(std::string_view /*text*/) {}
};

// Said on the game-over panel when a result that entered the table could not be saved.
inline constexpr const char* ResultNotSavedNotice = "RESULT NOT SAVED";

// The camera presets, as the camera-switch key cycles them.
class ICameraControl {
 public:
  virtual ~ICameraControl() = default;
  virtual int GetNowStaticPosition() const = 0;
  virtual int GetNumStaticPosition() const = 0;
  virtual void SetNowStaticPosition(int Number) = 0;
  virtual void SetCam() = 0;
};

class IEventPump {
 public:
  virtual ~IEventPump() = default;
  // Lets the window handle its pending events; once per frame.
  virtual void PumpEvents() = 0;
  // True once the player asked to close the program (window closed, SIGTERM).
  virtual bool QuitRequested() const = 0;
  // The screen the player is on from now: a gamepad's buttons press other keys
  // on each, and only play stops when the window loses the focus.
  virtual void SetScreen(InputScreen /*screen*/) {}
  // True once after play should stop at the quit prompt: the window lost the
  // focus, or the gamepad in use was unplugged. A new screen forgets it.
  virtual bool TakePauseRequest() { return false; }
};

// Thrown out of a game (play or name entry) when the program was asked to
// close; whoever started the game catches it and runs the shutdown.
class QuitRequest : public std::runtime_error {
 public:
  QuitRequest() : std::runtime_error("the program was asked to close during a game") {}
};

// The table of best results a finished game enters.
class IScoreStore {
 public:
  virtual ~IScoreStore() = default;
  virtual const ScoreTable& Scores() const = 0;
  // Puts a qualifying result into the table and keeps it; false when it could
  // not be kept (the reason has gone to stderr; the table still shows it).
  virtual bool Enter(std::string_view name, std::int32_t score, std::int32_t level) = 0;
};

// The scores file: each entered result is ranked, saved and read back.
class FileScoreStore final : public IScoreStore {
 public:
  FileScoreStore(ScoreBook& book, std::filesystem::path file, IRandom& random)
      : book_(book), file_(std::move(file)), random_(random) {}
  const ScoreTable& Scores() const override { return book_.ScoreList; }
  bool Enter(std::string_view name, std::int32_t score, std::int32_t level) override;

 private:
  ScoreBook& book_;
  std::filesystem::path file_;
  IRandom& random_;
};

// A table kept in memory only (simulator, demo): a player's file is never touched.
class MemoryScoreStore final : public IScoreStore {
 public:
  const ScoreTable& Scores() const override { return table_; }
  bool Enter(std::string_view name, std::int32_t score, std::int32_t level) override {
    InsertResult(table_, name, score, level);
    PutInRankOrder(table_);
    return true;
  }

 private:
  ScoreTable table_;
};

// Watches the loop: statistics, checks, the bot's key presses.
class IPlayObserver {
 public:
  virtual ~IPlayObserver() = default;
  // At the end of every frame step, after the automatic drop.
  virtual void OnFrame() {}
  // After the landing step of a main-loop pass; SpecialBefore is the special
  // kind that was set before it ran.
  virtual void AfterLandingStep(const LandingResult& /*step*/, CellKind /*SpecialBefore*/) {}
};

// --- Null and recording parts.

class NullPlayRenderer final : public IPlayRenderer {
 public:
  void RenderFrame() override {
    ++Frames;
    if (!Notice.empty()) ++NoticeFrames;
  }
  void ResetBackground() override { ++BackgroundResets; }
  void ShowNotice(std::string_view text) override { Notice = text; }
  std::int64_t Frames = 0;
  int BackgroundResets = 0;
  std::string Notice;
  std::int64_t NoticeFrames = 0;  // frames drawn with a notice
};

// Three presets, starting at the third, as play sets the camera up.
class RecordingCamera final : public ICameraControl {
 public:
  int GetNowStaticPosition() const override { return Now; }
  int GetNumStaticPosition() const override { return Count; }
  void SetNowStaticPosition(int Number) override { Now = Number; }
  void SetCam() override {
    ++SetCams;
    Shown = Now;
  }
  int Now = 3, Count = 3;
  int Shown = 3;  // the preset the view was last set to
  int SetCams = 0;
};

class ScriptedEventPump final : public IEventPump {
 public:
  void PumpEvents() override {
    ++Pumps;
    if (QuitAtPump > 0 && Pumps >= QuitAtPump) Quit = true;
  }
  bool QuitRequested() const override { return Quit; }
  void SetScreen(InputScreen screen) override {
    Screen = screen;
    Pause = false;
  }
  bool TakePauseRequest() override { return std::exchange(Pause, false); }
  std::int64_t Pumps = 0;
  std::int64_t QuitAtPump = 0;  // > 0: a close request arrives with that pump
  bool Quit = false;
  InputScreen Screen = InputScreen::Menu;
  bool Pause = false;  // the window lost the focus: play stops at the next pass
};

}  // namespace quarnix
