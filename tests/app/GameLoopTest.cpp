// Whole games on a virtual clock: timings, keys, the prompt, the endings, the bot, the name entered.

#include <cmath>

#include "LoopRig.h"
#include "app/BotKeyDriver.h"
#include "app/LoopBotGame.h"

using namespace quarnix;
using namespace quarnix::test;

// From the start of the tick counter, and from just before its wrap at 2^32 ms.
class LoopClock : public LoopTest, public ::testing::WithParamInterface<std::uint32_t> {};
INSTANTIATE_TEST_SUITE_P(ClockStarts, LoopClock, ::testing::Values(0u, 0xFFFFFFFFu - 6000));

TEST_P(LoopClock, StartPauseThenLevelOneAnnouncedWithItsMusicThenThePieceFallsALayerEveryTwoSeconds) {
  clock = VirtualClock(GetParam());
  std::uint32_t announced = 0, played = 0;  // from the start
  int tracksDuringAnnouncement = 0, z = 0, start = 0;
  std::vector<std::uint32_t> steps;  // the drop time at the announcement, then every layer the piece fell
  probe.onFrame = [&] {
    if (shown[Display::LevelShow]) {
      if (steps.empty())
        announced = s.FrameTime - GetParam(), steps.push_back(s.LastDropTime), start = z = s.NowCubeZ;
      tracksDuringAnnouncement += TracksPlaying();
      EXPECT_FALSE(shown[Display::PieceShow]);
    } else if (!steps.empty() && played == 0) {
      played = s.FrameTime - GetParam();
      const RecordingSoundBuffer& track = music(s.LevelTable(1).MusicNo);
      EXPECT_EQ(std::tuple(tracksDuringAnnouncement, track.Playing(), track.Looping(), track.Volume(),
                           TracksPlaying(), waves(Effect::OkBuildMove).Plays(),
                           waves(Effect::OkBuildMove).Volume(), renderer.BackgroundResets),
                std::tuple(0, true, true, -500 - 300, 1, 1, -200 - 300, 1));  // step 9: 3 dB off
      EXPECT_TRUE(shown[Display::PieceShow] && shown[Display::PlayShow] && shown[Display::HudShow] &&
                  !shown[Display::StartShow]);
    }
    if (s.NowCubeZ < z) steps.push_back(s.FrameTime);
    z = s.NowCubeZ;
    if (s.LandFlag) CloseWindow();
  };
  EXPECT_THROW(loop.PlayGame(), QuitRequest);
  EXPECT_TRUE(announced >= 2000 && announced < 2000 + 15) << announced;  // the start pause
  EXPECT_TRUE(played - announced >= 3000 && played - announced < 3000 + 2 * 15) << played - announced;
  ASSERT_EQ(steps.size(), 1u + start - 1);        // down to the floor of the empty field
  for (std::size_t i = 1; i < steps.size(); ++i)  // the first frame past the interval drops
    EXPECT_TRUE(steps[i] - steps[i - 1] > 2000u && steps[i] - steps[i - 1] <= 2000u + 15) << i;
}

