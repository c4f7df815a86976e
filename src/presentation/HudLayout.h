#pragma once
// Where the play screen's 2D layer puts things: the rectangles of the digits,
// letters and cube icons on the HUD sheets (512 x 512 pixels), and the screen
// positions of the numbers, worked out once per screen mode. Positions are
// designed for 1024 pixels of width and scale with ScreenRatio, anchored at
// the screen's centre or edges.

#include <array>

#include "core/FixedArray.h"
#include "game/GameState.h"
#include "platform/D3DTypes.h"

namespace quarnix {

// One of the three screen modes the game offers.
struct ScreenMode {
  int ScreenWidth = 1024;
  int ScreenHeight = 768;
  float ScreenRatio = 1.0f;  // ScreenWidth / 1024
};

// Mode 0 1024 x 768, 1 800 x 600, 2 640 x 480; other indices throw std::out_of_range.
ScreenMode ScreenModeFor(int Index);

// Digit tables are indexed by the digit 0..9 (std::array::at checks it).
struct HudLayout {
  std::array<RECT, 10> LevelDigitRect{};  // large digits of the level announcement
  std::array<RECT, 10> ScoreDigitRect{};  // large digits of the score
  std::array<RECT, 10> DigitRect{};       // small digits
  FixedArray<RECT, 27> LetterRect;        // A..Z, then the space
  FixedArray<float, 2> LevelShowPos;      // x of the announced level's digits
  FixedArray<D3DVECTOR2, 5> ScorePos;
  FixedArray<D3DVECTOR2, 5> ChainPos;
  FixedArray<D3DVECTOR2, 2> LevelPos;
  FixedArray<D3DVECTOR2, 3, 3> NextPos;  // (row i, column j) of the next piece
  FixedArray<D3DVECTOR2, 26> NamePos;    // slots of the typed name
  D3DVECTOR2 OverPos{};                  // top-left of the game-over panel
  // The 32 x 32 icon of a cube kind Red .. FallCube for the level's cube
  // picture 0..24; anything else throws std::out_of_range.
  const RECT& CubeIconRect(int Picture, CellKind Kind) const { return CubeIcon.at(Picture)(Kind); }
  std::array<FixedArray<RECT, 10>, 25> CubeIcon{};
};

HudLayout SetupHudLayout(const ScreenMode& mode);

}  // namespace quarnix
