// The built-in mesh vertices: counts and order, names, and shapes that hold together.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>

#include "platform/MeshData.h"
#include "presentation/BuiltinMeshData.h"

namespace quarnix {
namespace {

using ::testing::FloatNear;
using ::testing::Pointwise;
using P = std::array<double, 3>;
P Pos(const D3DVERTEX& v) { return {v.x, v.y, v.z}; }
P Nrm(const D3DVERTEX& v) { return {v.nx, v.ny, v.nz}; }
P Sub(P a, P b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
P Cross(P a, P b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(P a, P b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double Len(P a) { return std::sqrt(Dot(a, a)); }

// x0, x1, y0, y1, z0, z1: the lowest and highest coordinate on each axis.
using Bounds = std::array<float, 6>;
Bounds BoundsOf(std::span<const D3DVERTEX> v) {
  Bounds b{1e9f, -1e9f, 1e9f, -1e9f, 1e9f, -1e9f};
  for (const D3DVERTEX& p : v)
    for (int a = 0; a < 3; ++a)
      b[2 * a] = std::min(b[2 * a], (&p.x)[a]), b[2 * a + 1] = std::max(b[2 * a + 1], (&p.x)[a]);
  return b;
}
Bounds MeshBounds(int mesh) { return BoundsOf(BuiltinVertices(mesh)); }

// Volume enclosed by the triangles, positive when their front sides ((b - a) x (c - a)) face out.
double SignedVolume(int mesh) {
  const auto v = BuiltinVertices(mesh);
  const auto t = BuiltinTriangles(mesh);
  double volume = 0;
  for (std::size_t i = 0; i < t.size(); i += 3)
    volume += Dot(Pos(v[t[i]]), Cross(Pos(v[t[i + 1]]), Pos(v[t[i + 2]]))) / 6;
  return volume;
}

// catches: a mesh of the wrong size, out of order in the whole set, or under the wrong object or file name.
TEST(BuiltinMeshData, CountsOrderAndNames) {
  const int counts[] = {24, 275, 24, 24, 24, 24, 24, 24, 24, 6, 30, 24, 24, 24, 4, 4, 4};
  ASSERT_EQ(std::size(counts), static_cast<std::size_t>(BuiltinMeshCount));
  std::size_t offset = 0;
  const auto all = AllBuiltinVertices();
  std::string objects, stems, files;
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    const auto v = BuiltinVertices(n);
    ASSERT_EQ(std::pair(BuiltinMesh(n).VertexCount, v.size()),
              std::pair(counts[n - 1], std::size_t(counts[n - 1])))
        << n;
    ASSERT_LE(offset + v.size(), all.size());
    EXPECT_TRUE(std::equal(v.begin(), v.end(), all.begin() + offset)) << n;
    offset += v.size();
    objects += std::string(BuiltinMesh(n).Object) + " ";
    stems += std::string(MeshFile(BuiltinMesh(n).File).Stem()) + " ";
    files += std::string(BuiltinMesh(n).FileStem) + " ";
  }
  EXPECT_EQ(all.size(), offset);
  EXPECT_EQ(objects,
            "XBuildPlan XBackGround XCube(1) XCube(2) XCube(3) XCube(4) XCube(5) XCube(6) XCube(7) "
            "XCube(8) XCube(9) XCube(10) XCube(11) XCube(12) XStar(1) XStar(2) XStar(3) ");
  EXPECT_EQ(stems, "M1 M3 C01 C02 C03 C04 C05 C06 C07 C08 C09 C10 C11 C12 S1 S2 S3 ");
  EXPECT_EQ(files,
            "BuildPlan Channel Red Green Blue Yellow 4Color 2x2x2 ClearLayer Diamond Tund FallCube Cross "
            "SpecialBox star1 star2 star3 ");
  for (int bad : {0, -1, 18}) EXPECT_THROW(BuiltinVertices(bad), std::out_of_range) << bad;
}

// catches: a stray, flat or flipped triangle or box face, unused vertex, long normal, open solid, wrong
// culling.
TEST(BuiltinMeshData, TrianglesAndBoxFacesFaceOutwardUseEveryVertexAndCloseTheCulledSolids) {
  for (int mesh = 1; mesh <= BuiltinMeshCount + 1; ++mesh) {
    const bool marker = mesh > BuiltinMeshCount, solid = mesh == 1 || (mesh >= 3 && mesh <= 14);
    const auto v = marker ? SelectAreaVertices() : BuiltinVertices(mesh);
    const auto t = marker ? SelectAreaTriangles() : BuiltinTriangles(mesh);
    ASSERT_EQ(t.size() % 3, 0u);
    ASSERT_FALSE(t.empty()) << mesh;
    EXPECT_EQ(ConvexSolidInsideFaces(v, t), solid ? D3DCULL_CCW : D3DCULL_NONE) << mesh;
    std::vector<bool> used(v.size());
    for (const D3DVERTEX& p : v) EXPECT_NEAR(Len(Nrm(p)), 1.0, 1e-5) << mesh;
    std::map<std::pair<P, P>, int> edges;  // in a solid each is shared by two triangles going opposite ways
    for (std::size_t i = 0; i < t.size(); i += 3) {
      ASSERT_TRUE(t[i] < v.size() && t[i + 1] < v.size() && t[i + 2] < v.size()) << mesh;
      const P a = Pos(v[t[i]]), face = Cross(Sub(Pos(v[t[i + 1]]), a), Sub(Pos(v[t[i + 2]]), a));
      EXPECT_GT(Len(face), 1e-6) << "degenerate triangle in mesh " << mesh;
      for (int k = 0; k < 3; ++k) {
        EXPECT_GT(Dot(face, Nrm(v[t[i + k]])), 0) << "mesh " << mesh << " triangle " << i / 3;
        used[t[i + k]] = true;
        ++edges[{Pos(v[t[i + k]]), Pos(v[t[i + (k + 1) % 3]])}];
      }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), false), 0) << "unused vertex in mesh " << mesh;
    if (!solid) continue;
    EXPECT_GT(SignedVolume(mesh), 0.3) << mesh;
    for (const auto& [edge, count] : edges)
      EXPECT_TRUE(count == 1 && edges.count({edge.second, edge.first}) == 1) << "open edge in mesh " << mesh;
    if (v.size() != 24) continue;  // the boxes: six faces of four corners
    const Bounds b = MeshBounds(mesh);
    const P centre = {(b[0] + b[1]) / 2.0, (b[2] + b[3]) / 2.0, (b[4] + b[5]) / 2.0};
    std::map<P, int> faces;
    for (int f = 0; f < 6; ++f) {
      SCOPED_TRACE("mesh " + std::to_string(mesh) + " face " + std::to_string(f));
      const D3DVERTEX* c = &v[4 * f];
      const P n = Nrm(c[0]);
      ASSERT_NEAR(std::abs(n[0]) + std::abs(n[1]) + std::abs(n[2]), 1.0, 1e-6);
      const int axis = n[0] != 0 ? 0 : n[1] != 0 ? 1 : 2;
      for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(Nrm(c[k]), n);
        EXPECT_EQ((&c[k].x)[axis], b[2 * axis + (n[axis] > 0)]) << "corner " << k;  // on the side it faces
        EXPECT_EQ(std::pair(c[k].tu, c[k].tv), std::pair(float(k / 2), float(k % 2)));  // (0, 0), (0, 1), ...
        EXPECT_TRUE(f > 0 || (c[k].tu == float(c[k].x > centre[0]) && c[k].tv == float(c[k].y < centre[1])))
            << "front face not upright: u follows x, v runs against y";
      }
      ++faces[n];
    }
    EXPECT_EQ(faces.size(), 6u) << "mesh " << mesh << " lacks a side";
    EXPECT_EQ(v[0].nz, -1.0f) << mesh;  // the face the cameras look at first
    EXPECT_NEAR(SignedVolume(mesh), double(b[1] - b[0]) * (b[3] - b[2]) * (b[5] - b[4]), 1e-4) << mesh;
  }
}

// catches: a mesh off its cell (2 x 1 x 2 on its origin), a special out of its glass box, a star or marker
// askew.
TEST(BuiltinMeshData, CellsStandOnTheirOriginSpecialsStayInTheirGlassBoxStarsAndMarkerLieFlat) {
  const Bounds plate = MeshBounds(1);  // its top at the origin; cubes stand on it, flush with its sides
  EXPECT_THAT(plate, Pointwise(FloatNear(0.01f), Bounds{-1, 1, -2, 0, -1, 1}));
  for (int kind = 1; kind <= 4; ++kind) {
    const Bounds b = MeshBounds(CubeMeshNumber(kind));
    EXPECT_THAT(b, Pointwise(FloatNear(0.01f), Bounds{-1, 1, 0, 1, -1, 1})) << kind;
    EXPECT_TRUE(b[0] == plate[0] && b[1] == plate[1] && b[4] == plate[4] && b[5] == plate[5] &&
                b[2] > plate[3]);
  }
  for (int s = 1; s <= 3; ++s) {
    const auto v = BuiltinVertices(StarMeshNumber(s));
    const Bounds b = BoundsOf(v);
    EXPECT_TRUE(std::abs(b[1] - b[0] - 2.5) < 0.4 && std::abs(b[3] - b[2] - 2.5) < 0.4) << s;
    std::set<std::pair<float, float>> corners;
    std::set<float> xs, ys;         // a rectangle: two columns, two rows
    for (const D3DVERTEX& p : v) {  // flat, facing the camera; u follows x, v runs against y: upright
      EXPECT_EQ(std::tuple(p.z, p.nz, p.tu, p.tv),
                std::tuple(0.0f, -1.0f, p.x > 0 ? 1.0f : 0.0f, p.y > 0 ? 0.0f : 1.0f))
          << s;
      corners.insert({p.tu, p.tv}), xs.insert(p.x), ys.insert(p.y);
    }
    EXPECT_EQ(std::tuple(corners.size(), xs.size(), ys.size()), std::tuple(4u, 2u, 2u)) << s;
  }
  const Bounds glass = MeshBounds(CubeMeshNumber(12)), cube = MeshBounds(CubeMeshNumber(1));
  for (int kind : {11, 12}) {
    const Bounds b = MeshBounds(CubeMeshNumber(kind));
    EXPECT_TRUE(b[0] < cube[0] && b[1] > cube[1] && b[4] < cube[4] && b[5] > cube[5] && b[3] > cube[3] &&
                b[1] - b[0] < 2.2f)
        << kind;
  }
  EXPECT_GT(glass[2], plate[3]);  // standing on the floor tile, not reaching under it
  const double room = std::min({-glass[0], glass[1], -glass[4], glass[5]});
  for (int kind = 5; kind <= 10; ++kind)
    for (const D3DVERTEX& v : BuiltinVertices(CubeMeshNumber(kind))) {
      EXPECT_TRUE(std::hypot(v.x, v.z) < room && v.y > glass[2] && v.y < glass[3]) << "kind " << kind;
    }
  const auto marker = SelectAreaVertices();
  for (const D3DVERTEX& p : marker)
    EXPECT_TRUE(p.y == marker[0].y && Nrm(p)[1] == 1.0 && std::max(std::abs(p.x), std::abs(p.z)) < 1.0f);
  EXPECT_TRUE(marker[0].y > plate[3] && marker[0].y < 0.05f) << marker[0].y;
}

// catches: a tunnel facing out, not round, widening, narrow, with a gap, or a seam that jumps or is off top.
TEST(BuiltinMeshData, BackgroundIsATunnelSeenFromInside) {
  const auto v = BuiltinVertices(2);
  std::map<float, std::pair<double, double>> ringRadius;  // z -> least, most distance from the middle line
  std::set<long> seen;                                    // every 15 degrees about the middle line
  for (const D3DVERTEX& p : v) {
    const P axis{0, 0.2, p.z};
    EXPECT_GT(Dot(Nrm(p), Sub(axis, Pos(p))), 0) << p.x << "," << p.y << "," << p.z;
    const double r = Len(Sub(Pos(p), axis));
    auto [it, fresh] = ringRadius.try_emplace(p.z, r, r);
    it->second = {std::min(it->second.first, r), std::max(it->second.second, r)};
    seen.insert(std::lround(std::atan2(p.x, p.y - 0.2) / 3.14159265358979 * 12 + 12) % 24);
  }
  EXPECT_EQ(ringRadius.size(), 11u);
  double previous = 1e9;
  for (const auto& [z, r] : ringRadius) {
    // round, never widening away, wide enough for the well near it
    EXPECT_TRUE(r.second - r.first < 1e-4 && r.second <= previous + 1e-6 && (z >= 30 || r.first > 12)) << z;
    previous = r.second;
  }
  EXPECT_EQ(seen.size(), 24u);
  const auto u = std::ranges::minmax(v, {}, &D3DVERTEX::tu), w = std::ranges::minmax(v, {}, &D3DVERTEX::tv);
  EXPECT_EQ(std::tuple(u.min.tu, w.min.tv, u.max.tu - std::round(u.max.tu), w.max.tv - std::round(w.max.tv)),
            std::tuple(0.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_GE(u.max.tu, 2.0f);
  for (const D3DVERTEX& p : v)
    EXPECT_TRUE((p.tu != u.min.tu && p.tu != u.max.tu) || (std::abs(p.x) < 1e-5 && p.y > 0.2f))
        << "the seam is not at the top";
}

}  // namespace
}  // namespace quarnix