TEST_F(LoopTest, ThePromptHoldsTheDropNoDropsAtOnceAndTakesTheLastAnswerOfAFrame) {
  // Ask; three drop intervals on, "Y" and "N" in one frame; ask, Escape answers; ask and say "Y".
  int zAtPrompt = 0, promptFrames = 0;
  const std::function<bool()> play = [&] { return NormalPlay(); };
  const std::pair<std::function<bool()>, std::function<void()>> steps[] = {
      {play, [&] { Tap({KeyEscape}); }},
      {[&] { return s.QuitShow && promptFrames >= 400; }, [&] { source.Press(KeyY), source.Press(KeyN); }},
      {play, [&] { source.ReleaseAll(), Tap({KeyEscape}); }},
      {[&] { return s.QuitShow && !keys.KeyTable(KeyEscape).KeyLatch(); }, [&] { Tap({KeyEscape}); }},
      {play, [&] {
         Tap({KeyEscape, KeyY});
       }}};
  std::size_t step = 0;
  bool sawPanel = false;
  probe.onFrame = [&] {
    TapKeys();
    if (s.QuitShow && step == 1) {
      if (promptFrames++ == 0) zAtPrompt = s.NowCubeZ;
      EXPECT_EQ(s.NowCubeZ, zAtPrompt);
    } else if (step == 2 && zAtPrompt > 0) {
      EXPECT_EQ(s.NowCubeZ, std::exchange(zAtPrompt, 0) - 1);  // the first frame after the prompt
    }
    if (s.GameOverShow) {
      sawPanel = true;
      EXPECT_EQ(step, std::size(steps));
      if (Idle()) Tap({KeyEnter});
    } else if (Idle() && step < std::size(steps) && steps[step].first()) {
      steps[step++].second();
    }
  };
  EXPECT_EQ(std::tuple(loop.PlayGame(), sawPanel, s.QuitShow), std::tuple(GameEnd::Quit, true, false));
}

TEST_F(LoopTest, BindingsMoveTurnAndSwitchTheCameraAndRedefinedOnesApplyToTheNextGame) {
  Cells before, turned;
  std::vector<float> turnAngles;
  std::vector<int> cameras;
  std::size_t phase = 0;
  probe.onFrame = [&] {
    TapKeys();
    if (shown[Display::TurnShow]) {
      turnAngles.push_back(s.TurnAngle);
      EXPECT_FALSE(shown[Display::PieceShow]);
    }
    if (!NormalPlay() || !Idle()) return;
    if (phase == 0) {
      GameState copy = s;  // what one turn of the rules makes of the piece
      SoundPlayer quiet;
      Rng unused(1);
      GameRules(copy, unused, quiet).TurnNowCube();
      before = PieceCells(s);
      turned = PieceCells(copy);
      ASSERT_NE(turned, before) << "choose a seed whose first piece changes when turned";
    }
    // Bindings 3, 4, 1, 2: towards x - 1, back, towards y - 1, back; the turn; the camera, round to 3.
    const std::pair<int, Cells> steps[] = {{KeyUp, before},   {KeyDown, Shifted(before, -1, 0)},
                                           {KeyLeft, before}, {KeyRight, Shifted(before, 0, -1)},
                                           {KeyZ, before},    {KeyA, turned},
                                           {KeyA, turned},    {KeyA, turned},
                                           {0, turned}};
    EXPECT_EQ(PieceCells(s), steps[phase].second) << phase;
    if (phase > 5) cameras.push_back(camera.Shown);
    steps[phase].first ? Tap({steps[phase++].first}) : CloseWindow();
  };
  EXPECT_THROW(loop.PlayGame(), QuitRequest);
  EXPECT_EQ(std::tuple(phase, camera.SetCams, cameras), std::tuple(8u, 3, std::vector<int>{1, 2, 3}));
  EXPECT_EQ(turnAngles, (std::vector<float>{1, 16, 31, 46, 61, 76}));
  // Redefined as the menu leaves them, for the next game: "A" held over a pass is no longer read, "C" is.
  gameKey(7) = 'C';
  events.Quit = false;
  phase = 0;
  probe.onFrame = [&] {
    TapKeys();
    if (!NormalPlay() || !Idle()) return;
    switch (phase++) {
      case 0:
        return source.Press(KeyA);
      case 1:
        EXPECT_EQ(camera.SetCams, 3);
        source.Release(KeyA);
        return Tap({'C'});
      default:
        CloseWindow();
    }
  };
  EXPECT_THROW(loop.PlayGame(), QuitRequest);
  EXPECT_EQ(std::tuple(phase, camera.SetCams, camera.Shown), std::tuple(3u, 4, 1));
}

