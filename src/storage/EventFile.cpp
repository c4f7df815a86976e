#include "storage/EventFile.h"

#include <cstdint>
#include <exception>
#include <iostream>
#include <span>

#include "core/Files.h"
#include "core/ProgramEnd.h"

namespace quarnix {

namespace {

// The message as the whole event file; false (and the reason on stderr) when it cannot be written.
bool WriteEvent(const std::filesystem::path& folder, std::string_view message) {
  try {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(message.data());
    WriteFileAtomic(ResolveFile(folder / EventFileName), std::span(bytes, message.size()));
    return true;
  } catch (const std::exception& e) {
    std::cerr << message << " (" << e.what() << ")\n";
    return false;
  }
}

}  // namespace

void LogEvent(const std::filesystem::path& folder, std::string_view message) {
  // The program ends either way; without the file, stderr is the only place left to say why.
  WriteEvent(folder, message);
  EndProgram(EventExitCode);
}

void SetAsideUnreadable(const std::filesystem::path& file, std::size_t length, const RecordCheck& check) {
  const auto found = FindFile(file);
  if (!found) return;
  std::optional<std::string> problem;
  try {
    problem = check(ReadFileBytes(*found, length + 1));
  } catch (const std::exception& e) {
    problem = e.what();
  }
  if (!problem) return;
  // The player's own file is kept, wherever a link has it.
  const std::filesystem::path aside = MoveAside(LinkTarget(*found), ".damaged");
  const std::string message = "\"" + found->string() + "\" could not be read (" + *problem +
                              "); it is kept as \"" + aside.string() + "\" and a new one is written.";
  if (WriteEvent(found->parent_path(), message)) std::cerr << message << '\n';
}

std::string LastEvent(const std::filesystem::path& folder) {
  const auto file = FindFile(folder / EventFileName);
  if (!file) return "";
  const auto bytes = ReadFileBytes(*file, 4096);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace quarnix
