#pragma once
// One game, from the start pause to the game-over panel, and the per-frame
// step that paces it. The loop owns the order of the rules' steps, the
// automatic drop, the player's seven bindings, the quit prompt and the name
// entry; the screen, the camera, the window's events and the score table are
// reached through the interfaces of PlayParts.h. Every wait is a run of frame
// steps that sleep on the clock, so a virtual clock plays a game in moments.

#include <cstdint>
#include <vector>

#include "app/PlayParts.h"
#include "core/Clock.h"
#include "core/FixedArray.h"
#include "game/FrameStep.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"
#include "input/Keys.h"
#include "storage/Controls.h"

namespace quarnix {

// Fixed keys of the play screen.
namespace PlayKey = VirtualKey;

// How a game ended.
enum class GameEnd {
  FieldFull,  // a landing left the stack at the top without a match
  Quit,       // "Y" at the quit prompt
};

struct PlayParts {
  IPlayRenderer& Renderer;
  ICameraControl& Camera;
  IEventPump& Events;
  IScoreStore& Scores;
  IPlayView& View;                    // what the screen shows: the rules and the loop switch it
  IGameEvents* GameEvents = nullptr;  // landing effects, field turns (the renderer's stars)
};

// One key of the name entry: letters, digits (keypad digits as digits) and
// the space add a character, the 27th replacing the 26th; Backspace and Delete
// remove the last one; any other key changes nothing. Returns the new length.
int ApplyNameKey(FixedArray<int, GameNameLength>& GameName, int Length, int Key);

// One key of a gamepad's name picker (VirtualKey::PadUp .. PadRight). The
// cursor stands where the keyboard's would, after the first Length characters
// (on the last slot once the name is full): up and down turn the character
// there through A-Z, 0-9 and the space, left and right move the cursor a slot,
// keeping what the slots hold. Returns the new length.
int ApplyPadNameKey(FixedArray<int, GameNameLength>& GameName, int Length, int Key);

// The typed name as stored: the 26 characters; all spaces become "NO NAME".
std::string TypedName(const FixedArray<int, GameNameLength>& GameName);

class GameLoop final : public IFrameStep {
 public:
  // The rules' pauses run frames through this loop from here on. GameKey are
  // the seven bindings (left, right, up, down, drop, turn, camera), read at
  // every game, so a redefinition in the menu applies to the next one.
  GameLoop(GameRules& rules, SoundPlayer& sound, Keys& keys, const GameKeys& GameKey, IClock& clock,
           PlayParts parts);
  ~GameLoop() override;
  GameLoop(const GameLoop&) = delete;
  GameLoop& operator=(const GameLoop&) = delete;

  // Plays one game and returns after its game-over panel. Throws QuitRequest
  // when the program is asked to close meanwhile.
  GameEnd PlayGame();
  // Draws a frame, keeps the 15 ms floor, lets the window handle its events,
  // and runs the automatic drop.
  void FrameStep() override;
  // The game-over panel: the result, the name entry when it qualifies, and the
  // table's update. Returns on Enter or Escape.
  void GameOverEntry();

  void AddObserver(IPlayObserver* observer) { observers_.push_back(observer); }
  std::int64_t Frames() const { return frames_; }

 private:
  GameState& State() { return rules_.State(); }
  void Show(Display part, bool on) { parts_.View.Show(part, on); }
  void StartGame();
  bool Pressed(int code) { return keys_.KeyTable(code).isKeyPress(); }
  bool Pressed(Binding binding) { return Pressed(gameKey_(binding)); }
  // The keys of normal play; true when the player confirmed the quit prompt.
  bool ReadPlayKeys();
  void TurnPiece();
  void SwitchCamera();
  bool QuitPrompt();

  GameRules& rules_;
  SoundPlayer& sound_;
  Keys& keys_;
  const GameKeys& gameKey_;
  IClock& clock_;
  PlayParts parts_;
  std::vector<IPlayObserver*> observers_;
  std::int64_t frames_ = 0;
};

}  // namespace quarnix
