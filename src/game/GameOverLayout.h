#pragma once
// Where the game-over panel puts the typed name. The panel (480 x 360 at
// 1024 x 768) is centred on the screen; the name line starts 45 pixels in from
// its left edge, one 15-pixel slot per character; all of it scales with
// ScreenRatio. The name entry keeps its cursor there, the renderer draws there.

namespace quarnix {

// Screen x of name slot 1..26.
inline float NameSlotX(int ScreenWidth, float ScreenRatio, int Slot) {
  const float panelLeft = static_cast<float>(ScreenWidth) / 2.0f - 240.0f * ScreenRatio;
  return panelLeft + 45.0f * ScreenRatio + 15.0f * static_cast<float>(Slot - 1) * ScreenRatio;
}

}  // namespace quarnix
