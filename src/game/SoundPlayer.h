#pragma once
// Starting and stopping the effects and the music. Every sound of the game goes
// through here, so the player's two volume steps and the "no sound device" case
// are applied in one place.

#include <optional>

#include "content/SoundNumbers.h"
#include "core/FixedArray.h"
#include "core/SoundBuffer.h"

namespace quarnix {

// How a buffer plays (the sound buffer's play flags).
enum class PlayFlag { Once = 0, Looping = 1 };

class SoundPlayer {
 public:
  // Buffers by number; null where a sound was not loaded (it is then skipped).
  FixedArray<ISoundBuffer*, EffectCount> WaveBuffer{};
  FixedArray<ISoundBuffer*, MusicCount> MusicBuffer{};
  int SoundOn = 0;                // 1 when a sound device was set up; otherwise nothing plays
  int SoundLevel = 9;             // effect volume step; effects play only above 1
  int MusicLevel = 9;             // music volume step; music plays only above 1
  std::optional<Music> MusicNow;  // track last started, none yet at first

  // Volume in hundredths of a decibel; each step below 10 takes 3 dB off.
  // A number outside the effects (1..13) or the tracks (1..14) throws std::out_of_range.
  void PlayWave(Effect Index, PlayFlag Flags, int Volume);
  void StopWave(Effect Index);
  void PlayMusic(Music Index, PlayFlag Flags, int Volume);
  void StopMusic(Music Index);
  // Stops the track last started; nothing when none was.
  void StopMusicNow();
};

}  // namespace quarnix
