// Which meshes count as closed convex solids, and which way their outside
// faces turn: the device drops the inside faces of exactly these.

#include <limits>

#include "PlatformTestUtil.h"
#include "platform/MeshData.h"

namespace quarnix {
namespace {

using test::Box;
using test::Faces;

D3DCULL Inside(const Faces& f) { return ConvexSolidInsideFaces(f.vertices, f.indices); }

TEST(MeshShape, ClosedConvexSolidsTellWhichFacesAreInside) {
  Faces box = Box({-1, -1, -1}, {1, 1, 1});
  EXPECT_EQ(Inside(box), D3DCULL_CCW);
  box.Reverse();
  EXPECT_EQ(Inside(box), D3DCULL_CW);
  // Far from the origin and flat-ish.
  EXPECT_EQ(Inside(Box({100, 5, 7}, {101, 5.25f, 9})), D3DCULL_CCW);
  // A tetrahedron of shared vertices.
  const std::vector<D3DVERTEX> t = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  EXPECT_EQ(ConvexSolidInsideFaces(t, std::vector<std::uint32_t>{0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}),
            D3DCULL_CCW);
  EXPECT_EQ(ConvexSolidInsideFaces(t, std::vector<std::uint32_t>{0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2}),
            D3DCULL_CW);
  // MeshData answers for a mesh of one subset only: several subsets may be drawn with different states.
  const Faces cube = Box({-1, -1, -1}, {1, 1, 1});
  std::vector<std::uint32_t> attributes(12, 0);
  EXPECT_EQ(MeshData(cube.vertices, cube.indices, attributes).InsideFaces(), D3DCULL_CCW);
  attributes[11] = 1;
  EXPECT_EQ(MeshData(cube.vertices, cube.indices, attributes).InsideFaces(), D3DCULL_NONE);
}

TEST(MeshShape, AnythingButAClosedConvexSolidHasNoInsideFaces) {
  const Faces box = Box({-1, -1, -1}, {1, 1, 1});
  Faces mixed = box, pair = Box({0, 0, 0}, {1, 1, 1}), flat, cracked = box, broken = box;
  // One face turned the wrong way.
  std::swap(mixed.indices[1], mixed.indices[2]);
  std::swap(mixed.indices[4], mixed.indices[5]);
  // Two closed boxes side by side: together no convex solid.
  const Faces other = Box({3, 0, 0}, {4, 1, 1});
  const auto base = static_cast<std::uint32_t>(pair.vertices.size());
  pair.vertices.insert(pair.vertices.end(), other.vertices.begin(), other.vertices.end());
  for (std::uint32_t i : other.indices) pair.indices.push_back(base + i);
  // A flat, double-sided square: closed edge-wise, but it has no inside.
  flat.Quad({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}});
  flat.Quad({{{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}}});
  cracked.vertices[16].x += 0.01f;  // one corner of the lid moved off the walls
  broken.vertices[0].y = std::numeric_limits<float>::quiet_NaN();
  Faces triangle;
  triangle.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  triangle.indices = {0, 1, 2, 0, 2, 1};
  for (const Faces& f :
       {Box({-1, -1, -1}, {1, 1, 1}, false), mixed, pair, flat, cracked, broken, triangle, Faces{}})
    EXPECT_EQ(Inside(f), D3DCULL_NONE);

  // A box whose lid is a fan around a centre: convex when raised, dented when below the rim.
  for (auto [centreHeight, inside] : {std::pair{1.5f, D3DCULL_CCW}, {0.5f, D3DCULL_NONE}}) {
    Faces f = Box({-1, -1, -1}, {1, 1, 1}, false);
    const test::P3 rim[] = {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}};
    for (int i = 0; i < 4; ++i) {
      const auto at = static_cast<std::uint32_t>(f.vertices.size());
      for (const test::P3& p : {rim[i], rim[(i + 1) % 4], test::P3{0, centreHeight, 0}})
        f.vertices.push_back({p[0], p[1], p[2]});
      f.indices.insert(f.indices.end(), {at, at + 1, at + 2});
    }
    EXPECT_EQ(Inside(f), inside) << centreHeight;
  }
}

}  // namespace
}  // namespace quarnix
