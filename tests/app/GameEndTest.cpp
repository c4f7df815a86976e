// The end of a game: the quit prompt's "Y" leads to the game-over panel, the
// typed name and the result reach the scores file, and only a qualifying
// result is entered.

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
  // Plays until normal play, gives the game a result, quits with "Y" and then
  // presses the keys at the panel.
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
  EXPECT_TRUE(s.NameEntryOn);
  EXPECT_EQ(s.NameLength, 2);  // the cursor stands after "AC"
  const ScoreBook back = ReadBack();
  EXPECT_EQ(back.ScoreList(1).Name, Padded("AC"));
  EXPECT_EQ(back.ScoreList(1).Score, 7);  // cleared cubes and the chain bonus
  EXPECT_EQ(back.ScoreList(1).Level, 1);
  EXPECT_EQ(back.ScoreList(2).Score, 0);
  EXPECT_EQ(back.File(661), saves + 1);
  EXPECT_EQ(book.ScoreList(1), back.ScoreList(1));  // the table in play was read back too
  for (auto& m : music) EXPECT_FALSE(m.Playing());
}

TEST_F(GameEndTest, EscapeConfirmsAndNoNameIsStoredAsNoName) {
  EXPECT_EQ(QuitWith(3, 0, {' ', KeyEscape}), GameEnd::Quit);
  EXPECT_EQ(ReadBack().ScoreList(1).Name, Padded("NO NAME"));
}

TEST_F(GameEndTest, AResultEqualToTheLastPlaceEntersAboveIt) {
  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD" + std::to_string(r)), 60 - r, 1, r};
  SaveScores(file, book, random);
  EXPECT_EQ(QuitWith(35, 5, {'N', 'E', 'W', KeyEnter}), GameEnd::Quit);  // the 20th has 40
  const ScoreBook back = ReadBack();
  EXPECT_EQ(back.ScoreList(19).Name, Padded("OLD19"));
  EXPECT_EQ(back.ScoreList(20).Name, Padded("NEW"));
  EXPECT_EQ(back.ScoreList(20).Score, 40);
  for (int r = 1; r <= 20; ++r) EXPECT_NE(back.ScoreList(r).Name, Padded("OLD20"));
}

TEST_F(GameEndTest, AResultTheFileDoesNotTakeIsToldOnThePanelUntilEnter) {
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);  // nothing can be saved in its place
  EXPECT_EQ(QuitWith(5, 0, {'A', KeyEnter, 'B', KeyEnter}), GameEnd::Quit);
  EXPECT_GT(renderer.NoticeFrames, 0);
  EXPECT_EQ(renderer.Notice, "");
  EXPECT_EQ(s.GameName(2), 32);  // the panel no longer took a name
  EXPECT_EQ(book.ScoreList(1).Name, Padded("A"));
  EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(GameEndTest, ResultsBelowTheTableOrOfZeroAreNotEntered) {
  const std::string empty = ReadText(file);
  EXPECT_EQ(QuitWith(0, 0, {'A', KeyEnter}), GameEnd::Quit);
  EXPECT_FALSE(s.NameEntryOn);
  EXPECT_EQ(s.GameName(1), 32);  // keys are not taken as a name
  EXPECT_EQ(ReadText(file), empty);

  for (int r = 1; r <= 20; ++r) book.ScoreList(r) = ScoreRec{Padded("OLD"), 50, 2, r};
  SaveScores(file, book, random);
  const std::string full = ReadText(file);
  EXPECT_EQ(QuitWith(49, 0, {'A', KeyEnter}), GameEnd::Quit);
  EXPECT_FALSE(s.NameEntryOn);
  EXPECT_EQ(ReadText(file), full);
}

TEST_F(GameEndTest, TheNameStopsAtTwentySixCharactersAndTheFieldSpins) {
  std::vector<int> keys(30, 'Q');
  keys.push_back('Z');
  keys.push_back(KeyEnter);
  EXPECT_EQ(QuitWith(1, 0, keys), GameEnd::Quit);
  EXPECT_EQ(ReadBack().ScoreList(1).Name, std::string(25, 'Q') + "Z");
  EXPECT_EQ(s.NameLength, GameNameLength);  // the 27th character replaced the 26th
  EXPECT_TRUE(s.GameOverShow && shown[Display::FieldSpinShow]);
  EXPECT_GT(s.TurnAngle, 0.05f * 31);  // a turn step per frame, a frame per key at least
}
