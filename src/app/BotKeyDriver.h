#pragma once
// The greedy bot at the keyboard. For each new piece it asks the bot for a
// placement and presses the keys of the seven bindings for it: the turns, the
// shifts, then the drop. A key is pressed only in normal play, held until the
// loop has read it and then let go, so each press acts exactly once, as a
// player's would. At the game-over panel it types its name and presses Enter.
// Called once per frame from the game loop's frame step (as an observer); the
// simulator and the demo play the real loop with it.

#include <cstdint>
#include <deque>
#include <string>

#include "app/PlayParts.h"
#include "core/KeySource.h"
#include "game/GameState.h"
#include "game/GreedyBot.h"
#include "game/PlayView.h"
#include "input/Keys.h"
#include "storage/Controls.h"

namespace quarnix {

class BotKeyDriver final : public IPlayObserver {
 public:
  // Shown: what the screen shows, as the loop's view keeps it.
  BotKeyDriver(const GameState& state, const DisplayFlags& Shown, Keys& keys, ScriptedKeySource& source,
               const GameKeys& GameKey, std::uint64_t BotSeed);

  // After this many pieces the bot quits through the prompt ("Escape", "Y")
  // instead of playing the next one; 0 plays until the field is full.
  void SetMaxPieces(std::int64_t pieces) { maxPieces_ = pieces; }
  // Typed at the game-over panel before Enter (letters, digits and spaces).
  void SetName(std::string name) { name_ = std::move(name); }

  void OnFrame() override;

  std::int64_t Pieces() const { return pieces_; }
  bool Quitting() const { return quitting_; }

 private:
  bool NormalPlay() const;
  void Plan();
  // Presses the next queued key when nothing is held and its last press has
  // been seen released. Returns true when a key went down.
  bool PressNext();
  void ReleaseHeld();

  const GameState& s_;
  const DisplayFlags& shown_;
  Keys& keys_;
  ScriptedKeySource& source_;
  GameKeys gameKey_;
  GreedyBot bot_;
  std::deque<int> queue_;    // keys still to press
  int held_ = 0;             // the key held down, 0 none
  std::int64_t piece_ = -1;  // PiecesPut of the piece the queue is for
  std::int64_t pieces_ = 0;
  std::int64_t maxPieces_ = 0;
  std::string name_;
  bool quitting_ = false;
  bool naming_ = false;
};

}  // namespace quarnix
