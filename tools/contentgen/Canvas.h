#pragma once
// A small floating-point RGB canvas with anti-aliased shapes described by signed
// distance functions (negative inside), gradients and tileable noise. Everything
// the picture generator draws goes through here.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quarnix::art {

struct Color {
  float r = 0, g = 0, b = 0;
};
inline Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Color operator-(Color a, Color b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Color operator*(Color a, Color b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Color Mix(Color a, Color b, float t) { return a + (b - a) * t; }
inline Color Rgb(int r, int g, int b) { return {r / 255.f, g / 255.f, b / 255.f}; }
inline Color Grey(float v) { return {v, v, v}; }
inline Color Lighten(Color c, float t) { return Mix(c, {1, 1, 1}, t); }
inline Color Darken(Color c, float t) { return c * (1 - t); }
// Hue in [0,1), saturation and value in [0,1].
Color Hsv(float h, float s, float v);

inline float Clamp01(float v) { return std::clamp(v, 0.f, 1.f); }
inline float SmoothStep(float a, float b, float x) {
  float t = Clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

struct Vec2 {
  float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, float k) { return {a.x * k, a.y * k}; }
inline float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
inline float Length(Vec2 a) { return std::sqrt(Dot(a, a)); }

// Integer pixel rectangle, right and bottom exclusive.
struct Box {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

class Image {
 public:
  Image() = default;
  Image(int W, int H, Color Fill = {}) : W(W), H(H), Px(static_cast<std::size_t>(W) * H, Fill) {}
  int W = 0, H = 0;
  std::vector<Color> Px;
  Color& At(int x, int y) { return Px[static_cast<std::size_t>(y) * W + x]; }
  const Color& At(int x, int y) const { return Px[static_cast<std::size_t>(y) * W + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
  // Blends c over the pixel with weight a in [0,1].
  void Blend(int x, int y, Color c, float a) {
    if (!Inside(x, y) || a <= 0) return;
    Color& p = At(x, y);
    p = Mix(p, c, std::min(a, 1.f));
  }
  void Add(int x, int y, Color c, float a) {
    if (!Inside(x, y) || a <= 0) return;
    At(x, y) = At(x, y) + c * a;
  }
  Box Bounds() const { return {0, 0, W, H}; }
  // 8-bit RGB, top row first; values are clamped and rounded.
  std::vector<std::uint8_t> ToRgb8() const;
};

// Fills the pixels of Area whose centres lie inside the shape, anti-aliased over
// one pixel; Paint(x, y) gives the colour at a point.
template <class Sdf, class Paint>
void FillShape(Image& Img, Box Area, Sdf&& Shape, Paint&& Fill, float Opacity = 1) {
  Area.Left = std::max(Area.Left, 0), Area.Top = std::max(Area.Top, 0);
  Area.Right = std::min(Area.Right, Img.W), Area.Bottom = std::min(Area.Bottom, Img.H);
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float Cover = Clamp01(0.5f - Shape(px, py));
      if (Cover > 0) Img.Blend(x, y, Fill(px, py), Cover * Opacity);
    }
}

// A soft glow outside (and inside) a shape: weight falls off over Radius pixels.
template <class Sdf>
void Glow(Image& Img, Box Area, Sdf&& Shape, Color c, float Radius, float Strength, bool Additive = true) {
  Area.Left = std::max(Area.Left, 0), Area.Top = std::max(Area.Top, 0);
  Area.Right = std::min(Area.Right, Img.W), Area.Bottom = std::min(Area.Bottom, Img.H);
  for (int y = Area.Top; y < Area.Bottom; ++y)
    for (int x = Area.Left; x < Area.Right; ++x) {
      float d = std::max(Shape(x + 0.5f, y + 0.5f), 0.f);
      float t = 1 - d / Radius;
      if (t <= 0) continue;
      float a = Strength * t * t;
      if (Additive)
        Img.Add(x, y, c, a);
      else
        Img.Blend(x, y, c, a);
    }
}

// Constant paint.
struct Solid {
  Color c;
  Color operator()(float, float) const { return c; }
};
// Linear gradient from c0 at p0 to c1 at p1.
struct Linear {
  Vec2 p0, p1;
  Color c0, c1;
  Color operator()(float x, float y) const {
    Vec2 d = p1 - p0;
    float t = Clamp01(Dot(Vec2{x, y} - p0, d) / Dot(d, d));
    return Mix(c0, c1, t);
  }
};
// Radial gradient from c0 at the centre to c1 at radius r.
struct Radial {
  Vec2 c;
  float r;
  Color c0, c1;
  Color operator()(float x, float y) const { return Mix(c0, c1, Clamp01(Length(Vec2{x, y} - c) / r)); }
};

// Shapes as signed distance functions.
struct Circle {
  Vec2 c;
  float r;
  float operator()(float x, float y) const { return Length(Vec2{x, y} - c) - r; }
};
struct RoundBox {
  Vec2 c;
  float hw, hh, rad;
  float operator()(float x, float y) const {
    float qx = std::abs(x - c.x) - hw + rad, qy = std::abs(y - c.y) - hh + rad;
    float ox = std::max(qx, 0.f), oy = std::max(qy, 0.f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.f) - rad;
  }
};
struct Segment {
  Vec2 a, b;
  float halfWidth;
  float operator()(float x, float y) const {
    Vec2 pa = Vec2{x, y} - a, ba = b - a;
    float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    return Length(pa - ba * h) - halfWidth;
  }
};
struct Ring {
  Vec2 c;
  float r, halfWidth;
  float operator()(float x, float y) const { return std::abs(Length(Vec2{x, y} - c) - r) - halfWidth; }
};
// Any simple or self-touching polygon (even-odd inside test).
struct Polygon {
  std::vector<Vec2> P;
  float operator()(float x, float y) const;
  Box Bounds(int Pad = 2) const;
};
Polygon RegularPolygon(Vec2 c, float r, int n, float rotation);
Polygon StarShape(Vec2 c, float rOuter, float rInner, int points, float rotation);
Polygon Transformed(const Polygon& p, Vec2 Centre, float Scale, float Angle, Vec2 Offset);

// Combinators.
template <class A, class B>
auto Union(A a, B b) {
  return [a, b](float x, float y) { return std::min(a(x, y), b(x, y)); };
}
template <class A, class B>
auto Subtract(A a, B b) {
  return [a, b](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}
template <class A>
auto Grow(A a, float r) {
  return [a, r](float x, float y) { return a(x, y) - r; };
}
template <class A>
auto Outline(A a, float halfWidth) {
  return [a, halfWidth](float x, float y) { return std::abs(a(x, y)) - halfWidth; };
}

// Deterministic hash noise in [0,1).
float Hash(int x, int y, int Seed);
// Smooth value noise that repeats every Period lattice cells in x and y.
float ValueNoise(float x, float y, int Period, int Seed);
// Sum of Octaves value-noise layers, each twice as fine; repeats every Period.
float Fbm(float x, float y, int Period, int Octaves, int Seed);

// Halves the size with a box filter (for icons).
Image Downscale2(const Image& Src);
// Copies Src into Dst with its top-left corner at (x, y).
void Paste(Image& Dst, const Image& Src, int x, int y);
// Gaussian-like blur (three box passes) of radius r.
Image Blur(const Image& Src, int r);

}  // namespace quarnix::art
