// The landing passes: lines, clearing, sinking, chains, score, speed, level, field turn, game over.

#include <tuple>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;
using std::tuple;

namespace {

class Landing : public RulesTest {
 protected:
  // Runs the landing until the next piece is in play or the game is over.
  LandingResult Resolve() {
    LandingResult last;
    int steps = 0;
    do {
      last = rules.LandingStep();
      if (++steps > 50) throw std::logic_error("landing does not end");
    } while (!last.GameOver && (s.LandFlag || s.MatchFlag || s.ClearFlag));
    return last;
  }
  // Cubes one search and clear would take.
  int ClearedBySearch(const char* board) {
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
  SetField(s, "z=1 R.... RGG.. R.... z=2 ..... G....");
  Landed();
  LandingResult step = rules.LandingStep();
  EXPECT_TRUE(step.Checked && !step.Marked && s.MatchFlag);
  EXPECT_EQ(s.MarkArray(1, 1, 1) + s.MarkArray(1, 2, 1) + s.MarkArray(1, 3, 1), 3 * Index(CellKind::Red));
  const auto before = clock.Ticks();
  step = rules.LandingStep();  // shown as clearing cubes for a second, scored
  EXPECT_TRUE(step.Marked);
  EXPECT_EQ(FieldText(s), Board("z=1 *.... *GG.. *.... z=2 ..... G...."));
  EXPECT_GE(clock.Ticks() - before, 1000u);
  EXPECT_LT(clock.Ticks() - before, 1015u + 15u);
  EXPECT_FALSE(shown[Display::ClearShow]);
  EXPECT_EQ(tuple(s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(3, 0, 1));
  step = rules.LandingStep();  // removed; the green sinks into a line
  EXPECT_TRUE(step.Removed && step.Checked && s.MatchFlag);
  EXPECT_EQ(FieldText(s), Board("z=1 ..... GGG.."));
  EXPECT_EQ(s.PendingDropInterval, 2000 - 15);  // 5 ms per point in level 1
  rules.LandingStep();                          // the chain pass counts twice
  EXPECT_EQ(tuple(s.ChainCount, s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(2, 6, 3, 2));
  Script({0.5f, 0.5f, 0.0f, 0.0f, 0.3f, 0.6f});  // the new next piece: shape 1 (the diagonal), R, G, B
  s.NextCube.Fill(CellKind::Empty);
  s.NextCube(2, 1) = CellKind::Yellow;
  step = rules.LandingStep();
  EXPECT_TRUE(step.Removed && step.Checked && !step.GameOver);
  EXPECT_EQ(FieldText(s), "");
  EXPECT_FALSE(s.LandFlag || s.MatchFlag || s.ClearFlag);
  EXPECT_EQ(s.NowCubeZ, 10);
  EXPECT_EQ(LayerText(s.NowCube), Layer("..... ..Y.."));
  EXPECT_EQ(tuple(s.NextCube(1, 1), s.NextCube(2, 2), s.NextCube(3, 3)),
            tuple(CellKind::Red, CellKind::Green, CellKind::Blue));
  EXPECT_EQ(s.PendingDropInterval, 2000 - 30);
}

TEST_F(Landing, OnlyStraightTriplesOfOneColourMatchEachCubeCountedOnce) {
  random.SetFallback(&any);
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
    EXPECT_TRUE(cleared || FieldText(s) == Board(board)) << board;
  }
}

TEST_F(Landing, RemovalSinksEachCubeByTheClearedCubesBelowIt) {
  random.SetFallback(&any);
  SetField(s, "z=1 RRR.. z=2 GBY.. z=3 BYG..");
  Landed();
  for (int i = 0; i < 3; ++i) rules.LandingStep();
  EXPECT_EQ(FieldText(s), Board("z=1 GBY.. z=2 BYG.."));
}

TEST_F(Landing, ALineMadeWithASpecialPieceClearsWithoutTheCrossSound) {
  random.SetFallback(&any);
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
  random.SetFallback(&any);
  std::string column;
  for (int z = 1; z <= 10; ++z) column += " z=" + std::to_string(z) + (z % 2 ? " R...." : " G....");
  SetField(s, column);
  Landed();
  EXPECT_TRUE(Resolve().GameOver);
  EXPECT_TRUE(rules.IsFieldFull());
  SetField(s, column);
  s.CubeArray(2, 1, 1) = s.CubeArray(3, 1, 1) = CellKind::Red;
  Landed();
  EXPECT_FALSE(Resolve().GameOver);
  EXPECT_EQ(s.GameScore, 3);
  SetField(s, column);
  s.CubeArray(1, 1, 10) = CellKind::Empty;
  Landed();
  EXPECT_FALSE(Resolve().GameOver);
}

TEST_F(Landing, FieldTurnsWhenTheScorePassesAMultipleOfFifty) {
  random.SetFallback(&any);
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

TEST_F(Landing, DropIntervalShrinksWithThePointsOfTheLevel) {
  const tuple<int, int, int> cases[] = {{1, 199, 1005}, {7, 2001, 1998}, {7, 2003, 1996}, {18, 11999, 2000}};
  for (auto [level, score, interval] : cases) {
    s.GameLevel = level, s.GameScore = score;
    EXPECT_EQ(rules.DropIntervalForScore(), interval) << score;
  }
}

TEST_F(Landing, NewLevelIsAnnouncedWithItsMusic) {
  s.GameLevel = s.GameScore = 0;
  sound.MusicNow.reset();
  const auto before = clock.Ticks();
  rules.LevelStep();
  EXPECT_GE(clock.Ticks() - before, 3000u);
  EXPECT_EQ(s.GameLevel, 1);
  EXPECT_FALSE(shown[Display::LevelShow]);
  EXPECT_TRUE(shown[Display::PieceShow] && shown[Display::PlayShow] && shown[Display::HudShow]);
  const Music track = s.LevelTable(1).MusicNo;
  EXPECT_EQ(sound.MusicNow, track);
  EXPECT_TRUE(music(track).Looping());
  EXPECT_EQ(music(track).Volume(), -800);
  s.GameScore = 150;
  rules.LevelStep();
  EXPECT_EQ(tuple(s.GameLevel, music(track).Plays()), tuple(1, 1));
  s.GameScore = 200;
  rules.LevelStep();
  EXPECT_EQ(s.GameLevel, 2);
  EXPECT_FALSE(music(track).Playing());
  EXPECT_EQ(sound.MusicNow, s.LevelTable(2).MusicNo);
  EXPECT_TRUE(music(s.LevelTable(2).MusicNo).Playing());
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
