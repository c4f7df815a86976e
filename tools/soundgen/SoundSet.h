#pragma once
// The 27 wave files of the game: the 13 effects and the 14 music tracks, under
// the names the game loads them by.

#include <filesystem>
#include <string>
#include <vector>

#include "Synth.h"

namespace quarnix::soundgen {

struct WaveFile {
  std::string Name;  // without the extension, e.g. "okPlayGame3"
  bool Music;
  int Number;  // effect number 1..13, or music track 1..14
};

// Effects 1..13 in the game's order, then "okPlayGame1".."okPlayGame13" and "okMenu".
std::vector<WaveFile> WaveFiles();

// The samples of one file.
Signal Synthesise(const WaveFile& file);

// Writes every wave file as DIR/Wave/<Name>.WAV, creating the folder.
void WriteSoundSet(const std::filesystem::path& dir);

}  // namespace quarnix::soundgen