TEST_F(LoopTest, TheDropIntervalChangesOnlyAfterAClearPassAndTheDropKeyFallsEveryFrame) {
  BotKeyDriver bot(s, shown, keys, source, DefaultGameKeys(), 5);
  bot.SetMaxPieces(150);
  loop.AddObserver(&bot);
  std::int64_t expected = 2000;  // until the first clear
  int removals = 0, levelsSeen = 0, samples = 0, wrong = 0;
  probe.onLanding = [&](const LandingResult& step, CellKind) {
    if (!step.Removed) return;
    ++removals;
    const LevelRec& row = s.LevelTable(s.GameLevel);
    expected = 2000 - static_cast<std::int64_t>(std::nearbyint(row.SpeedRate * (s.GameScore - row.MinScore)));
  };
  int z = 0, stillFrames = 0, mostStillFrames = 0;  // frames of a fast drop without a fall
  probe.onFrame = [&] {
    levelsSeen = std::max(levelsSeen, s.GameLevel);
    if (s.DropFlag && !s.LandFlag && !s.MatchFlag && !s.ClearFlag) {
      stillFrames = s.NowCubeZ == z ? stillFrames + 1 : 0;
      mostStillFrames = std::max(mostStillFrames, stillFrames);
    }
    z = s.NowCubeZ;
    if (!NormalPlay()) return;
    ++samples;
    wrong += s.DropInterval != expected;
  };
  EXPECT_EQ(loop.PlayGame(), GameEnd::Quit);
  EXPECT_TRUE(removals > 20 && levelsSeen >= 2 && samples > 150) << removals << levelsSeen << samples;
  EXPECT_EQ(wrong, 0);            // frames of normal play whose interval is not the expected one
  EXPECT_LE(mostStillFrames, 1);  // after the drop key a layer every frame
}

TEST_F(LoopTest, ACloseRequestLeavesTheGameAndThePanelAFullFieldEndsTheGameAtThePanel) {
  events.QuitAtPump = 50;
  EXPECT_THROW(loop.PlayGame(), QuitRequest);
  EXPECT_EQ(loop.Frames(), 50);
  events = {};
  bool musicAtPanel = true;
  probe.onFrame = [&] {
    TapKeys();
    if (s.GameOverShow && Idle()) {
      musicAtPanel = music(*sound.MusicNow).Playing();
      Tap({KeyEnter});
    }
  };
  EXPECT_EQ(std::pair(loop.PlayGame(), s.MaxHeight), std::pair(GameEnd::FieldFull, s.FieldSizeZ));
  EXPECT_FALSE(musicAtPanel || shown[Display::PieceShow] || shown[Display::PlayShow] ||
               shown[Display::HudShow]);
  EXPECT_TRUE(shown[Display::FieldSpinShow]);
  const auto saved = ReadText(file);
  s.GameScore = 9;
  probe.onFrame = nullptr;
  events.QuitAtPump = events.Pumps + 3;
  EXPECT_THROW(loop.GameOverEntry(), QuitRequest);
  EXPECT_EQ(ReadText(file), saved);
}

TEST(BotLoop, PlaysItsPiecesThenQuitsThroughThePromptAndEntersItsName) {
  MemoryScoreStore scores;
  const LoopGameResult game = PlayLoopBotGame({.GameSeed = 31, .BotSeed = 32, .MaxPieces = 80}, scores);
  for (const auto& v : game.Stats.Violations) ADD_FAILURE() << v;
  EXPECT_EQ(std::tuple(game.Quit, game.Stats.Pieces, game.Stats.Landings, game.Stats.GameOvers),
            std::tuple(true, 80, 80, 0));
  EXPECT_GT(game.Stats.CubesCleared, 0);
  EXPECT_GE(game.VirtualMs, std::max<std::uint64_t>(game.Frames * 15, 5000u + 80 * 2 * 15));
  EXPECT_EQ(scores.Scores()(1).Name, "BOT" + std::string(23, ' '));
  EXPECT_GE(scores.Scores()(1).Score, game.Stats.CubesCleared);
}

