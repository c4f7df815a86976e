#pragma once
// The record file the scores and controls commands work on: a FILE named
// first, or else the player's own, found as the game finds it (and, like the
// game's first run, made from the defaults when the player has none yet).

#include <filesystem>
#include <string_view>
#include <utility>

#include "Command.h"
#include "content/GameFolder.h"

namespace quarnix::tool {

// The file, and the arguments after it. A first argument that is the
// command's option (or no argument at all) means the player's own file.
inline std::pair<std::filesystem::path, Args> RecordFileArgument(const Args& args, std::string_view option,
                                                                 FileRole role) {
  if (!args.empty() && args[0] != option) return {args[0], Args(args.begin() + 1, args.end())};
  const GameLocation where = LocateGame(ProgramFolder());
  PrepareRecords(where);
  return {where.PathOf(role), args};
}

}  // namespace quarnix::tool
