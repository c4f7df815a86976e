#pragma once
// Where the game's files are. The game and its tool find them from their own
// executable, never from the working directory, so a launcher that starts the
// game in the player's home folder finds everything:
// - a build or portable folder holds the data (Data/, Wave/ and the default
//   records) beside the executable;
// - an installed game has its executables in P/bin and its data, read-only,
//   in P/share/quarnix. No prefix is built in: the tree can be moved.
// The player's records (CT.dat, RD.dat and "Event.dat") stay beside the data
// in a portable folder the player may write. Otherwise they live in the
// player's own folder, $XDG_DATA_HOME/quarnix (~/.local/share/quarnix), which
// starts with copies of the default records: the installed data is never
// written, and every player of a machine keeps a table of their own.

#include <filesystem>

#include "content/GameFiles.h"

namespace quarnix {

// The data folder of an installed game, relative to its executable's folder.
inline constexpr const char* InstalledDataFolder = "../share/quarnix";

struct GameLocation {
  std::filesystem::path ProgramFolder;  // the folder of the running executable
  std::filesystem::path AppPath;        // the game's data and its default records
  std::filesystem::path RecordPath;     // the player's records

  // The folder a file of that role lives in, and the file itself.
  const std::filesystem::path& FolderOf(FileRole role) const;
  std::filesystem::path PathOf(const GameFile& file) const { return FolderOf(file.Role) / file.Path(); }
  std::filesystem::path PathOf(FileRole role, int number = 1) const {
    return PathOf(FindGameFile(role, number));
  }
};

// The folder the running executable lies in (as the system names it, links resolved).
std::filesystem::path ProgramFolder();

// $XDG_DATA_HOME/quarnix when that is an absolute path, else
// $HOME/.local/share/quarnix (the home folder from the user database when
// HOME is unset). Throws std::runtime_error when there is no home folder.
std::filesystem::path UserRecordFolder();

// The game's data as found from the folder of its executable: beside it, else
// in InstalledDataFolder; neither there, the program folder itself (the file
// check then names what is missing).
std::filesystem::path FindDataFolder(const std::filesystem::path& programFolder);

// The data as FindDataFolder finds it; the records stay with data beside the
// executable when that folder is writable, else they go to UserRecordFolder()
// (and with no data found, in the program folder: nothing is made anywhere).
GameLocation LocateGame(const std::filesystem::path& programFolder);

// Gives the player their own records: when they do not live with the data,
// makes their folder and copies into it each default record file it lacks. A
// file already there is never replaced. Throws std::runtime_error naming the
// folder or file that could not be made.
void PrepareRecords(const GameLocation& where);

}  // namespace quarnix
