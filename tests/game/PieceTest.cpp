// Making, moving, turning and dropping the falling piece.

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;

using Piece = RulesTest;

TEST_F(Piece, NextPieceDrawsSpecialShapeThenOneKindPerCube) {
  s.GameScore = 30;
  // special drawn (a = 1), at cube 2, shape 2 (a column at x = 1), then R, special 9, B.
  Script({0.0f, 0.5f, 0.3f, 0.0f, 0.9f, 0.6f});
  rules.MakeNextCube(3);
  EXPECT_EQ(random.Remaining(), 0u);
  EXPECT_EQ(s.NextCube(1, 1), CellKind::Red);
  EXPECT_EQ(s.NextCube(1, 2), CellKind::Tund);
  EXPECT_EQ(s.NextCube(1, 3), CellKind::Blue);
  int cubes = 0;
  for (CellKind v : s.NextCube) cubes += IsCube(v);
  EXPECT_EQ(cubes, 3);

  // Below 30 points the same draws give no special: the second cube is a colour.
  s.GameScore = 29;
  Script({0.0f, 0.5f, 0.3f, 0.0f, 0.9f, 0.6f});
  rules.MakeNextCube(3);
  EXPECT_EQ(s.NextCube(1, 2), CellKind::Yellow);
}

TEST_F(Piece, BigPiecesAlwaysCarryOneSpecialOnceScored) {
  // Level 19 makes nine-cube pieces: the special draw can only give 1, and
  // shape 23 needs no draw. Cube 9 in scan order is (3, 3).
  s.GameLevel = 19;
  s.GameScore = 12000;
  Script({0.7f, 0.99f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.5f});
  rules.MakeNextCube(9);
  EXPECT_EQ(random.Remaining(), 0u);
  for (int x = 1; x <= 3; ++x)
    for (int y = 1; y <= 3; ++y)
      EXPECT_EQ(s.NextCube(x, y), x == 3 && y == 3 ? CellKind::ClearLayer : CellKind::Red) << x << "," << y;
}

TEST_F(Piece, CubeCountOutsideThreeToNineIsRefused) {
  const int drawn = random.Drawn();
  EXPECT_THROW(rules.MakeNextCube(2), std::invalid_argument);
  EXPECT_THROW(rules.MakeNextCube(10), std::invalid_argument);
  EXPECT_EQ(random.Drawn(), drawn);
}

TEST_F(Piece, EntersInTheCentreBlock) {
  SetLayer(s.NowCube, "RRRRR\nRRRRR\nRRRRR\nRRRRR\nRRRRR");
  s.NextCube(1, 1) = CellKind::Red;
  s.NextCube(3, 2) = CellKind::ClearLayer;
  s.NextCube(2, 3) = CellKind::Yellow;
  rules.PutNextCube();
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n.R...\n...7.\n..Y..\n....."));
}

TEST_F(Piece, ShiftsStopAtTheWallAndAtCubesOfItsLayer) {
  s.NowCubeZ = 4;
  SetLayer(s.NowCube, "R....\nG....\n.....\n.....\n.....");
  rules.MoveNowCube(Dir::XMinus);  // touching x = 1: no wrap-around
  EXPECT_EQ(LayerText(s.NowCube), Layer("R....\nG....\n.....\n.....\n....."));
  rules.MoveNowCube(Dir::YMinus);  // touching y = 1
  EXPECT_EQ(LayerText(s.NowCube), Layer("R....\nG....\n.....\n.....\n....."));
  rules.MoveNowCube(Dir::YPlus);
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\nR....\nG....\n.....\n....."));

  // A cube of the piece's own layer blocks; one a layer lower does not.
  s.CubeArray(2, 3, 3) = CellKind::Blue;
  EXPECT_TRUE(rules.CanMove(Dir::XPlus, 4));
  rules.MoveNowCube(Dir::XPlus);
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n.R...\n.G...\n.....\n....."));
  s.CubeArray(3, 3, 4) = CellKind::Blue;
  EXPECT_FALSE(rules.CanMove(Dir::XPlus, 4));
  rules.MoveNowCube(Dir::XPlus);
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n.R...\n.G...\n.....\n....."));
  for (const auto& w : waves) EXPECT_EQ(w.Plays(), 0);  // moves are silent
}

TEST_F(Piece, TurnCarriesThePieceAroundTheCentre) {
  s.NowCubeZ = 10;
  // In the centre block it stays there: (x, y) goes to (y, 6 - x).
  SetLayer(s.NowCube, ".....\n.RG..\n..B..\n.....\n.....");
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n.....\n.GB..\n.R...\n....."));
  // From the corner block x, y = 1..3 to x = 1..3, y = 3..5.
  SetLayer(s.NowCube, "RG...\n.B...\n.....\n.....\n.....");
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), Layer(".....\n.....\n.....\nGB...\nR...."));
  rules.TurnNowCube();
  rules.TurnNowCube();
  rules.TurnNowCube();  // four turns: where it started
  EXPECT_EQ(LayerText(s.NowCube), Layer("RG...\n.B...\n.....\n.....\n....."));
  EXPECT_EQ(Played(Effect::CubeRotate), 5);
  EXPECT_EQ(waves(Effect::CubeRotate).Volume(), -900);  // -600 at effect step 9
  EXPECT_EQ(Played(Effect::NoWay), 0);
}

