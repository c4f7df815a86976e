#pragma once
// Shared by the record file tests: coded images as bytes, program ends caught, write faults.

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "storage/XFunc.h"

namespace quarnix::test {

template <int N>
std::string Text(const CodedArray<N>& image) {
  const auto bytes = CodedBytes(image);
  return std::string(bytes.begin(), bytes.end());
}
template <int N>
CodedArray<N> ReadImage(const std::filesystem::path& file) {
  return CodedFromBytes<N>(ReadFileBytes(file)).value();  // throws for a file of the wrong size
}
template <typename F>
int ExitCodeOf(F call) {  // the exit code the call asked the program to end with; -1 when it returned
  ScopedEndHookThrows hook;
  try {
    call();
  } catch (const ProgramEndRequested& e) {
    return e.exitCode;
  }
  return -1;
}
// Damaged copies of a file: empty, cut, padded, and each element off by delta.
template <int N>
std::vector<std::string> Damaged(const std::string& text, int delta, std::vector<std::string> more) {
  const CodedArray<N> good =
      *CodedFromBytes<N>(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  more.insert(more.end(), {std::string(), text.substr(0, text.size() - 1), text + std::string(4, '\0')});
  for (int i = 1; i <= N; ++i) {
    CodedArray<N> bad = good;
    bad(i) += delta;
    more.push_back(Text(bad));
  }
  return more;
}
// A file named name in a folder in memory, and its reader run with the program's end caught.
template <typename Value, auto Reader>
struct RecordFileTest : testing::Test {
  explicit RecordFileTest(const char* name) : file(dir / name) {}
  bool ReadEnds(Value& into) {
    return ExitCodeOf([&] { Reader(file, into, random); }) != -1;
  }
  Value Read() {
    Value fresh;
    if (ReadEnds(fresh)) ADD_FAILURE() << "the reader ended the program";
    return fresh;
  }
  TempFolder dir{TempFolder::InMemory};
  std::filesystem::path file;
  Rng random{11};
  ScopedEndHookThrows hook;
};
// Makes the next save fail at the stage given, for the life of this object.
struct WriteFault {
  explicit WriteFault(WriteStage at)
      : previous(SetWriteFaultHook([at](WriteStage stage, const std::filesystem::path&) {
          if (stage == at) throw std::runtime_error("interrupted");
        })) {}
  ~WriteFault() { SetWriteFaultHook(std::move(previous)); }
  WriteFaultHook previous;
};

}  // namespace quarnix::test
