#pragma once
// Whole games played by the bot at the keyboard through the real game loop, on
// a virtual clock with the null screen, camera and events: the start pause,
// the announcements, the quit prompt and the game-over panel all run. The
// invariants are checked after every landing step and in every frame.

#include <cstdint>

#include "app/PlayParts.h"
#include "game/BotGame.h"

namespace quarnix {

struct LoopGameResult {
  SimStats Stats;
  std::int64_t Frames = 0;      // frame steps of the game, the game-over panel's included
  std::uint32_t VirtualMs = 0;  // clock time from the start pause to the panel's close
  bool Quit = false;            // ended at the quit prompt (MaxPieces reached)
};

// Plays one game; MaxPieces of the options ends it through the quit prompt
// (0: plays on to the full field).
// A qualifying result is entered into Scores under the name "BOT".
LoopGameResult PlayLoopBotGame(const BotGameOptions& options, IScoreStore& Scores);

}  // namespace quarnix
