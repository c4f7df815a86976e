// Whole games played by the greedy bot through the real rules, and the bot's choices.

#include "Rig.h"
#include "game/BotGame.h"
#include "game/GreedyBot.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

class Bot : public RulesTest {
 protected:
  Bot() { random.SetFallback(&any), s.NowCubeZ = 10; }
  void Put(std::string_view board, std::string_view piece) {
    SetField(s, board);
    SetLayer(s.NowCube, piece);
    rules.CountHeights();
  }
  // Chooses for the piece in play, applies the choice and runs its landing to the end.
  Placement PlayOne(std::string_view board, std::string_view piece) {
    Put(board, piece);
    const Placement p = GreedyBot(3).Choose(s);
    GreedyBot::Apply(rules, p);
    while (!s.LandFlag) rules.DropStep();
    do rules.LandingStep();
    while (s.LandFlag || s.MatchFlag || s.ClearFlag);
    return p;
  }
  Rng any{7};
};

}  // namespace

static SimStats Play(std::uint64_t gameSeed, std::uint64_t botSeed, int pieces) {
  BotGameOptions options;
  options.GameSeed = gameSeed, options.BotSeed = botSeed, options.MaxPieces = pieces;
  return PlayBotGame(options);
}

TEST(BotGames, GamesKeepEveryInvariantAndUseEveryRule) {
  SimStats total;
  for (std::uint64_t g = 0; g < 4; ++g) total.Add(Play(100 + g, 200 + g, 500));
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

TEST_F(Bot, LooksAheadWithoutTouchingTheGame) {
  Put("z=1 RGB.. ..... BRG..", "..... .RG.. ..B..");
  const std::string field = FieldText(s), piece = LayerText(s.NowCube);
  const int draws = random.Drawn();
  GreedyBot(3).Choose(s);
  EXPECT_EQ(random.Drawn(), draws);  // the game's random order is untouched
  EXPECT_EQ(FieldText(s), field);
  EXPECT_EQ(LayerText(s.NowCube), piece);
}

TEST_F(Bot, TakesThePlacementThatClearsElseKeepsTheStackLow) {
  // Two reds on the floor: a single red cube can make the line at (3, 1).
  EXPECT_EQ(PlayOne("z=1 RR...", "..... ..... ..... ...R.").Cleared, 3);
  EXPECT_EQ(s.GameScore, 3);
  EXPECT_EQ(FieldText(s), "");
  // A tower in the centre, the piece right above it: nothing to clear.
  const Placement p =
      PlayOne("z=1 ..... ..... ..R.. z=2 ..... ..... ..G.. z=3 ..... ..... ..R..", "..... ..... ..B..");
  EXPECT_EQ(std::tuple(p.Cleared, p.MaxHeight, s.MaxHeight, s.CubeArray(3, 3, 4)),
            std::tuple(0, 3, 3, CellKind::Empty));
}

TEST(BotGames, InvariantCheckerReportsBrokenFields) {
  auto s = std::make_unique<GameState>();
  SetField(*s, "z=1 R.... z=2 G....");
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
