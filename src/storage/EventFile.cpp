#include "storage/EventFile.h"

#include <cstdint>
#include <exception>
#include <iostream>
#include <span>

#include "core/Files.h"
#include "core/ProgramEnd.h"

namespace quarnix {

void LogEvent(const std::filesystem::path& folder, std::string_view message) {
  try {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(message.data());
    WriteFileAtomic(ResolveFile(folder / EventFileName), std::span(bytes, message.size()));
  } catch (const std::exception& e) {
    // The program ends either way; without the file, stderr is the only place left to say why.
    std::cerr << message << " (" << e.what() << ")\n";
  }
  EndProgram(EventExitCode);
}

std::string LastEvent(const std::filesystem::path& folder) {
  const auto file = FindFile(folder / EventFileName);
  if (!file) return "";
  const auto bytes = ReadFileBytes(*file, 4096);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace quarnix
