#include "storage/Scores.h"

#include <algorithm>
#include <tuple>

#include "StoreRig.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

std::string Pad(const std::string& name) { return name + std::string(26 - name.size(), ' '); }

ScoreFile Image(const std::filesystem::path& file) { return ReadImage<662>(file); }

// A valid file made here, record by record, without the writer under test.
void WriteRecords(const std::filesystem::path& file, const std::vector<std::string>& records,
                  std::int32_t count) {
  Rng random(5);
  ScoreFile image;
  std::string text;
  for (int r = 1; r <= 20; ++r)
    text += r <= static_cast<int>(records.size()) ? records[r - 1] : Pad("") + "0000000";
  for (int i = 1; i <= 660; ++i) image(i) = EncodeChar(text.substr(i - 1, 1), random);
  image(661) = count;
  image(662) = CodedSum(image, 660);
  WriteText(file, Text(image));
}

struct ScoresTest : RecordFileTest<ScoreBook, ReadScores> {
  ScoresTest() : RecordFileTest("RD.dat") {}
  ScoreBook book;
};

}  // namespace

TEST(RankScores, BestFirstAndTiesToTheHigherIndexAndAResultQualifiesAboveZeroAndAtLeastTheLastPlace) {
  ScoreTable list;
  EXPECT_EQ(std::pair(ResultQualifies(list, 0), ResultQualifies(list, 1)), std::pair(false, true));
  list(1).Score = list(3).Score = 30;
  list(2).Score = list(21).Score = 50;
  RankScores(list);
  EXPECT_EQ(std::tuple(list(21).Rank, list(2).Rank, list(3).Rank, list(1).Rank), std::tuple(1, 2, 3, 4));
  for (int i = 4; i <= 20; ++i) EXPECT_EQ(list(i).Rank, 25 - i) << i;  // equal zeros: highest index first
  for (int i = 1; i <= 20; ++i) list(i).Score = 200 - 10 * (i - 1);    // the 20th holds 10
  list(21).Score = 500;                                                // not part of the table
  EXPECT_EQ(std::pair(ResultQualifies(list, 9), ResultQualifies(list, 10)), std::pair(false, true));
}

TEST_F(ScoresTest, TheTableKeepsTheTwentyBestAndAResultEqualToTheLastPushesItOut) {
  std::vector<std::pair<int, std::string>> results;
  for (int n = 0; n < 30; ++n) {  // distinct scores in no order
    results.emplace_back(1 + n * 7919 % 5000, "P" + std::to_string(n));
    if (ResultQualifies(book.ScoreList, results.back().first))
      EnterResult(file, book, results.back().second, results.back().first, 1 + n % 20, random);
  }
  std::sort(results.rbegin(), results.rend());
  const ScoreBook fromFile = Read();
  for (int r = 1; r <= 20; ++r) {
    EXPECT_EQ(std::pair(book.ScoreList(r).Score, book.ScoreList(r).Name),
              std::pair(results[r - 1].first, Pad(results[r - 1].second)));
    EXPECT_EQ(fromFile.ScoreList(r), book.ScoreList(r)) << r;
  }
  EXPECT_EQ(fromFile.File, book.File);
  // A result equal to the last place pushes the old one out.
  const ScoreRec last = book.ScoreList(20), above = book.ScoreList(19);
  EnterResult(file, book, "NEW", last.Score, 2, random);
  EXPECT_EQ(std::pair(book.ScoreList(20), book.ScoreList(19)),
            std::pair(ScoreRec{Pad("NEW"), last.Score, 2, 20}, above));
  for (int r = 1; r <= 20; ++r) EXPECT_NE(Read().ScoreList(r).Name, last.Name);
}

TEST_F(ScoresTest, NamesScoresAndLevelsAsStoredUnderAFileOfAnyCase) {
  EnterResult(dir / "rd.DAT", book, std::string(26, ' '), 70, 2, random);
  EnterResult(file, book, "A VERY LONG NAME THAT GOES ON", 60, 4, random);
  EnterResult(file, book, "BIG", 123456, 120, random);
  EnterResult(file, book, "EDGE", 99999, 99, random);
  const ScoreBook read = Read();  // too large for five digits: the largest they show
  const ScoreRec want[] = {{Pad("EDGE"), 99999, 99, 1},
                           {Pad("BIG"), 99999, 99, 2},
                           {"NO NAME                   ", 70, 2, 3},
                           {"A VERY LONG NAME THAT GOES", 60, 4, 4}};
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(read.ScoreList(r), want[r - 1]) << r;
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"rd.DAT"});
}

TEST_F(ScoresTest, TheReaderTakesEachRecordApart) {
  WriteRecords(
      file,
      {Pad("BOB") + "00042" + "07", Pad("  spaced  ") + "     " + "  ", Pad("\x01\xff") + "99999" + "20"},
      41);
  ScoreBook read = Read();
  const ScoreRec want[] = {{Pad("BOB"), 42, 7, 1},
                           {Pad("  spaced  "), 0, 0, 2},
                           {Pad("\x01\xff"), 99999, 20, 3},
                           {Pad(""), 0, 0, 20}};
  for (int i : {0, 1, 2, 3}) EXPECT_EQ(read.ScoreList(want[i].Rank), want[i]) << i;
  SaveScores(file, read, random);
  EXPECT_EQ(Image(file)(661), 42);  // the save count goes on from the file's
}