TEST_F(Piece, TurnIntoAnOccupiedCellOfItsLayerIsRefused) {
  s.NowCubeZ = 6;
  SetLayer(s.NowCube, "RG...\n.B...\n.....\n.....\n.....");
  s.CubeArray(1, 5, 5) = CellKind::Green;  // below the target: no matter
  s.CubeArray(2, 4, 7) = CellKind::Green;  // above it: no matter
  rules.TurnNowCube();
  EXPECT_EQ(Played(Effect::CubeRotate), 1);
  rules.TurnNowCube();
  rules.TurnNowCube();
  rules.TurnNowCube();                      // back to the start
  s.CubeArray(1, 4, 6) = CellKind::Yellow;  // where G would go
  rules.TurnNowCube();
  EXPECT_EQ(LayerText(s.NowCube), Layer("RG...\n.B...\n.....\n.....\n....."));
  EXPECT_EQ(Played(Effect::NoWay), 1);
  EXPECT_EQ(waves(Effect::NoWay).Volume(), -1500);
}

TEST_F(Piece, EachCubeRestsOnItsOwn) {
  // A flat piece over a column of height 4: the cube above it rests at layer 5,
  // the others fall on to the floor, one layer per step.
  SetField(s,
           "z=1\n.....\n.R...\n.....\n.....\n....."
           "\nz=2\n.....\n.G...\n.....\n.....\n....."
           "\nz=3\n.....\n.R...\n.....\n.....\n....."
           "\nz=4\n.....\n.G...\n.....\n.....\n.....");
  s.NowCubeZ = 10;
  SetLayer(s.NowCube, ".....\n.BY..\n.Y...\n.....\n.....");
  for (int step = 1; step <= 5; ++step) rules.DropStep();
  EXPECT_EQ(s.NowCubeZ, 5);
  EXPECT_FALSE(s.DropFlag);
  rules.DropStep();  // layer 5: the cube over the column rests
  EXPECT_EQ(s.CubeArray(2, 2, 5), CellKind::Blue);
  EXPECT_EQ(s.NowCube(2, 2), CellKind::Empty);
  EXPECT_TRUE(s.DropFlag);
  EXPECT_FALSE(s.LandFlag);
  EXPECT_EQ(s.NowCubeZ, 4);
  for (int step = 1; step <= 3; ++step) rules.DropStep();
  EXPECT_EQ(s.NowCubeZ, 1);
  EXPECT_FALSE(s.LandFlag);
  rules.DropStep();  // the floor: the rest comes to rest at once
  EXPECT_TRUE(s.LandFlag);
  EXPECT_FALSE(s.DropFlag);
  EXPECT_EQ(s.CubeArray(3, 2, 1), CellKind::Yellow);
  EXPECT_EQ(s.CubeArray(2, 3, 1), CellKind::Yellow);
  EXPECT_EQ(s.SpecialKind, CellKind::Empty);
}

TEST_F(Piece, ASpecialCubeRemembersWhereItRests) {
  s.NowCubeZ = 1;
  SetLayer(s.NowCube, ".....\n..R..\n...8.\n.....\n.....");
  rules.DropStep();
  EXPECT_TRUE(s.LandFlag);
  EXPECT_FALSE(s.DropFlag);  // resting on the floor does not start a fast drop
  EXPECT_EQ(s.SpecialKind, CellKind::Diamond);
  EXPECT_EQ(s.SpecialX, 4);
  EXPECT_EQ(s.SpecialY, 3);
  EXPECT_EQ(s.SpecialZ, 1);
}

TEST_F(Piece, AutomaticDropWaitsForTheIntervalAndHoldsDuringLandings) {
  // From the start of the tick counter, and across its wrap at 2^32 ms.
  for (const std::uint32_t start : {0u, 0xFFFFFC00u}) {
    s.NowCubeZ = 10;
    SetLayer(s.NowCube, ".....\n..R..\n.....\n.....\n.....");
    s.LastDropTime = start;
    s.DropInterval = 2000;
    s.FrameTime = start + 1;
    rules.AutoDropStep();
    s.FrameTime = start + 2000;
    rules.AutoDropStep();
    EXPECT_EQ(s.NowCubeZ, 10);  // the interval must have passed, not just been reached
    s.FrameTime = start + 2001;
    rules.AutoDropStep();
    EXPECT_EQ(s.NowCubeZ, 9);
    EXPECT_EQ(s.LastDropTime, start + 2001);

    for (bool* flag : {&s.LandFlag, &s.MatchFlag, &s.ClearFlag, &s.GameOverShow}) {
      *flag = true;
      s.FrameTime += 2001;
      rules.AutoDropStep();
      EXPECT_EQ(s.NowCubeZ, 9);
      EXPECT_EQ(s.LastDropTime, s.FrameTime);  // restamped all the same
      *flag = false;
    }

    // Under the quit prompt the time is not restamped: the first frame after it drops.
    s.QuitShow = true;
    const auto stamped = s.LastDropTime;
    s.FrameTime += 5000;
    rules.AutoDropStep();
    EXPECT_EQ(s.LastDropTime, stamped);
    EXPECT_EQ(s.NowCubeZ, 9);
    s.QuitShow = false;
    rules.AutoDropStep();
    EXPECT_EQ(s.NowCubeZ, 8) << start;
  }
}
