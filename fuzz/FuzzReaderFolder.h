#pragma once
// Shared by the data-file reader fuzz targets: one scratch game folder per
// process, the input written there as the data file, and a hard stop (which
// libFuzzer reports with the input) when a reader breaks its promises.

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/ProgramEnd.h"
#include "core/Random.h"
#include "storage/XFunc.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace quarnix::fuzz {

class ReaderFolder {
 public:
  ReaderFolder() {
    // In memory where the system offers it: every event the readers log is a flushed save.
    std::error_code ec;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "quarnix-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot create a scratch folder");
    path_ = pattern;
  }
  ~ReaderFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  const std::filesystem::path& Path() const { return path_; }

  // Writes the input as the data file and removes any earlier event file.
  std::filesystem::path Put(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::error_code ec;
    std::filesystem::remove(path_ / "Event.dat", ec);
    return file;
  }

  static std::string Text(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  [[noreturn]] static void Fail(const char* what) {
    std::fprintf(stderr, "reader fault: %s\n", what);
    std::abort();
  }

 private:
  std::filesystem::path path_;
};

// Checks what a reader left behind: the data file untouched, and an event
// file holding exactly `message` when the reader ended the program, none otherwise.
inline void CheckAftermath(const ReaderFolder& folder, const std::filesystem::path& file,
                           const std::uint8_t* data, std::size_t size, bool ended, const char* message) {
  if (ReaderFolder::Text(file) != std::string(reinterpret_cast<const char*>(data), size))
    ReaderFolder::Fail("reading changed the data file");
  const std::filesystem::path event = folder.Path() / "Event.dat";
  if (ended && ReaderFolder::Text(event) != message)
    ReaderFolder::Fail("the event file does not hold the message");
  if (!ended && std::filesystem::exists(event)) ReaderFolder::Fail("an event file without an end");
}

// The bytes of a file in the folder; `missing` when there is none.
inline std::string TextOr(const std::filesystem::path& file, const std::string& missing) {
  return std::filesystem::exists(file) ? ReaderFolder::Text(file) : missing;
}

// After a save over the input: the input was either read back as it was
// (readable) or kept aside as "<name>.damaged", byte for byte; never lost.
// Leaves the folder with no copy and no event file for the next input.
inline void CheckKept(const ReaderFolder& folder, const std::filesystem::path& file, const std::uint8_t* data,
                      std::size_t size, bool readable) {
  std::filesystem::path aside = file;
  aside += ".damaged";
  const std::string input(reinterpret_cast<const char*>(data), size);
  const bool kept = TextOr(aside, "") == input && std::filesystem::exists(aside);
  if (!readable && !kept) ReaderFolder::Fail("a file that could not be read was not kept aside");
  if (readable && std::filesystem::exists(aside)) ReaderFolder::Fail("a readable file was set aside");
  std::error_code ec;
  std::filesystem::remove(aside, ec);
  std::filesystem::remove(folder.Path() / "Event.dat", ec);
}

// The same bytes with the sum (element N) made to match elements 1..summed, so
// that mutations reach the decoding behind the integrity test; empty when the
// size is not that of the file.
template <int N>
std::vector<std::uint8_t> WithMatchingSum(const std::uint8_t* data, std::size_t size, int summed) {
  auto image = CodedFromBytes<N>(std::span(data, size));
  if (!image) return {};
  (*image)(N) = CodedSum(*image, summed);
  return CodedBytes(*image);
}

// Structure-aware mutation for the record files: values 1..coded are decoded
// into the characters they stand for (a value that stands for none gives its
// low byte), libFuzzer mutates those characters, and they are coded again with
// fresh random digits and a sum over 1..summed that matches. So nearly every
// input passes the integrity test and the decoding behind it is what gets
// fuzzed. Only the characters at `focus` (1-based; all when empty) are
// mutated: the others are filler the reader never decodes. One input in eight
// also gets one value that codes no character, and a file of the wrong size
// starts from a blank one.
template <int N>
std::size_t MutateDecoded(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed, int coded,
                          int summed, std::span<const int> focus = {}) {
  if (maxSize < 4 * static_cast<std::size_t>(N)) return size;
  CodedArray<N> image = CodedFromBytes<N>(std::span(data, size)).value_or(CodedArray<N>{});
  std::vector<std::uint8_t> text(static_cast<std::size_t>(coded));
  for (int i = 1; i <= coded; ++i) {
    try {
      text[static_cast<std::size_t>(i - 1)] = static_cast<std::uint8_t>(DecodeChar(image(i)));
    } catch (const DecodeError&) {
      text[static_cast<std::size_t>(i - 1)] = static_cast<std::uint8_t>(image(i));
    }
  }
  if (focus.empty()) {
    LLVMFuzzerMutate(text.data(), text.size(), text.size());
  } else {
    std::vector<std::uint8_t> picked;
    for (int at : focus) picked.push_back(text[static_cast<std::size_t>(at - 1)]);
    LLVMFuzzerMutate(picked.data(), picked.size(), picked.size());
    for (std::size_t k = 0; k < focus.size(); ++k) text[static_cast<std::size_t>(focus[k] - 1)] = picked[k];
  }
  Rng random(seed);
  for (int i = 1; i <= coded; ++i)
    image(i) = EncodeChar(std::string(1, static_cast<char>(text[static_cast<std::size_t>(i - 1)])), random);
  if (seed % 8 == 0) {
    const auto noise = static_cast<int>(seed / 8 % 1000);
    image(1 + static_cast<int>(seed / 8 % static_cast<unsigned>(coded))) =
        seed % 16 ? 999999 - noise : -1 - noise;
  }
  image(N) = CodedSum(image, summed);
  const std::vector<std::uint8_t> bytes = CodedBytes(image);
  std::copy(bytes.begin(), bytes.end(), data);
  return bytes.size();
}

}  // namespace quarnix::fuzz
