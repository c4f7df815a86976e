// The intro: a logo whose two halves slide together, then an animated strip below.

#include <cmath>
#include <functional>

#include "Sheets.h"
#include "Textures.h"

namespace quarnix::content {

using namespace art;

namespace {

constexpr float Pi = 3.14159265f;
const Color Colours[4] = {Rgb(222, 32, 38), Rgb(28, 178, 62), Rgb(36, 98, 236), Rgb(250, 206, 24)};

// The colour shapes again (circle, triangle, square, star), for the logo's cubes.
std::function<float(float, float)> Shape(int c, Vec2 C, float s) {
  switch (c) {
    case 0:
      return Circle{C, s};
    case 1:
      return RegularPolygon({C.x, C.y + s * 0.22f}, s * 1.3f, 3, 0);
    case 2:
      return RoundBox{C, s * 0.92f, s * 0.92f, s * 0.1f};
    default:
      return StarShape({C.x, C.y + s * 0.08f}, s * 1.28f, s * 0.56f, 5, 0);
  }
}

TextLook LogoLook() {
  TextLook L;
  L.Top = Rgb(255, 250, 215);
  L.Bottom = Rgb(255, 150, 20);
  L.Edge = Rgb(40, 16, 4);
  L.EdgeWidth = 3;
  L.GlowColor = Rgb(255, 140, 40);
  L.GlowRadius = 7;
  return L;
}

}  // namespace

void sheet::IsoCube(Image& Img, Vec2 O, float a, int i, int j, int k, int Colour, float Edge, bool Emblem) {
  auto P = [&](float x, float y, float z) {
    return Vec2{O.x + (x - y) * a * 0.866f, O.y + (x + y) * a * 0.5f - z * a};
  };
  Color B = Colours[Colour];
  Polygon Top{{P(i, j, k + 1), P(i + 1, j, k + 1), P(i + 1, j + 1, k + 1), P(i, j + 1, k + 1)}};
  Polygon Right{{P(i + 1, j, k), P(i + 1, j + 1, k), P(i + 1, j + 1, k + 1), P(i + 1, j, k + 1)}};
  Polygon Left{{P(i, j + 1, k), P(i + 1, j + 1, k), P(i + 1, j + 1, k + 1), P(i, j + 1, k + 1)}};
  Vec2 Tc = P(i + 0.5f, j + 0.5f, k + 1);
  FillShape(Img, Top.Bounds(), Top,
            Radial{{Tc.x - a * 0.3f, Tc.y - a * 0.2f}, a, Lighten(B, 0.55f), Lighten(B, 0.15f)});
  FillShape(Img, Right.Bounds(), Right, Linear{P(i + 1, j, k + 1), P(i + 1, j + 1, k), B, Darken(B, 0.25f)});
  FillShape(Img, Left.Bounds(), Left,
            Linear{P(i, j + 1, k + 1), P(i + 1, j + 1, k), Darken(B, 0.35f), Darken(B, 0.6f)});
  if (Emblem) {
    // The shape lies on the top face: squashed to half height.
    auto Flat = Shape(Colour, Tc, a * 0.3f);
    auto OnTop = [Flat, Tc](float x, float y) { return Flat(x, Tc.y + (y - Tc.y) * 2) * 0.5f; };
    Box Tb = Top.Bounds();
    FillShape(
        Img, Tb, [&](float x, float y) { return OnTop(x, y) - 0.8f; }, Solid{Darken(B, 0.7f)});
    FillShape(Img, Tb, OnTop, Solid{Lighten(B, 0.7f)});
  }
  for (Polygon* f : {&Top, &Right, &Left})
    FillShape(Img, f->Bounds(), Outline(*f, Edge), Solid{Rgb(10, 10, 20)});
}

Image MakeIntroLogo(const Fonts& F) {
  // The halves come to rest 184 pixels apart (at every screen size), so the logo is
  // drawn whole, 366 wide, and cut there: columns 0..183 go left, 184..365 go to
  // columns 241..422 of the sheet.
  const int Width = 366, Cut = 184, RightAt = 241;
  Image Logo(Width, 360);
  const float a = 30;
  const Vec2 O{Width / 2.f, 150};
  struct Cube {
    int i, j, k, c;
  };
  const Cube Stack[] = {{0, 0, 2, 3}, {0, 0, 1, 0}, {1, 0, 1, 1}, {0, 1, 1, 2}, {0, 0, 0, 1},
                        {1, 0, 0, 2}, {2, 0, 0, 3}, {0, 1, 0, 3}, {1, 1, 0, 0}, {2, 1, 0, 1},
                        {0, 2, 0, 0}, {1, 2, 0, 1}, {2, 2, 0, 2}};
  // Far to near, then bottom to top.
  for (int s = 0; s <= 8; ++s)
    for (int k = 0; k <= 2; ++k)
      for (const Cube& c : Stack)
        if (c.i + c.j + c.k == s && c.k == k) sheet::IsoCube(Logo, O, a, c.i, c.j, c.k, c.c);
  // A piece on its way down, above the stack.
  const Vec2 Up{O.x + 70, 40};
  for (int n = 0; n < 3; ++n) sheet::IsoCube(Logo, Up, 22, n == 2 ? 1 : 0, n == 2 ? 0 : n, 0, 3 - n % 2 * 2);
  for (int n = 0; n < 3; ++n) {
    float x = Up.x - 28 + 14 * n;
    FillShape(Logo, Logo.Bounds(),
              Segment{{x + 30, Up.y - 36 + 6.f * n}, {x + 30, Up.y - 22 + 6.f * n}, 1.5f},
              Solid{Rgb(200, 220, 255)}, 0.7f);
  }
  DrawTextIn(Logo, F.Bold, "QUARNIX", {4, 246, Width - 4, 330}, 90, Align::Centre, LogoLook());
  FillShape(Logo, Logo.Bounds(), Segment{{40, 340}, {Width - 40.f, 340}, 1.2f},
            Linear{{40, 0}, {float(Width) - 40, 0}, Rgb(90, 60, 10), Rgb(255, 200, 80)});
  Image Sheet(512, 512);
  for (int y = 0; y < 360; ++y)
    for (int x = 0; x < Width; ++x) Sheet.At(x < Cut ? x : x - Cut + RightAt, y) = Logo.At(x, y);
  return Sheet;
}

Image MakeIntroStrip(const Fonts& F) {
  // Eight frames of 400 x 62 at rows 8, 70, ..., 442; the last one stays up.
  const int W = 400, H = 62;
  Image Final(W, H);
  TextLook L;
  L.Top = Rgb(255, 255, 255);
  L.Bottom = Rgb(130, 210, 255);
  L.Edge = Rgb(4, 10, 30);
  L.EdgeWidth = 2;
  L.GlowColor = Rgb(60, 140, 255);
  L.GlowRadius = 5;
  DrawTextIn(Final, F.Bold, "THE 3D FALLING-CUBE PUZZLE", {6, 3, W - 6, 37}, 26, Align::Centre, L);
  for (int c = 0; c < 4; ++c) {
    Vec2 C{W / 2.f + (c - 1.5f) * 44, 49};
    auto S = Shape(c, C, 7);
    FillShape(
        Final, {int(C.x) - 14, 36, int(C.x) + 14, 62}, [&](float x, float y) { return S(x, y) - 1.5f; },
        Solid{Rgb(10, 10, 20)});
    FillShape(Final, {int(C.x) - 14, 36, int(C.x) + 14, 62}, S,
              Linear{{0, C.y - 7}, {0, C.y + 7}, Lighten(Colours[c], 0.5f), Colours[c]});
  }
  for (float x : {40.f, 290.f})
    FillShape(Final, Final.Bounds(), Segment{{x, 49}, {x + 70, 49}, 0.8f}, Solid{Rgb(90, 140, 220)});
  Image Sheet(512, 512);
  for (int k = 0; k < 8; ++k) {
    const int Top = 8 + 62 * k;
    const float Cut = (k + 1) / 8.f * (W + 60) - 30;  // reveal front; the last frame shows everything
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        float w = k == 7 ? 1.f : Clamp01((Cut - x) / 40);
        Color c = Final.At(x, y) * w;
        if (k < 7) {
          float Sweep = std::exp(-std::pow((x - Cut) / 8.f, 2.f)) * (0.3f + 0.7f * std::sin(Pi * y / H));
          c = c + Rgb(200, 230, 255) * (Sweep * 0.8f);
        }
        Sheet.At(x, Top + y) = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
      }
  }
  return Sheet;
}

}  // namespace quarnix::content
