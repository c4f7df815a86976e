#pragma once
// The records a fresh game folder starts with: the default key bindings
// ("CT.dat") and an empty table of the 20 best ("RD.dat"). The game refuses to
// start without them. A player's own records are never replaced: a file is
// written only when no file of that name, in any case, is there.

#include <filesystem>

namespace quarnix::content {

struct RecordsWritten {
  bool Controls = false;
  bool Scores = false;
};

// Writes the missing records into GameDir (created if needed). The same
// folder state always gives the same bytes.
RecordsWritten WriteFirstRunRecords(const std::filesystem::path& GameDir);

}  // namespace quarnix::content
