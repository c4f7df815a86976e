#pragma once
// Starting and stopping the effects and the music. Every sound of the game goes
// through here, so the player's two volume steps and the "no sound device" case
// are applied in one place.

#include "core/FixedArray.h"
#include "core/SoundBuffer.h"

namespace quarnix {

inline constexpr int WaveCount = 13;   // effects
inline constexpr int MusicCount = 14;  // 1..13 level tracks, 14 the menu

class SoundPlayer {
 public:
  // Buffers by number; null where a sound was not loaded (it is then skipped).
  FixedArray<ISoundBuffer*, WaveCount> WaveBuffer{};
  FixedArray<ISoundBuffer*, MusicCount> MusicBuffer{};
  int SoundOn = 0;     // 1 when a sound device was set up; otherwise nothing plays
  int SoundLevel = 9;  // effect volume step; effects play only above 1
  int MusicLevel = 9;  // music volume step; music plays only above 1
  int MusicNow = 0;    // track last started, 0 none yet

  // Volume in hundredths of a decibel; each step below 10 takes 3 dB off.
  // An index outside 1..13 (effects) or 1..14 (music) throws std::out_of_range.
  void PlayWave(int Index, int Flags, int Volume);
  void StopWave(int Index);
  void PlayMusic(int Index, int Flags, int Volume);
  void StopMusic(int Index);
};

}  // namespace quarnix
