// Whole games played by the greedy bot through the real rules, and the bot's choices.

#include <gtest/gtest.h>

#include <memory>

#include "Board.h"
#include "core/Random.h"
#include "game/BotGame.h"
#include "game/GameRules.h"
#include "game/GreedyBot.h"
#include "game/SoundPlayer.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

struct Counting final : IRandom {
  explicit Counting(std::uint64_t seed) : rng(seed) {}
  float Next() override {
    ++draws;
    return rng.Next();
  }
  Rng rng;
  int draws = 0;
};

struct Table {
  Table() : random(7), rules(*state, random, sound) {
    rules.InitLevelTable();
    rules.InitShapeTable();
    state->GameLevel = 1;
    state->NowCubeZ = 10;
  }
  // Drops the piece and runs its landing to the end.
  void DropAndResolve() {
    while (!state->LandFlag) rules.DropStep();
    do rules.LandingStep();
    while (state->LandFlag || state->MatchFlag || state->ClearFlag);
  }
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  Counting random;
  SoundPlayer sound;
  GameRules rules;
};

}  // namespace

TEST(BotGame, GamesKeepEveryInvariantAndUseEveryRule) {
  SimStats total;
  for (std::uint64_t g = 0; g < 4; ++g) {
    BotGameOptions options;
    options.GameSeed = 100 + g;
    options.BotSeed = 200 + g;
    options.MaxPieces = 500;
    total.Add(PlayBotGame(options));
  }
  for (const auto& v : total.Violations) ADD_FAILURE() << v;
  EXPECT_EQ(total.InvariantViolations, 0);
  EXPECT_GT(total.ClearPasses, 0);
  EXPECT_GT(total.ChainPasses, 0);
  EXPECT_GT(total.FieldTurns, 0);
  EXPECT_EQ(total.Showers, total.FieldTurns);
  EXPECT_GE(total.MaxLevel, 2);
  for (int kind = 5; kind <= 9; ++kind) EXPECT_GT(total.Specials[kind - 5], 0) << "special " << kind;
  // Every piece that entered landed, unless the game was cut off with it in play.
  EXPECT_GE(total.Landings, total.Pieces - total.Games);
  EXPECT_LE(total.Landings, total.Pieces);
}

TEST(BotGame, SameSeedsPlayTheSameGame) {
  BotGameOptions options;
  options.GameSeed = 5;
  options.BotSeed = 6;
  options.MaxPieces = 200;
  const SimStats a = PlayBotGame(options), b = PlayBotGame(options);
  EXPECT_EQ(a.CubesCleared, b.CubesCleared);
  EXPECT_EQ(a.ClearPasses, b.ClearPasses);
  EXPECT_EQ(a.Specials, b.Specials);
  options.GameSeed = 8;
  const SimStats c = PlayBotGame(options);
  EXPECT_NE(a.CubesCleared * 1000 + a.ClearPasses, c.CubesCleared * 1000 + c.ClearPasses);
}

TEST(BotGame, TheBotLooksAheadWithoutTouchingTheGame) {
  Table t;
  SetField(*t.state, "z=1\nRGB..\n.....\nBRG..\n.....\n.....");
  SetLayer(t.state->NowCube, ".....\n.RG..\n..B..\n.....\n.....");
  t.rules.CountHeights();
  const std::string field = FieldText(*t.state), piece = LayerText(t.state->NowCube);
  const int draws = t.random.draws;
  GreedyBot bot(3);
  bot.Choose(*t.state);
  EXPECT_EQ(t.random.draws, draws);  // the game's random order is untouched
  EXPECT_EQ(FieldText(*t.state), field);
  EXPECT_EQ(LayerText(t.state->NowCube), piece);
}

TEST(BotGame, TheBotTakesThePlacementThatClears) {
  Table t;
  // Two reds on the floor; a single red cube can make the line at (3, 1).
  SetField(*t.state, "z=1\nRR...\n.....\n.....\n.....\n.....");
  SetLayer(t.state->NowCube, ".....\n.....\n.....\n...R.\n.....");
  t.rules.CountHeights();
  GreedyBot bot(3);
  const Placement p = bot.Choose(*t.state);
  EXPECT_EQ(p.Cleared, 3);
  GreedyBot::Apply(t.rules, p);
  t.DropAndResolve();
  EXPECT_EQ(t.state->GameScore, 3);
  EXPECT_EQ(FieldText(*t.state), "");
}

TEST(BotGame, WithNothingToClearTheBotKeepsTheStackLow) {
  Table t;
  // A tower in the centre; the piece enters right above it.
  SetField(*t.state,
           "z=1\n.....\n.....\n..R..\n.....\n.....\nz=2\n.....\n.....\n..G..\n.....\n....."
           "\nz=3\n.....\n.....\n..R..\n.....\n.....");
  SetLayer(t.state->NowCube, ".....\n.....\n..B..\n.....\n.....");
  t.rules.CountHeights();
  GreedyBot bot(3);
  const Placement p = bot.Choose(*t.state);
  EXPECT_EQ(p.Cleared, 0);
  EXPECT_EQ(p.MaxHeight, 3);
  GreedyBot::Apply(t.rules, p);
  t.DropAndResolve();
  EXPECT_EQ(t.state->CubeArray(3, 3, 4), CellKind::Empty);
  EXPECT_EQ(t.state->MaxHeight, 3);
}

TEST(BotGame, InvariantCheckerReportsBrokenFields) {
  auto s = std::make_unique<GameState>();
  SetField(*s, "z=1\nR....\n.....\n.....\n.....\n.....\nz=2\nG....\n.....\n.....\n.....\n.....");
  s->HeightArray(1, 1) = 2;
  EXPECT_TRUE(CheckFieldInvariants(*s, true).empty());
  s->HeightArray(1, 1) = 1;
  EXPECT_EQ(CheckFieldInvariants(*s, true).size(), 1u);  // heights out of date
  EXPECT_TRUE(CheckFieldInvariants(*s, false).empty());  // ...which is allowed while a piece falls
  s->HeightArray(1, 1) = 2;
  s->CubeArray(1, 1, 1) = CellKind::Empty;
  EXPECT_FALSE(CheckFieldInvariants(*s, false).empty());  // a gap
  s->CubeArray(1, 1, 1) = CellKind::CubeClear;
  EXPECT_FALSE(CheckFieldInvariants(*s, false).empty());  // a clearing cube outside a clear pass
  s->ClearFlag = true;
  EXPECT_TRUE(CheckFieldInvariants(*s, true).empty());
}