// catches: a result entered wrongly or not at all, a name typed or cut wrongly, a failed save not told.
TEST_F(LoopTest, AResultEntersTheTableByTheTypedNameFromTheLastRowUpAndAFailedSaveIsToldOnThePanel) {
  const auto quitWith = [&](int score, int chain, std::vector<int> panelKeys) {
    bool asked = false, typing = false;
    probe.onFrame = [&] {
      TapKeys();
      if (NormalPlay() && !std::exchange(asked, true)) {
        s.GameScore = score;  // as if cubes had been cleared
        s.ChainScore = chain;
        Tap({KeyEscape, KeyY});
      }
      if (s.GameOverShow && !std::exchange(typing, true))
        taps.insert(taps.end(), panelKeys.begin(), panelKeys.end());
    };
    EXPECT_EQ(loop.PlayGame(), GameEnd::Quit);
  };
  const std::int32_t saves = book.File(661);
  const std::string empty = ReadText(file);
  quitWith(0, 0, {'A', KeyEnter});  // keys are not taken as a name
  EXPECT_EQ(std::tuple(s.NameEntryOn, s.GameName(1), ReadText(file)), std::tuple(false, 32, empty));
  quitWith(5, 2, {'A', 'B', KeyBack, 'C', KeyEnter});
  ScoreBook back = ReadBack();
  EXPECT_EQ(std::tuple(s.NameEntryOn, s.NameLength, back.ScoreList(2).Score, back.File(661), TracksPlaying()),
            std::tuple(true, 2, 0, saves + 1, 0));
  EXPECT_EQ(std::pair(back.ScoreList(1), book.ScoreList(1)),
            std::pair(ScoreRec{Padded("AC"), 7, 1, back.ScoreList(1).Rank}, back.ScoreList(1)));
  quitWith(3, 0, {' ', KeyEscape});
  EXPECT_EQ(ReadBack().ScoreList(2).Name, Padded("NO NAME"));
  std::vector<int> keys(30, 'Q');
  keys.insert(keys.end(), {'Z', KeyEnter});
  quitWith(4, 0, keys);
  EXPECT_EQ(
      std::tuple(ReadBack().ScoreList(2).Name, s.NameLength, s.GameOverShow, shown[Display::FieldSpinShow]),
      std::tuple(std::string(25, 'Q') + "Z", GameNameLength, true, true));
  EXPECT_GT(s.TurnAngle, 0.05f * 31);  // a turn step per frame, a frame per key at least
  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD"), 50, 2, r};
  SaveScores(file, book, random);
  const std::string full = ReadText(file);
  quitWith(49, 0, {'A', KeyEnter});
  EXPECT_EQ(std::pair(s.NameEntryOn, ReadText(file)), std::pair(false, full));
  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD" + std::to_string(r)), 60 - r, 1, r};
  SaveScores(file, book, random);
  quitWith(35, 5, {'N', 'E', 'W', KeyEnter});  // the 20th has 40
  back = ReadBack();
  EXPECT_EQ(std::tuple(back.ScoreList(19).Name, back.ScoreList(20).Name, back.ScoreList(20).Score),
            std::tuple(Padded("OLD19"), Padded("NEW"), 40));
  for (int r = 1; r <= 20; ++r) EXPECT_NE(back.ScoreList(r).Name, Padded("OLD20"));
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);  // nothing can be saved in its place
  quitWith(70, 0, {'A', KeyEnter, 'B', KeyEnter});
  EXPECT_GT(renderer.NoticeFrames, 0);
  EXPECT_EQ(
      std::tuple(renderer.Notice, s.GameName(2), book.ScoreList(1).Name, std::filesystem::is_directory(file)),
      std::tuple("", 32, Padded("A"), true));
}
