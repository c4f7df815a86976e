#include "storage/Scores.h"

#include <algorithm>
#include <optional>
#include <span>

#include "core/Files.h"
#include "storage/EventFile.h"

namespace quarnix {

namespace {

constexpr int RecordLength = 33;
constexpr int TextLength = TableLength * RecordLength;  // 660 coded characters
constexpr int SaveCountAt = TextLength + 1;
constexpr int SumAt = TextLength + 2;

// Digits of a whole number, blanks ignored, up to the first other character;
// no digits give 0.
std::int32_t NumberIn(std::string_view text) {
  std::int32_t value = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');  // at most five digits: no overflow
  }
  return value;
}

std::string Digits(std::int32_t value, std::int32_t max, int width) {
  std::string text = std::to_string(std::clamp(value, 0, max));
  return std::string(static_cast<std::size_t>(width) - text.size(), '0') + text;
}

// The 660 characters of the records; DecodeError for a value that codes none.
std::string DecodeText(const ScoreFile& image) {
  std::string text;
  text.reserve(TextLength);
  for (int i = 1; i <= TextLength; ++i) text += DecodeChar(image(i));
  return text;
}

bool SumHolds(const ScoreFile& image) { return CodedSum(image, TextLength) == image(SumAt); }

// What keeps a file from being read back as a table.
std::optional<std::string> ScoresProblem(std::span<const std::uint8_t> bytes) {
  const auto image = CodedFromBytes<SumAt>(bytes);
  if (!image) return "it is not " + std::to_string(4 * SumAt) + " bytes long";
  // Written from a list that never held a result: nothing in it to keep.
  const bool neverFilled =
      std::all_of(image->begin(), image->begin() + TextLength, [](auto v) { return v == 0; });
  if (neverFilled && SumHolds(*image)) return std::nullopt;
  try {
    DecodeText(*image);
  } catch (const DecodeError& e) {
    return e.what();
  }
  if (!SumHolds(*image)) return "its sum does not match";
  return std::nullopt;
}

}  // namespace

std::string StoredName(std::string_view name) {
  std::string stored(name.substr(0, NameLength));
  stored.resize(NameLength, ' ');
  if (stored == std::string(NameLength, ' ')) stored = "NO NAME" + std::string(NameLength - 7, ' ');
  return stored;
}

void ReadScores(const std::filesystem::path& file, ScoreBook& book, IRandom& random) {
  const auto found = FindFile(file);
  if (!found) {
    SaveScores(file, book, random);
    return;
  }
  const auto image = CodedFromBytes<SumAt>(ReadFileBytes(*found, 4 * SumAt + 1));
  if (!image) LogEvent(found->parent_path(), ScoresReadError);
  // Decoded before the sum is checked: a value that codes no character abandons
  // the read (the list stays as it was, the game goes on) even when the sum is wrong too.
  const std::string text = DecodeText(*image);
  if (!SumHolds(*image)) LogEvent(found->parent_path(), ScoresReadError);
  book.File = *image;

  for (int r = 1; r <= TableLength; ++r) {
    const std::string_view record = std::string_view(text).substr((r - 1) * RecordLength, RecordLength);
    ScoreRec& entry = book.ScoreList(r);
    entry.Rank = r;
    entry.Name = record.substr(0, NameLength);
    entry.Score = NumberIn(record.substr(NameLength, 5));
    entry.Level = NumberIn(record.substr(NameLength + 5, 2));
  }
}

void SaveScores(const std::filesystem::path& file, ScoreBook& book, IRandom& random) {
  ScoreFile image = book.File;
  for (int r = 1; r <= TableLength; ++r) {
    const auto entry = std::find_if(book.ScoreList.begin(), book.ScoreList.end(),
                                    [r](const ScoreRec& e) { return e.Rank == r; });
    if (entry == book.ScoreList.end()) continue;
    const std::string text = StoredName(entry->Name) + Digits(entry->Score, MaxStoredScore, 5) +
                             Digits(entry->Level, MaxStoredLevel, 2);
    for (int i = 1; i <= RecordLength; ++i)
      image((r - 1) * RecordLength + i) = EncodeChar(text.substr(i - 1, 1), random);
  }
  image(SumAt) = CodedSum(image, TextLength);
  image(SaveCountAt) = static_cast<std::int32_t>(static_cast<std::uint32_t>(image(SaveCountAt)) + 1u);
  const std::filesystem::path target = ResolveFile(file);
  SetAsideUnreadable(target, 4 * SumAt, ScoresProblem);
  WriteFileAtomic(target, CodedBytes(image));
  book.File = image;
}

void RankScores(ScoreTable& ScoreList) {
  for (ScoreRec& e : ScoreList) e.Rank = 0;
  for (int k = 1; k <= TableLength + 1; ++k) {
    int best = 0;
    for (int i = 1; i <= TableLength + 1; ++i) {
      if (ScoreList(i).Rank != 0) continue;
      // ">=": of equal scores the later entry wins.
      if (best == 0 || ScoreList(i).Score >= ScoreList(best).Score) best = i;
    }
    ScoreList(best).Rank = k;
  }
}

bool ResultQualifies(const ScoreTable& ScoreList, std::int32_t score) {
  return score >= 1 && score >= ScoreList(TableLength).Score;
}

void PutInRankOrder(ScoreTable& ScoreList) {
  const ScoreTable ranked = ScoreList;
  for (const ScoreRec& e : ranked)
    if (e.Rank >= 1) ScoreList(e.Rank) = e;
}

void InsertResult(ScoreTable& ScoreList, std::string_view name, std::int32_t score, std::int32_t level) {
  ScoreList(TableLength + 1) = ScoreRec{StoredName(name), score, level, TableLength + 1};
  RankScores(ScoreList);
}

void EnterResult(const std::filesystem::path& file, ScoreBook& book, std::string_view name,
                 std::int32_t score, std::int32_t level, IRandom& random) {
  InsertResult(book.ScoreList, name, score, level);
  SaveScores(file, book, random);
  ReadScores(file, book, random);
}

}  // namespace quarnix
