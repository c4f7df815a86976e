#include "Textures.h"

#include <cmath>
#include <functional>
#include <stdexcept>

namespace quarnix::content {

using namespace art;

namespace {

constexpr float Pi = 3.14159265f;
constexpr int T = 64;  // texture size
using Sdf = std::function<float(float, float)>;

// Red, green, blue, yellow; index 0 unused.
const Color CubeColour[5] = {{}, Rgb(222, 32, 38), Rgb(28, 178, 62), Rgb(36, 98, 236), Rgb(250, 206, 24)};

// Each colour carries its own shape, so the cubes differ without colour vision too:
// red a circle, green a triangle, blue a square, yellow a star.
Sdf ColourShape(int c, Vec2 C, float s) {
  switch (c) {
    case 1:
      return Circle{C, s};
    case 2:
      return RegularPolygon({C.x, C.y + s * 0.22f}, s * 1.3f, 3, 0);
    case 3:
      return RoundBox{C, s * 0.92f, s * 0.92f, s * 0.1f};
    default:
      return StarShape({C.x, C.y + s * 0.08f}, s * 1.28f, s * 0.56f, 5, 0);
  }
}

template <class A, class B>
auto Intersect(A a, B b) {
  return [a, b](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Box Around(Vec2 C, float r) {
  return {static_cast<int>(C.x - r) - 2, static_cast<int>(C.y - r) - 2, static_cast<int>(C.x + r) + 3,
          static_cast<int>(C.y + r) + 3};
}

// The colour's shape as a glossy emblem. Style 0 solid, 1 hollow with a core,
// 2 on a light round badge.
void Emblem(Image& Img, int c, Vec2 C, float s, int Style) {
  Sdf Shape = ColourShape(c, C, s);
  Box Area = Around(C, 2 * s + 4);
  Color Base = CubeColour[c];
  Color Ink = Darken(Base, 0.72f);
  FillShape(
      Img, Area, [&](float x, float y) { return Shape(x - 1.5f, y - 2.f) - 1.2f; }, Solid{Grey(0)}, 0.35f);
  if (Style == 1) {
    FillShape(Img, Area, Outline(Shape, 3.4f), Solid{Ink});
    FillShape(Img, Area, Outline(Shape, 2.0f),
              Linear{{0, C.y - s}, {0, C.y + s}, Lighten(Base, 0.65f), Base});
    Sdf Core = ColourShape(c, C, s * 0.4f);
    FillShape(Img, Area, Grow(Core, 1.3f), Solid{Ink});
    FillShape(Img, Area, Core, Linear{{0, C.y - s * 0.4f}, {0, C.y + s * 0.4f}, Lighten(Base, 0.75f), Base});
    return;
  }
  if (Style == 2) {
    const float r = s * 1.5f;
    Box Plate = Around(C, r + 2);
    FillShape(Img, Plate, Circle{C, r + 1.5f}, Solid{Ink});
    FillShape(Img, Plate, Circle{C, r}, Radial{{C.x - s * 0.5f, C.y - s * 0.6f}, r * 1.6f, {1, 1, 1}, Grey(0.7f)});
  }
  FillShape(Img, Area, Grow(Shape, 1.7f), Solid{Ink});
  FillShape(Img, Area, Shape, Linear{{0, C.y - s}, {0, C.y + s}, Lighten(Base, 0.6f), Darken(Base, 0.08f)});
  // Gloss over the upper part of the emblem.
  auto Upper = Intersect([Shape, s](float x, float y) { return Shape(x, y) + s * 0.18f; },
                         Circle{{C.x - s * 0.2f, C.y - s * 0.85f}, s * 0.95f});
  FillShape(Img, Area, Upper, Solid{{1, 1, 1}}, 0.42f);
  Vec2 Dot{C.x - s * 0.3f, C.y - s * 0.25f};
  if (Shape(Dot.x, Dot.y) < -2)
    FillShape(Img, Area, Circle{Dot, std::max(1.3f, s * 0.12f)}, Solid{{1, 1, 1}}, 0.8f);
}

// Texture patterns in [0,1] for the 24 piece pictures.
float Pattern(int i, float x, float y) {
  float cx = x - 31.5f, cy = y - 31.5f, r = std::sqrt(cx * cx + cy * cy), a = std::atan2(cy, cx);
  auto Fract = [](float v) { return v - std::floor(v); };
  auto Voronoi = [&](float Cell, int Seed, float* Edge) {
    float d1 = 1e9f, d2 = 1e9f;
    int Best = 0;
    int gx = static_cast<int>(x / Cell), gy = static_cast<int>(y / Cell);
    for (int j = gy - 1; j <= gy + 1; ++j)
      for (int k = gx - 1; k <= gx + 1; ++k) {
        float px = (k + 0.2f + 0.6f * Hash(k, j, Seed)) * Cell,
              py = (j + 0.2f + 0.6f * Hash(k, j, Seed + 7)) * Cell;
        float d = std::hypot(x - px, y - py);
        if (d < d1)
          d2 = d1, d1 = d, Best = k * 31 + j;
        else if (d < d2)
          d2 = d;
      }
    if (Edge) *Edge = d2 - d1;
    return Hash(Best, 3, Seed);
  };
  switch (i) {
    case 0:
      return 0.5f + 0.5f * std::sin((x + y) * Pi / 8);  // diagonal stripes
    case 1:
      return ((static_cast<int>(x) / 16 + static_cast<int>(y) / 16) % 2) ? 0.85f : 0.25f;  // checker
    case 2:
      return 0.5f + 0.5f * std::sin(r * 0.6f);  // rings
    case 3: {                                   // dot grid
      float gx = std::fmod(x, 16.f) - 8, gy = std::fmod(y, 16.f) - 8;
      return 0.2f + 0.75f * SmoothStep(5, 3.5f, std::hypot(gx, gy));
    }
    case 4:
      return 0.5f + 0.5f * std::sin(y * 0.45f + 2.5f * std::sin(x * 0.2f));  // waves
    case 5: {                                                                // bricks
      int Row = static_cast<int>(y) / 12;
      float Off = (Row % 2) * 12.f;
      float bx = std::fmod(x + Off, 24.f), by = std::fmod(y, 12.f);
      if (bx < 2 || by < 2) return 0.05f;
      return 0.5f + 0.35f * Hash(static_cast<int>((x + Off) / 24), Row, 5);
    }
    case 6: {  // scales
      int Row = static_cast<int>(y / 10);
      float sx = std::fmod(x + (Row % 2) * 8.f, 16.f) - 8, sy = std::fmod(y, 10.f);
      float d = std::hypot(sx, sy);
      return 0.25f + 0.7f * Clamp01(d / 11.f);
    }
    case 7: {  // plaid
      float u = 0.5f + 0.5f * std::sin(x * 0.39f), v = 0.5f + 0.5f * std::sin(y * 0.39f);
      float Thin = (std::fmod(x, 16.f) < 1.5f || std::fmod(y, 16.f) < 1.5f) ? 0.25f : 0;
      return Clamp01(0.15f + 0.4f * u + 0.4f * v - Thin);
    }
    case 8:
      return 0.5f + 0.5f * std::sin(a * 10);  // sunburst rays
    case 9:
      return 0.5f + 0.5f * std::sin((std::abs(cx) + std::abs(cy)) * 0.55f);  // nested diamonds
    case 10:
      return 0.5f + 0.5f * std::sin(a * 3 + r * 0.28f);  // swirl
    case 11: {                                           // cross-hatch
      float l1 = SmoothStep(1.8f, 0.6f, std::abs(std::fmod(x + y, 10.f) - 5));
      float l2 = SmoothStep(1.8f, 0.6f, std::abs(std::fmod(x - y + 640.f, 10.f) - 5));
      return 0.8f - 0.6f * std::max(l1, l2);
    }
    case 12: {  // hexagonal weave
      float k = 0.5f, v = 0;
      for (int n = 0; n < 3; ++n) {
        float an = n * Pi / 3;
        v += std::cos(k * (x * std::cos(an) + y * std::sin(an)));
      }
      return Clamp01((v + 1.5f) / 4.5f);
    }
    case 13:
      return 0.5f + 0.5f * std::sin(x * 0.12f + y * 0.05f + 7 * Fbm(x / 16, y / 16, 64, 3, 13));  // marble
    case 14:
      return Fract((std::hypot(x + 20, (y - 32) * 0.35f) + 5 * Fbm(x / 12, y / 12, 64, 2, 14)) / 6);  // wood
    case 15: {  // circuit traces with pads
      int gx = static_cast<int>(x) / 8, gy = static_cast<int>(y) / 8;
      float fx = std::fmod(x, 8.f), fy = std::fmod(y, 8.f);
      bool Horizontal = Hash(gx / 2, gy, 15) > 0.5f;
      float Line = Horizontal ? std::abs(fy - 4) : std::abs(fx - 4);
      float Pad = Hash(gx, gy, 16) > 0.8f ? std::hypot(fx - 4, fy - 4) : 9;
      return (Line < 1.2f || Pad < 2.6f) ? 0.95f : 0.25f;
    }
    case 16:
      return 0.5f + 0.5f * std::sin((y + std::abs(std::fmod(x, 16.f) - 8)) * 0.6f);  // chevrons
    case 17:
      return 0.3f + 0.6f * ValueNoise(x / 24, y * 1.3f, 1024, 17);  // brushed metal
    case 18:
      return 0.2f + 0.7f * Voronoi(16, 18, nullptr);  // mosaic
    case 19:
      return SmoothStep(0.5f, 0.56f, Fbm(x / 10, y / 10, 64, 3, 19)) * 0.7f + 0.2f;  // spots
    case 20: {                                                                       // triangles
      int gx = static_cast<int>(x) / 16, gy = static_cast<int>(y) / 16;
      bool Upper = std::fmod(x, 16.f) > std::fmod(y, 16.f);
      return 0.2f + 0.7f * Hash(gx * 2 + Upper, gy, 20);
    }
    case 21: {  // halftone dots growing downwards
      float gx = std::fmod(x, 8.f) - 4, gy = std::fmod(y, 8.f) - 4;
      return 0.2f + 0.7f * SmoothStep(0.5f, -0.5f, std::hypot(gx, gy) - (0.8f + 3.2f * y / 64));
    }
    case 22: {  // cells with bright borders
      float Edge;
      Voronoi(20, 22, &Edge);
      return Edge < 2 ? 0.95f : 0.3f;
    }
    default: {  // quilted diamonds with stitches
      float u = std::fmod(x + y, 16.f), v = std::fmod(x - y + 640.f, 16.f);
      float Seam = std::min(std::min(u, 16 - u), std::min(v, 16 - v));
      float Stitch = (Seam < 1.2f && std::fmod(x, 4.f) < 2) ? 0.4f : 0;
      return Clamp01(0.3f + 0.04f * Seam + Stitch);
    }
  }
}

struct FaceStyle {
  int Bevel = 5;
  bool Pillow = false;  // rounded bevel instead of flat facets
  bool Frame = false;   // thin line inside the bevel
};

// A cube face: patterned body, lit from the top left, bevelled edges and a gloss.
void CubeBody(Image& Img, Color Base, const std::function<float(float, float)>& Pat, float Amount,
              FaceStyle St) {
  for (int y = 0; y < T; ++y)
    for (int x = 0; x < T; ++x) {
      float t = 0.5f + (Pat(x + 0.5f, y + 0.5f) - 0.5f) * Amount;
      Color Body = Mix(Darken(Base, 0.45f), Lighten(Base, 0.28f), t);
      float d = std::hypot(x - 16.f, y - 14.f) / 80.f;
      Body = Body * (1.1f - 0.3f * d);
      int e = std::min(std::min(x, y), std::min(T - 1 - x, T - 1 - y));
      if (e < St.Bevel) {
        float Shade;
        if (y == e)
          Shade = 0.45f;
        else if (x == e)
          Shade = 0.22f;
        else if (T - 1 - x == e)
          Shade = -0.28f;
        else
          Shade = -0.42f;
        float k = St.Pillow ? std::sqrt(1 - (e + 0.5f) / St.Bevel) : 1.f;
        Body = Shade > 0 ? Lighten(Body, Shade * k) : Darken(Body, -Shade * k);
      }
      if (e == 0) Body = Darken(Body, 0.5f);
      if (St.Frame && e == St.Bevel + 1) Body = Darken(Body, 0.35f);
      Img.At(x, y) = Body;
    }
  // Soft gloss across the top.
  for (int y = 0; y < T; ++y)
    for (int x = 0; x < T; ++x) {
      float u = (x - 28.f) / 30.f, v = (y - 11.f) / 9.f;
      float q = 1 - (u * u + v * v);
      if (q > 0) Img.Blend(x, y, {1, 1, 1}, 0.2f * q);
    }
}

Image PlainCube(int c) {
  Image Img(T, T);
  CubeBody(Img, CubeColour[c], [](float x, float y) { return 1 - Clamp01(std::hypot(x - 20, y - 18) / 60); },
           0.9f, {});
  Emblem(Img, c, {32, 32}, 16, 0);
  return Img;
}

Image PieceCube(int c, int Picture) {
  const int v = Picture - 1;  // 0..23
  Image Img(T, T);
  FaceStyle St;
  switch ((v / 3) % 3) {
    case 1:
      St = {3, false, true};
      break;
    case 2:
      St = {6, true, false};
      break;
    default:
      break;
  }
  CubeBody(
      Img, CubeColour[c], [v](float x, float y) { return Pattern(v, x, y); }, 0.85f, St);
  switch (v % 4) {
    case 0:
      Emblem(Img, c, {32, 32}, 15, 0);
      break;
    case 1:
      Emblem(Img, c, {32, 32}, 16, 1);
      break;
    case 2:
      for (Vec2 p : {Vec2{19, 19}, Vec2{45, 19}, Vec2{19, 45}, Vec2{45, 45}}) Emblem(Img, c, p, 7.5f, 0);
      break;
    default:
      Emblem(Img, c, {32, 32}, 13, 2);
      break;
  }
  return Img;
}

// Special cubes ------------------------------------------------------------

Image FourColour() {
  Image Img(T, T);
  CubeBody(Img, Rgb(200, 204, 214), [](float, float) { return 0.5f; }, 0, {});
  const Vec2 C{32, 32};
  const float In = 7;  // inner square of the quadrants
  Polygon Tri[4] = {{{{In, In}, {T - In, In}, C}},
                    {{{T - In, In}, {T - In, T - In}, C}},
                    {{{T - In, T - In}, {In, T - In}, C}},
                    {{{In, T - In}, {In, In}, C}}};
  const int Order[4] = {1, 2, 3, 4};  // top red, right green, bottom blue, left yellow
  const Vec2 Mid[4] = {{32, 16}, {48, 32}, {32, 48}, {16, 32}};
  for (int q = 0; q < 4; ++q) {
    Color B = CubeColour[Order[q]];
    FillShape(Img, Tri[q].Bounds(), Tri[q], Radial{C, 30, Lighten(B, 0.35f), Darken(B, 0.15f)});
  }
  for (int q = 0; q < 4; ++q) FillShape(Img, Tri[q].Bounds(), Outline(Tri[q], 0.8f), Solid{Grey(0.95f)});
  for (int q = 0; q < 4; ++q) Emblem(Img, Order[q], Mid[q], 5.5f, 0);
  FillShape(Img, Around(C, 8), Circle{C, 6.5f}, Solid{Grey(0.1f)});
  FillShape(Img, Around(C, 8), Circle{C, 5}, Radial{{30.5f, 30.5f}, 6, {1, 1, 1}, Rgb(200, 220, 255)});
  return Img;
}

Image StackedCubes() {
  Image Img(T, T);
  CubeBody(Img, Rgb(70, 78, 104), [](float x, float y) { return Pattern(12, x, y); }, 0.3f, {});
  const float a = 11.5f;
  const Vec2 O{32, 22.5f};
  auto P = [&](float i, float j, float k) {
    return Vec2{O.x + (i - j) * a * 0.866f, O.y + (i + j) * a * 0.5f - (k - 2) * a};
  };
  const float g = 0.1f;  // gap between the blocks, so they read as separate cubes
  const int Colours[8] = {1, 2, 3, 4, 4, 1, 2, 3};
  int n = 0;
  for (int s = 0; s <= 3; ++s)  // painter's order: far cubes first
    for (int k = 0; k < 2; ++k)
      for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
          if (i + j + k != s) continue;
          Color B = CubeColour[Colours[n++ % 8]];
          const float i0 = i + g, i1 = i + 1 - g, j0 = j + g, j1 = j + 1 - g, k0 = k + g, k1 = k + 1 - g;
          Polygon Top{{P(i0, j0, k1), P(i1, j0, k1), P(i1, j1, k1), P(i0, j1, k1)}};
          Polygon Right{{P(i1, j0, k0), P(i1, j1, k0), P(i1, j1, k1), P(i1, j0, k1)}};
          Polygon Left{{P(i0, j1, k0), P(i1, j1, k0), P(i1, j1, k1), P(i0, j1, k1)}};
          FillShape(Img, Top.Bounds(), Top, Solid{Lighten(B, 0.35f)});
          FillShape(Img, Right.Bounds(), Right, Solid{B});
          FillShape(Img, Left.Bounds(), Left, Solid{Darken(B, 0.4f)});
          for (Polygon* f : {&Top, &Right, &Left})
            FillShape(Img, f->Bounds(), Outline(*f, 0.55f), Solid{Grey(0.08f)});
        }
  return Img;
}

Image ClearLayer() {
  Image Img(T, T);
  CubeBody(Img, Rgb(24, 92, 108), [](float x, float y) { return Pattern(17, x, y); }, 0.4f, {});
  const Color Dim = Rgb(60, 130, 145), Bright = Rgb(220, 255, 255);
  for (float y : {13.f, 45.f}) {
    RoundBox Slab{{32, y + 3}, 20, 3.5f, 1.5f};
    FillShape(Img, Img.Bounds(), Grow(Slab, 1), Solid{Grey(0.06f)});
    FillShape(Img, Img.Bounds(), Slab, Solid{Dim});
  }
  RoundBox Mid{{32, 32}, 20, 4.5f, 2};
  Glow(Img, Img.Bounds(), Mid, Rgb(90, 230, 255), 9, 0.9f);
  FillShape(Img, Img.Bounds(), Mid, Linear{{0, 28}, {0, 37}, {1, 1, 1}, Bright});
  for (float s : {-1.f, 1.f}) {
    Polygon Arrow{{{32 + s * 24, 25}, {32 + s * 31, 32}, {32 + s * 24, 39}}};
    FillShape(Img, Arrow.Bounds(), Grow(Arrow, 1), Solid{Grey(0.06f)});
    FillShape(Img, Arrow.Bounds(), Arrow, Solid{Rgb(255, 240, 120)});
  }
  return Img;
}

Image DiamondGem() {
  Image Img(T, T);
  CubeBody(Img, Rgb(84, 28, 110), [](float x, float y) { return Pattern(9, x, y); }, 0.35f, {});
  const float G = 29;  // girdle line
  std::vector<Vec2> Crown = {{20, 15}, {44, 15}, {55, G}, {9, G}};
  Polygon Whole{{{20, 15}, {44, 15}, {55, G}, {32, 56}, {9, G}}};
  Glow(Img, Img.Bounds(), Whole, Rgb(140, 220, 255), 8, 0.55f);
  FillShape(Img, Whole.Bounds(), Grow(Whole, 1.5f), Solid{Rgb(10, 20, 50)});
  // Crown facets.
  const Color Light[3] = {Rgb(200, 245, 255), Rgb(245, 255, 255), Rgb(150, 215, 245)};
  Polygon CrownFacets[3] = {{{{20, 15}, {27, 15}, {21, G}, {9, G}}},
                            {{{27, 15}, {37, 15}, {43, G}, {21, G}}},
                            {{{37, 15}, {44, 15}, {55, G}, {43, G}}}};
  for (int f = 0; f < 3; ++f) FillShape(Img, CrownFacets[f].Bounds(), CrownFacets[f], Solid{Light[f]});
  // Pavilion facets down to the point.
  const float Xs[5] = {9, 20.5f, 32, 43.5f, 55};
  for (int f = 0; f < 4; ++f) {
    Polygon Facet{{{Xs[f], G}, {Xs[f + 1], G}, {32, 56}}};
    Color c = (f % 2) ? Rgb(90, 170, 230) : Rgb(160, 225, 250);
    if (f == 3) c = Rgb(60, 130, 200);
    FillShape(Img, Facet.Bounds(), Facet, Solid{c});
  }
  for (int f = 0; f < 3; ++f)
    FillShape(Img, CrownFacets[f].Bounds(), Outline(CrownFacets[f], 0.4f), Solid{Rgb(60, 120, 170)}, 0.8f);
  FillShape(Img, Img.Bounds(), Segment{{9, G}, {55, G}, 0.6f}, Solid{Rgb(60, 120, 170)});
  Polygon Sparkle = StarShape({46, 13}, 6, 1.2f, 4, 0);
  FillShape(Img, Sparkle.Bounds(), Sparkle, Solid{{1, 1, 1}});
  return Img;
}

Image Lightning() {
  Image Img(T, T);
  CubeBody(Img, Rgb(36, 40, 86), [](float x, float y) { return Fbm(x / 12, y / 12, 64, 4, 9); }, 0.9f, {});
  Polygon Bolt{{{38, 5}, {17, 35}, {29, 35}, {22, 59}, {48, 26}, {35, 26}, {45, 5}}};
  Glow(Img, Img.Bounds(), Bolt, Rgb(255, 230, 120), 10, 0.8f);
  FillShape(Img, Bolt.Bounds(), Grow(Bolt, 1.8f), Solid{Rgb(120, 60, 0)});
  FillShape(Img, Bolt.Bounds(), Bolt, Linear{{30, 5}, {34, 59}, {1, 1, 0.9f}, Rgb(255, 196, 20)});
  return Img;
}

Image FallingCube() {
  Image Img(T, T);
  CubeBody(Img, Rgb(120, 126, 136), [](float x, float y) { return Pattern(23, x, y); }, 0.6f, {});
  for (float x : {20.f, 44.f})
    FillShape(Img, Img.Bounds(), Segment{{x, 8}, {x, 20}, 1.2f}, Solid{Grey(0.9f)}, 0.7f);
  Polygon Arrow{{{26, 9}, {38, 9}, {38, 31}, {50, 31}, {32, 55}, {14, 31}, {26, 31}}};
  FillShape(Img, Arrow.Bounds(), Grow(Arrow, 1.8f), Solid{Rgb(60, 24, 0)});
  FillShape(Img, Arrow.Bounds(), Arrow, Linear{{0, 9}, {0, 55}, Rgb(255, 200, 80), Rgb(240, 110, 10)});
  return Img;
}

Image ClearingFlash() {
  Image Img(T, T);
  for (int y = 0; y < T; ++y)
    for (int x = 0; x < T; ++x) {
      float cx = x - 31.5f, cy = y - 31.5f, r = std::hypot(cx, cy) / 45.f, a = std::atan2(cy, cx);
      float Rays = 0.5f + 0.5f * std::sin(a * 8);
      Color c = Mix(Color{1, 1, 1}, Rgb(255, 200, 60), Clamp01(r * 1.3f - 0.1f * Rays));
      float Level = 1.0f - 0.35f * Clamp01(r) + 0.15f * Rays * r;
      int e = std::min(std::min(x, y), std::min(T - 1 - x, T - 1 - y));
      if (e < 3) c = Mix(c, {1, 1, 1}, 0.6f);
      Img.At(x, y) = c * Level;
    }
  return Img;
}

// Drawn additively over a special cube: only bright edges and corner brackets,
// the black middle leaves the cube inside visible.
Image GlassBox() {
  Image Img(T, T);
  for (int y = 0; y < T; ++y)
    for (int x = 0; x < T; ++x) {
      int e = std::min(std::min(x, y), std::min(T - 1 - x, T - 1 - y));
      float Edge = e < 2 ? 0.85f : std::max(0.f, 0.45f - 0.06f * (e - 2));
      Img.At(x, y) = Rgb(120, 220, 255) * Edge;
    }
  for (Vec2 c : {Vec2{0, 0}, Vec2{63, 0}, Vec2{0, 63}, Vec2{63, 63}}) {
    float sx = c.x ? -1.f : 1.f, sy = c.y ? -1.f : 1.f;
    Vec2 k{c.x + sx * 3.5f, c.y + sy * 3.5f};
    FillShape(Img, Img.Bounds(), Segment{k, {k.x + sx * 14, k.y}, 1.6f}, Solid{{1, 1, 1}});
    FillShape(Img, Img.Bounds(), Segment{k, {k.x, k.y + sy * 14}, 1.6f}, Solid{{1, 1, 1}});
  }
  FillShape(Img, Img.Bounds(), Segment{{12, 30}, {30, 12}, 1.0f}, Solid{Rgb(90, 130, 150)}, 0.6f);
  FillShape(Img, Img.Bounds(), Segment{{12, 40}, {40, 12}, 0.6f}, Solid{Rgb(90, 130, 150)}, 0.45f);
  return Img;
}

// Star frames: three ten-frame animations on pure black (the colour key).
Image StarFrame(int Set, int Frame) {
  Image Img(T, T);
  const Vec2 C{32, 32};
  const float t = Frame / 9.f;
  if (Set == 0) {  // turning, pulsing golden star
    float Scale = 0.8f + 0.2f * std::sin(t * Pi * 2);
    Polygon S = StarShape(C, 20 * Scale, 8.5f * Scale, 5, Frame * 2 * Pi / 50);
    Glow(Img, Img.Bounds(), S, Rgb(255, 170, 40), 11, 0.6f);
    FillShape(Img, S.Bounds(), S, Radial{C, 18 * Scale, {1, 1, 0.85f}, Rgb(255, 180, 20)});
  } else if (Set == 1) {  // twinkle: a four-point flare that grows and fades
    float Size = 6 + 22 * std::sin(Pi * (Frame + 1) / 11.f);
    for (int k = 0; k < 2; ++k) {
      float An = k * Pi / 2 + t * 0.6f;
      Vec2 d{std::cos(An) * Size, std::sin(An) * Size};
      Glow(Img, Img.Bounds(), Segment{C - d, C + d, 0.6f}, Rgb(150, 200, 255), 5, 0.8f);
      FillShape(Img, Img.Bounds(), Segment{C - d * 0.8f, C + d * 0.8f, 1.0f}, Solid{{1, 1, 1}});
    }
    Glow(Img, Img.Bounds(), Circle{C, 2 + Size / 8}, Rgb(170, 210, 255), 8, 0.9f);
    FillShape(Img, Img.Bounds(), Circle{C, 2 + Size / 10}, Solid{{1, 1, 1}});
  } else {  // expanding ring with sparks, fading out
    float R = 4 + 2.2f * Frame, Fade = 1 - 0.75f * t;
    Glow(Img, Img.Bounds(), Ring{C, R, 1.5f}, Rgb(255, 90, 200) * Fade, 6, 0.9f);
    FillShape(Img, Img.Bounds(), Ring{C, R, 1.2f}, Solid{Rgb(255, 170, 235) * Fade});
    for (int k = 0; k < 8; ++k) {
      float An = k * Pi / 4 + t;
      Vec2 p{C.x + std::cos(An) * (R + 4), C.y + std::sin(An) * (R + 4)};
      FillShape(Img, Img.Bounds(), Circle{p, 1.8f}, Solid{Rgb(255, 240, 250) * Fade});
    }
  }
  // Anything not drawn must stay exactly black to be keyed away.
  for (Color& c : Img.Px) c = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
  return Img;
}

// Build-plan floor tiles: one cell each, with a groove round it so that the 5 x 5
// tiles read as a grid.
Image FloorTile(int Material) {
  Image Img(T, T);
  for (int y = 0; y < T; ++y)
    for (int x = 0; x < T; ++x) {
      float fx = x + 0.5f, fy = y + 0.5f;
      Color c;
      switch (Material) {
        case 1: {  // stone slab
          float n = Fbm(fx / 10, fy / 10, 64, 4, 31);
          c = Mix(Rgb(112, 98, 84), Rgb(190, 172, 150), n);
          if (std::abs(Fbm(fx / 18, fy / 18, 64, 3, 32) - 0.5f) < 0.012f) c = Darken(c, 0.45f);
          break;
        }
        case 2: {  // wooden planks
          int Plank = y / 16;
          float g = std::sin((fy + 3 * Fbm(fx / 20, fy / 4, 64, 2, 33 + Plank)) * 1.7f) * 0.5f + 0.5f;
          c = Mix(Rgb(120, 70, 34), Rgb(184, 122, 64), 0.35f + 0.4f * g + 0.25f * Hash(Plank, 0, 34));
          if (y % 16 == 0 || y % 16 == 15) c = Darken(c, 0.5f);
          break;
        }
        case 3: {  // marble
          float v = std::abs(std::sin(fx * 0.08f + fy * 0.05f + 8 * Fbm(fx / 16, fy / 16, 64, 4, 35)));
          c = Mix(Rgb(150, 150, 160), Rgb(240, 238, 232), SmoothStep(0.02f, 0.35f, v));
          break;
        }
        case 4: {  // metal tread plate
          float u = std::fmod(fx + fy, 12.f) - 6, v = std::fmod(fx - fy + 640.f, 12.f) - 6;
          float Lug = std::abs(u) < 1.5f && std::abs(v) < 4.5f ? 1.f : 0.f;
          c = Mix(Rgb(96, 110, 130), Rgb(140, 156, 178), Fbm(fx / 8, fy / 30, 64, 2, 36));
          if (Lug > 0) c = u < 0 ? Lighten(c, 0.3f) : Darken(c, 0.2f);
          break;
        }
        case 5: {  // turf
          float n = Fbm(fx / 6, fy / 6, 64, 4, 37);
          float Blade = ValueNoise(fx / 1.5f, fy / 6, 1024, 38);
          c = Mix(Rgb(40, 110, 30), Rgb(110, 180, 60), 0.6f * n + 0.4f * Blade);
          break;
        }
        case 6: {  // ice
          float n = Fbm(fx / 14, fy / 14, 64, 3, 39);
          c = Mix(Rgb(150, 205, 235), Rgb(225, 245, 255), n);
          if (std::abs(Fbm(fx / 22, fy / 22, 64, 2, 40) - 0.5f) < 0.015f) c = Lighten(c, 0.7f);
          break;
        }
        default: {  // terracotta mosaic
          int gx = x / 8, gy = y / 8;
          c = Mix(Rgb(170, 80, 40), Rgb(230, 150, 80), Hash(gx, gy, 41));
          if (x % 8 == 0 || y % 8 == 0) c = Rgb(210, 196, 170);
          break;
        }
      }
      int e = std::min(std::min(x, y), std::min(T - 1 - x, T - 1 - y));
      if (e < 2)
        c = Rgb(28, 26, 30);
      else if (e < 4)
        c = (y - e == 0 || x - e == 0) ? Lighten(c, 0.3f) : (e == 2 ? Darken(c, 0.35f) : c);
      if (e >= 2 && e < 4 && (T - 1 - x == e || T - 1 - y == e)) c = Darken(c, 0.3f);
      Img.At(x, y) = c;
    }
  return Img;
}

bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

}  // namespace

std::string PiecePictureName(int Slot, int Colour) {
  static const char* const Stems[24] = {"4A", "4B", "4C", "4D", "4E", "4F", "4G", "4H",
                                        "4I", "4J", "4K", "5A", "5B", "5C", "5D", "5E",
                                        "5F", "6A", "6B", "6C", "6D", "7A", "7B", "8A"};
  if (Slot < 1 || Slot > 24 || Colour < 1 || Colour > 4)
    throw std::out_of_range("piece picture slot or colour");
  return Stems[Slot - 1] + std::to_string(Colour);
}

std::vector<std::string> TextureNames() {
  std::vector<std::string> n = {"2X2X2",     "4COLOR",     "BG",      "CLEARLAYER", "CUBEBLUE",
                                "CUBECLEAR", "CUBEGREEN",  "CUBERED", "CUBEYELLOW", "DIAMOND",
                                "FALLCUBE",  "SPECIALBOX", "TUND"};
  for (int i = 1; i <= 7; ++i) n.push_back("BUILDPLAN" + std::to_string(i));
  for (int i = 1; i <= 30; ++i) n.push_back((i < 10 ? "STAR0" : "STAR") + std::to_string(i));
  for (int s = 1; s <= 24; ++s)
    for (int c = 1; c <= 4; ++c) n.push_back(PiecePictureName(s, c));
  return n;
}

std::string AuthoringName(const std::string& r) {
  static const std::pair<const char*, const char*> Names[] = {{"2X2X2", "2x2x2"},
                                                              {"4COLOR", "4Color"},
                                                              {"BG", "GREENBG"},
                                                              {"CLEARLAYER", "ClearLayer"},
                                                              {"CUBEBLUE", "CubeBlue"},
                                                              {"CUBECLEAR", "CubeClear"},
                                                              {"CUBEGREEN", "CubeGreen"},
                                                              {"CUBERED", "CubeRed"},
                                                              {"CUBEYELLOW", "CubeYellow"},
                                                              {"DIAMOND", "Diamond"},
                                                              {"FALLCUBE", "FallCube"},
                                                              {"SPECIALBOX", "SpecialBox"},
                                                              {"TUND", "Tund"}};
  for (auto [Res, File] : Names)
    if (r == Res) return File;
  if (StartsWith(r, "BUILDPLAN")) return "Buildplan" + r.substr(9);
  if (StartsWith(r, "STAR")) return "Star" + r.substr(4);
  return r;
}

Image MakeCubeFace(int Colour, int Picture) {
  if (Colour < 1 || Colour > 4 || Picture < 0 || Picture > 24) throw std::out_of_range("cube face");
  return Picture == 0 ? PlainCube(Colour) : PieceCube(Colour, Picture);
}

Image MakeTexture(const std::string& r) {
  static const char* const Colours[4] = {"CUBERED", "CUBEGREEN", "CUBEBLUE", "CUBEYELLOW"};
  for (int c = 1; c <= 4; ++c)
    if (r == Colours[c - 1]) return PlainCube(c);
  if (r == "4COLOR") return FourColour();
  if (r == "2X2X2") return StackedCubes();
  if (r == "CLEARLAYER") return ClearLayer();
  if (r == "DIAMOND") return DiamondGem();
  if (r == "TUND") return Lightning();
  if (r == "FALLCUBE") return FallingCube();
  if (r == "CUBECLEAR") return ClearingFlash();
  if (r == "SPECIALBOX") return GlassBox();
  if (r == "BG") return MakeBackground(0);
  if (StartsWith(r, "BUILDPLAN") && r.size() == 10 && r[9] >= '1' && r[9] <= '7')
    return FloorTile(r[9] - '0');
  if (StartsWith(r, "STAR") && r.size() == 6) {
    int n = std::stoi(r.substr(4));
    if (n >= 1 && n <= 30) return StarFrame((n - 1) / 10, (n - 1) % 10);
  }
  for (int s = 1; s <= 24; ++s)
    for (int c = 1; c <= 4; ++c)
      if (r == PiecePictureName(s, c)) return PieceCube(c, s);
  throw std::invalid_argument("no texture named \"" + r + "\"");
}

}  // namespace quarnix::content
