// The end of a game: "Y" at the prompt, the panel, the typed name and a qualifying result saved.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LoopRig.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

std::string Padded(const std::string& s) { return s + std::string(26 - s.size(), ' '); }

class GameEndTest : public LoopTest {
 protected:
  // Gives the game a result in normal play, quits with "Y", presses panelKeys at the panel.
  GameEnd QuitWith(int score, int chain, std::vector<int> panelKeys) {
    bool asked = false, typing = false;
    probe.onFrame = [&, score, chain] {
      TapKeys();
      if (!asked && NormalPlay()) {
        s.GameScore = score;  // as if cubes had been cleared
        s.ChainScore = chain;
        Tap({KeyEscape, KeyY});
        asked = true;
      }
      if (s.GameOverShow && !typing) {
        typing = true;
        taps.insert(taps.end(), panelKeys.begin(), panelKeys.end());
      }
    };
    return loop.PlayGame();
  }
  ScoreBook ReadBack() {
    ScoreBook back;
    ReadScores(file, back, random);
    return back;
  }
};

}  // namespace

TEST_F(GameEndTest, YesAtThePromptEntersTheTypedName) {
  const std::int32_t saves = book.File(661);
  EXPECT_EQ(QuitWith(5, 2, {'A', 'B', KeyBack, 'C', KeyEnter}), GameEnd::Quit);
  const ScoreBook back = ReadBack();
  // The cursor after "AC"; the row has the cubes and chain bonus.
  EXPECT_EQ(std::tuple(s.NameEntryOn, s.NameLength, back.ScoreList(2).Score, back.File(661)),
            std::tuple(true, 2, 0, saves + 1));
  EXPECT_EQ(back.ScoreList(1), (ScoreRec{Padded("AC"), 7, 1, back.ScoreList(1).Rank}));
  EXPECT_EQ(book.ScoreList(1), back.ScoreList(1));  // the table in play was read back too
  for (auto& m : music) EXPECT_FALSE(m.Playing());
}

TEST_F(GameEndTest, EscapeConfirmsAnEmptyNameAndTheNameStopsAtTwentySix) {
  EXPECT_EQ(QuitWith(3, 0, {' ', KeyEscape}), GameEnd::Quit);
  EXPECT_EQ(ReadBack().ScoreList(1).Name, Padded("NO NAME"));
  std::vector<int> keys(30, 'Q');
  keys.insert(keys.end(), {'Z', KeyEnter});
  EXPECT_EQ(QuitWith(4, 0, keys), GameEnd::Quit);
  EXPECT_EQ(ReadBack().ScoreList(1).Name, std::string(25, 'Q') + "Z");
  EXPECT_EQ(s.NameLength, GameNameLength);  // the 27th character replaced the 26th
  EXPECT_TRUE(s.GameOverShow && shown[Display::FieldSpinShow]);
  EXPECT_GT(s.TurnAngle, 0.05f * 31);  // a turn step per frame, a frame per key at least
}

TEST_F(GameEndTest, AResultEqualToTheLastPlaceEntersAboveIt) {
  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD" + std::to_string(r)), 60 - r, 1, r};
  SaveScores(file, book, random);
  EXPECT_EQ(QuitWith(35, 5, {'N', 'E', 'W', KeyEnter}), GameEnd::Quit);  // the 20th has 40
  const ScoreBook back = ReadBack();
  EXPECT_EQ(std::tuple(back.ScoreList(19).Name, back.ScoreList(20).Name, back.ScoreList(20).Score),
            std::tuple(Padded("OLD19"), Padded("NEW"), 40));
  for (int r = 1; r <= 20; ++r) EXPECT_NE(back.ScoreList(r).Name, Padded("OLD20"));
}

TEST_F(GameEndTest, AResultTheFileDoesNotTakeIsToldOnThePanelUntilEnter) {
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);  // nothing can be saved in its place
  EXPECT_EQ(QuitWith(5, 0, {'A', KeyEnter, 'B', KeyEnter}), GameEnd::Quit);
  EXPECT_GT(renderer.NoticeFrames, 0);
  // The panel took no more name.
  EXPECT_EQ(std::tuple(renderer.Notice, s.GameName(2), book.ScoreList(1).Name),
            std::tuple("", 32, Padded("A")));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(GameEndTest, ResultsBelowTheTableOrOfZeroAreNotEntered) {
  const std::string empty = ReadText(file);
  // Keys are not taken as a name.
  EXPECT_EQ(QuitWith(0, 0, {'A', KeyEnter}), GameEnd::Quit);
  EXPECT_EQ(std::tuple(s.NameEntryOn, s.GameName(1), ReadText(file)), std::tuple(false, 32, empty));
  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD"), 50, 2, r};
  SaveScores(file, book, random);
  const std::string full = ReadText(file);
  EXPECT_EQ(QuitWith(49, 0, {'A', KeyEnter}), GameEnd::Quit);
  EXPECT_EQ(std::pair(s.NameEntryOn, ReadText(file)), std::pair(false, full));
}
