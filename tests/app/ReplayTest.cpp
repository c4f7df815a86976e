// Games recorded through the real loop and played back; damaged files; kept replays; the demonstration.

#include <gmock/gmock.h>

#include "LoopRig.h"
#include "app/Attract.h"
#include "app/BotKeyDriver.h"
#include "core/Files.h"

namespace quarnix::test {
namespace {

struct RecordedGame : LoopRig {
  explicit RecordedGame(std::uint64_t seed) : LoopRig(nullptr, nullptr, seed, true) {}
  void PlayBot(std::uint64_t botSeed, std::int64_t pieces) {
    bot = std::make_unique<BotKeyDriver>(s, shown, keys, source, gameKey, botSeed);
    bot->SetMaxPieces(pieces);
    bot->SetName("BOT");
    loop.AddObserver(bot.get());
    try {
      loop.PlayGame();
    } catch (const QuitRequest&) {
      recorder.Stop();
    }
  }
  const Replay& Last() const {
    EXPECT_NE(recorder.Last(), nullptr);
    return *recorder.Last();
  }

  std::unique_ptr<BotKeyDriver> bot;
};

// Drops only: a key held from the menu, a pause answered "N", drops to a full field, Enter.
void PlayDrops(RecordedGame& game) {
  game.source.Press(KeySpace);
  game.keys.KeyTable(KeySpace).isKeyPress();  // the menu saw it
  int played = 0;                             // frames of normal play
  game.probe.onFrame = [&] {
    played += game.shown[Display::PieceShow] && !game.s.QuitShow;
    if (played == 30) game.events.Pause = true;
    for (int vk : {KeySpace, KeyN, KeyEnter})
      if (game.source.IsDown(vk) && played > 20) return game.source.Release(vk);
    if (game.s.QuitShow) return game.source.Press(KeyN);
    if (game.s.GameOverShow) return game.source.Press(KeyEnter);
    if (played > 20 && game.shown[Display::PieceShow]) game.source.Press(KeySpace);
  };
  game.loop.PlayGame();
}

// catches: a read missed or out of order, a late random state, lost latches, pauses, ending or kept replay.
TEST(Replay, GamesReplayToTheirRecordedEndAndAnEnteredResultKeepsItsReplay) {
  struct Case {
    std::uint64_t seed;
    std::int64_t pieces;       // the bot quits at the prompt after these; 0: scripted drops
    std::int64_t closeAtPump;  // the window is closed then; 0: never
    ReplayEnd end;
    std::string name;  // the row the table took; none: no row
  };
  for (const Case& c :
       {Case{5, 0, 0, ReplayEnd::GameOver, "NO NAME"}, Case{8, 40, 0, ReplayEnd::GameOver, "BOT"},
        Case{7, 1000, 900, ReplayEnd::Stopped, ""}}) {
    SCOPED_TRACE(c.seed);
    RecordedGame game(c.seed);
    if (c.closeAtPump) game.events.QuitAtPump = c.closeAtPump;
    c.pieces == 0 ? PlayDrops(game) : game.PlayBot(c.seed + 100, c.pieces);
    const Replay& replay = game.Last();
    EXPECT_EQ(replay.Header.End, c.end);
    if (c.pieces == 0) {
      EXPECT_EQ(replay.LatchedKeys, std::vector<int>{KeySpace});
      EXPECT_NE(std::find(replay.Pauses.begin(), replay.Pauses.end(), 1), replay.Pauses.end());
    }
    const std::filesystem::path folder = ReplaysFolderFor(game.file);
    std::error_code none;  // no folder: no replays
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder, none), {}), int(!c.name.empty()));
    const std::filesystem::path kept = BestReplay(folder, game.kept.Scores());
    const ReplayOutcome o = PlayReplayHeadless(
        !c.name.empty() ? ReadReplay(kept) : DecodeReplay(EncodeReplay(replay), "game.qrp"));
    EXPECT_EQ(std::tuple(o.Mismatch, o.Score, o.Bonus, o.Level, o.WellHash),
              std::tuple("", game.s.GameScore, game.s.ChainScore, game.s.GameLevel, WellHash(game.s)));
    if (c.name.empty()) continue;
    const ScoreRec row = game.ReadBack().ScoreList(1);
    EXPECT_EQ(std::tuple(ReadReplay(kept).Header.Name, row.Name, row.Score),
              std::tuple(c.name, Padded(c.name), o.Score + o.Bonus));
    EXPECT_EQ(kept.filename().string().rfind(std::to_string(row.Score) + "-", 0), 0u);
  }
}

