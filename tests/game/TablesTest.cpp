// The tables a game starts from: shapes, levels, cell positions, the random
// orders and the groups ClearGameArrays empties.

#include <set>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;

using Tables = RulesTest;

TEST_F(Tables, ShapesHoldTheCubeCountOfTheirGroup) {
  // Shapes 1..4 have 3 cubes, 5..8 four, 9..12 five, 13..16 six, 17..19 seven, 20..22 eight, 23 nine.
  const int firstOfGroup[] = {1, 5, 9, 13, 17, 20, 23, 24};
  for (int g = 0; g < 7; ++g)
    for (int shape = firstOfGroup[g]; shape < firstOfGroup[g + 1]; ++shape) {
      int cubes = 0;
      for (int x = 1; x <= 3; ++x)
        for (int y = 1; y <= 3; ++y) {
          const int v = s.ShapeTable(x, y, shape);
          ASSERT_TRUE(v == 0 || v == 1) << "shape " << shape;
          cubes += v;
        }
      EXPECT_EQ(cubes, g + 3) << "shape " << shape;
    }
  // Shape 1 is the diagonal; shape 14 is "### / ..# / .##" (rows y, cells x).
  EXPECT_EQ(s.ShapeTable(1, 1, 1) + s.ShapeTable(2, 2, 1) + s.ShapeTable(3, 3, 1), 3);
  for (int x = 1; x <= 3; ++x) EXPECT_EQ(s.ShapeTable(x, 1, 14), 1);
  EXPECT_EQ(s.ShapeTable(1, 2, 14) + s.ShapeTable(2, 2, 14), 0);
  EXPECT_EQ(s.ShapeTable(3, 2, 14) + s.ShapeTable(2, 3, 14) + s.ShapeTable(3, 3, 14), 3);
  EXPECT_EQ(s.ShapeTable(1, 3, 14), 0);
}

TEST_F(Tables, RandomOrderRedrawsRepeatsAndCoversTheRange) {
  Script({0.1f, 0.2f, 0.9f, 0.5f});  // 1, 1 again (drawn anew), 3, 2
  const int drawn = random.Drawn();
  const auto order = rules.RandomOrder(3);
  EXPECT_EQ(order(1), 1);
  EXPECT_EQ(order(2), 3);
  EXPECT_EQ(order(3), 2);
  EXPECT_EQ(order(4), 0);
  EXPECT_EQ(random.Drawn() - drawn, 4);

  Script({0.7f});
  EXPECT_EQ(rules.RandomOrder(1)(1), 1);

  Rng any(5);
  random.SetFallback(&any);
  const auto thirteen = rules.RandomOrder(13);
  std::set<int> seen;
  for (int i = 1; i <= 13; ++i) seen.insert(thirteen(i));
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_THROW(rules.RandomOrder(0), std::out_of_range);
  EXPECT_THROW(rules.RandomOrder(14), std::out_of_range);
}

// Pushes the draws that make an order of 1..n come out as the given list.
static void ScriptOrder(ScriptedRandom& random, std::initializer_list<int> order) {
  const float n = static_cast<float>(order.size());
  for (int v : order) random.Push((static_cast<float>(v) - 0.5f) / n);
}

TEST_F(Tables, LevelTableDrawsItsOrdersInTurnAndSpreadsThem) {
  ScriptOrder(random, {6, 5, 4, 3, 2, 1});                           // F
  ScriptOrder(random, {1, 2, 3, 4, 5, 6, 7});                        // G
  ScriptOrder(random, {2, 1, 4, 3});                                 // H
  ScriptOrder(random, {4, 3, 2, 1});                                 // J
  ScriptOrder(random, {1, 2, 3, 4, 5});                              // A
  ScriptOrder(random, {5, 4, 3, 2, 1});                              // B
  ScriptOrder(random, {3, 1, 2, 5, 4});                              // C
  ScriptOrder(random, {1, 2, 3, 4});                                 // D
  ScriptOrder(random, {13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1});  // M
  ScriptOrder(random, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});  // N
  rules.InitLevelTable();  // an extra draw would throw: exactly these 66
  EXPECT_EQ(random.Remaining(), 0u);

  const auto& L = s.LevelTable;
  EXPECT_EQ(L(1).BackPicture, 0);
  EXPECT_EQ(L(1).CubePicture, 0);
  EXPECT_EQ(L(1).MusicNo, LevelMusic(13));  // M(1)
  EXPECT_EQ(L(2).BackPicture, 1);           // A(1)
  EXPECT_EQ(L(2).CubePicture, 6);           // F(1)
  EXPECT_EQ(L(3).CubePicture, 5);           // F(2)
  EXPECT_EQ(L(4).CubePicture, 7);           // G(1) + 6
  EXPECT_EQ(L(6).BackPicture, 5);           // A(5)
  EXPECT_EQ(L(7).BackPicture, 10);          // B(1) + 5
  EXPECT_EQ(L(9).BackPicture, 8);           // B(3) + 5
  EXPECT_EQ(L(9).CubePicture, 12);          // G(6) + 6
  EXPECT_EQ(L(10).CubePicture, 15);         // H(1) + 13
  EXPECT_EQ(L(12).BackPicture, 13);         // C(1) + 10
  EXPECT_EQ(L(13).CubePicture, 16);         // H(4) + 13
  EXPECT_EQ(L(13).MusicNo, LevelMusic(1));  // M(13)
  EXPECT_EQ(L(14).CubePicture, 21);         // J(1) + 17
  EXPECT_EQ(L(14).MusicNo, LevelMusic(1));  // N(1)
  EXPECT_EQ(L(17).CubePicture, 18);         // J(4) + 17
  EXPECT_EQ(L(17).BackPicture, 16);         // D(1) + 15
  EXPECT_EQ(L(18).CubePicture, 22);
  EXPECT_EQ(L(19).CubePicture, 23);
  EXPECT_EQ(L(20).CubePicture, 24);
  EXPECT_EQ(L(20).BackPicture, 19);         // D(4) + 15
  EXPECT_EQ(L(20).MusicNo, LevelMusic(7));  // N(7)

  // Some constant columns.
  EXPECT_EQ(L(3).PlanPicture, 1);
  EXPECT_EQ(L(10).SpeedRate, 0.8f);
  EXPECT_EQ(L(17).MaxScore, 10099);
  EXPECT_EQ(L(18).MinScore, 11000);
  EXPECT_EQ(L(18).CubeCount, 8);
  EXPECT_EQ(L(19).CubeCount, 9);
  EXPECT_EQ(L(20).CubeCount, 3);
  EXPECT_EQ(L(20).MaxScore, 99999999);
}

