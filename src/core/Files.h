#pragma once
// Finding, reading and safely replacing the game's files. Names are found as
// written or, failing that, by a case-insensitive match in their folder, so
// "CT.dat" also finds "CT.DAT" (the data was authored on a system that ignores
// case). Saves never leave a half-written file behind: the bytes go to a
// temporary file in the same folder, which is flushed and then renamed over
// the old one. Every reader and writer of the game and its tools goes through
// here, so none of them blocks on a fifo, reads a device without end or
// replaces something that is not a plain file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quarnix {

// The existing regular file that `path` names: the exact name, or else the one
// entry of its folder that matches it without regard to case (each folder on
// the way is looked up the same way). Among several case-insensitive matches,
// the first in byte order is taken so the choice never depends on the folder's
// listing order.
std::optional<std::filesystem::path> FindFile(const std::filesystem::path& path);

// The existing folder that `path` names, found the same way.
std::optional<std::filesystem::path> FindFolder(const std::filesystem::path& path);

// True when FindFile finds a regular file.
bool FileExist(const std::filesystem::path& path);

// Where a file that may already exist under another case should be read or
// written: the found file, or `path` itself when there is none.
std::filesystem::path ResolveFile(const std::filesystem::path& path);

// The first maxBytes bytes of the file (all of it when shorter): a record
// reader tells a file of the wrong length this way. Throws std::runtime_error
// naming the file when it is not a regular file or cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path,
                                        std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// The whole file. One that is not a regular file, or is longer than limit
// bytes, is refused before anything is allocated: std::runtime_error naming
// the file, its length and the limit of `what` ("an X file").
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::size_t limit,
                                        std::string_view what);

// A regular file kept open to read pieces of it by position: a sound read as
// it plays. Opening refuses what ReadWholeFile refuses (a fifo, a device, a
// folder: std::runtime_error naming the file).
class FileReader {
 public:
  explicit FileReader(const std::filesystem::path& path);
  ~FileReader();
  FileReader(FileReader&& other) noexcept;
  FileReader& operator=(FileReader&& other) noexcept;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  // The length when it was opened.
  std::uint64_t Length() const { return length_; }
  const std::filesystem::path& Path() const { return path_; }
  // Up to into.size() bytes from offset on: fewer only at the end of the file.
  // Throws std::runtime_error naming the file when the read fails.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) const;

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::uint64_t length_ = 0;
};

// The file a chain of symbolic links ends at; `path` itself when it is no link.
std::filesystem::path LinkTarget(const std::filesystem::path& path);

// Replaces the file at `path` with `bytes` as one step: a temporary file in the
// same folder is written, flushed to disk and renamed over `path`. On any
// failure the temporary file is removed, the old file is left whole and
// std::runtime_error is thrown.
// - A symbolic link is written through: the file it leads to is replaced, in
//   that file's own folder, and the link stays.
// - Only a regular file is replaced: a folder, fifo, device or socket there is
//   refused with an error that says what it is.
// - Temporary files that earlier saves of the same file left behind (a save
//   killed midway) are removed first, once the process that made them is gone.
void WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Renames the file at `path` to `path` + suffix, or, when that name is taken,
// + suffix + "-2", "-3", ...: never over an existing file. Returns the new name.
// Throws std::runtime_error when it cannot be moved.
std::filesystem::path MoveAside(const std::filesystem::path& path, std::string_view suffix);

// Fault injection for tests: the hook runs at each stage of WriteFileAtomic
// with the temporary file's path; throwing (or ending the process) there
// simulates a failed or interrupted save.
enum class WriteStage {
  PartWritten,  // about half of the bytes are in the temporary file
  Flushed,      // all bytes written and flushed, not yet renamed
};
using WriteFaultHook = std::function<void(WriteStage stage, const std::filesystem::path& temporary)>;

// Installs a hook and returns the previous one; an empty hook removes it.
WriteFaultHook SetWriteFaultHook(WriteFaultHook hook);

}  // namespace quarnix
