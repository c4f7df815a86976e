#include "platform/MeshData.h"

#include <algorithm>
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

}  // namespace quarnix
