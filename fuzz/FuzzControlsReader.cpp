// Any bytes as "CT.dat": the reader either ends the program with its event
// message or gives a usable set of bindings; it never crashes or writes the file.

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
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ScopedEndHookThrows endHook;
  ReadOnce(data, size);
  const auto repaired = fuzz::WithMatchingSum<100>(data, size, 99);
  if (!repaired.empty()) ReadOnce(repaired.data(), repaired.size());
  return 0;
}
