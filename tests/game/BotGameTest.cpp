// Whole games played by the greedy bot through the real rules, the bot's choices, and the sim command.

#include <cstdio>
#include <map>

#include "Rig.h"
#include "game/BotGame.h"
#include "game/GreedyBot.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

class Bot : public RulesTest {
 protected:
  Bot() { random.SetFallback(&any), s.NowCubeZ = 10; }
  // Chooses (looking ahead without touching the game), applies the choice and runs the landing to its end.
  Placement PlayOne(std::string_view board, std::string_view piece) {
    SetField(s, board);
    SetLayer(s.NowCube, piece);
    rules.CountHeights();
    const auto before = std::pair(random.Drawn(), FieldText(s) + LayerText(s.NowCube));
    const Placement p = GreedyBot(3).Choose(s);
    EXPECT_EQ(std::pair(random.Drawn(), FieldText(s) + LayerText(s.NowCube)), before);
    GreedyBot::Apply(rules, p);
    while (!s.LandFlag) rules.DropStep();
    do rules.LandingStep();
    while (s.LandFlag || s.MatchFlag || s.ClearFlag);
    return p;
  }
  Rng any{7};
};

}  // namespace

TEST(BotGames, GamesKeepEveryInvariantTheCheckerCatchesAndUseEveryRule) {
  SimStats total;
  for (std::uint64_t g = 0; g < 4; ++g)
    total.Add(PlayBotGame({.GameSeed = 100 + g, .BotSeed = 200 + g, .MaxPieces = 500}));
  for (const auto& v : total.Violations) ADD_FAILURE() << v;
  EXPECT_EQ(std::tuple(total.InvariantViolations, total.Showers), std::tuple(0, total.FieldTurns));
  EXPECT_TRUE(total.ClearPasses > 0 && total.ChainPasses > 0 && total.FieldTurns > 0 && total.MaxLevel >= 2);
  EXPECT_EQ(std::ranges::count(total.Specials, 0), 0);  // every special kind landed
  // Every piece that entered landed, unless the game was cut off with it in play.
  EXPECT_TRUE(total.Landings >= total.Pieces - total.Games && total.Landings <= total.Pieces);
  auto s = std::make_unique<GameState>();
  SetField(*s, "z=1 R.... z=2 G....");
  s->HeightArray(1, 1) = 2;
  EXPECT_TRUE(CheckFieldInvariants(*s, true).empty());
  s->HeightArray(1, 1) = 1;  // heights out of date: allowed only while a piece falls
  EXPECT_EQ(std::tuple(CheckFieldInvariants(*s, true).size(), CheckFieldInvariants(*s, false).size()),
            std::tuple(1u, 0u));
  s->HeightArray(1, 1) = 2;
  s->CubeArray(1, 1, 1) = CellKind::Empty;
  EXPECT_FALSE(CheckFieldInvariants(*s, false).empty());  // a gap
  s->CubeArray(1, 1, 1) = CellKind::CubeClear;
  EXPECT_FALSE(CheckFieldInvariants(*s, false).empty());  // a clearing cube outside a clear pass
  s->ClearFlag = true;
  EXPECT_TRUE(CheckFieldInvariants(*s, true).empty());
}

TEST_F(Bot, LooksAheadWithoutTouchingTheGameThenTakesThePlacementThatClearsElseKeepsTheStackLow) {
  // Two reds on the floor: a single red cube can make the line at (3, 1).
  EXPECT_EQ(PlayOne("z=1 RR...", "..... ..... ..... ...R.").Cleared, 3);
  EXPECT_EQ(std::tuple(s.GameScore, FieldText(s)), std::tuple(3, ""));
  // A tower in the centre, the piece right above it: nothing to clear.
  const Placement p =
      PlayOne("z=1 ..... ..... ..R.. z=2 ..... ..... ..G.. z=3 ..... ..... ..R..", "..... ..... ..B..");
  EXPECT_EQ(std::tuple(p.Cleared, p.MaxHeight, s.MaxHeight, s.CubeArray(3, 3, 4)),
            std::tuple(0, 3, 3, CellKind::Empty));
}

// The report's "key: number" lines by key, and every line but the timing one.
static std::tuple<int, std::map<std::string, double>, std::string> Sim(const std::string& args) {
  std::map<std::string, double> values;
  std::string text;
  FILE* pipe = popen((std::string(QUARNIX_GAME_DIR) + "/quarnix-tool sim " + args + " 2>&1").c_str(), "r");
  if (!pipe) return {-1, values, text};
  for (char line[512]; fgets(line, sizeof line, pipe);) {
    const std::string l = line, key = l.substr(0, l.find(": ")),
                      value = l.substr(std::min(key.size() + 2, l.size()));
    if (value.find_first_of("0123456789") != 0) continue;
    values[key] = std::stod(value);
    if (key != "pieces_per_second") text += l;
  }
  return {pclose(pipe), values, text};
}

TEST(SimCommand, ReportsEveryCountAndTheLoopsTimingsRepeatsForTheSameSeedAndRefusesBadOptions) {
  const auto [status, v, text] = Sim("--games 3 --seed 4 --max-pieces 150");
  ASSERT_EQ(status, 0) << text;
  for (const char* key :
       {"games", "pieces", "landings", "clear_passes", "chain_passes", "cubes_cleared", "field_turns",
        "showers", "specials_5", "specials_6", "specials_7", "specials_8", "specials_9", "max_level",
        "game_overs", "invariant_violations", "frames", "virtual_seconds", "pieces_per_second"})
    EXPECT_TRUE(v.count(key)) << key;
  // the bot survives 150 pieces of level 1
  EXPECT_EQ(
      std::tuple(v.at("games"), v.at("pieces"), v.at("invariant_violations"), v.at("cubes_cleared") > 0),
      std::tuple(3, 450, 0, true));
  EXPECT_EQ(std::get<2>(Sim("--games 3 --seed 4 --max-pieces 150")), text);
  EXPECT_NE(std::get<2>(Sim("--games 3 --seed 5 --max-pieces 150")), text);
  for (const char* bad : {"--games 0", "--max-pieces many", "--fast"})
    EXPECT_NE(std::get<0>(Sim(bad)), 0) << bad;
  // A frame lasts at least 15 ms; each game has its 2 s start pause and 3 s announcement; each piece
  // takes a frame per key down and up at the least, and a frame per layer it falls.
  EXPECT_TRUE(v.at("virtual_seconds") * 1000 >= v.at("frames") * 15 && v.at("virtual_seconds") >= 3 * 5 &&
              v.at("frames") > 450 * 4);
}
