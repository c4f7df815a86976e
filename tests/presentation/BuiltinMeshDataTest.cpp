// The built-in mesh vertices: counts and order, the rows the game's data is
// known by, and shapes that hold together (faces outward, closed solids,
// specials that fit their glass box while they spin).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>

#include "platform/MeshData.h"
#include "presentation/BuiltinMeshData.h"

namespace quarnix {
namespace {

struct P {
  double x, y, z;
};
P Pos(const D3DVERTEX& v) { return {v.x, v.y, v.z}; }
P Nrm(const D3DVERTEX& v) { return {v.nx, v.ny, v.nz}; }
P Sub(P a, P b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P Cross(P a, P b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(P a, P b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Len(P a) { return std::sqrt(Dot(a, a)); }

struct Bounds {
  float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f, z0 = 1e9f, z1 = -1e9f;
  bool operator==(const Bounds&) const = default;
};
Bounds BoundsOf(std::span<const D3DVERTEX> v) {
  Bounds b;
  for (const D3DVERTEX& p : v) {
    b.x0 = std::min(b.x0, p.x), b.x1 = std::max(b.x1, p.x);
    b.y0 = std::min(b.y0, p.y), b.y1 = std::max(b.y1, p.y);
    b.z0 = std::min(b.z0, p.z), b.z1 = std::max(b.z1, p.z);
  }
  return b;
}

// Volume enclosed by the triangles, positive when their front sides (where
// (b - a) x (c - a) points) face out.
double SignedVolume(int mesh) {
  const auto v = BuiltinVertices(mesh);
  const auto t = BuiltinTriangles(mesh);
  double volume = 0;
  for (std::size_t i = 0; i < t.size(); i += 3)
    volume += Dot(Pos(v[t[i]]), Cross(Pos(v[t[i + 1]]), Pos(v[t[i + 2]]))) / 6;
  return volume;
}

const int Boxes[] = {1, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14};

TEST(BuiltinMeshData, CountsOrderAndNames) {
  const int counts[] = {24, 275, 24, 24, 24, 24, 24, 24, 24, 6, 30, 24, 24, 24, 4, 4, 4};
  ASSERT_EQ(std::size(counts), static_cast<std::size_t>(BuiltinMeshCount));
  std::size_t offset = 0;
  const auto all = AllBuiltinVertices();
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    const auto v = BuiltinVertices(n);
    EXPECT_EQ(BuiltinMesh(n).VertexCount, counts[n - 1]) << n;
    ASSERT_EQ(v.size(), static_cast<std::size_t>(counts[n - 1])) << n;
    ASSERT_LE(offset + v.size(), all.size());
    EXPECT_TRUE(std::equal(v.begin(), v.end(), all.begin() + offset)) << n;
    offset += v.size();
  }
  EXPECT_EQ(all.size(), offset);
  std::string objects, stems, files;
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    objects += std::string(BuiltinMesh(n).Object) + " ";
    stems += std::string(MeshFile(BuiltinMesh(n).File).Stem()) + " ";
    files += std::string(BuiltinMesh(n).FileStem) + " ";
  }
  EXPECT_EQ(objects,
            "XBuildPlan XBackGround XCube(1) XCube(2) XCube(3) XCube(4) XCube(5) XCube(6) XCube(7) "
            "XCube(8) XCube(9) XCube(10) XCube(11) XCube(12) XStar(1) XStar(2) XStar(3) ");
  EXPECT_EQ(stems, "M1 M3 C01 C02 C03 C04 C05 C06 C07 C08 C09 C10 C11 C12 S1 S2 S3 ");
  EXPECT_EQ(files,
            "BuildPlan Channel Red Green Blue Yellow 4Color 2x2x2 ClearLayer Diamond Tund FallCube Cross "
            "SpecialBox star1 star2 star3 ");
  EXPECT_EQ(BuiltinMesh(CubeMeshNumber(12)).Object, "XCube(12)");
  EXPECT_EQ(BuiltinMesh(StarMeshNumber(1)).Object, "XStar(1)");
  for (int bad : {0, -1, 18}) EXPECT_THROW(BuiltinVertices(bad), std::out_of_range) << bad;
}

TEST(BuiltinMeshData, KnownRowsHoldExactly) {
  const auto plan = BuiltinVertices(1);
  const D3DVERTEX planStart[4] = {{-1.005556f, 0.002381f, -1.007937f, 0, 0, -1, 0, 0},
                                  {-1.005556f, -2.00873f, -1.007937f, 0, 0, -1, 0, 1},
                                  {1.005556f, 0.002381f, -1.007937f, 0, 0, -1, 1, 0},
                                  {1.005556f, -2.00873f, -1.007937f, 0, 0, -1, 1, 1}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(plan[i], planStart[i]) << "build plan vertex " << i;
  const D3DVERTEX star[4] = {{1.25638f, -1.264369f, 0, 0, 0, -1, 1, 1},
                             {1.25638f, 1.270517f, 0, 0, 0, -1, 1, 0},
                             {-1.254362f, 1.270517f, 0, 0, 0, -1, 0, 0},
                             {-1.254362f, -1.264369f, 0, 0, 0, -1, 0, 1}};
  const auto s1 = BuiltinVertices(StarMeshNumber(1));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s1[i], star[i]) << "star vertex " << i;
  const Bounds plate{-1.005556f, 1.005556f, -2.00873f, 0.002381f, -1.007937f, 1.003175f};
  EXPECT_EQ(BoundsOf(BuiltinVertices(1)), plate);
  for (int kind = 1; kind <= 4; ++kind)
    EXPECT_EQ(BoundsOf(BuiltinVertices(CubeMeshNumber(kind))),
              (Bounds{plate.x0, plate.x1, 0.004048f, 1.009603f, plate.z0, plate.z1}))
        << kind;
  EXPECT_EQ(BoundsOf(BuiltinVertices(2)), (Bounds{-20.0f, 20.0f, -19.8f, 20.2f, -22.4f, 86.6f}));
}

TEST(BuiltinMeshData, EveryNormalHasUnitLength) {
  for (const D3DVERTEX& v : AllBuiltinVertices()) EXPECT_NEAR(Len(Nrm(v)), 1.0, 1e-5);
  for (const D3DVERTEX& v : SelectAreaVertices()) EXPECT_NEAR(Len(Nrm(v)), 1.0, 1e-5);
}

TEST(BuiltinMeshData, BoxFacesLieOnTheBoxAndFaceOutward) {
  for (int mesh : Boxes) {
    const auto v = BuiltinVertices(mesh);
    const Bounds b = BoundsOf(v);
    const P centre = {(b.x0 + b.x1) / 2.0, (b.y0 + b.y1) / 2.0, (b.z0 + b.z1) / 2.0};
    std::map<std::tuple<float, float, float>, int> faces;
    for (int f = 0; f < 6; ++f) {
      const D3DVERTEX* c = &v[4 * f];
      const P n = Nrm(c[0]);
      ASSERT_NEAR(std::abs(n.x) + std::abs(n.y) + std::abs(n.z), 1.0, 1e-6) << mesh << " face " << f;
      for (int k = 1; k < 4; ++k)
        EXPECT_TRUE(c[k].nx == c[0].nx && c[k].ny == c[0].ny && c[k].nz == c[0].nz) << mesh << " face " << f;
      for (int k = 0; k < 4; ++k) {
        EXPECT_GT(Dot(Sub(Pos(c[k]), centre), n), 0) << mesh << " face " << f;
        const double side = n.x > 0   ? b.x1
                            : n.x < 0 ? b.x0
                            : n.y > 0 ? b.y1
                            : n.y < 0 ? b.y0
                            : n.z > 0 ? b.z1
                                      : b.z0;
        const double coord = n.x != 0 ? c[k].x : n.y != 0 ? c[k].y : c[k].z;
        EXPECT_EQ(coord, side) << mesh << " face " << f << " corner " << k;
      }
      const float uv[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(c[k].tu, uv[k][0]) << mesh << " face " << f;
        EXPECT_EQ(c[k].tv, uv[k][1]) << mesh << " face " << f;
      }
      ++faces[{static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)}];
    }
    EXPECT_EQ(faces.size(), 6u) << "mesh " << mesh << " lacks a side";
    EXPECT_EQ(v[0].nz, -1.0f) << mesh;
    EXPECT_NEAR(SignedVolume(mesh), double(b.x1 - b.x0) * (b.y1 - b.y0) * (b.z1 - b.z0), 1e-4) << mesh;
  }
}

TEST(BuiltinMeshData, TrianglesUseEveryVertexAndFaceTheirNormals) {
  for (int mesh = 1; mesh <= BuiltinMeshCount + 1; ++mesh) {
    const bool marker = mesh > BuiltinMeshCount;
    const auto v = marker ? SelectAreaVertices() : BuiltinVertices(mesh);
    const auto t = marker ? SelectAreaTriangles() : BuiltinTriangles(mesh);
    ASSERT_EQ(t.size() % 3, 0u);
    ASSERT_FALSE(t.empty()) << mesh;
    std::vector<bool> used(v.size());
    for (std::size_t i = 0; i < t.size(); i += 3) {
      ASSERT_TRUE(t[i] < v.size() && t[i + 1] < v.size() && t[i + 2] < v.size()) << mesh;
      const P a = Pos(v[t[i]]), b = Pos(v[t[i + 1]]), c = Pos(v[t[i + 2]]);
      const P face = Cross(Sub(b, a), Sub(c, a));
      EXPECT_GT(Len(face), 1e-6) << "degenerate triangle in mesh " << mesh;
      for (int k = 0; k < 3; ++k) {
        EXPECT_GT(Dot(face, Nrm(v[t[i + k]])), 0) << "mesh " << mesh << " triangle " << i / 3;
        used[t[i + k]] = true;
      }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "unused vertex in mesh " << mesh;
  }
}

TEST(BuiltinMeshData, GemAndLightningAreClosedSolids) {
  for (int kind : {8, 9}) {
    const int mesh = CubeMeshNumber(kind);
    EXPECT_GT(SignedVolume(mesh), 0.3) << kind;
    const auto v = BuiltinVertices(mesh);
    const auto t = BuiltinTriangles(mesh);
    using Key = std::tuple<float, float, float>;
    std::map<std::pair<Key, Key>, int> edges;
    for (std::size_t i = 0; i < t.size(); i += 3)
      for (int k = 0; k < 3; ++k) {
        const D3DVERTEX &a = v[t[i + k]], &b = v[t[i + (k + 1) % 3]];
        ++edges[{{a.x, a.y, a.z}, {b.x, b.y, b.z}}];
      }
    for (const auto& [edge, count] : edges) {
      EXPECT_EQ(count, 1) << kind;
      EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << "open edge in kind " << kind;
    }
  }
}

// The device drops the inside faces of opaque convex solids, which saves the
// software renderer most of the well's cost; a cube that stopped being one
// would quietly cost twice as much. Tunnel, stars and marker must keep theirs.
TEST(BuiltinMeshData, CubesAndTheFloorAreConvexSolidsTheRestIsNot) {
  const auto inside = [](int mesh) {
    return ConvexSolidInsideFaces(BuiltinVertices(mesh), BuiltinTriangles(mesh));
  };
  EXPECT_EQ(inside(1), D3DCULL_CCW) << "build plan";
  for (int kind = 1; kind <= 12; ++kind) EXPECT_EQ(inside(CubeMeshNumber(kind)), D3DCULL_CCW) << kind;
  EXPECT_EQ(inside(2), D3DCULL_NONE) << "background";
  for (int star = 1; star <= 3; ++star) EXPECT_EQ(inside(StarMeshNumber(star)), D3DCULL_NONE) << star;
  EXPECT_EQ(ConvexSolidInsideFaces(SelectAreaVertices(), SelectAreaTriangles()), D3DCULL_NONE);
}

TEST(BuiltinMeshData, SpinningSpecialsStayInsideTheirGlassBox) {
  const Bounds glass = BoundsOf(BuiltinVertices(CubeMeshNumber(12)));
  const Bounds cube = BoundsOf(BuiltinVertices(CubeMeshNumber(1)));
  for (int kind : {11, 12}) {
    const Bounds b = BoundsOf(BuiltinVertices(CubeMeshNumber(kind)));
    EXPECT_TRUE(b.x0 < cube.x0 && b.x1 > cube.x1 && b.z0 < cube.z0 && b.z1 > cube.z1 && b.y1 > cube.y1)
        << kind;
    EXPECT_LT(b.x1 - b.x0, 2.2f) << kind;
  }
  EXPECT_GT(glass.y0, BoundsOf(BuiltinVertices(1)).y1);
  const double room = std::min({-glass.x0, glass.x1, -glass.z0, glass.z1});
  for (int kind = 5; kind <= 10; ++kind)
    for (const D3DVERTEX& v : BuiltinVertices(CubeMeshNumber(kind))) {
      EXPECT_LT(std::hypot(v.x, v.z), room) << "kind " << kind;
      EXPECT_GT(v.y, glass.y0) << "kind " << kind;
      EXPECT_LT(v.y, glass.y1) << "kind " << kind;
    }
}

TEST(BuiltinMeshData, StarsAreSquaresFacingTheCamera) {
  for (int s = 1; s <= 3; ++s) {
    const auto v = BuiltinVertices(StarMeshNumber(s));
    const Bounds b = BoundsOf(v);
    EXPECT_NEAR(b.x1 - b.x0, 2.5, 0.4) << s;
    EXPECT_NEAR(b.y1 - b.y0, 2.5, 0.4) << s;
    std::map<std::pair<float, float>, int> corners;
    for (const D3DVERTEX& p : v) {
      EXPECT_EQ(p.z, 0.0f);
      EXPECT_EQ(Nrm(p).z, -1.0);
      EXPECT_EQ(p.tu, p.x > 0 ? 1.0f : 0.0f) << s;
      EXPECT_EQ(p.tv, p.y > 0 ? 0.0f : 1.0f) << s;
      ++corners[{p.tu, p.tv}];
    }
    EXPECT_EQ(corners.size(), 4u) << s;
  }
}

TEST(BuiltinMeshData, BackgroundIsATunnelSeenFromInside) {
  const auto v = BuiltinVertices(2);
  std::map<float, std::pair<double, double>>
      ringRadius;  // z -> smallest, largest distance from the middle line
  for (const D3DVERTEX& p : v) {
    EXPECT_GT(Dot(Nrm(p), Sub({0, 0.2, p.z}, Pos(p))), 0) << p.x << "," << p.y << "," << p.z;
    const double r = Len(Sub(Pos(p), {0, 0.2, p.z}));
    auto [it, fresh] = ringRadius.try_emplace(p.z, r, r);
    it->second = {std::min(it->second.first, r), std::max(it->second.second, r)};
  }
  EXPECT_EQ(ringRadius.size(), 11u);
  double previous = 1e9;
  for (const auto& [z, r] : ringRadius) {
    EXPECT_NEAR(r.first, r.second, 1e-4) << "ring at z " << z;
    EXPECT_LE(r.second, previous + 1e-6) << "ring at z " << z;
    if (z < 30) {
      EXPECT_GT(r.first, 12) << "ring at z " << z;
    }
    previous = r.second;
  }
  std::vector<bool> seen(24);
  for (const D3DVERTEX& p : v)
    seen[static_cast<std::size_t>(std::lround(std::atan2(p.x, p.y - 0.2) / 3.14159265358979 * 12 + 12)) %
         24] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), false), 0);
  const auto [minU, maxU] =
      std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.tu < b.tu; });
  const auto [minV, maxV] =
      std::minmax_element(v.begin(), v.end(), [](auto& a, auto& b) { return a.tv < b.tv; });
  EXPECT_EQ(minU->tu, 0.0f);
  EXPECT_EQ(minV->tv, 0.0f);
  EXPECT_EQ(maxU->tu, std::round(maxU->tu));
  EXPECT_EQ(maxV->tv, std::round(maxV->tv));
  EXPECT_GE(maxU->tu, 2.0f);
  for (const D3DVERTEX& p : v) {
    if (p.tu == minU->tu || p.tu == maxU->tu) {
      EXPECT_NEAR(p.x, 0, 1e-5) << "the seam is not at the top";
      EXPECT_GT(p.y, 0.2f) << "the seam is not at the top";
    }
  }
}

TEST(BuiltinMeshData, LandingMarkerLiesFlatInsideItsCell) {
  const auto v = SelectAreaVertices();
  ASSERT_FALSE(v.empty());
  for (const D3DVERTEX& p : v) {
    EXPECT_EQ(p.y, v[0].y);
    EXPECT_EQ(Nrm(p).y, 1.0);
    EXPECT_LT(std::max(std::abs(p.x), std::abs(p.z)), 1.0f);
  }
  EXPECT_GT(v[0].y, BoundsOf(BuiltinVertices(1)).y1);
  EXPECT_LT(v[0].y, 0.05f);
}

}  // namespace
}  // namespace quarnix
