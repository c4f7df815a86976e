// Any bytes as "RD.dat": the reader either ends the program with its event
// message, refuses a value that codes no character, or gives a table of 20
// well-formed entries; it never crashes or writes the file. The save that
// follows writes back what was read, or keeps a file it could not read aside.
// Built twice: on raw bytes, and with QUARNIX_FUZZ_DECODED on the decoded
// characters (see MutateDecoded), which reaches the decoding far more often.

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
  bool ended = false, refused = false;
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
    refused = true;
    for (int r = 1; r <= TableLength + 1; ++r)
      if (!(book.ScoreList(r) == before.ScoreList(r)))
        fuzz::ReaderFolder::Fail("a refused read changed the list");
  }
  fuzz::CheckAftermath(folder, file, data, size, ended, ScoresReadError);
  if (ended) return;

  // A table never filled (all its characters 0) holds nothing to keep.
  const auto image = CodedFromBytes<662>(std::span(data, size));
  const bool blank = image &&
                     std::all_of(image->begin(), image->begin() + 660, [](auto v) { return v == 0; }) &&
                     (*image)(662) == 0;
  SaveScores(file, book, random);
  fuzz::CheckKept(folder, file, data, size, !refused || blank);
  if (refused) return;
  ScoreBook back;
  ReadScores(file, back, random);
  for (int r = 1; r <= TableLength; ++r) {
    const ScoreRec& e = book.ScoreList(r);
    if (!(back.ScoreList(r) == ScoreRec{StoredName(e.Name), e.Score, e.Level, r}))
      fuzz::ReaderFolder::Fail("a saved table reads back otherwise");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScopedEndHookThrows endHook;
  ReadOnce(data, size);
#ifndef QUARNIX_FUZZ_DECODED
  const auto repaired = fuzz::WithMatchingSum<662>(data, size, 660);
  if (!repaired.empty()) ReadOnce(repaired.data(), repaired.size());
#endif
  return 0;
}

#ifdef QUARNIX_FUZZ_DECODED
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned seed) {
  return fuzz::MutateDecoded<662>(data, size, maxSize, seed, 660, 660);
}
#endif
