// The landing passes: lines, clearing, sinking, chains, score, speed, level,
// the field turn trigger and the end of the game.

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

class Landing : public RulesTest {
 protected:
  // A piece has just come to rest.
  void Landed(CellKind special = CellKind::Empty) {
    s.LandFlag = true;
    s.MatchFlag = s.ClearFlag = s.DropFlag = false;
    s.SpecialKind = special;
    s.ChainCount = 0;
  }
  // Runs the landing to its end (the next piece in play, or game over).
  LandingResult Resolve() {
    LandingResult last;
    int steps = 0;
    do {
      last = rules.LandingStep();
      if (++steps > 50) throw std::logic_error("landing does not end");
    } while (!last.GameOver && (s.LandFlag || s.MatchFlag || s.ClearFlag));
    return last;
  }
  // Cubes a single search and clear of the field would take.
  int ClearedBySearch() {
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
  SetField(s, R"(
    z=1
    R....
    RGG..
    R....
    .....
    .....
    z=2
    .....
    G....
    .....
    .....
    .....)");
  Landed();
  LandingResult step = rules.LandingStep();  // search: the red line is marked
  EXPECT_TRUE(step.Checked && !step.Marked);
  EXPECT_TRUE(s.MatchFlag);
  EXPECT_EQ(s.MarkArray(1, 1, 1) + s.MarkArray(1, 2, 1) + s.MarkArray(1, 3, 1), 3 * Index(CellKind::Red));

  const auto before = clock.Ticks();
  step = rules.LandingStep();  // shown as clearing cubes for a second, scored
  EXPECT_TRUE(step.Marked);
  EXPECT_EQ(FieldText(s),
            Board("z=1\n*....\n*GG..\n*....\n.....\n.....\nz=2\n.....\nG....\n.....\n.....\n....."));
  EXPECT_GE(clock.Ticks() - before, 1000u);
  EXPECT_LT(clock.Ticks() - before, 1015u + 15u);
  EXPECT_FALSE(shown[Display::ClearShow]);
  EXPECT_EQ(s.GameScore, 3);
  EXPECT_EQ(s.ChainScore, 0);
  EXPECT_EQ(Played(Effect::CubeCross), 1);

  step = rules.LandingStep();  // removed; the green above sinks and makes a line
  EXPECT_TRUE(step.Removed && step.Checked);
  EXPECT_EQ(FieldText(s), Board("z=1\n.....\nGGG..\n.....\n.....\n....."));
  EXPECT_TRUE(s.MatchFlag);
  EXPECT_EQ(s.PendingDropInterval, 2000 - 15);  // 5 ms per point in level 1

  step = rules.LandingStep();  // second pass: counts twice
  EXPECT_EQ(s.ChainCount, 2);
  EXPECT_EQ(s.GameScore, 6);
  EXPECT_EQ(s.ChainScore, 3);
  EXPECT_EQ(Played(Effect::CubeCross), 2);

  // Nothing left: the next piece enters in the centre at the top, a new one is made.
  Script({0.5f, 0.5f, 0.0f, 0.0f, 0.3f, 0.6f});  // shape 1 (the diagonal): R, G, B
  s.NextCube.Fill(CellKind::Empty);
  s.NextCube(2, 1) = CellKind::Yellow;
  step = rules.LandingStep();
  EXPECT_TRUE(step.Removed && step.Checked && !step.GameOver);
  EXPECT_EQ(FieldText(s), "");
  EXPECT_FALSE(s.LandFlag || s.MatchFlag || s.ClearFlag);
  EXPECT_EQ(s.NowCubeZ, 10);
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n..Y..\n.....\n.....\n....."));
  EXPECT_EQ(s.NextCube(1, 1), CellKind::Red);
  EXPECT_EQ(s.NextCube(2, 2), CellKind::Green);
  EXPECT_EQ(s.NextCube(3, 3), CellKind::Blue);
  EXPECT_EQ(s.PendingDropInterval, 2000 - 30);
}

TEST_F(Landing, LinesCountEveryCubeOnceAcrossAxes) {
  random.SetFallback(&any);
  SetField(s, "z=1\nRRRR.\n.....\n.....\n.....\n.....");
  EXPECT_EQ(ClearedBySearch(), 4);
  // An L: three along x and three along y sharing the corner.
  SetField(s, "z=1\nBBB..\nB....\nB....\n.....\n.....");
  EXPECT_EQ(ClearedBySearch(), 5);
  // Three up a column.
  SetField(s,
           "z=1\n..Y..\n.....\n.....\n.....\n.....\nz=2\n..Y..\n.....\n.....\n.....\n....."
           "\nz=3\n..Y..\n.....\n.....\n.....\n.....");
  EXPECT_EQ(ClearedBySearch(), 3);
}

TEST_F(Landing, OnlyStraightTriplesOfOneColourMatch) {
  random.SetFallback(&any);
  const char* noLine[] = {
      "z=1\n888..\n.....\n.....\n.....\n.....",  // diamonds never match
      "z=1\nRR.R.\n.....\n.....\n.....\n.....",  // a gap
      "z=1\nRGR..\n.....\n.....\n.....\n.....",  // another colour between
      "z=1\nR....\n.R...\n..R..\n.....\n.....",  // a diagonal
      "z=1\nR....\n.....\n.....\n.....\n.....\nz=2\nR....\n.....\n.....\n.....\n....."
      "\nz=3\nG....\n.....\n.....\n.....\n.....",
  };
  for (const char* board : noLine) {
    SetField(s, board);
    EXPECT_EQ(ClearedBySearch(), 0) << board;
    EXPECT_EQ(FieldText(s), Board(board)) << board;
  }
}

TEST_F(Landing, RemovalSinksEachCubeByTheClearedCubesBelowIt) {
  random.SetFallback(&any);
  SetField(s, R"(
    z=1
    RRR..
    .....
    .....
    .....
    .....
    z=2
    GBY..
    .....
    .....
    .....
    .....
    z=3
    BYG..
    .....
    .....
    .....
    .....)");
  Landed();
  rules.LandingStep();
  rules.LandingStep();
  rules.LandingStep();
  EXPECT_EQ(FieldText(s),
            Board("z=1\nGBY..\n.....\n.....\n.....\n.....\nz=2\nBYG..\n.....\n.....\n.....\n....."));
}

TEST_F(Landing, ALineMadeWithASpecialPieceClearsWithoutTheCrossSound) {
  random.SetFallback(&any);
  // The piece carried a diamond; its red cube completed the line. The sinking
  // blue makes a second line, cleared with the sound again.
  SetField(s, R"(
    z=1
    RRR..
    .B...
    .B...
    .....
    .....
    z=2
    8B...
    .....
    .....
    .....
    .....)");
  Landed(CellKind::Diamond);
  s.SpecialX = 1, s.SpecialY = 1, s.SpecialZ = 2;
  rules.LandingStep();
  rules.LandingStep();
  EXPECT_EQ(Played(Effect::CubeCross), 0);
  EXPECT_EQ(s.SpecialKind, CellKind::Empty);
  EXPECT_FALSE(shown[Display::EffectShow]);  // a diamond has no landing effect
  rules.LandingStep();
  rules.LandingStep();
  EXPECT_EQ(s.ChainCount, 2);
  EXPECT_EQ(Played(Effect::CubeCross), 1);
  EXPECT_EQ(s.GameScore, 3 + 3);
}

TEST_F(Landing, GameEndsOnlyWhenNothingMatchesAndTheTopIsOccupied) {
  random.SetFallback(&any);
  std::string column;
  for (int z = 1; z <= 10; ++z)
    column += "z=" + std::to_string(z) + (z % 2 ? "\nR...." : "\nG....") + "\n.....\n.....\n.....\n.....\n";
  SetField(s, column);
  Landed();
  EXPECT_TRUE(Resolve().GameOver);
  EXPECT_TRUE(rules.IsFieldFull());

  // The same tower, but the landing also made a line: the game goes on.
  SetField(s, column);
  s.CubeArray(2, 1, 1) = s.CubeArray(3, 1, 1) = CellKind::Red;
  Landed();
  EXPECT_FALSE(Resolve().GameOver);
  EXPECT_EQ(s.GameScore, 3);

  // Nine high, the top layer free: no game over.
  SetField(s, column);
  s.CubeArray(1, 1, 10) = CellKind::Empty;
  Landed();
  EXPECT_FALSE(Resolve().GameOver);
}

TEST_F(Landing, FieldTurnsWhenTheScorePassesAMultipleOfFifty) {
  random.SetFallback(&any);
  // Removal after a pass that took the score from 45 to 52.
  auto removeAt = [&](int score, float previous) {
    SetField(s, "z=1\n*....\n.....\n.....\n.....\n.....");
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
  EXPECT_EQ(Played(Effect::OkRotBuild), 1);
  EXPECT_EQ(waves(Effect::OkRotBuild).Volume(), -1800);
  EXPECT_EQ(s.ScoreStep, 0.0f);
  EXPECT_EQ(s.PreviousScoreStep, 0.0f);
  EXPECT_FALSE(shown[Display::FieldTurnShow]);
  // From 10 to 70 the remainder only grew (10 to 20): no turn.
  removeAt(70, 10 / 50.0f);
  EXPECT_EQ(Played(Effect::OkRotBuild), 1);
  EXPECT_FLOAT_EQ(s.PreviousScoreStep, 0.4f);
}

TEST_F(Landing, DropIntervalShrinksWithThePointsOfTheLevel) {
  s.GameLevel = 1;
  s.GameScore = 199;
  EXPECT_EQ(rules.DropIntervalForScore(), 1005);
  // Level 7: 1.5 ms per point from 2000; halves round to the even neighbour.
  s.GameLevel = 7;
  s.GameScore = 2001;
  EXPECT_EQ(rules.DropIntervalForScore(), 1998);  // 1.5 -> 2
  s.GameScore = 2003;
  EXPECT_EQ(rules.DropIntervalForScore(), 1996);  // 4.5 -> 4
  s.GameLevel = 18;
  s.GameScore = 11999;
  EXPECT_EQ(rules.DropIntervalForScore(), 2000);
}

TEST_F(Landing, NewLevelIsAnnouncedWithItsMusic) {
  s.GameLevel = 0;  // the start of a game
  s.GameScore = 0;
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
  EXPECT_EQ(music(track).Volume(), -800);  // -500 at music step 9

  // No new level: nothing happens.
  s.GameScore = 150;
  rules.LevelStep();
  EXPECT_EQ(s.GameLevel, 1);
  EXPECT_EQ(music(track).Plays(), 1);

  // Level 2: the old track stops, the new one starts.
  s.GameScore = 200;
  rules.LevelStep();
  EXPECT_EQ(s.GameLevel, 2);
  EXPECT_FALSE(music(track).Playing());
  EXPECT_EQ(sound.MusicNow, s.LevelTable(2).MusicNo);
  EXPECT_TRUE(music(s.LevelTable(2).MusicNo).Playing());
}

TEST_F(Landing, DamagedCellKindsAreReportedNotUsed) {
  SetField(s, "z=1\nR....\n.....\n.....\n.....\n.....");
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(13);
  Landed();
  EXPECT_THROW(rules.LandingStep(), std::invalid_argument);
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(-1);
  EXPECT_THROW(rules.CountHeights(), std::invalid_argument);
  s.FieldSizeZ = 11;
  EXPECT_THROW(rules.CountHeights(), std::out_of_range);
}
