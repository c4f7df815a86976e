#include "Canvas.h"

#include <limits>

namespace quarnix::art {

Color Hsv(float h, float s, float v) {
  h = h - std::floor(h);
  float i = std::floor(h * 6), f = h * 6 - i;
  float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (static_cast<int>(i) % 6) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

std::vector<std::uint8_t> Image::ToRgb8() const {
  std::vector<std::uint8_t> Out(Px.size() * 3);
  auto Byte = [](float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.f)); };
  for (std::size_t i = 0; i < Px.size(); ++i) {
    Out[3 * i] = Byte(Px[i].r);
    Out[3 * i + 1] = Byte(Px[i].g);
    Out[3 * i + 2] = Byte(Px[i].b);
  }
  return Out;
}

float Polygon::operator()(float x, float y) const {
  float Best = std::numeric_limits<float>::max();
  bool Inside = false;
  const std::size_t n = P.size();
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    Vec2 a = P[j], b = P[i];
    Vec2 e = b - a, w = Vec2{x, y} - a;
    float h = Clamp01(Dot(w, e) / Dot(e, e));
    Best = std::min(Best, Length(w - e * h));
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) Inside = !Inside;
  }
  return Inside ? -Best : Best;
}

Box Polygon::Bounds(int Pad) const {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (Vec2 p : P)
    x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
  return {static_cast<int>(std::floor(x0)) - Pad, static_cast<int>(std::floor(y0)) - Pad,
          static_cast<int>(std::ceil(x1)) + Pad, static_cast<int>(std::ceil(y1)) + Pad};
}

Polygon RegularPolygon(Vec2 c, float r, int n, float rotation) {
  Polygon p;
  for (int i = 0; i < n; ++i) {
    float a = rotation + 6.2831853f * i / n;
    p.P.push_back({c.x + r * std::sin(a), c.y - r * std::cos(a)});
  }
  return p;
}

Polygon StarShape(Vec2 c, float rOuter, float rInner, int points, float rotation) {
  Polygon p;
  for (int i = 0; i < 2 * points; ++i) {
    float a = rotation + 3.14159265f * i / points;
    float r = (i % 2) ? rInner : rOuter;
    p.P.push_back({c.x + r * std::sin(a), c.y - r * std::cos(a)});
  }
  return p;
}

Polygon Transformed(const Polygon& p, Vec2 Centre, float Scale, float Angle, Vec2 Offset) {
  Polygon q;
  float cs = std::cos(Angle), sn = std::sin(Angle);
  for (Vec2 v : p.P) {
    Vec2 d = (v - Centre) * Scale;
    q.P.push_back({Centre.x + Offset.x + d.x * cs - d.y * sn, Centre.y + Offset.y + d.x * sn + d.y * cs});
  }
  return q;
}

float Hash(int x, int y, int Seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(Seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / 16777216.f;
}

float ValueNoise(float x, float y, int Period, int Seed) {
  int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  float fx = x - x0, fy = y - y0;
  auto Wrap = [Period](int v) { return ((v % Period) + Period) % Period; };
  auto H = [&](int dx, int dy) { return Hash(Wrap(x0 + dx), Wrap(y0 + dy), Seed); };
  float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  float a = H(0, 0) + (H(1, 0) - H(0, 0)) * sx;
  float b = H(0, 1) + (H(1, 1) - H(0, 1)) * sx;
  return a + (b - a) * sy;
}

float Fbm(float x, float y, int Period, int Octaves, int Seed) {
  float Sum = 0, Amp = 0.5f, Norm = 0;
  for (int o = 0; o < Octaves; ++o) {
    Sum += Amp * ValueNoise(x, y, Period, Seed + 101 * o);
    Norm += Amp;
    x *= 2, y *= 2, Period *= 2, Amp *= 0.5f;
  }
  return Sum / Norm;
}

Image Downscale2(const Image& Src) {
  Image Out(Src.W / 2, Src.H / 2);
  for (int y = 0; y < Out.H; ++y)
    for (int x = 0; x < Out.W; ++x)
      Out.At(x, y) = (Src.At(2 * x, 2 * y) + Src.At(2 * x + 1, 2 * y) + Src.At(2 * x, 2 * y + 1) +
                      Src.At(2 * x + 1, 2 * y + 1)) *
                     0.25f;
  return Out;
}

void Paste(Image& Dst, const Image& Src, int x0, int y0) {
  for (int y = 0; y < Src.H; ++y)
    for (int x = 0; x < Src.W; ++x)
      if (Dst.Inside(x0 + x, y0 + y)) Dst.At(x0 + x, y0 + y) = Src.At(x, y);
}

Image Blur(const Image& Src, int r) {
  Image a = Src, b = Src;
  for (int pass = 0; pass < 3; ++pass) {
    for (int y = 0; y < a.H; ++y)
      for (int x = 0; x < a.W; ++x) {
        Color s{};
        int n = 0;
        for (int k = -r; k <= r; ++k)
          if (x + k >= 0 && x + k < a.W) s = s + a.At(x + k, y), ++n;
        b.At(x, y) = s * (1.f / n);
      }
    for (int y = 0; y < a.H; ++y)
      for (int x = 0; x < a.W; ++x) {
        Color s{};
        int n = 0;
        for (int k = -r; k <= r; ++k)
          if (y + k >= 0 && y + k < a.H) s = s + b.At(x, y + k), ++n;
        a.At(x, y) = s * (1.f / n);
      }
  }
  return a;
}

}  // namespace quarnix::art
