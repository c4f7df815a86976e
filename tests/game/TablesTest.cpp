// The tables a game starts from; making, moving, turning and dropping the falling piece; effects and
// music through the volume steps and the sound switch.

#include <algorithm>
#include <set>
#include <tuple>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;
using std::tuple;

using Tables = RulesTest;
using Piece = RulesTest;
using Player = RulesTest;
using Call = RecordingSoundBuffer::Call;
static constexpr PlayFlag Once = PlayFlag::Once, Looping = PlayFlag::Looping;

TEST_F(Tables, StartTablesHoldTheirValuesAndANewGameStartsFromAnEmptyWellWithTwoPieces) {
  auto rows = [&](int shape) {  // rows y of cells x: '#' a cube, '.' none, '?' any other value
    std::string text;
    for (int y = 1; y <= 3; ++y)
      for (int x = 1; x <= 3; ++x) text += "?.#?"[std::clamp(s.ShapeTable(x, y, shape), -1, 2) + 1];
    return text;
  };
  // Shapes 1..4 have 3 cubes, 5..8 four, 9..12 five, 13..16 six, 17..19 seven, 20..22 eight, 23 nine.
  const int firstOfGroup[] = {1, 5, 9, 13, 17, 20, 23, 24};
  for (int g = 0; g < 7; ++g)
    for (int shape = firstOfGroup[g]; shape < firstOfGroup[g + 1]; ++shape)
      EXPECT_EQ(tuple(std::ranges::count(rows(shape), '#'), std::ranges::count(rows(shape), '.')),
                tuple(g + 3, 6 - g))
          << shape;
  EXPECT_EQ(tuple(rows(1), rows(14)), tuple("#...#...#", "###..#.##"));  // the diagonal; shape 14
  // Field, heights, marks, piece, turn scratch, next piece: which each group empties.
  const std::pair<ArrayGroup, std::array<bool, 6>> groups[] = {
      {ArrayGroup::Field, {true, true, false, false, false, false}},
      {ArrayGroup::Marks, {false, false, true, false, false, false}},
      {ArrayGroup::Piece, {false, false, false, true, true, false}},
      {ArrayGroup::Next, {false, false, false, false, false, true}}};
  for (const auto& [group, emptied] : groups) {
    s.NowCube.Fill(CellKind::Red);
    s.TurnArray.Fill(CellKind::Red);
    s.NextCube.Fill(CellKind::Red);
    s.CubeArray.Fill(CellKind::Red);
    s.HeightArray.Fill(1);
    s.MarkArray.Fill(1);
    rules.ClearGameArrays(group);
    const std::array<bool, 6> empty = {!IsCube(s.CubeArray(5, 5, 10)), s.HeightArray(1, 1) == 0,
                                       s.MarkArray(5, 5, 10) == 0,     !IsCube(s.NowCube(3, 3)),
                                       !IsCube(s.TurnArray(5, 5)),     !IsCube(s.NextCube(2, 2))};
    EXPECT_EQ(empty, emptied) << static_cast<int>(group);
  }
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      for (int z = 1; z <= 10; ++z)
        EXPECT_EQ(tuple(s.AreaPos(x, y), s.CubePos(x, y, z)),
                  tuple(Vec3{6.0f - 2 * x, 2.0f * y - 6, 0}, Vec3{6.0f - 2 * x, 2.0f * y - 6, z - 1.0f}));
  Rng any(3);
  random.SetFallback(&any);
  s.CubeArray(2, 2, 2) = CellKind::Blue;
  s.GameScore = 77;
  s.LandFlag = true;
  rules.NewGame();
  EXPECT_EQ(FieldText(s), "");
  EXPECT_EQ(tuple(s.GameScore, s.LandFlag, s.GameLevel, s.NowCubeZ, s.PreviousScoreStep),
            tuple(0, false, 1, 10, -1.0f));
  int good = 0;  // colours (no special under 30 points) in the centre block
  for (int x = 2; x <= 4; ++x)
    for (int y = 2; y <= 4; ++y) good += IsColour(s.NowCube(x, y));
  EXPECT_EQ(tuple(good, std::ranges::count_if(s.NowCube, IsCube), std::ranges::count_if(s.NextCube, IsCube)),
            tuple(3, 3, 3));
  EXPECT_TRUE(shown[Display::StartShow] && shown[Display::BackShow] && shown[Display::PanelShow]);
  EXPECT_FALSE(shown[Display::PieceShow] || shown[Display::PlayShow] || shown[Display::HudShow]);
}

