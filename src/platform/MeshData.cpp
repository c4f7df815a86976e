#include "platform/MeshData.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>

namespace quarnix {

MeshData::MeshData(std::vector<D3DVERTEX> vertices, std::vector<std::uint32_t> indices,
                   std::vector<std::uint32_t> attributes)
    : vertices_(std::move(vertices)) {
  if (indices.size() != attributes.size() * 3)
    throw std::invalid_argument("mesh has " + std::to_string(indices.size()) + " indices for " +
                                std::to_string(attributes.size()) + " faces");
  for (std::uint32_t i : indices)
    if (i >= vertices_.size())
      throw std::invalid_argument("mesh index " + std::to_string(i) + " outside its " +
                                  std::to_string(vertices_.size()) + " vertices");
  std::uint32_t highest = 0;
  for (std::uint32_t a : attributes) {
    if (a > MaxAttribute) throw std::invalid_argument("mesh attribute " + std::to_string(a) + " too large");
    highest = std::max(highest, a + 1);
  }

  // Faces grouped by attribute, keeping their order inside a group.
  std::vector<std::size_t> order(attributes.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return attributes[a] < attributes[b]; });
  indices_.reserve(indices.size());
  attributes_.reserve(attributes.size());
  ranges_.assign(highest, Range{});
  for (std::size_t f : order) {
    Range& r = ranges_[attributes[f]];
    if (r.indexCount == 0) r.firstIndex = static_cast<int>(indices_.size());
    r.indexCount += 3;
    indices_.insert(indices_.end(), indices.begin() + 3 * f, indices.begin() + 3 * f + 3);
    attributes_.push_back(attributes[f]);
  }
}

MeshData::Range MeshData::SubsetRange(int subset) const {
  if (subset < 0 || subset >= NumSubsets()) return Range{};
  return ranges_[subset];
}

D3DCULL MeshData::InsideFaces() const {
  return NumSubsets() == 1 ? ConvexSolidInsideFaces(vertices_, indices_) : D3DCULL_NONE;
}

D3DCULL ConvexSolidInsideFaces(std::span<const D3DVERTEX> vertices, std::span<const std::uint32_t> indices) {
  if (indices.size() < 12 || indices.size() % 3 != 0) return D3DCULL_NONE;  // a solid needs four faces
  // The convexity test below looks at every vertex for every face; past this
  // size it would cost more than the faces it could save (the game's solids have 12).
  if (indices.size() > 3 * 1024) return D3DCULL_NONE;
  using Point = std::array<float, 3>;
  const auto at = [&](std::uint32_t i) { return Point{vertices[i].x, vertices[i].y, vertices[i].z}; };
  float extent = 0;
  for (std::uint32_t i : indices)
    for (float c : at(i)) {
      if (!std::isfinite(c)) return D3DCULL_NONE;
      extent = std::max(extent, std::fabs(c));
    }
  if (extent == 0) return D3DCULL_NONE;

  // Closed: every edge, matched by position (faces may have their own
  // vertices), is run once each way. A crack or a T-junction fails this.
  std::map<std::pair<Point, Point>, int> edges;
  for (std::size_t f = 0; f < indices.size(); f += 3)
    for (int k = 0; k < 3; ++k) {
      const Point a = at(indices[f + k]), b = at(indices[f + (k + 1) % 3]);
      if (a == b) return D3DCULL_NONE;
      ++edges[{a, b}];
      --edges[{b, a}];
    }
  for (const auto& [edge, balance] : edges)
    if (balance != 0) return D3DCULL_NONE;

  // Convex, every face the same way: each face's plane has the whole mesh on
  // one side, the same side for all. (b - a) x (c - a) points to where a face
  // looks clockwise in a left-handed frame.
  const double tolerance = 1e-5 * extent;
  int behind = 0, before = 0;
  for (std::size_t f = 0; f < indices.size(); f += 3) {
    const Point a = at(indices[f]), b = at(indices[f + 1]), c = at(indices[f + 2]);
    const double u[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const double v[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length < tolerance * tolerance) return D3DCULL_NONE;  // a sliver has no clear facing
    bool anyBehind = false, anyBefore = false;
    for (std::uint32_t i : indices) {
      const Point p = at(i);
      const double d = (n[0] * (p[0] - a[0]) + n[1] * (p[1] - a[1]) + n[2] * (p[2] - a[2])) / length;
      anyBehind = anyBehind || d < -tolerance;
      anyBefore = anyBefore || d > tolerance;
    }
    if (anyBehind == anyBefore) return D3DCULL_NONE;  // concave here, or a flat mesh
    ++(anyBehind ? behind : before);
    if (behind && before) return D3DCULL_NONE;
  }
  return behind ? D3DCULL_CCW : D3DCULL_CW;
}

}  // namespace quarnix
