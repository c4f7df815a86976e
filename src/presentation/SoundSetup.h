#pragma once
// The game's 13 effects and 14 music tracks, made into sound buffers from the
// wave files of the Wave folder and handed to the sound player by number.

#include <filesystem>
#include <memory>
#include <string_view>

#include "core/FixedArray.h"
#include "core/SoundBuffer.h"
#include "game/SoundPlayer.h"
#include "platform/Sound.h"

namespace quarnix {

// Wave file names without the extension: effect 1..13, music track 1..14.
std::string_view WaveName(int No);
std::string_view MusicName(int No);
inline constexpr const char* WavExt = ".WAV";

// Owns the buffers the player points at.
struct SoundBank {
  FixedArray<std::unique_ptr<ISoundBuffer>, WaveCount> Waves;
  FixedArray<std::unique_ptr<ISoundBuffer>, MusicCount> Music;
};

// When player.SoundOn is 1: every effect, then every track, from
// WavePath/<name>.WAV into bank and player (a buffer made again replaces the
// old one). The first file that cannot be made into a buffer throws (from the
// sound system) and ends the set-up there: the buffers after it keep what
// they had. Otherwise nothing is opened.
void SetupSounds(SoundBank& bank, SoundPlayer& player, ISoundSystem& sound,
                 const std::filesystem::path& WavePath);

}  // namespace quarnix
