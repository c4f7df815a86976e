#pragma once
// Scrambling of the data files. Each stored character becomes one 32-bit value
// whose six decimal digits interleave the character code + 69 (digits 1, 3, 5)
// with a random number 0..998 (digits 6, 4, 2, reversed), so the same text
// looks different on every save. A file is a fixed array of such values whose
// last element is their 32-bit sum, so that a damaged or edited file shows.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "core/FixedArray.h"
#include "core/Random.h"

namespace quarnix {

// A stored value that stands for no character.
struct DecodeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Codes the first character of s (a space when s is empty); one draw from random.
std::int32_t EncodeChar(std::string_view s, IRandom& random);

// The character a stored value stands for; throws DecodeError when its digits
// 1, 3 and 5 give no single-byte character (below 69 or above 324) or the value
// is not six decimal digits.
char DecodeChar(std::int32_t v);

// The body of a data file: N values, stored as N little-endian 32-bit integers.
template <int N>
using CodedArray = FixedArray<std::int32_t, N>;

// Sum of elements 1..last, wrapping in 32 bits as the file format requires.
template <int N>
std::int32_t CodedSum(const CodedArray<N>& a, int last) {
  std::uint32_t sum = 0;
  for (int i = 1; i <= last; ++i) sum += static_cast<std::uint32_t>(a(i));
  return static_cast<std::int32_t>(sum);
}

template <int N>
std::vector<std::uint8_t> CodedBytes(const CodedArray<N>& a) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(4 * N);
  for (std::int32_t value : a) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(u >> shift));
  }
  return bytes;
}

// The array held in bytes, or nothing when they are not exactly N values long.
template <int N>
std::optional<CodedArray<N>> CodedFromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != 4 * static_cast<std::size_t>(N)) return std::nullopt;
  CodedArray<N> a;
  for (int i = 1; i <= N; ++i) {
    const std::size_t at = 4 * static_cast<std::size_t>(i - 1);
    const std::uint32_t u = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                            (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
    a(i) = static_cast<std::int32_t>(u);
  }
  return a;
}

}  // namespace quarnix
