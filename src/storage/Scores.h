#pragma once
// The scores file "RD.dat": the table of the 20 best results. Each result is a
// 33-character record (name 26, score 5 digits, level 2 digits) of coded
// characters; the file holds the 20 records, a save count and the sum.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/FixedArray.h"
#include "core/Random.h"
#include "storage/XFunc.h"

namespace quarnix {

inline constexpr const char* ScoresFileName = "RD.dat";
inline constexpr const char* ScoresReadError = "Scores File Reading Error.";
inline constexpr int NameLength = 26;
inline constexpr int TableLength = 20;
// The highest score and level the record's digits can hold; larger ones are stored as these.
inline constexpr std::int32_t MaxStoredScore = 99999;
inline constexpr std::int32_t MaxStoredLevel = 99;

struct ScoreRec {
  std::string Name = std::string(NameLength, ' ');
  std::int32_t Score = 0;
  std::int32_t Level = 0;
  std::int32_t Rank = 0;  // 1..21 once ranked; 0 = not ranked
  bool operator==(const ScoreRec&) const = default;
};

// Entries 1..20 are the table; entry 21 takes a new result before ranking
// and holds the one that dropped out afterwards.
using ScoreTable = FixedArray<ScoreRec, TableLength + 1>;

// The file image: 660 coded characters, the save count (not summed), the sum.
using ScoreFile = CodedArray<662>;

// The table and the image of its file. The image outlives a read: a save
// leaves the records of ranks no entry holds as they were, and counts on
// from the save count last read.
struct ScoreBook {
  ScoreTable ScoreList;
  ScoreFile File;
};

// The name as stored: cut or space-padded to 26 characters; a blank name
// becomes "NO NAME".
std::string StoredName(std::string_view name);

// Reads entries 1..20 (each ranked by its place) from the file. A missing file
// is created from the current list (SaveScores). A file of the wrong size is
// reported with LogEvent in the file's folder, which ends the program. The
// records are decoded before the sum is checked: a value that codes no
// character throws DecodeError and leaves the list and the image as they were;
// then a wrong sum goes to LogEvent. Throws std::runtime_error when the file
// cannot be read or created.
void ReadScores(const std::filesystem::path& file, ScoreBook& book, IRandom& random);

// Writes the entries ranked 1..20 into the image and the image to the file,
// counting the save. Scores and levels beyond what the digits hold are stored
// as the largest they can show. A file there that does not read back as a
// table (a result would replace the player's other results) is first set
// aside (SetAsideUnreadable). On failure the image is unchanged and so is the
// file, unless it was set aside.
void SaveScores(const std::filesystem::path& file, ScoreBook& book, IRandom& random);

// Ranks entries 1..21 by score, best first; of equal scores the entry with the
// higher index ranks first.
void RankScores(ScoreTable& ScoreList);

// Whether a game's result enters the table: above 0 and at least the 20th score.
bool ResultQualifies(const ScoreTable& ScoreList, std::int32_t score);

// Moves every ranked entry to the index of its rank, as a table read back from
// its file holds them.
void PutInRankOrder(ScoreTable& ScoreList);

// Puts the result into entry 21 (name as StoredName gives it) and ranks.
void InsertResult(ScoreTable& ScoreList, std::string_view name, std::int32_t score, std::int32_t level);

// The end of a game that entered the table: InsertResult, SaveScores, ReadScores.
void EnterResult(const std::filesystem::path& file, ScoreBook& book, std::string_view name,
                 std::int32_t score, std::int32_t level, IRandom& random);

}  // namespace quarnix
