// The 20 background pictures. Every one repeats seamlessly in both directions,
// because the background surface may repeat its texture and its coordinates drift.

#include <cmath>
#include <stdexcept>

#include "Textures.h"

namespace quarnix::content {

using namespace art;

namespace {

constexpr int S = 256;
constexpr float Pi = 3.14159265f;

// Noise over the whole picture: Cells lattice cells across, repeating at the edge.
float Noise(float x, float y, int Cells, int Octaves, int Seed) {
  return Fbm(x * Cells / S, y * Cells / S, Cells, Octaves, Seed);
}

// Periodic sine waves: n whole waves across the picture.
float Wave(float v, int n) { return std::sin(v * 2 * Pi * n / S); }

float Stars(int x, int y, int Seed, float Density) {
  float h = Hash(x, y, Seed);
  return h > 1 - Density ? (h - (1 - Density)) / Density : 0;
}

// Cellular pattern with wrap-around: distance to nearest and second nearest point.
void Cells(float x, float y, int N, int Seed, float& d1, float& d2, int& Id) {
  float Cell = float(S) / N;
  int gx = static_cast<int>(x / Cell), gy = static_cast<int>(y / Cell);
  d1 = d2 = 1e9f;
  for (int j = gy - 1; j <= gy + 1; ++j)
    for (int i = gx - 1; i <= gx + 1; ++i) {
      int wi = (i % N + N) % N, wj = (j % N + N) % N;
      float px = (i + 0.15f + 0.7f * Hash(wi, wj, Seed)) * Cell,
            py = (j + 0.15f + 0.7f * Hash(wi, wj, Seed + 1)) * Cell;
      float d = std::hypot(x - px, y - py);
      if (d < d1)
        d2 = d1, d1 = d, Id = wi * 97 + wj;
      else if (d < d2)
        d2 = d;
    }
}

Color Palette(float t, Color a, Color b, Color c) {
  return t < 0.5f ? Mix(a, b, t * 2) : Mix(b, c, t * 2 - 1);
}

Color Pixel(int Index, int ix, int iy) {
  float x = ix + 0.5f, y = iy + 0.5f;
  switch (Index) {
    case 0: {  // green nebula
      float n = Noise(x, y, 4, 5, 100), m = Noise(x + 60, y, 8, 3, 101);
      Color c = Palette(n, Rgb(4, 22, 12), Rgb(20, 110, 60), Rgb(170, 240, 150));
      return c * (0.7f + 0.5f * m) + Grey(Stars(ix, iy, 102, 0.004f));
    }
    case 1: {  // deep blue starfield
      float n = Noise(x, y, 4, 5, 110);
      Color c = Palette(n * n, Rgb(2, 4, 20), Rgb(20, 40, 110), Rgb(120, 160, 255));
      return c + Grey(Stars(ix, iy, 111, 0.008f)) + Rgb(255, 230, 200) * Stars(ix, iy, 112, 0.001f);
    }
    case 2: {  // violet galaxy
      float n = Noise(x, y, 4, 5, 120), w = 0.5f + 0.5f * Wave(x + 40 * n, 2) * Wave(y, 1);
      Color c = Palette(Clamp01(n * 0.7f + w * 0.4f), Rgb(10, 2, 24), Rgb(110, 30, 150), Rgb(255, 170, 230));
      return c + Grey(Stars(ix, iy, 121, 0.006f));
    }
    case 3: {  // aurora bands
      float n = Noise(x, y, 4, 4, 130);
      float Band = std::pow(0.5f + 0.5f * Wave(y + 60 * n, 3), 4.f);
      Color c = Mix(Rgb(4, 8, 28), Mix(Rgb(40, 255, 150), Rgb(170, 80, 255), 0.5f + 0.5f * Wave(x, 2)), Band);
      return c + Grey(Stars(ix, iy, 131, 0.005f)) * (1 - Band);
    }
    case 4: {  // ocean caustics
      float n = Noise(x, y, 8, 4, 140), m = Noise(x, y, 8, 4, 141);
      float Line = std::pow(1 - std::abs(n - m) * 4, 6.f);
      return Mix(Rgb(4, 40, 90), Rgb(20, 110, 170), Noise(x, y, 2, 3, 142)) +
             Rgb(140, 240, 255) * Clamp01(Line) * 0.7f;
    }
    case 5: {  // lava
      float n = Noise(x, y, 4, 5, 150);
      float Crack = Clamp01(1 - std::abs(n - 0.5f) * 14);
      return Mix(Rgb(30, 6, 4), Rgb(90, 20, 8), Noise(x, y, 8, 3, 151)) + Rgb(255, 150, 30) * Crack;
    }
    case 6: {  // sunset clouds
      float n = Noise(x, y, 4, 5, 160);
      float Sky = 0.5f + 0.5f * Wave(y, 1);
      return Palette(Clamp01(Sky * 0.6f + n * 0.6f - 0.1f), Rgb(60, 20, 90), Rgb(230, 90, 80),
                     Rgb(255, 210, 120));
    }
    case 7: {  // mossy cobblestones
      float d1, d2;
      int Id;
      Cells(x, y, 10, 170, d1, d2, Id);
      float Dome = Clamp01((d2 - d1) / 10), Moss = Noise(x, y, 8, 4, 171);
      Color Stone = Mix(Rgb(70, 66, 60), Rgb(150, 140, 125), Hash(Id, 0, 172) * 0.5f + Dome * 0.5f);
      return Mix(Mix(Rgb(20, 18, 16), Stone, SmoothStep(0, 0.25f, Dome)), Rgb(70, 120, 40),
                 SmoothStep(0.55f, 0.75f, Moss) * 0.7f);
    }
    case 8: {  // dunes
      float n = Noise(x, y, 4, 3, 180);
      float Ripple = 0.5f + 0.5f * Wave(y + 30 * n + 8 * Wave(x, 2), 12);
      return Mix(Rgb(170, 110, 50), Rgb(245, 205, 140), 0.4f * Ripple + 0.6f * n);
    }
    case 9: {  // ice crystals
      float d1, d2;
      int Id;
      Cells(x, y, 8, 190, d1, d2, Id);
      float Edge = Clamp01(1 - (d2 - d1) / 3);
      return Mix(Rgb(120, 170, 210), Rgb(220, 240, 255), Hash(Id, 0, 191) * 0.6f + 0.2f) + Grey(Edge * 0.5f);
    }
    case 10: {  // circuit board
      int gx = ix / 16, gy = iy / 16;
      float fx = std::fmod(x, 16.f), fy = std::fmod(y, 16.f);
      bool Horizontal = Hash(gx / 2, gy, 200) > 0.5f;
      float Line = Horizontal ? std::abs(fy - 8) : std::abs(fx - 8);
      float Pad = Hash(gx, gy, 201) > 0.75f ? std::hypot(fx - 8, fy - 8) : 99;
      Color c = Mix(Rgb(4, 40, 20), Rgb(10, 70, 36), Noise(x, y, 4, 3, 202));
      if (Line < 1.5f) c = Rgb(60, 200, 110);
      if (Pad < 4) c = Pad < 2 ? Rgb(20, 30, 20) : Rgb(220, 200, 90);
      return c;
    }
    case 11: {  // neon hexagons
      float k = 2 * Pi * 16 / S, v = 0;
      // Three wave directions whose sum repeats over the picture.
      v = std::cos(k * x) + std::cos(k * (0.5f * x + y)) + std::cos(k * (-0.5f * x + y));
      float Line = Clamp01(1 - std::abs(v + 0.9f) * 2.5f);
      return Mix(Rgb(12, 4, 30), Rgb(40, 10, 60), Noise(x, y, 4, 3, 210)) +
             Mix(Rgb(255, 40, 200), Rgb(40, 220, 255), 0.5f + 0.5f * Wave(y, 1)) * Line;
    }
    case 12: {  // pastel marble
      float n = Noise(x, y, 4, 5, 220);
      float v = 0.5f + 0.5f * std::sin(x * 2 * Pi * 2 / S + 10 * n);
      return Palette(v, Rgb(190, 170, 230), Rgb(245, 235, 245), Rgb(160, 220, 220));
    }
    case 13: {  // storm clouds
      float n = Noise(x, y, 4, 6, 230);
      float Bolt = Clamp01(1 - std::abs(Noise(x, y, 2, 4, 231) - 0.5f) * 60) * (n > 0.55f ? 1.f : 0.f);
      return Palette(n, Rgb(20, 24, 36), Rgb(70, 80, 104), Rgb(170, 180, 200)) + Rgb(200, 210, 255) * Bolt;
    }
    case 14: {  // golden bokeh
      Color c = Mix(Rgb(30, 16, 6), Rgb(70, 40, 12), Noise(x, y, 2, 3, 240));
      for (int k = 0; k < 40; ++k) {
        float px = Hash(k, 0, 241) * S, py = Hash(k, 1, 241) * S, r = 6 + 18 * Hash(k, 2, 241);
        float dx = std::abs(x - px), dy = std::abs(y - py);
        dx = std::min(dx, S - dx), dy = std::min(dy, S - dy);
        float d = std::hypot(dx, dy);
        float a =
            Clamp01((r - d) / 2) * (0.25f + 0.25f * Hash(k, 3, 241)) + (std::abs(d - r) < 1 ? 0.15f : 0);
        c = c + Mix(Rgb(255, 200, 90), Rgb(255, 240, 200), Hash(k, 4, 241)) * a;
      }
      return c;
    }
    case 15: {  // underwater light rays
      float Ray = std::pow(0.5f + 0.5f * Wave(x + y + 20 * Noise(x, y, 2, 2, 250), 5), 6.f);
      return Mix(Rgb(0, 30, 70), Rgb(0, 90, 130), Noise(x, y, 4, 4, 251)) + Rgb(120, 220, 255) * (Ray * 0.5f);
    }
    case 16: {  // autumn leaves
      float d1, d2;
      int Id;
      Cells(x, y, 16, 260, d1, d2, Id);
      float Leaf = Clamp01((d2 - d1) / 4);
      Color c = Palette(Hash(Id, 0, 261), Rgb(150, 30, 10), Rgb(230, 120, 20), Rgb(240, 200, 60));
      return Mix(Rgb(50, 24, 10), c, Leaf) * (0.75f + 0.35f * Noise(x, y, 8, 3, 262));
    }
    case 17: {  // red and blue cosmic dust
      float n = Noise(x, y, 4, 5, 270), m = Noise(x, y, 4, 5, 271);
      return Rgb(200, 40, 60) * (n * n) + Rgb(40, 90, 230) * (m * m) + Grey(Stars(ix, iy, 272, 0.006f));
    }
    case 18: {  // plasma
      float v = Wave(x, 2) + Wave(y, 3) + Wave(x + y, 2) + Wave(x - 2 * y, 1);
      return Hsv(0.5f + v / 8, 0.55f, 0.6f);
    }
    default: {  // neon grid at dusk
      float gx = std::fmod(x, 32.f), gy = std::fmod(y, 32.f);
      float Line = Clamp01(1.5f - std::min(std::min(gx, 32 - gx), std::min(gy, 32 - gy)));
      float Sky = 0.5f + 0.5f * Wave(y, 1);
      return Mix(Rgb(20, 4, 40), Rgb(90, 20, 90), Sky) + Rgb(255, 80, 200) * Line * 0.9f +
             Rgb(255, 120, 220) * Clamp01(1 - std::min(gx, gy) / 6) * 0.15f;
    }
  }
}

}  // namespace

Image MakeBackground(int Index) {
  if (Index < 0 || Index > 19) throw std::out_of_range("background index");
  Image Img(S, S);
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) {
      Color c = Pixel(Index, x, y);
      Img.At(x, y) = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
    }
  return Img;
}

}  // namespace quarnix::content
