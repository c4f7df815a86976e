#pragma once
// For the tests that draw: quads, BMP pictures in memory, the real OpenGL device (Mesa when headless).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/TextureImage.h"

namespace quarnix::test {

using P3 = std::array<float, 3>;

struct Faces {
  std::vector<D3DVERTEX> vertices;
  std::vector<std::uint32_t> indices;

  // Triangles 0 1 2 and 0 2 3 of one normal; u is 1 at the last two corners, v 0 at corners 1 and 2.
  void Quad(std::array<P3, 4> c, P3 n = {}) {
    const auto base = static_cast<std::uint32_t>(vertices.size());
    for (int k = 0; k < 4; ++k)
      vertices.push_back({c[k][0], c[k][1], c[k][2], n[0], n[1], n[2], k >= 2 ? 1.0f : 0.0f,
                          k == 1 || k == 2 ? 0.0f : 1.0f});
    indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
  }
  void Reverse() {
    for (std::size_t f = 0; f < indices.size(); f += 3) std::swap(indices[f + 1], indices[f + 2]);
  }
  std::unique_ptr<IMesh> Mesh(IDevice& d, std::vector<std::uint32_t> attributes = {}) const {
    if (attributes.empty()) attributes.assign(indices.size() / 3, 0);
    return d.CreateMesh(vertices, indices, attributes);
  }
};

// A box: front (-z), back, left, right, top (optional), bottom, each clockwise seen from outside.
inline Faces Box(P3 lo, P3 hi, bool withTop = true) {
  const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
  Faces f;
  f.Quad({{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}}, {0, 0, -1});
  f.Quad({{{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}}}, {0, 0, 1});
  f.Quad({{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}}, {-1, 0, 0});
  f.Quad({{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, {1, 0, 0});
  if (withTop) f.Quad({{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}}, {0, 1, 0});
  f.Quad({{{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}}, {0, -1, 0});
  return f;
}

// The square (-1, -1) to (1, 1) at z = 0 facing -z; u runs with x, v down the screen.
inline Faces Square() {
  Faces f;
  f.Quad({{{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}}}, {0, 0, -1});
  return f;
}

// A bottom-up 24-bit BMP of width x height pixels given top row first as 0xRRGGBB.
inline std::vector<std::uint8_t> Bmp24(int w, int h, const std::vector<std::uint32_t>& rgb) {
  const int row = (w * 3 + 3) / 4 * 4, size = 54 + row * h;
  std::vector<std::uint8_t> b(size, 0);
  b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 24;
  for (auto [at, v] : {std::pair{2, size}, {10, 54}, {14, 40}, {18, w}, {22, h}})
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = rgb[y * w + x];
      std::uint8_t* o = &b[54 + (h - 1 - y) * row + x * 3];
      o[0] = p & 0xFF, o[1] = (p >> 8) & 0xFF, o[2] = (p >> 16) & 0xFF;
    }
  return b;
}

struct Rgb {
  int r, g, b;
};

// Each test suite opens one hidden window; each test a fresh device on it.
class GlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics_ = std::make_unique<GlGraphics>(GraphicsOptions{WindowMode::Hidden, "Quarnix render test"});
    ASSERT_TRUE(graphics_->InitD3D());
  }
  static void TearDownTestSuite() { graphics_.reset(); }
  void OpenDevice(int width, int height, int lighting, D3DCOLOR ambient) {
    kind_ = graphics_->InitDevice(width, height, lighting, ambient);
    ASSERT_NE(kind_, DeviceKindNone);
    d_ = graphics_->Device();
  }
  // Clears, draws in one scene and returns the picture.
  template <typename F>
  std::vector<std::uint8_t> Scene(D3DCOLOR background, F draw) {
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1);
    d_->BeginScene();
    draw();
    d_->EndScene();
    return d_->ReadPixels();
  }
  void ExpectColour(const std::vector<std::uint8_t>& p, int x, int y, Rgb want, int tolerance = 2) const {
    ASSERT_TRUE(x >= 0 && x < d_->Width() && y >= 0 && y < d_->Height()) << x << "," << y;
    const std::uint8_t* g = &p[(static_cast<std::size_t>(y) * d_->Width() + x) * 4];
    EXPECT_TRUE(std::max({std::abs(g[0] - want.r), std::abs(g[1] - want.g), std::abs(g[2] - want.b)}) <=
                tolerance)
        << "at " << x << "," << y << ": " << +g[0] << " " << +g[1] << " " << +g[2] << ", want " << want.r
        << " " << want.g << " " << want.b;
  }

  inline static std::unique_ptr<GlGraphics> graphics_;
  IDevice* d_ = nullptr;
  int kind_ = 0;
};

}  // namespace quarnix::test
