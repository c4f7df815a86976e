#pragma once
// The numbers the game plays its sounds by. The rules and the screens play
// effects and tracks by these numbers; the file table (GameFiles.h) gives
// each number its wave file.

#include <stdexcept>

namespace quarnix {

// The sound effects by number (the WaveBuffer index).
enum class Effect {
  NoWay = 1,
  CubeRotate,
  Thund,
  CubeDown,
  CubeCross,
  OkMenuSelect,
  OkBuildMove,
  OkExpo,
  SameColor,
  OkExCubeDown,
  OkOpen,
  OkRotBuild,
  OkMenuDefKey,
};
inline constexpr int EffectCount = 13;

// The music tracks by number (the MusicBuffer index): 1..13 the levels'
// tracks, which the level table draws, and 14 the menu's.
enum class Music { Menu = 14 };
inline constexpr int LevelTrackCount = 13;
inline constexpr int MusicCount = 14;

// Level track Number (1..13); another number throws std::out_of_range.
constexpr Music LevelMusic(int Number) {
  if (Number < 1 || Number > LevelTrackCount) throw std::out_of_range("level music track outside 1..13");
  return static_cast<Music>(Number);
}

}  // namespace quarnix
