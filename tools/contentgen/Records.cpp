#include "Records.h"

#include "content/GameFiles.h"
#include "core/Files.h"
#include "core/Random.h"
#include "storage/Controls.h"
#include "storage/Scores.h"

namespace quarnix::content {
namespace {

// The filler characters only hide the data; a fixed seed keeps builds repeatable.
constexpr std::uint64_t ControlsSeed = 0x43540001;
constexpr std::uint64_t ScoresSeed = 0x52440001;

}  // namespace

RecordsWritten WriteFirstRunRecords(const std::filesystem::path& GameDir) {
  std::filesystem::create_directories(GameDir);
  RecordsWritten Written;
  const std::filesystem::path Controls = GameDir / FindGameFile(FileRole::Controls, 1).Path();
  if (!FindFile(Controls)) {
    Rng Random(ControlsSeed);
    SaveControls(Controls, DefaultGameKeys(), Random);
    Written.Controls = true;
  }
  const std::filesystem::path Scores = GameDir / FindGameFile(FileRole::Scores, 1).Path();
  if (!FindFile(Scores)) {
    // Ranked first, so every record of the file holds an entry ("NO NAME",
    // 0, 0) that reads back; an unranked table would leave them undecodable.
    ScoreBook Book;
    RankScores(Book.ScoreList);
    Rng Random(ScoresSeed);
    SaveScores(Scores, Book, Random);
    Written.Scores = true;
  }
  return Written;
}

}  // namespace quarnix::content
