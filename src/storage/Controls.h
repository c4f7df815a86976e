#pragma once
// The controls file "CT.dat": the seven key bindings, each stored as the
// character whose code is the key's virtual-key code, hidden among 92 random
// filler characters in a 100-value coded array whose last value is the sum.

#include <filesystem>

#include "core/FixedArray.h"
#include "core/Random.h"

namespace quarnix {

inline constexpr const char* ControlsFileName = "CT.dat";
inline constexpr const char* ControlsReadError = "Control File Reading Error.";

// The seven bindings, numbered as the file stores them.
enum class Binding { Left = 1, Right, Up, Down, Drop, Turn, Camera };

// The key code of each binding: GameKey(Binding::Drop).
using GameKeys = FixedArray<int, 7>;

// Left, Right, Up, Down, Space, "Z", "A".
GameKeys DefaultGameKeys();

// True when every binding is a key with a name (so it can be bound in the
// menu) and no two bindings share a key.
bool BindingsValid(const GameKeys& keys);

// Fills GameKey from the file. A missing file gets the defaults, which are then
// saved. A damaged file (wrong size or sum) is reported with LogEvent in the
// file's folder, which ends the program. Bindings that decode to no valid set
// (see BindingsValid) give the defaults. Throws std::runtime_error when the file
// exists but cannot be read, or a missing file cannot be created (GameKey then
// already holds the defaults).
void ReadControls(const std::filesystem::path& file, GameKeys& GameKey, IRandom& random);

// Writes the bindings with fresh filler. Refuses (std::invalid_argument, nothing
// written) a set that ReadControls would not give back. A file there that does
// not read back as bindings is first set aside (SetAsideUnreadable). The old
// file stays whole if the save fails.
void SaveControls(const std::filesystem::path& file, const GameKeys& GameKey, IRandom& random);

}  // namespace quarnix
