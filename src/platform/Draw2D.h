#pragma once
// Geometry of the 2D layer, shared by the back ends and testable without GL:
// sprite quads in screen pixels, clipping, and text line placement.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

// One vertex of a screen quad: pixel position (y down), texture coordinates,
// colour as r, g, b, a bytes in memory order.
struct QuadVertex {
  float x = 0, y = 0, u = 0, v = 0;
  std::uint32_t rgba = 0xFFFFFFFF;
};

std::uint32_t RgbaBytesFromArgb(D3DCOLOR argb);

// The two triangles of a sprite draw (see ISprite::Draw).
std::array<QuadVertex, 6> SpriteQuad(int textureWidth, int textureHeight, const RECT* source,
                                     const D3DVECTOR2* scaling, const D3DVECTOR2* rotationCentre,
                                     float rotation, const D3DVECTOR2* translation, D3DCOLOR colour);

// An axis-aligned quad from (x0, y0) to (x1, y1) with texture coordinates.
struct AxisQuad {
  float x0, y0, x1, y1;
  float u0, v0, u1, v1;
};
// Cuts q to clip, texture coordinates with it; false when nothing is left.
bool ClipQuad(AxisQuad& q, const RECT& clip);
void AppendQuad(std::vector<QuadVertex>& out, const AxisQuad& q, std::uint32_t rgba);

// Where a picture goes in a window: scaled as large as fits, its shape kept,
// centred (left, top, right, bottom in window pixels, y down).
RECT LetterboxRect(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight);

// Where each line of a DrawText goes: its text and the top-left of its first glyph.
struct TextLine {
  std::string text;
  int x = 0, y = 0, width = 0;
};
std::vector<TextLine> LayoutText(const std::string& text, const RECT& rect, std::uint32_t format,
                                 const std::function<int(const std::string&)>& width, int lineHeight);

}  // namespace quarnix
