#pragma once
// A greedy player: for the piece in play it tries every turn and shift, plays
// each placement's landing through the real rules on a private copy of the
// field, and picks the one that clears most, then keeps the stack lowest. The
// look-ahead draws from the bot's own random source, so the game's draws stay
// in their order. It answers with key presses (turns, then shifts), so a
// driver can play them as keys.

#include <cstdint>
#include <memory>

#include "game/GameRules.h"
#include "game/GameState.h"

namespace quarnix {

struct Placement {
  int Turns = 0;   // TurnNowCube presses, 0..3, done first
  int ShiftX = 0;  // cells along x: negative towards x - 1 (direction 1), positive direction 2
  int ShiftY = 0;  // cells along y: negative towards y - 1 (direction 3), positive direction 4
  // What the look-ahead saw for it:
  int Cleared = 0;      // cubes cleared by the landing and its chains
  int MaxHeight = 0;    // highest column afterwards
  int TotalHeight = 0;  // cubes in the field afterwards
  bool GameOver = false;
  int Tried = 0;  // distinct placements looked at for this piece
};

class GreedyBot {
 public:
  explicit GreedyBot(std::uint64_t seed);
  ~GreedyBot();
  GreedyBot(const GreedyBot&) = delete;
  GreedyBot& operator=(const GreedyBot&) = delete;

  // The best placement for the piece in play (NowCube at NowCubeZ). The state is only read.
  Placement Choose(const GameState& state);

  // Plays a placement on the live piece through the rules' own moves.
  static void Apply(GameRules& rules, const Placement& placement);

 private:
  struct LookAhead;
  std::unique_ptr<LookAhead> look_;
};

}  // namespace quarnix