TEST_F(ScoresTest,
       TwoSavesDifferUnrankedRecordsStayAnInterruptedSaveLeavesTheOldAndBadValuesAreRefusedFirst) {
  EnterResult(file, book, "ALICE", 120, 3, random);
  const ScoreFile first = Image(file);
  SaveScores(file, book, random);
  const ScoreFile second = Image(file);
  int differing = 0;
  for (int i = 1; i <= 660; ++i) differing += first(i) != second(i);
  EXPECT_EQ(std::pair(differing > 600, second(661)), std::pair(true, first(661) + 1));
  for (int r = 1; r <= 20; ++r) EXPECT_EQ(Read().ScoreList(r), book.ScoreList(r));
  EnterResult(file, book, "BOB", 90, 2, random);
  book.ScoreList(2).Name = Pad("CHANGED");
  book.ScoreList(2).Rank = 0;
  book.ScoreList(1).Name = Pad("ALICIA");
  SaveScores(file, book, random);
  EXPECT_EQ(std::pair(Read().ScoreList(1).Name, Read().ScoreList(2).Name),
            std::pair(Pad("ALICIA"), Pad("BOB")));
  const std::string before = ReadText(file);
  const ScoreFile imageBefore = book.File;
  {
    WriteFault fault(WriteStage::Flushed);
    EXPECT_THROW(EnterResult(file, book, "BOB", 300, 5, random), std::runtime_error);
  }
  EXPECT_EQ(std::tuple(ReadText(file), book.File == imageBefore, dir.Names()),
            std::tuple(before, true, std::vector<std::string>{"RD.dat"}));
  // Values are decoded before the sum is checked: no event, the list kept.
  ScoreFile bad = Image(file);
  bad(5) = 999999;  // codes no character, and the sum no longer matches
  WriteText(file, Text(bad));
  ScoreBook into = book;
  EXPECT_THROW(ReadScores(file, into, random), DecodeError);
  EXPECT_EQ(std::pair(std::filesystem::exists(dir / "Event.dat"), into.ScoreList(1)),
            std::pair(false, book.ScoreList(1)));
}

TEST_F(ScoresTest, AnyChangedSummedElementOrAWrongSizeEndsTheProgramWithTheEvent) {
  EnterResult(file, book, "ALICE", 120, 3, random);
  const std::string text = ReadText(file);
  const auto damaged = Damaged<662>(text, -1, {text.substr(0, 2644), std::string(400, 'x')});
  for (std::size_t k = 0; k < damaged.size(); ++k) {
    WriteText(file, damaged[k]);
    WriteText(dir / "Event.dat", "Control File Reading Error.");
    ScoreBook into = book;
    const bool summed = k != damaged.size() - 2;  // element 661, the save count, is not part of the sum
    EXPECT_EQ(ReadEnds(into), summed) << "case " << k;
    EXPECT_EQ(ReadText(dir / "Event.dat"),
              summed ? "Scores File Reading Error." : "Control File Reading Error.")
        << "case " << k;
    EXPECT_EQ(ReadText(file), damaged[k]) << "the reader must not touch the damaged file";
  }
}

TEST_F(ScoresTest, AFileFromAnEmptyListFailsToDecodeAndAnUnreadableTableIsKeptAsideBeforeANewOne) {
  ReadScores(file, book, random);  // missing: the empty, unranked list is written
  EXPECT_EQ(std::pair(Image(file)(661), Image(file)(1)), std::pair(1, 0));
  ScoreBook kept;
  kept.ScoreList(1) = ScoreRec{Pad("KEEP"), 5, 1, 1};
  const ScoreTable before = kept.ScoreList;
  EXPECT_THROW(ReadScores(file, kept, random), DecodeError);
  EXPECT_TRUE(kept.ScoreList == before);
  // The next result writes every record; a table that never held a result is not kept aside.
  EnterResult(file, kept, "NEXT", 50, 2, random);
  EXPECT_EQ(Read().ScoreList(1), (ScoreRec{Pad("NEXT"), 50, 2, 1}));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"RD.dat"});
  const std::filesystem::path elsewhere = dir / "elsewhere" / "RD.dat";
  // element 40 set to value: one that codes no character (sum fixed), the same behind a link, a wrong sum
  const struct {
    std::int32_t value;
    bool fixSum, linked;  // linked: the player's RD.dat is a link to elsewhere/RD.dat
  } cases[] = {{999999, true, false}, {999999, true, true}, {123456, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value + c.linked);
    for (const auto& name : dir.Names()) std::filesystem::remove_all(dir / name);
    std::filesystem::create_directory(dir / "elsewhere");
    if (c.linked) std::filesystem::create_symlink(elsewhere, file);
    ScoreBook start;
    for (int i = 1; i <= 19; ++i) EnterResult(file, start, "P" + std::to_string(i), 100 + i, 1, random);
    ScoreFile bad = Image(file);
    bad(40) = c.value;
    if (c.fixSum) bad(662) = CodedSum(bad, 660);
    WriteText(c.linked ? elsewhere : file, Text(bad));
    const std::string damaged = ReadText(file);
    ScoreBook game;  // as the game goes on after the failed read: an empty list
    EnterResult(file, game, "NEW", 5, 1, random);
    const auto kept = (c.linked ? dir / "elsewhere" : dir.Path()) / "RD.dat.damaged";
    EXPECT_EQ(std::pair(ReadText(kept), std::filesystem::is_symlink(file)), std::pair(damaged, c.linked));
    EXPECT_EQ(Read().ScoreList(1).Name, Pad("NEW"));
    EXPECT_NE(ReadText(dir / "Event.dat").find(kept.string()), std::string::npos);
  }
}
