#include "content/GameFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "core/Files.h"

namespace quarnix {

namespace fs = std::filesystem;

namespace {

// Records are a few kilobytes; anything far larger is not one.
constexpr std::size_t RecordCopyLimit = 1 << 20;

bool Absolute(const char* path) { return path != nullptr && path[0] == '/'; }

bool HoldsData(const fs::path& folder) { return FindFolder(folder / DataFolder).has_value(); }

}  // namespace

const fs::path& GameLocation::FolderOf(FileRole role) const {
  switch (role) {
    case FileRole::Program:
      return ProgramFolder;
    case FileRole::Controls:
    case FileRole::Scores:
      return RecordPath;
    default:
      return AppPath;
  }
}

fs::path ProgramFolder() {
  std::error_code error;
  const fs::path exe = fs::read_symlink("/proc/self/exe", error);
  if (error) throw std::runtime_error("cannot find the running program: " + error.message());
  return exe.parent_path();
}

fs::path UserRecordFolder() {
  // The base directory rules: a relative XDG_DATA_HOME is ignored.
  if (const char* data = std::getenv("XDG_DATA_HOME"); Absolute(data)) return fs::path(data) / "quarnix";
  const char* home = std::getenv("HOME");
  if (!Absolute(home)) {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (!Absolute(home))
    throw std::runtime_error("no home folder for the player's records: set HOME or XDG_DATA_HOME");
  return fs::path(home) / ".local" / "share" / "quarnix";
}

fs::path FindDataFolder(const fs::path& programFolder) {
  if (HoldsData(programFolder)) return programFolder;
  const fs::path installed = (programFolder / InstalledDataFolder).lexically_normal();
  return HoldsData(installed) ? installed : programFolder;
}

GameLocation LocateGame(const fs::path& programFolder) {
  GameLocation where{programFolder, FindDataFolder(programFolder), programFolder};
  if (!HoldsData(where.AppPath)) return where;  // nothing found: nothing to write either
  const bool beside = where.AppPath == programFolder;
  if (!beside || access(programFolder.c_str(), W_OK) != 0) where.RecordPath = UserRecordFolder();
  return where;
}

void PrepareRecords(const GameLocation& where) {
  if (where.RecordPath == where.AppPath) return;
  std::error_code error;
  fs::create_directories(where.RecordPath, error);
  if (error) throw std::runtime_error("cannot make " + where.RecordPath.string() + ": " + error.message());
  for (const FileRole role : {FileRole::Controls, FileRole::Scores}) {
    const GameFile& file = FindGameFile(role, 1);
    if (FileExist(where.RecordPath / file.Path())) continue;
    const auto shipped = FindFile(where.AppPath / file.Path());
    if (!shipped) continue;  // the file check names it
    WriteFileAtomic(where.RecordPath / file.Path(),
                    ReadWholeFile(*shipped, RecordCopyLimit, "a record file"));
  }
}

}  // namespace quarnix
