#pragma once
// Finding, reading and safely replacing the game's files. Names are found as
// written or, failing that, by a case-insensitive match in their folder, so
// "CT.dat" also finds "CT.DAT" (the data was authored on a system that ignores
// case). Saves never leave a half-written file behind: the bytes go to a
// temporary file in the same folder, which is flushed and then renamed over
// the old one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <span>
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

// The first maxBytes bytes of the file (all of it when shorter). Throws
// std::runtime_error naming the file when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path,
                                        std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Replaces the file at `path` with `bytes` as one step: a temporary file in the
// same folder is written, flushed to disk and renamed over `path`. On any
// failure the temporary file is removed, the old file is left whole and
// std::runtime_error is thrown.
void WriteFileAtomic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

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
