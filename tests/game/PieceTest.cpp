// Making, moving, turning and dropping the falling piece.

#include <tuple>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;

using std::tuple;
using Piece = RulesTest;

// The next piece's 3 x 3 cells as board symbols, row by row.
static std::string NextText(const GameState& s) {
  std::string text;
  for (int y = 1; y <= 3; ++y)
    for (int x = 1; x <= 3; ++x) text += ".RGBY56789F*"[Index(s.NextCube(x, y))];
  return text;
}

TEST_F(Piece, NextPieceDrawsSpecialShapeThenOneKindPerCubeAndEntersInTheCentreBlock) {
  s.GameScore = 30;
  // special drawn (a = 1), at cube 2, shape 2 (a column at x = 1), then R, special 9, B.
  Script({0.0f, 0.5f, 0.3f, 0.0f, 0.9f, 0.6f});
  rules.MakeNextCube(3);
  EXPECT_EQ(tuple(random.Remaining(), NextText(s)), tuple(0u, "R..9..B.."));
  SetLayer(s.NowCube, "YYYYY YYYYY YYYYY YYYYY YYYYY");
  rules.PutNextCube();
  EXPECT_EQ(LayerText(s.NowCube), "..... .R... .9... .B...");
  // Below 30 points the same draws give no special: the second cube is a colour.
  s.GameScore = 29;
  Script({0.0f, 0.5f, 0.3f, 0.0f, 0.9f, 0.6f});
  rules.MakeNextCube(3);
  EXPECT_EQ(s.NextCube(1, 2), CellKind::Yellow);
  // Nine-cube pieces: the special draw can only give 1, shape 23 needs no draw; cube 9 is (3, 3).
  s.GameLevel = 19;
  s.GameScore = 12000;
  Script({0.7f, 0.99f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.5f});
  rules.MakeNextCube(9);
  EXPECT_EQ(tuple(random.Remaining(), NextText(s)), tuple(0u, "RRRRRRRR7"));
  rules.PutNextCube();
  EXPECT_EQ(LayerText(s.NowCube), "..... .RRR. .RRR. .RR7.");
  const int drawn = random.Drawn();
  for (int bad : {2, 10}) EXPECT_THROW(rules.MakeNextCube(bad), std::invalid_argument) << bad;
  EXPECT_EQ(random.Drawn(), drawn);
}

TEST_F(Piece, ShiftsStopAtTheWallAndAtCubesOfItsLayer) {
  s.NowCubeZ = 4;
  SetLayer(s.NowCube, "R.... G....");
  for (Dir d : {Dir::XMinus, Dir::YMinus}) {  // touching the wall: no wrap-around
    rules.MoveNowCube(d);
    EXPECT_EQ(LayerText(s.NowCube), "R.... G....");
  }
  rules.MoveNowCube(Dir::YPlus);
  EXPECT_EQ(LayerText(s.NowCube), "..... R.... G....");
  // A cube of the piece's own layer blocks; one a layer lower does not.
  s.CubeArray(2, 3, 3) = CellKind::Blue;
  rules.MoveNowCube(Dir::XPlus);
  EXPECT_EQ(LayerText(s.NowCube), "..... .R... .G...");
  s.CubeArray(3, 3, 4) = CellKind::Blue;
  rules.MoveNowCube(Dir::XPlus);
  EXPECT_EQ(LayerText(s.NowCube), "..... .R... .G...");
  for (const auto& w : waves) EXPECT_EQ(w.Plays(), 0);  // moves are silent
}

