#pragma once
// The event file: the only trace a fatal data-file error leaves. The message
// replaces whatever the file held before, then the program ends.

#include <filesystem>
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

}  // namespace quarnix
