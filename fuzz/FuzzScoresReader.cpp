// Any bytes as "RD.dat": the reader either ends the program with its event
// message, refuses a value that codes no character, or gives a table of 20
// well-formed entries; it never crashes or writes the file.

#include <cstdint>

#include "FuzzReaderFolder.h"
#include "core/Random.h"
#include "storage/Scores.h"

using namespace quarnix;

namespace {

void ReadOnce(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReaderFolder folder;
  const auto file = folder.Put(ScoresFileName, data, size);
  Rng random(1);
  ScoreBook book;
  const ScoreBook before = book;
  bool ended = false;
  try {
    ReadScores(file, book, random);
    for (int r = 1; r <= TableLength; ++r) {
      const ScoreRec& e = book.ScoreList(r);
      if (e.Rank != r || e.Name.size() != NameLength || e.Score < 0 || e.Score > MaxStoredScore ||
          e.Level < 0 || e.Level > MaxStoredLevel)
        fuzz::ReaderFolder::Fail("a malformed table entry");
    }
  } catch (const ProgramEndRequested&) {
    ended = true;
  } catch (const DecodeError&) {
    for (int r = 1; r <= TableLength + 1; ++r)
      if (!(book.ScoreList(r) == before.ScoreList(r)))
        fuzz::ReaderFolder::Fail("a refused read changed the list");
  }
  fuzz::CheckAftermath(folder, file, data, size, ended, ScoresReadError);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScopedEndHookThrows endHook;
  ReadOnce(data, size);
  const auto repaired = fuzz::WithMatchingSum<662>(data, size, 660);
  if (!repaired.empty()) ReadOnce(repaired.data(), repaired.size());
  return 0;
}
