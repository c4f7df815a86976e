#pragma once
// The 27 wave files of the game: the 13 effects and the 14 music tracks, under
// the names the file table gives them.

#include <filesystem>
#include <string>
#include <vector>

#include "Synth.h"
#include "content/GameFiles.h"

namespace quarnix::soundgen {

// The samples of one of the game's wave files (an effect or a music track of
// the file table).
Signal Synthesise(const GameFile& file);

// Writes every wave file of the file table into DIR, creating its folder.
void WriteSoundSet(const std::filesystem::path& dir);

}  // namespace quarnix::soundgen
