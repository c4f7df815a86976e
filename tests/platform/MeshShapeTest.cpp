// Which meshes count as closed convex solids, and which way their outside
// faces turn: the device drops the inside faces of exactly these.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/MeshData.h"

namespace quarnix {
namespace {

struct Faces {
  std::vector<D3DVERTEX> vertices;
  std::vector<std::uint32_t> indices;

  // A quad of its own four vertices (as meshes with per-face normals have), in the order given.
  void Quad(std::array<std::array<float, 3>, 4> corners) {
    const auto base = static_cast<std::uint32_t>(vertices.size());
    for (const auto& c : corners) vertices.push_back({c[0], c[1], c[2], 0, 0, 0, 0, 0});
    indices.insert(indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
  }
  D3DCULL Inside() const { return ConvexSolidInsideFaces(vertices, indices); }
  void Reverse() {
    for (std::size_t f = 0; f < indices.size(); f += 3) std::swap(indices[f + 1], indices[f + 2]);
  }
};

// A box from lo to hi whose faces turn clockwise seen from outside (the way
// Direction3D draws front faces), optionally without its top.
Faces Box(std::array<float, 3> lo, std::array<float, 3> hi, bool withTop = true) {
  const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
  Faces f;
  f.Quad({{{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}});  // front, seen from -z
  f.Quad({{{x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {x0, y0, z1}}});  // back
  f.Quad({{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}});  // left
  f.Quad({{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}});  // right
  if (withTop) f.Quad({{{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}});
  f.Quad({{{x0, y0, z1}, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}}});  // bottom
  return f;
}

TEST(MeshShape, ClosedConvexSolidsTellWhichFacesAreInside) {
  Faces box = Box({-1, -1, -1}, {1, 1, 1});
  EXPECT_EQ(box.Inside(), D3DCULL_CCW);
  box.Reverse();
  EXPECT_EQ(box.Inside(), D3DCULL_CW);

  // Shared corners instead of a vertex per face, far from the origin and flat-ish.
  Faces shared = Box({100, 5, 7}, {101, 5.25f, 9});
  EXPECT_EQ(shared.Inside(), D3DCULL_CCW);

  // A tetrahedron (four faces, shared vertices).
  const std::vector<D3DVERTEX> t = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  EXPECT_EQ(ConvexSolidInsideFaces(t, std::vector<std::uint32_t>{0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}),
            D3DCULL_CCW);
  EXPECT_EQ(ConvexSolidInsideFaces(t, std::vector<std::uint32_t>{0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2}),
            D3DCULL_CW);

  // MeshData answers for a mesh of one subset only: several subsets may be drawn with different states.
  const Faces cube = Box({-1, -1, -1}, {1, 1, 1});
  EXPECT_EQ(MeshData(cube.vertices, cube.indices, std::vector<std::uint32_t>(12, 0)).InsideFaces(),
            D3DCULL_CCW);
  std::vector<std::uint32_t> two(12, 0);
  two[11] = 1;
  EXPECT_EQ(MeshData(cube.vertices, cube.indices, two).InsideFaces(), D3DCULL_NONE);
}

TEST(MeshShape, AnythingButAClosedConvexSolidHasNoInsideFaces) {
  // Open: a box without its lid shows its inside.
  EXPECT_EQ(Box({-1, -1, -1}, {1, 1, 1}, false).Inside(), D3DCULL_NONE);

  // One face turned the wrong way.
  Faces mixed = Box({-1, -1, -1}, {1, 1, 1});
  std::swap(mixed.indices[1], mixed.indices[2]);
  std::swap(mixed.indices[4], mixed.indices[5]);
  EXPECT_EQ(mixed.Inside(), D3DCULL_NONE);

  // Concave: two boxes side by side sharing no faces, each closed; together no convex solid.
  Faces pair = Box({0, 0, 0}, {1, 1, 1});
  const Faces other = Box({3, 0, 0}, {4, 1, 1});
  const auto base = static_cast<std::uint32_t>(pair.vertices.size());
  pair.vertices.insert(pair.vertices.end(), other.vertices.begin(), other.vertices.end());
  for (std::uint32_t i : other.indices) pair.indices.push_back(base + i);
  EXPECT_EQ(pair.Inside(), D3DCULL_NONE);

  // Closed but dented: a box whose lid is a fan around a centre below its rim.
  // The same fan with the centre raised is a convex roof.
  const auto roofed = [](float centreHeight) {
    Faces f = Box({-1, -1, -1}, {1, 1, 1}, false);
    const std::array<std::array<float, 3>, 4> rim = {{{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}};
    for (int i = 0; i < 4; ++i) {
      const auto base = static_cast<std::uint32_t>(f.vertices.size());
      const auto& a = rim[i];
      const auto& b = rim[(i + 1) % 4];
      f.vertices.push_back({a[0], a[1], a[2]});
      f.vertices.push_back({b[0], b[1], b[2]});
      f.vertices.push_back({0, centreHeight, 0});
      f.indices.insert(f.indices.end(), {base, base + 1, base + 2});
    }
    return f.Inside();
  };
  EXPECT_EQ(roofed(1.5f), D3DCULL_CCW);
  EXPECT_EQ(roofed(0.5f), D3DCULL_NONE);

  // A flat, double-sided square: closed edge-wise, but it has no inside.
  Faces flat;
  flat.Quad({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}});
  flat.Quad({{{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}}});
  EXPECT_EQ(flat.Inside(), D3DCULL_NONE);

  // A crack: one corner of the lid moved off the walls.
  Faces cracked = Box({-1, -1, -1}, {1, 1, 1});
  cracked.vertices[16].x += 0.01f;
  EXPECT_EQ(cracked.Inside(), D3DCULL_NONE);

  // Broken numbers and too few faces.
  Faces bad = Box({-1, -1, -1}, {1, 1, 1});
  bad.vertices[0].y = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(bad.Inside(), D3DCULL_NONE);
  const std::vector<D3DVERTEX> tri = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  EXPECT_EQ(ConvexSolidInsideFaces(tri, std::vector<std::uint32_t>{0, 1, 2, 0, 2, 1}), D3DCULL_NONE);
  EXPECT_EQ(ConvexSolidInsideFaces({}, {}), D3DCULL_NONE);
}

}  // namespace
}  // namespace quarnix
