#pragma once
// Shared by the data-file reader fuzz targets: one scratch game folder per
// process, the input written there as the data file, and a hard stop (which
// libFuzzer reports with the input) when a reader breaks its promises.

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/ProgramEnd.h"
#include "storage/XFunc.h"

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

}  // namespace quarnix::fuzz
