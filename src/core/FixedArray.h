#pragma once
// Fixed-size arrays indexed from 1 in every dimension, as the game's tables are
// written (x, y, z with layer 1 the floor). Every access is bounds-checked: an
// index outside its range throws std::out_of_range naming the index and bounds.

#include <algorithm>
#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace quarnix {

template <typename T, int... Extents>
class FixedArray {
  static_assert(sizeof...(Extents) >= 1, "at least one dimension");
  static_assert(((Extents > 0) && ...), "every extent must be positive");

 public:
  static constexpr int Rank = sizeof...(Extents);
  static constexpr std::array<int, Rank> Bounds{Extents...};
  static constexpr std::size_t Size = (static_cast<std::size_t>(Extents) * ...);

  template <typename... Index>
  requires(sizeof...(Index) == Rank) T& operator()(Index... index) {
    return data_[Offset(static_cast<int>(index)...)];
  }

  template <typename... Index>
  requires(sizeof...(Index) == Rank) const T& operator()(Index... index) const {
    return data_[Offset(static_cast<int>(index)...)];
  }

  void Fill(const T& value) { data_.fill(value); }

  auto begin() { return data_.begin(); }
  auto end() { return data_.end(); }
  auto begin() const { return data_.begin(); }
  auto end() const { return data_.end(); }

  bool operator==(const FixedArray&) const = default;

 private:
  // Unrolled over the dimensions: the rules index the field in their inner loops.
  template <typename... Index>
  static std::size_t Offset(Index... index) {
    std::size_t offset = 0;
    std::size_t d = 0;
    bool inside = true;
    ((inside = inside && index >= 1 && index <= Bounds[d],
      offset = offset * static_cast<std::size_t>(Bounds[d]) + static_cast<std::size_t>(index - 1), ++d),
     ...);
    if (!inside) [[unlikely]]
      throw std::out_of_range(Describe({index...}));
    return offset;
  }

  static std::string Describe(const std::array<int, Rank>& index) {
    std::string got, range;
    for (int d = 0; d < Rank; ++d) {
      if (d > 0) {
        got += ", ";
        range += ", ";
      }
      got += std::to_string(index[d]);
      range += "1.." + std::to_string(Bounds[d]);
    }
    return "array index (" + got + ") outside (" + range + ")";
  }

  std::array<T, Size> data_{};
};

}  // namespace quarnix