// catches: a bad file read or not named, a lying header, the demonstration not left at a press or at a close.
TEST(Replay, ChangedCutAndNewerFilesAreRefusedALyingHeaderFailsAndTheDemonstrationEndsAtTheFirstPress) {
  RecordedGame game(10);
  game.PlayBot(11, 12);
  const std::vector<std::uint8_t> good = EncodeReplay(game.Last());
  const auto refused = [](const std::vector<std::uint8_t>& bytes, const char* saying) {
    EXPECT_THAT([&] { DecodeReplay(bytes, "r.qrp"); },
                testing::ThrowsMessage<ReplayError>(testing::HasSubstr(saying)));
  };
  for (const std::size_t at :
       {std::size_t{0}, std::size_t{10}, std::size_t{20}, good.size() / 2, good.size() - 1}) {
    SCOPED_TRACE(at);
    std::vector<std::uint8_t> changed = good, cut(good.begin(), good.begin() + std::ptrdiff_t(at));
    changed[at] ^= 0x20;
    refused(changed, "r.qrp");
    refused(cut, "r.qrp");
  }
  std::vector<std::uint8_t> newer = good;
  newer[8] = static_cast<std::uint8_t>(ReplayFormatVersion + 1);
  refused(newer, "newer");
  Replay lying = game.Last();
  lying.Header.Score += 1;
  EXPECT_NE(PlayReplayHeadless(lying).Mismatch.find("score"), std::string::npos);
  struct PressingScreen final : IPlayRenderer {
    void RenderFrame() override {
      if (++frames == pressAt) window.Inputs++;
    }
    std::int64_t frames = 0, pressAt = 400;
    ScriptedEventPump window;
  };
  for (const Replay* replay : {static_cast<const Replay*>(nullptr), &game.Last()}) {
    auto state = std::make_unique<GameState>();
    SoundPlayer sound;
    RecordingCamera camera;
    camera.Now = 2;
    DisplayFlags shown;
    VirtualClock clock;
    PressingScreen screen;
    const auto play = [&] {
      PlayAttract({*state, sound, screen, camera, screen.window, shown, shown, nullptr, clock}, replay, 3);
    };
    play();
    EXPECT_EQ(std::pair(screen.frames, camera.Shown), std::pair(std::int64_t{400}, 2));
    screen.frames = screen.pressAt = 0;
    screen.window.QuitAtPump = screen.window.Pumps + 50;
    EXPECT_THROW(play(), QuitRequest);
  }
}

// catches: a replay not kept, misnamed, left behind when its row leaves, or lost to an equal row.
TEST(Replay, AResultThatEntersTheTableKeepsItsReplayAndOnePushedOutLosesIt) {
  RecordedGame game(12);
  const std::filesystem::path folder = ReplaysFolderFor(game.file);
  const auto enter = [&](const char* name, std::int32_t score) {
    game.s.GameScore = score;
    game.recorder.OnGameStart();  // a game with no frames: its result is all that counts here
    game.recorder.OnGameOver();
    ASSERT_TRUE(game.kept.Enter(name, score, 3));
  };
  const auto kept = [&](const std::string& prefix) {
    int all = 0, named = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      ++all, named += e.path().filename().string().rfind(prefix, 0) == 0;
    return std::pair(all, named);
  };
  for (int i = 1; i <= TableLength; ++i) enter("P", 100 * i);
  ASSERT_EQ(kept("100-3-"), std::pair(TableLength, 1));  // the lowest row's
  enter("NEW", 150);                                     // pushes 100 out
  EXPECT_EQ(kept("100-"), std::pair(TableLength, 0));
  EXPECT_EQ(kept("150-"), std::pair(TableLength, 1));
  enter("TWIN", 1000);
  enter("TWIN", 1000);
  EXPECT_EQ(kept("1000-"), std::pair(TableLength, 3));
  EXPECT_EQ(BestReplay(folder, game.kept.Scores()).filename().string().rfind("2000-", 0), 0u);
}

}  // namespace
}  // namespace quarnix::test