TEST_F(Tables, LevelTableDrawsItsOrdersInTurnLevelAndIntervalFollowTheScoreAndRandomOrdersRedrawRepeats) {
  // The orders F G H J A B C D M N, drawn in turn: an extra draw would throw.
  for (std::string_view order : {"654321", "1234567", "2143", "4321", "12345", "54321", "31254", "1234",
                                 "DCBA987654321", "123456789ABCD"})  // as hexadecimal digits
    for (char v : order) random.Push((std::stoi(std::string(1, v), nullptr, 16) - 0.5f) / order.size());
  rules.InitLevelTable();
  EXPECT_EQ(random.Remaining(), 0u);
  const auto& L = s.LevelTable;
  // level, back picture, cube picture (-1: not checked), e.g. 9: B(3) + 5, G(6) + 6
  const tuple<int, int, int> pictures[] = {{1, 0, 0},    {2, 1, 6},    {3, -1, 5},   {4, -1, 7},
                                           {6, 5, -1},   {7, 10, -1},  {9, 8, 12},   {10, -1, 15},
                                           {12, 13, -1}, {13, -1, 16}, {14, -1, 21}, {17, 16, 18},
                                           {18, -1, 22}, {19, -1, 23}, {20, 19, 24}};
  for (auto [level, back, cube] : pictures)
    EXPECT_TRUE((back < 0 || L(level).BackPicture == back) && (cube < 0 || L(level).CubePicture == cube))
        << level;
  EXPECT_EQ(tuple(L(1).MusicNo, L(13).MusicNo, L(14).MusicNo, L(20).MusicNo),
            tuple(LevelMusic(13), LevelMusic(1), LevelMusic(1), LevelMusic(7)));  // M(1), M(13), N(1), N(7)
  EXPECT_EQ(tuple(L(3).PlanPicture, L(10).SpeedRate, L(17).MaxScore, L(18).MinScore, L(20).MaxScore),
            tuple(1, 0.8f, 10099, 11000, 99999999));
  EXPECT_EQ(tuple(L(18).CubeCount, L(19).CubeCount, L(20).CubeCount), tuple(8, 9, 3));
  Script({0.1f, 0.2f, 0.9f, 0.5f});  // 1, 1 again (drawn anew), 3, 2
  const int drawn = random.Drawn();
  const auto order = rules.RandomOrder(3);
  EXPECT_EQ(tuple(order(1), order(2), order(3), order(4), random.Drawn() - drawn), tuple(1, 3, 2, 0, 4));
  Script({0.7f});
  EXPECT_EQ(rules.RandomOrder(1)(1), 1);
  Rng any(5);
  random.SetFallback(&any);
  const auto thirteen = rules.RandomOrder(13);
  EXPECT_EQ(std::set<int>(thirteen.begin(), thirteen.end()),
            (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  for (int bad : {0, 14}) EXPECT_THROW(rules.RandomOrder(bad), std::out_of_range) << bad;
  // 10100..10999 belong to no level: the level held (17) stays.
  const tuple<int, int, int> cases[] = {{0, 1, 1},       {199, 1, 1},     {200, 1, 2},
                                        {799, 1, 3},     {10099, 1, 17},  {13000, 1, 20},
                                        {10100, 17, 17}, {10999, 17, 17}, {11000, 17, 18}};
  for (auto [score, held, level] : cases) {
    s.GameScore = score, s.ScoreLevel = held;
    EXPECT_EQ(rules.LevelFromScore(), level) << score;
  }
  // The interval shrinks with the points scored in the level.
  const tuple<int, int, int> intervals[] = {
      {1, 199, 1005}, {7, 2001, 1998}, {7, 2003, 1996}, {18, 11999, 2000}};
  for (auto [level, score, interval] : intervals) {
    s.GameLevel = level, s.GameScore = score;
    EXPECT_EQ(rules.DropIntervalForScore(), interval) << score;
  }
}

static std::string NextText(const GameState& s) {  // the next piece's 3 x 3 cells, row by row
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

TEST_F(Piece, ShiftsAndTurnsStopAtTheWallAndAtCubesOfItsLayer) {
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
    for (std::uint32_t after : {1u, 2000u, 2001u}) {  // the interval must have passed, not just been reached
      s.FrameTime = start + after;
      rules.AutoDropStep();
      EXPECT_EQ(tuple(s.NowCubeZ, s.LastDropTime),
                tuple(after > 2000 ? 9 : 10, after > 2000 ? s.FrameTime : start));
    }
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

TEST_F(Player, StepsTakeThreeDecibelsOffMusicIsRememberedAndWithoutADeviceNothingHappens) {
  sound.SoundOn = 0;
  sound.PlayWave(Effect::NoWay, Once, 0);
  sound.StopWave(Effect::NoWay);
  sound.PlayMusic(LevelMusic(2), Looping, 0);
  sound.StopMusic(LevelMusic(2));
  EXPECT_TRUE(waves(Effect::NoWay).Calls().empty() && music(2).Calls().empty() && !sound.MusicNow);
  EXPECT_THROW(sound.PlayWave(Effect{0}, Once, 0), std::out_of_range);  // wrong with sound off too
  EXPECT_THROW(sound.StopMusic(Music{0}), std::out_of_range);
  sound.SoundOn = 1;
  EXPECT_THROW(sound.PlayMusic(Music{15}, Looping, 0), std::out_of_range);
  EXPECT_THROW(LevelMusic(14), std::out_of_range);   // the menu's track is no level's
  sound.WaveBuffer(Effect::OkMenuSelect) = nullptr;  // a sound that was not loaded is skipped
  EXPECT_NO_THROW(sound.PlayWave(Effect::OkMenuSelect, Once, 0));
  sound.SoundLevel = 9;
  sound.PlayWave(Effect::OkRotBuild, Once, -1500);
  EXPECT_EQ(waves(Effect::OkRotBuild).Calls(),
            (std::vector<Call>{{Call::SetVolume, -1800}, {Call::SetCurrentPosition, 0}, {Call::Play, 0}}));
  sound.SoundLevel = 2;
  sound.PlayWave(Effect::OkRotBuild, Once, -1500);
  EXPECT_EQ(std::pair(waves(Effect::OkRotBuild).Volume(), waves(Effect::OkRotBuild).Plays()),
            std::pair(-3900, 2));  // played again from the start
  sound.SoundLevel = 1;
  sound.PlayWave(Effect::Thund, Once, 0);
  EXPECT_TRUE(waves(Effect::Thund).Calls().empty());
  // Different effects overlap: playing one does not stop another.
  sound.SoundLevel = 9;
  sound.PlayWave(Effect::CubeDown, Once, 0);
  sound.PlayWave(Effect::CubeCross, Once, 0);
  sound.StopWave(Effect::CubeCross);
  EXPECT_EQ(std::pair(waves(Effect::CubeDown).Playing(), waves(Effect::CubeCross).Playing()),
            std::pair(true, false));
  sound.MusicLevel = 1;
  sound.PlayMusic(LevelMusic(5), Looping, -500);
  EXPECT_EQ(music(5).Calls(), (std::vector<Call>{{Call::Stop, 0}}));
  EXPECT_EQ(sound.MusicNow, LevelMusic(5));
  sound.MusicLevel = 9;
  sound.PlayMusic(Music::Menu, Looping, -500);
  EXPECT_EQ(
      std::tuple(music(Music::Menu).Looping(), music(Music::Menu).Volume(), sound.MusicNow == Music::Menu),
      std::tuple(true, -800, true));
  sound.StopMusicNow();
  EXPECT_FALSE(music(Music::Menu).Playing());
}
