#include "Icons.h"

#include <algorithm>
#include <cmath>

#include "Sheets.h"

namespace quarnix::content {

using namespace art;

namespace {

struct Cube {
  int i, j, k, Colour;
};
// A corner of the well: red, green and blue on the floor, yellow on top of
// the one behind them; listed far to near, then bottom to top.
constexpr Cube Stack[] = {{0, 0, 0, 3}, {0, 0, 1, 3}, {1, 0, 0, 0}, {0, 1, 0, 2}, {1, 1, 0, 1}};

Image Draw(int Size, Color Ground) {
  // Fit the stack's outline into the square, a margin of a pixel or two around it.
  float Left = 1e9f, Right = -1e9f, Top = 1e9f, Bottom = -1e9f;
  for (const Cube& c : Stack)
    for (int n = 0; n < 8; ++n) {
      const float x = c.i + (n & 1), y = c.j + (n >> 1 & 1), z = c.k + (n >> 2 & 1);
      Left = std::min(Left, (x - y) * 0.866f), Right = std::max(Right, (x - y) * 0.866f);
      Top = std::min(Top, (x + y) * 0.5f - z), Bottom = std::max(Bottom, (x + y) * 0.5f - z);
    }
  const float Margin = std::max(1.f, Size / 32.f);
  const float a = (Size - 2 * Margin) / std::max(Right - Left, Bottom - Top);
  const Vec2 O{Size / 2.f - (Left + Right) / 2 * a, Size / 2.f - (Top + Bottom) / 2 * a};
  Image Img(Size, Size, Ground);
  // Small cubes keep their colours: thinner edges, and no shape on top to blur into a smudge.
  const float Edge = std::clamp(a * 0.04f, 0.2f, 0.8f);
  for (const Cube& c : Stack) sheet::IsoCube(Img, O, a, c.i, c.j, c.k, c.Colour, Edge, a >= 10);
  return Img;
}

}  // namespace

std::vector<std::uint8_t> MakeIcon(int Size) {
  // Drawn over black and over white: how much of the ground shows through is
  // the difference, and the colour over black, divided by the cover, is the ink.
  const Image OnBlack = Draw(Size, Grey(0)), OnWhite = Draw(Size, Grey(1));
  std::vector<std::uint8_t> Rgba;
  Rgba.reserve(static_cast<std::size_t>(Size) * Size * 4);
  const auto Byte = [](float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255)); };
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) {
      const Color b = OnBlack.At(x, y), w = OnWhite.At(x, y);
      const float Cover = Clamp01(1 - ((w.r - b.r) + (w.g - b.g) + (w.b - b.b)) / 3);
      const float Ink = Cover > 0 ? 1 / Cover : 0;
      for (float v : {b.r * Ink, b.g * Ink, b.b * Ink, Cover}) Rgba.push_back(Byte(v));
    }
  return Rgba;
}

}  // namespace quarnix::content
