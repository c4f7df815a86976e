// The landing passes: lines, clearing, sinking, chains, score, speed, level, field turn, game over.

#include <optional>
#include <tuple>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;
using std::tuple;

namespace {

class Landing : public RulesTest {
 protected:
  Landing() { random.SetFallback(&any); }
  LandingResult Resolve() {  // runs the landing until the next piece is in play or the game is over
    for (int steps = 0; steps < 50; ++steps)
      if (const auto last = rules.LandingStep(); last.GameOver || !(s.LandFlag || s.MatchFlag || s.ClearFlag))
        return last;
    throw std::logic_error("landing does not end");
  }
  int ClearedBySearch(const char* board) {  // cubes one search and clear would take
    SetField(s, board);
    rules.CountHeights();
    s.MatchFlag = false;
    rules.CheckLanding();
    if (!s.MatchFlag) return 0;
    rules.MarkClearing();
    return s.ClearCount;
  }
  Rng any{17};
};

}  // namespace

TEST_F(Landing, ALineClearsThenTheSunkCubesClearInAChain) {
  random.SetFallback(nullptr);
  SetField(s, "z=1 R.... RGG.. R.... z=2 ..... G....");
  Landed();
  LandingResult step = rules.LandingStep();
  EXPECT_TRUE(step.Checked && !step.Marked && s.MatchFlag);
  EXPECT_EQ(s.MarkArray(1, 1, 1) + s.MarkArray(1, 2, 1) + s.MarkArray(1, 3, 1), 3 * Index(CellKind::Red));
  const auto before = clock.Ticks();
  step = rules.LandingStep();  // shown as clearing cubes for a second, scored
  EXPECT_TRUE(step.Marked);
  EXPECT_EQ(FieldText(s), "z=1 *.... *GG.. *.... z=2 ..... G....");
  EXPECT_TRUE(clock.Ticks() - before >= 1000u && clock.Ticks() - before < 1015u + 15u)
      << clock.Ticks() - before;
  EXPECT_FALSE(shown[Display::ClearShow]);
  EXPECT_EQ(tuple(s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(3, 0, 1));
  step = rules.LandingStep();  // removed; the green sinks into a line
  EXPECT_TRUE(step.Removed && step.Checked && s.MatchFlag);
  EXPECT_EQ(FieldText(s), "z=1 ..... GGG..");
  EXPECT_EQ(s.PendingDropInterval, 2000 - 15);  // 5 ms per point in level 1
  rules.LandingStep();                          // the chain pass counts twice
  EXPECT_EQ(tuple(s.ChainCount, s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(2, 6, 3, 2));
  Script({0.5f, 0.5f, 0.0f, 0.0f, 0.3f, 0.6f});  // the new next piece: shape 1 (the diagonal), R, G, B
  s.NextCube.Fill(CellKind::Empty);
  s.NextCube(2, 1) = CellKind::Yellow;
  step = rules.LandingStep();
  EXPECT_TRUE(step.Removed && step.Checked && !step.GameOver && !(s.LandFlag || s.MatchFlag || s.ClearFlag));
  EXPECT_EQ(tuple(FieldText(s), s.NowCubeZ, s.PendingDropInterval, LayerText(s.NowCube)),
            tuple("", 10, 2000 - 30, "..... ..Y.."));
  EXPECT_EQ(tuple(s.NextCube(1, 1), s.NextCube(2, 2), s.NextCube(3, 3)),
            tuple(CellKind::Red, CellKind::Green, CellKind::Blue));
}

TEST_F(Landing, OnlyStraightTriplesOfOneColourMatchEachCubeCountedOnceAndTheRestSinks) {
  const std::pair<const char*, int> cases[] = {{"z=1 RRRR.", 4},
                                               {"z=1 BBB.. B.... B....", 5},
                                               {"z=1 ..Y.. z=2 ..Y.. z=3 ..Y..", 3},
                                               {"z=1 888..", 0},
                                               {"z=1 RR.R.", 0},
                                               {"z=1 RGR..", 0},
                                               {"z=1 R.... .R... ..R..", 0},
                                               {"z=1 R.... z=2 R.... z=3 G....", 0}};
  for (auto [board, cleared] : cases) {
    EXPECT_EQ(ClearedBySearch(board), cleared) << board;
    EXPECT_TRUE(cleared || FieldText(s) == board) << board;
  }
  SetField(s, "z=1 RRR.. z=2 GBY.. z=3 BYG..");  // removal sinks each cube by the cleared cubes below it
  Landed();
  for (int i = 0; i < 3; ++i) rules.LandingStep();
  EXPECT_EQ(FieldText(s), "z=1 GBY.. z=2 BYG..");
}

TEST_F(Landing, ALineMadeWithASpecialPieceClearsWithoutTheCrossSound) {
  SetField(s, "z=1 RRR.. .B... .B... z=2 8B...");
  Landed(CellKind::Diamond, 1, 1, 2);
  rules.LandingStep();
  rules.LandingStep();
  EXPECT_EQ(tuple(Played(Effect::CubeCross), s.SpecialKind), tuple(0, CellKind::Empty));
  EXPECT_FALSE(shown[Display::EffectShow]);
  rules.LandingStep();
  rules.LandingStep();  // the sunk blue's line: with the sound again
  EXPECT_EQ(tuple(s.ChainCount, Played(Effect::CubeCross), s.GameScore), tuple(2, 1, 3 + 3));
}

TEST_F(Landing, GameEndsOnlyWhenNothingMatchesAndTheTopIsOccupied) {
  std::string column;
  for (int z = 1; z <= 10; ++z) column += " z=" + std::to_string(z) + (z % 2 ? " R...." : " G....");
  for (int c : {0, 1, 2}) {  // the full column as it is, with a line on the floor, with its top cell empty
    SetField(s, column);
    if (c == 1) s.CubeArray(2, 1, 1) = s.CubeArray(3, 1, 1) = CellKind::Red;
    if (c == 2) s.CubeArray(1, 1, 10) = CellKind::Empty;
    Landed();
    const bool over = Resolve().GameOver;
    EXPECT_EQ(tuple(over, rules.IsFieldFull(), s.GameScore), tuple(c == 0, c == 0, c ? 3 : 0)) << c;
  }
}

TEST_F(Landing, FieldTurnsWhenTheScorePassesAMultipleOfFifty) {
  auto removeAt = [&](int score, float previous) {
    SetField(s, "z=1 *....");
    rules.CountHeights();
    s.HeightArray(1, 1) = 1;
    s.MarkArray.Fill(0);
    s.GameScore = score;
    s.PreviousScoreStep = previous;
    s.MatchFlag = s.ClearFlag = true;
    s.LandFlag = false;
    return rules.LandingStep();
  };
  removeAt(52, 45 / 50.0f);
  EXPECT_EQ(tuple(Played(Effect::OkRotBuild), waves(Effect::OkRotBuild).Volume()), tuple(1, -1800));
  EXPECT_EQ(tuple(s.ScoreStep, s.PreviousScoreStep), tuple(0.0f, 0.0f));
  EXPECT_FALSE(shown[Display::FieldTurnShow]);
  removeAt(70, 10 / 50.0f);  // the remainder only grew: no turn
  EXPECT_EQ(Played(Effect::OkRotBuild), 1);
  EXPECT_FLOAT_EQ(s.PreviousScoreStep, 0.4f);
}

TEST_F(Landing, NewLevelIsAnnouncedWithItsMusic) {
  s.GameLevel = s.GameScore = 0;
  sound.MusicNow.reset();
  const auto before = clock.Ticks();
  rules.LevelStep();
  EXPECT_GE(clock.Ticks() - before, 3000u);
  const Music track = s.LevelTable(1).MusicNo;
  EXPECT_EQ(tuple(s.GameLevel, shown[Display::LevelShow], sound.MusicNow, music(track).Looping(),
                  music(track).Volume()),
            tuple(1, false, std::optional(track), true, -800));
  EXPECT_TRUE(shown[Display::PieceShow] && shown[Display::PlayShow] && shown[Display::HudShow]);
  s.GameScore = 150;
  rules.LevelStep();
  EXPECT_EQ(tuple(s.GameLevel, music(track).Plays()), tuple(1, 1));
  s.GameScore = 200;
  rules.LevelStep();
  const Music next = s.LevelTable(2).MusicNo;
  EXPECT_EQ(tuple(s.GameLevel, music(track).Playing(), sound.MusicNow, music(next).Playing()),
            tuple(2, false, std::optional(next), true));
}

TEST_F(Landing, DamagedCellKindsAreReportedNotUsed) {
  SetField(s, "z=1 R....");
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(13);
  Landed();
  EXPECT_THROW(rules.LandingStep(), std::invalid_argument);
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(-1);
  EXPECT_THROW(rules.CountHeights(), std::invalid_argument);
  s.FieldSizeZ = 11;
  EXPECT_THROW(rules.CountHeights(), std::out_of_range);
}
