#include "presentation/BuiltinMeshData.h"

#include "game/GameState.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarnix {
namespace {

constexpr double Pi = 3.14159265358979323846;

struct Vec {
  float x, y, z;
};

Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Collects one mesh's vertices and triangles; indices are local to the mesh.
struct MeshBuilder {
  std::vector<D3DVERTEX> Vertices;
  std::vector<std::uint32_t> Triangles;

  std::uint32_t Add(Vec p, Vec n, float tu, float tv) {
    Vertices.push_back({p.x, p.y, p.z, n.x, n.y, n.z, tu, tv});
    return static_cast<std::uint32_t>(Vertices.size() - 1);
  }

  // A flat face seen from outside: p00 top left, p01 bottom left, p10 top
  // right, p11 bottom right, with the whole picture on it. The corners go in
  // the order (0,0), (0,1), (1,0), (1,1) of the texture.
  void Quad(Vec p00, Vec p01, Vec p10, Vec p11, Vec n) {
    const std::uint32_t a = Add(p00, n, 0, 0), b = Add(p01, n, 0, 1), c = Add(p10, n, 1, 0),
                        d = Add(p11, n, 1, 1);
    Triangles.insert(Triangles.end(), {a, c, b, b, c, d});
  }

  // A triangle wound so that its front side faces the way its normals point.
  void Facing(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const auto P = [&](std::uint32_t i) { return Vec{Vertices[i].x, Vertices[i].y, Vertices[i].z}; };
    const auto N = [&](std::uint32_t i) { return Vec{Vertices[i].nx, Vertices[i].ny, Vertices[i].nz}; };
    const Vec Face = Cross(Sub(P(c), P(a)), Sub(P(b), P(a)));
    const Vec Sum = {N(a).x + N(b).x + N(c).x, N(a).y + N(b).y + N(c).y, N(a).z + N(b).z + N(c).z};
    if (Dot(Face, Sum) >= 0)
      Triangles.insert(Triangles.end(), {a, c, b});
    else
      Triangles.insert(Triangles.end(), {a, b, c});
  }
};

struct Extent {
  float x0, x1, y0, y1, z0, z1;
};

// Six faces of four corners, each with its outward normal: -z (towards the
// camera), +z, -x, +x, +y, -y. Side faces stand upright; the top face reads
// with +z up, as the camera sees it.
MeshBuilder Box(const Extent& e) {
  MeshBuilder m;
  const float x0 = e.x0, x1 = e.x1, y0 = e.y0, y1 = e.y1, z0 = e.z0, z1 = e.z1;
  m.Quad({x0, y1, z0}, {x0, y0, z0}, {x1, y1, z0}, {x1, y0, z0}, {0, 0, -1});
  m.Quad({x1, y1, z1}, {x1, y0, z1}, {x0, y1, z1}, {x0, y0, z1}, {0, 0, 1});
  m.Quad({x0, y1, z1}, {x0, y0, z1}, {x0, y1, z0}, {x0, y0, z0}, {-1, 0, 0});
  m.Quad({x1, y1, z0}, {x1, y0, z0}, {x1, y1, z1}, {x1, y0, z1}, {1, 0, 0});
  m.Quad({x0, y1, z1}, {x0, y1, z0}, {x1, y1, z1}, {x1, y1, z0}, {0, 1, 0});
  m.Quad({x0, y0, z0}, {x0, y0, z1}, {x1, y0, z0}, {x1, y0, z1}, {0, -1, 0});
  return m;
}

// The floor tile under each column: its top face at the floor, reaching two
// layers down so the plan reads as a solid slab from the raised cameras.
constexpr Extent BuildPlanExtent = {-1.005556f, 1.005556f, -2.00873f, 0.002381f, -1.007937f, 1.003175f};
// A plain cube fills its cell with a hair to spare, so neighbours meet without
// a visible seam and a cube never touches the floor tile's top.
constexpr Extent CubeExtent = {-1.005556f, 1.005556f, 0.004048f, 1.009603f, -1.007937f, 1.003175f};
// The special cubes spin about the vertical axis inside the glass box: their
// corners stay within a radius of 1 from the axis.
constexpr Extent SpecialExtent = {-0.7f, 0.7f, 0.1f, 0.9f, -0.7f, 0.7f};
// The clearing glow wraps the cube it replaces.
constexpr Extent ClearExtent = {-1.03f, 1.03f, 0.0f, 1.03f, -1.03f, 1.03f};
// The glass box a special sits in, a touch larger than a cube.
constexpr Extent SpecialBoxExtent = {-1.02f, 1.02f, 0.003f, 1.02f, -1.02f, 1.02f};

// A cut gem: a four-sided crown over a deeper pavilion, one shared vertex per
// point with smooth normals. The picture's centre sits on the tip, its edge
// midpoints on the girdle, so each facet shows a quarter of the gem picture.
MeshBuilder Diamond() {
  MeshBuilder m;
  constexpr float R = 0.85f, Girdle = 0.62f, Top = 0.95f, Bottom = 0.05f;
  const std::uint32_t top = m.Add({0, Top, 0}, {0, 1, 0}, 0.5f, 0.5f);
  // Around from +z towards +x: clockwise seen from above.
  const Vec dirs[4] = {{0, 0, 1}, {1, 0, 0}, {0, 0, -1}, {-1, 0, 0}};
  const float uv[4][2] = {{0.5f, 0}, {1, 0.5f}, {0.5f, 1}, {0, 0.5f}};
  std::uint32_t ring[4];
  for (int k = 0; k < 4; ++k)
    ring[k] = m.Add({R * dirs[k].x, Girdle, R * dirs[k].z}, dirs[k], uv[k][0], uv[k][1]);
  const std::uint32_t bottom = m.Add({0, Bottom, 0}, {0, -1, 0}, 0.5f, 0.5f);
  for (int k = 0; k < 4; ++k) m.Facing(top, ring[k], ring[(k + 1) % 4]);
  for (int k = 0; k < 4; ++k) m.Facing(bottom, ring[(k + 1) % 4], ring[k]);
  return m;
}

// The lightning cube: a five-sided prism, so the bolt on each upright side
// keeps its proportions while it spins. Sides first (four corners each), then
// the top and the bottom (five each, the picture laid flat over them).
MeshBuilder Tund() {
  MeshBuilder m;
  constexpr double R = 0.93;
  constexpr float Top = 0.92f, Bottom = 0.08f;
  Vec ring[5];
  for (int k = 0; k < 5; ++k) {
    const double a = 2 * Pi * k / 5;  // from +z towards +x
    ring[k] = {static_cast<float>(R * std::sin(a)), 0, static_cast<float>(R * std::cos(a))};
  }
  for (int k = 0; k < 5; ++k) {
    const Vec a = ring[k], b = ring[(k + 1) % 5];
    const double mid = 2 * Pi * (k + 0.5) / 5;
    const Vec n = {static_cast<float>(std::sin(mid)), 0, static_cast<float>(std::cos(mid))};
    // Seen from outside, looking along -n, the right-hand direction is up x -n.
    const Vec right = Cross({0, 1, 0}, {-n.x, -n.y, -n.z});
    const bool aLeft = Dot(a, right) < Dot(b, right);
    const Vec l = aLeft ? a : b, r = aLeft ? b : a;
    m.Quad({l.x, Top, l.z}, {l.x, Bottom, l.z}, {r.x, Top, r.z}, {r.x, Bottom, r.z}, n);
  }
  const auto Cap = [&](float y, Vec n, float vSign) {
    std::uint32_t first = 0;
    for (int k = 0; k < 5; ++k) {
      const auto i = m.Add({ring[k].x, y, ring[k].z}, n, static_cast<float>(0.5 + ring[k].x / (2 * R)),
                           static_cast<float>(0.5 + vSign * ring[k].z / (2 * R)));
      if (k == 0) first = i;
    }
    for (std::uint32_t k = 1; k < 4; ++k) m.Facing(first, first + k, first + k + 1);
  };
  Cap(Top, {0, 1, 0}, -1);
  Cap(Bottom, {0, -1, 0}, 1);
  return m;
}

// The background: a tunnel around the well, open at both ends, running away
// from the camera along +z and narrowing almost to a point at its far end, so
// no black hole shows through it; 25 points around (the first and last meet at the top,
// where the picture's seam is least seen) by 11 along. The game sways, tilts
// and rolls it about the well, so it has to fill the view from every side;
// the picture repeats four times each way and is scrolled over time.
MeshBuilder BackGround() {
  MeshBuilder m;
  constexpr int Around = 25, Along = 11;
  constexpr double NearRadius = 20, Narrowing = 19.6, CentreY = 0.2, Near = -22.4, Far = 86.6, Repeats = 4;
  for (int j = 0; j < Along; ++j) {
    const double a = static_cast<double>(j) / (Along - 1);
    const double radius = NearRadius - Narrowing * a * a;
    const double slope = -2 * Narrowing * a / (Far - Near);  // d radius / d z
    float z = static_cast<float>(Near + (Far - Near) * a);
    if (j == 0) z = -22.4f;
    if (j == Along - 1) z = 86.6f;
    for (int i = 0; i < Around; ++i) {
      const double t = 2 * Pi * i / (Around - 1) - Pi;  // the top, then down the +x side
      const double s = -std::sin(t), c = -std::cos(t);  // outward direction (s, c)
      float x = static_cast<float>(radius * s), y = static_cast<float>(CentreY + radius * c);
      // The near ring's points on the axes lie exactly on the bounds.
      if (j == 0 && (4 * i) % (Around - 1) == 0) {
        const int q = 4 * i / (Around - 1);  // top, +x side, bottom, -x side, top
        const float ax[5] = {0.0f, 20.0f, 0.0f, -20.0f, 0.0f}, ay[5] = {20.2f, 0.2f, -19.8f, 0.2f, 20.2f};
        x = ax[q], y = ay[q];
      }
      // Inward normal of the narrowing wall: it leans back towards the camera.
      const double len = std::sqrt(1 + slope * slope);
      m.Add({x, y, z},
            {static_cast<float>(-s / len), static_cast<float>(-c / len), static_cast<float>(slope / len)},
            static_cast<float>(Repeats * i / (Around - 1)), static_cast<float>(Repeats * a));
    }
  }
  for (std::uint32_t j = 0; j + 1 < Along; ++j)
    for (std::uint32_t i = 0; i + 1 < Around; ++i) {
      const std::uint32_t a = j * Around + i, b = a + 1, c = a + Around, d = c + 1;
      m.Facing(a, b, c);
      m.Facing(b, d, c);
    }
  return m;
}

// A star: one textured square in the plane z = 0 facing -z, corners in the
// order bottom right, top right, top left, bottom left.
MeshBuilder Star(float left, float right, float bottom, float top) {
  MeshBuilder m;
  const Vec n = {0, 0, -1};
  m.Add({right, bottom, 0}, n, 1, 1);
  m.Add({right, top, 0}, n, 1, 0);
  m.Add({left, top, 0}, n, 0, 0);
  m.Add({left, bottom, 0}, n, 0, 1);
  m.Triangles = {0, 2, 1, 0, 3, 2};
  return m;
}

// The landing marker: a square frame lying just above the cell's floor, drawn
// spinning and without a picture. Outer corners first, then inner ones.
MeshBuilder SelectArea() {
  MeshBuilder m;
  constexpr float Outer = 0.9f, Inner = 0.72f, Y = 0.02f;
  const Vec up = {0, 1, 0};
  const float corner[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};  // clockwise seen from above
  for (float s : {Outer, Inner})
    for (const auto& c : corner) m.Add({s * c[0], Y, s * c[1]}, up, (c[0] + 1) / 2, (1 - c[1]) / 2);
  for (std::uint32_t k = 0; k < 4; ++k) {
    const std::uint32_t o0 = k, o1 = (k + 1) % 4, i0 = 4 + k, i1 = 4 + (k + 1) % 4;
    m.Facing(o0, o1, i0);
    m.Facing(o1, i1, i0);
  }
  return m;
}

struct BuiltinSet {
  std::vector<D3DVERTEX> Vertices;       // all 587
  std::vector<std::uint32_t> Triangles;  // all meshes' triangles, local indices
  std::size_t VertexStart[BuiltinMeshCount + 1] = {};
  std::size_t TriangleStart[BuiltinMeshCount + 1] = {};
  MeshBuilder Marker = SelectArea();
};

constexpr std::array<BuiltinMeshInfo, BuiltinMeshCount> Infos = {{
    {"XBuildPlan", BuildPlanMesh, "BuildPlan", 24},
    {"XBackGround", BackGroundMesh, "Channel", 275},
    {"XCube(1)", CubeMesh(1), "Red", 24},
    {"XCube(2)", CubeMesh(2), "Green", 24},
    {"XCube(3)", CubeMesh(3), "Blue", 24},
    {"XCube(4)", CubeMesh(4), "Yellow", 24},
    {"XCube(5)", CubeMesh(5), "4Color", 24},
    {"XCube(6)", CubeMesh(6), "2x2x2", 24},
    {"XCube(7)", CubeMesh(7), "ClearLayer", 24},
    {"XCube(8)", CubeMesh(8), "Diamond", 6},
    {"XCube(9)", CubeMesh(9), "Tund", 30},
    {"XCube(10)", CubeMesh(10), "FallCube", 24},
    {"XCube(11)", CubeMesh(11), "Cross", 24},
    {"XCube(12)", CubeMesh(12), "SpecialBox", 24},
    {"XStar(1)", StarMesh(1), "star1", 4},
    {"XStar(2)", StarMesh(2), "star2", 4},
    {"XStar(3)", StarMesh(3), "star3", 4},
}};

MeshBuilder MakeMesh(int number) {
  if (number == BuildPlanMeshNumber) return Box(BuildPlanExtent);
  if (number == BackGroundMeshNumber) return BackGround();
  // The stars: the known first one, then a smaller and a larger square.
  if (number == StarMeshNumber(1)) return Star(-1.254362f, 1.25638f, -1.264369f, 1.270517f);
  if (number == StarMeshNumber(2)) return Star(-1.15f, 1.15f, -1.15f, 1.15f);
  if (number == StarMeshNumber(3)) return Star(-1.3f, 1.3f, -1.3f, 1.3f);
  const auto kind = static_cast<CellKind>(number - CubeMeshNumber(0));
  switch (kind) {
    case CellKind::Diamond:
      return Diamond();
    case CellKind::Tund:
      return Tund();
    case CellKind::CubeClear:
      return Box(ClearExtent);
    case CellKind::SpecialBox:
      return Box(SpecialBoxExtent);
    default:  // the colours; the other specials
      return Box(IsColour(kind) ? CubeExtent : SpecialExtent);
  }
}

const BuiltinSet& Set() {
  static const BuiltinSet set = [] {
    BuiltinSet s;
    for (int n = 1; n <= BuiltinMeshCount; ++n) {
      MeshBuilder m = MakeMesh(n);
      if (static_cast<int>(m.Vertices.size()) != Infos[n - 1].VertexCount)
        throw std::logic_error("built-in mesh " + std::string(Infos[n - 1].Object) +
                               " has the wrong vertex count");
      s.VertexStart[n - 1] = s.Vertices.size();
      s.TriangleStart[n - 1] = s.Triangles.size();
      s.Vertices.insert(s.Vertices.end(), m.Vertices.begin(), m.Vertices.end());
      s.Triangles.insert(s.Triangles.end(), m.Triangles.begin(), m.Triangles.end());
    }
    s.VertexStart[BuiltinMeshCount] = s.Vertices.size();
    s.TriangleStart[BuiltinMeshCount] = s.Triangles.size();
    return s;
  }();
  return set;
}

int Checked(int meshNumber) {
  if (meshNumber < 1 || meshNumber > BuiltinMeshCount)
    throw std::out_of_range("built-in mesh number " + std::to_string(meshNumber) + " is outside 1.." +
                            std::to_string(BuiltinMeshCount));
  return meshNumber - 1;
}

}  // namespace

const BuiltinMeshInfo& BuiltinMesh(int meshNumber) { return Infos[Checked(meshNumber)]; }

std::span<const D3DVERTEX> BuiltinVertices(int meshNumber) {
  const int i = Checked(meshNumber);
  const BuiltinSet& s = Set();
  return std::span<const D3DVERTEX>(s.Vertices)
      .subspan(s.VertexStart[i], s.VertexStart[i + 1] - s.VertexStart[i]);
}

std::span<const std::uint32_t> BuiltinTriangles(int meshNumber) {
  const int i = Checked(meshNumber);
  const BuiltinSet& s = Set();
  return std::span<const std::uint32_t>(s.Triangles)
      .subspan(s.TriangleStart[i], s.TriangleStart[i + 1] - s.TriangleStart[i]);
}

std::span<const D3DVERTEX> AllBuiltinVertices() { return Set().Vertices; }

std::span<const D3DVERTEX> SelectAreaVertices() { return Set().Marker.Vertices; }
std::span<const std::uint32_t> SelectAreaTriangles() { return Set().Marker.Triangles; }

}  // namespace quarnix