TEST_F(Tables, LevelFollowsTheScoreAndKeepsItInTheGap) {
  const std::pair<int, int> cases[] = {{0, 1}, {199, 1}, {200, 2}, {799, 3}, {10099, 17}, {13000, 20}};
  for (auto [score, level] : cases) {
    s.GameScore = score;
    EXPECT_EQ(rules.LevelFromScore(), level) << score;
  }
  // 10100..10999 belong to no level: the level stays 17 until 11000.
  s.ScoreLevel = 17;
  for (int score : {10100, 10999}) {
    s.GameScore = score;
    EXPECT_EQ(rules.LevelFromScore(), 17) << score;
  }
  s.GameScore = 11000;
  EXPECT_EQ(rules.LevelFromScore(), 18);
}

TEST_F(Tables, ClearGameArraysEmptiesOnlyItsGroup) {
  // Field, heights, marks, piece, turn scratch, next piece: which each group empties.
  const std::pair<ArrayGroup, std::array<bool, 6>> groups[] = {
      {ArrayGroup::Field, {true, true, false, false, false, false}},
      {ArrayGroup::Marks, {false, false, true, false, false, false}},
      {ArrayGroup::Piece, {false, false, false, true, true, false}},
      {ArrayGroup::Next, {false, false, false, false, false, true}}};
  for (const auto& [group, emptied] : groups) {
    s.CubeArray.Fill(CellKind::Red);
    s.HeightArray.Fill(1);
    s.MarkArray.Fill(1);
    s.NowCube.Fill(CellKind::Red);
    s.TurnArray.Fill(CellKind::Red);
    s.NextCube.Fill(CellKind::Red);
    rules.ClearGameArrays(group);
    const std::array<bool, 6> empty = {!IsCube(s.CubeArray(5, 5, 10)), s.HeightArray(1, 1) == 0,
                                       s.MarkArray(5, 5, 10) == 0,     !IsCube(s.NowCube(3, 3)),
                                       !IsCube(s.TurnArray(5, 5)),     !IsCube(s.NextCube(2, 2))};
    EXPECT_EQ(empty, emptied) << static_cast<int>(group);
  }
}

TEST_F(Tables, CellPositionsSpanTheWell) {
  const float xs[] = {4, 2, 0, -2, -4}, ys[] = {-4, -2, 0, 2, 4};
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y) {
      EXPECT_EQ(s.AreaPos(x, y), (Vec3{xs[x - 1], ys[y - 1], 0}));
      for (int z = 1; z <= 10; ++z) EXPECT_EQ(s.CubePos(x, y, z), (Vec3{xs[x - 1], ys[y - 1], float(z - 1)}));
    }
}

TEST_F(Tables, NewGameStartsFromAnEmptyWellWithTwoPieces) {
  Rng any(3);
  random.SetFallback(&any);
  s.CubeArray(2, 2, 2) = CellKind::Blue;
  s.GameScore = 77;
  s.LandFlag = true;
  rules.NewGame();
  EXPECT_EQ(FieldText(s), "");
  EXPECT_EQ(s.GameScore, 0);
  EXPECT_FALSE(s.LandFlag);
  EXPECT_EQ(s.GameLevel, 1);
  EXPECT_EQ(s.NowCubeZ, 10);
  EXPECT_EQ(s.PreviousScoreStep, -1.0f);
  int inPlay = 0, next = 0;
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      if (IsCube(s.NowCube(x, y))) {
        ++inPlay;
        EXPECT_TRUE(x >= 2 && x <= 4 && y >= 2 && y <= 4);  // the centre block
        EXPECT_TRUE(IsColour(s.NowCube(x, y)));             // no special under 30 points
      }
  for (CellKind v : s.NextCube) next += IsCube(v);
  EXPECT_EQ(inPlay, 3);
  EXPECT_EQ(next, 3);
  EXPECT_TRUE(shown[Display::StartShow] && shown[Display::BackShow] && shown[Display::PanelShow]);
  EXPECT_FALSE(shown[Display::PieceShow] || shown[Display::PlayShow] || shown[Display::HudShow]);
}
