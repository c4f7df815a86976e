// Any bytes as "CT.dat": the reader either ends the program with its event
// message or gives a usable set of bindings; it never crashes or writes the
// file. The save that follows writes bindings that read back, and keeps a
// file whose bindings could not be used aside. Built twice: on raw bytes, and
// with QUARNIX_FUZZ_DECODED on the decoded characters (see MutateDecoded).

#include <cstdint>

#include "FuzzReaderFolder.h"
#include "core/Random.h"
#include "storage/Controls.h"

using namespace quarnix;

namespace {

void ReadOnce(const std::uint8_t* data, std::size_t size) {
  static fuzz::ReaderFolder folder;
  const auto file = folder.Put(ControlsFileName, data, size);
  Rng random(1);
  GameKeys keys;
  bool ended = false;
  try {
    ReadControls(file, keys, random);
  } catch (const ProgramEndRequested&) {
    ended = true;
  }
  if (!ended && !BindingsValid(keys)) fuzz::ReaderFolder::Fail("bindings the game cannot use");
  fuzz::CheckAftermath(folder, file, data, size, ended, ControlsReadError);
  if (ended) return;

  SaveControls(file, keys, random);
  std::filesystem::path aside = file;
  aside += ".damaged";
  // Set aside or not, the input is never lost: either it is the copy, or it
  // gave exactly the bindings just saved.
  fuzz::CheckKept(folder, file, data, size, !std::filesystem::exists(aside));
  GameKeys back;
  ReadControls(file, back, random);
  if (!(back == keys)) fuzz::ReaderFolder::Fail("saved bindings read back otherwise");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScopedEndHookThrows endHook;
  ReadOnce(data, size);
#ifndef QUARNIX_FUZZ_DECODED
  const auto repaired = fuzz::WithMatchingSum<100>(data, size, 99);
  if (!repaired.empty()) ReadOnce(repaired.data(), repaired.size());
#endif
  return 0;
}

#ifdef QUARNIX_FUZZ_DECODED
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned seed) {
  // Where the file keeps bindings 1..7 among its filler.
  static constexpr int Bindings[] = {12, 23, 45, 51, 68, 79, 91};
  return fuzz::MutateDecoded<100>(data, size, maxSize, seed, 99, 99, Bindings);
}
#endif
