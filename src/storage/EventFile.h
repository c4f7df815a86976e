#pragma once
// The event file: the only trace a fatal data-file error leaves. The message
// replaces whatever the file held before, then the program ends. Also here:
// the guard that keeps a record file that cannot be read from being replaced.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quarnix {

inline constexpr const char* EventFileName = "Event.dat";
inline constexpr int EventExitCode = 1;

// Writes message (no line end) as the whole of "Event.dat" in folder, then ends
// the program through EndProgram(EventExitCode). Never returns.
[[noreturn]] void LogEvent(const std::filesystem::path& folder, std::string_view message);

// What the last LogEvent left in folder, for tools that report instead of ending
// ("" when there is no event file).
std::string LastEvent(const std::filesystem::path& folder);

// Why the bytes of a record file cannot be read back; nothing when they can.
using RecordCheck = std::function<std::optional<std::string>(std::span<const std::uint8_t> bytes)>;

// Before the record file `file` (found as FindFile finds it) is replaced: when
// it cannot be opened, or check finds a fault in its first length + 1 bytes,
// the file (through any links) is moved aside as "<name>.damaged" ("-2", "-3",
// ... when taken, so no earlier copy is lost), and the move is written to
// stderr and to "Event.dat" beside it; the program goes on. Throws
// std::runtime_error, having moved nothing, when it cannot be moved.
void SetAsideUnreadable(const std::filesystem::path& file, std::size_t length, const RecordCheck& check);

}  // namespace quarnix
