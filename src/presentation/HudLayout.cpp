#include "presentation/HudLayout.h"

#include <stdexcept>
#include <string>

#include "platform/PublicX8.h"

namespace quarnix {

namespace {

// Screen x of name slot 1..26. The game-over panel (480 x 360 at 1024 x 768) is
// centred on the screen; the name line starts 45 pixels in from its left edge,
// one 15-pixel slot per character; all of it scales with ScreenRatio.
float NameSlotX(int ScreenWidth, float ScreenRatio, int Slot) {
  const float panelLeft = static_cast<float>(ScreenWidth) / 2.0f - 240.0f * ScreenRatio;
  return panelLeft + 45.0f * ScreenRatio + 15.0f * static_cast<float>(Slot - 1) * ScreenRatio;
}

}  // namespace

ScreenMode ScreenModeFor(int Index) {
  switch (Index) {
    case 0:
      return {1024, 768, 1.0f};
    case 1:
      return {800, 600, 800.0f / 1024.0f};
    case 2:
      return {640, 480, 640.0f / 1024.0f};
    default:
      throw std::out_of_range("screen mode " + std::to_string(Index) + " outside 0..2");
  }
}

namespace {

// Left, top, right, bottom (MakeRect itself takes bottom before right).
RECT Rect(float left, float top, float right, float bottom) { return MakeRect(left, top, bottom, right); }

}  // namespace

HudLayout SetupHudLayout(const ScreenMode& mode) {
  HudLayout h;
  const float r = mode.ScreenRatio;
  // Anchors in whole pixels, as the layout was designed.
  const auto half = static_cast<float>(mode.ScreenWidth / 2);
  const auto quarter = static_cast<float>(mode.ScreenWidth / 4);
  const auto threeQuarters = static_cast<float>(3 * mode.ScreenWidth / 4);
  const auto halfHeight = static_cast<float>(mode.ScreenHeight / 2);

  for (int d = 0; d <= 9; ++d) {
    const auto fd = static_cast<float>(d);
    h.LevelDigitRect.at(d) = Rect(40 * fd + 20, 81, 40 * fd + 60, 109);
    h.ScoreDigitRect.at(d) = Rect(40 * fd + 60, 0, 40 * fd + 100, 25);
    h.DigitRect.at(d) = Rect(15 * fd, 330, 15 * fd + 14, 344);
  }
  for (int n = 1; n <= 27; ++n) {
    const auto fn = static_cast<float>(n);
    h.LetterRect(n) = Rect(15 * (fn - 1), 345, 15 * fn - 1, 360);
  }
  h.LevelShowPos(1) = half + 40 * r;
  h.LevelShowPos(2) = half + 80 * r;
  for (int n = 1; n <= 5; ++n) {
    const auto fn = static_cast<float>(n);
    h.ScorePos(n) = vec2(half - 140 * r + 40 * fn * r, 36 * r);
    h.ChainPos(n) = vec2(threeQuarters - 84 * r + 15 * fn * r, 40 * r);
  }
  for (int n = 1; n <= 2; ++n) h.LevelPos(n) = vec2(quarter + 2 * r + 15 * static_cast<float>(n) * r, 40 * r);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j)
      h.NextPos(i, j) = vec2(32 * static_cast<float>(j) * r, 32 * static_cast<float>(i) * r + 8 * r);

  for (int p = 0; p <= 24; ++p) {
    auto& icons = h.CubeIcon.at(p);
    for (int kind = 1; kind <= 4; ++kind) {
      // Pictures 16..24 of each colour sit in the right half of the sheet.
      const int c = kind - 1 + (p >= 16 ? 4 : 0);
      const int row = p - (p >= 16 ? 16 : 0);
      icons(kind) = Rect(32.0f * c, 32.0f * row, 32.0f * c + 31, 32.0f * row + 31);
    }
    for (int kind = 5; kind <= 8; ++kind) {
      const auto left = 128.0f + 32.0f * (kind - 5);
      icons(kind) = Rect(left, 320, left + 31, 351);
    }
    for (int kind = 9; kind <= 10; ++kind) {
      const auto left = 128.0f + 32.0f * (kind - 9);
      icons(kind) = Rect(left, 352, left + 31, 383);
    }
  }

  h.OverPos = vec2(half - 240 * r, halfHeight - 180 * r);
  for (int n = 1; n <= 26; ++n) h.NamePos(n) = vec2(NameSlotX(mode.ScreenWidth, r, n), h.OverPos.y + 312 * r);
  return h;
}

}  // namespace quarnix