TEST_F(Piece, TurnCarriesThePieceAroundTheCentreUnlessACellOfItsLayerIsTaken) {
  s.NowCubeZ = 6;
  // In the centre block it stays there: (x, y) goes to (y, 6 - x).
  SetLayer(s.NowCube, "..... .RG.. ..B..");
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), "..... ..... .GB.. .R...");
  // From the corner block x, y = 1..3 to x = 1..3, y = 3..5; cubes below or above the targets do not matter.
  s.CubeArray(1, 5, 5) = s.CubeArray(2, 4, 7) = CellKind::Green;
  SetLayer(s.NowCube, "RG... .B...");
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), "..... ..... ..... GB... R....");
  for (int i = 0; i < 3; ++i) rules.TurnNowCube();  // four turns: where it started
  EXPECT_EQ(LayerText(s.NowCube), "RG... .B...");
  EXPECT_EQ(tuple(Played(Effect::CubeRotate), waves(Effect::CubeRotate).Volume(), Played(Effect::NoWay)),
            tuple(5, -900, 0));             // -600 at effect step 9
  s.CubeArray(1, 4, 6) = CellKind::Yellow;  // where G would go
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), "RG... .B...");
  EXPECT_EQ(tuple(Played(Effect::NoWay), waves(Effect::NoWay).Volume()), tuple(1, -1500));
}

TEST_F(Piece, EachCubeRestsOnItsOwnAndASpecialRemembersWhere) {
  // Over a column of height 4 one cube rests at layer 5; the others fall on to the floor.
  SetField(s, "z=1 ..... .R... z=2 ..... .G... z=3 ..... .R... z=4 ..... .G...");
  s.NowCubeZ = 10;
  SetLayer(s.NowCube, "..... .8Y.. .Y...");
  for (int step = 1; step <= 5; ++step) rules.DropStep();
  EXPECT_EQ(tuple(s.NowCubeZ, s.DropFlag), tuple(5, false));
  rules.DropStep();
  EXPECT_EQ(tuple(s.CubeArray(2, 2, 5), s.NowCube(2, 2)), tuple(CellKind::Diamond, CellKind::Empty));
  EXPECT_EQ(tuple(s.DropFlag, s.LandFlag, s.NowCubeZ), tuple(true, false, 4));
  for (int step = 1; step <= 3; ++step) rules.DropStep();
  EXPECT_EQ(tuple(s.NowCubeZ, s.LandFlag), tuple(1, false));
  rules.DropStep();  // the floor: the rest comes to rest at once, and starts no fast drop
  EXPECT_EQ(tuple(s.LandFlag, s.DropFlag), tuple(true, false));
  EXPECT_EQ(tuple(s.CubeArray(3, 2, 1), s.CubeArray(2, 3, 1)), tuple(CellKind::Yellow, CellKind::Yellow));
  EXPECT_EQ(tuple(s.SpecialKind, s.SpecialX, s.SpecialY, s.SpecialZ), tuple(CellKind::Diamond, 2, 2, 5));
}

TEST_F(Piece, AutomaticDropWaitsForTheIntervalAndHoldsDuringLandings) {
  // From the start of the tick counter, and across its wrap at 2^32 ms.
  for (const std::uint32_t start : {0u, 0xFFFFFC00u}) {
    s.NowCubeZ = 10;
    SetLayer(s.NowCube, "..... ..R..");
    s.LastDropTime = start;
    s.DropInterval = 2000;
    for (std::uint32_t after : {1u, 2000u}) {
      s.FrameTime = start + after;
      rules.AutoDropStep();
      EXPECT_EQ(s.NowCubeZ, 10) << after;  // the interval must have passed, not just been reached
    }
    s.FrameTime = start + 2001;
    rules.AutoDropStep();
    EXPECT_EQ(tuple(s.NowCubeZ, s.LastDropTime), tuple(9, start + 2001));
    for (bool* flag : {&s.LandFlag, &s.MatchFlag, &s.ClearFlag, &s.GameOverShow}) {
      *flag = true;
      s.FrameTime += 2001;
      rules.AutoDropStep();
      EXPECT_EQ(tuple(s.NowCubeZ, s.LastDropTime), tuple(9, s.FrameTime));  // restamped all the same
      *flag = false;
    }
    // Under the quit prompt the time is not restamped: the first frame after drops.
    s.QuitShow = true;
    const auto stamped = s.LastDropTime;
    s.FrameTime += 5000;
    rules.AutoDropStep();
    EXPECT_EQ(tuple(s.LastDropTime, s.NowCubeZ), tuple(stamped, 9));
    s.QuitShow = false;
    rules.AutoDropStep();
    EXPECT_EQ(s.NowCubeZ, 8) << start;
  }
}
