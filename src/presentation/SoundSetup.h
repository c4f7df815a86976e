#pragma once
// The game's 13 effects and 14 music tracks, made into sound buffers from the
// wave files of the Wave folder (the file table names them) and handed to the
// sound player by number.

#include <filesystem>
#include <memory>

#include "content/GameFiles.h"
#include "core/FixedArray.h"
#include "core/SoundBuffer.h"
#include "game/SoundPlayer.h"
#include "platform/Sound.h"

namespace quarnix {

// Owns the buffers the player points at.
struct SoundBank {
  FixedArray<std::unique_ptr<ISoundBuffer>, EffectCount> Waves;
  FixedArray<std::unique_ptr<ISoundBuffer>, MusicCount> Tracks;
};

// When player.SoundOn is 1: every effect, then every track, from their wave
// files in WavePath into bank and player (a buffer made again replaces the
// old one). The first file that cannot be made into a buffer throws (from the
// sound system) and ends the set-up there: the buffers after it keep what
// they had. Otherwise nothing is opened.
void SetupSounds(SoundBank& bank, SoundPlayer& player, ISoundSystem& sound,
                 const std::filesystem::path& WavePath);

}  // namespace quarnix
