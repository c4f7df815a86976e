// The bot at the keyboard, through the whole game loop on a virtual clock.

#include <gtest/gtest.h>

#include "app/LoopBotGame.h"
#include "app/PlayParts.h"

using namespace quarnix;

TEST(BotLoop, PlaysItsPiecesThenQuitsThroughThePrompt) {
  MemoryScoreStore scores;
  BotGameOptions options;
  options.GameSeed = 31;
  options.BotSeed = 32;
  options.MaxPieces = 80;
  const LoopGameResult game = PlayLoopBotGame(options, scores);
  for (const auto& v : game.Stats.Violations) ADD_FAILURE() << v;
  EXPECT_TRUE(game.Quit);
  EXPECT_EQ(game.Stats.Pieces, 80);
  EXPECT_EQ(game.Stats.Landings, 80);
  EXPECT_GT(game.Stats.CubesCleared, 0);
  EXPECT_EQ(game.Stats.GameOvers, 0);
  // Every wait is made of frames of at least 15 ms; the start pause and the
  // announcement alone take 5 s.
  EXPECT_GE(game.VirtualMs, game.Frames * 15);
  EXPECT_GE(game.VirtualMs, 5000u + 80 * 2 * 15);  // each piece's drop key needs a frame down, one up
  // The result went into the table under the bot's name.
  EXPECT_EQ(scores.Scores()(1).Name, "BOT" + std::string(23, ' '));
  EXPECT_GE(scores.Scores()(1).Score, game.Stats.CubesCleared);
}
