#pragma once
// Vertices, indices and attributes of a mesh, checked and grouped by subset;
// the part of a mesh both back ends share.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

class MeshData {
 public:
  // Throws std::invalid_argument when the index count is not three per
  // attribute, an index lies outside the vertices, or an attribute is absurdly large.
  MeshData(std::vector<D3DVERTEX> vertices, std::vector<std::uint32_t> indices,
           std::vector<std::uint32_t> attributes);

  struct Range {
    int firstIndex = 0;
    int indexCount = 0;
  };
  // The indices of subset; empty for a subset without faces (or out of range).
  Range SubsetRange(int subset) const;

  int NumVertices() const { return static_cast<int>(vertices_.size()); }
  int NumFaces() const { return static_cast<int>(attributes_.size()); }
  int NumSubsets() const { return static_cast<int>(ranges_.size()); }
  std::vector<D3DVERTEX>& Vertices() { return vertices_; }
  const std::vector<D3DVERTEX>& Vertices() const { return vertices_; }
  std::span<const std::uint32_t> Indices() const { return indices_; }
  std::span<const std::uint32_t> Attributes() const { return attributes_; }

  static constexpr std::uint32_t MaxAttribute = 65535;

  // For a mesh of one subset that is a closed convex solid, faces turned the
  // same way: the D3DCULL mode that removes its inside faces, as the mesh
  // stands (no transform). D3DCULL_NONE for anything else. Computed when asked.
  D3DCULL InsideFaces() const;

 private:
  std::vector<D3DVERTEX> vertices_;
  std::vector<std::uint32_t> indices_;
  std::vector<std::uint32_t> attributes_;
  std::vector<Range> ranges_;
};

// The test behind MeshData::InsideFaces: D3DCULL_CCW when every face turns
// clockwise seen from outside, D3DCULL_CW when every face turns the other way,
// D3DCULL_NONE when the faces do not close a convex solid (an open or concave
// mesh, a hole, a flat face, mixed turns) or number more than 1024.
D3DCULL ConvexSolidInsideFaces(std::span<const D3DVERTEX> vertices, std::span<const std::uint32_t> indices);

}  // namespace quarnix
