#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "content/ZeroRuns.h"

using quarnix::PackZeroRuns;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Decodes into Size bytes of 0xAA between four guard bytes of 0xAA on each side: the whole store, the bytes
// written and whether the input overflowed.
std::tuple<Bytes, std::size_t, bool> Unpack(std::span<const std::uint8_t> In, std::size_t Size) {
  Bytes Store(Size + 8, 0xAA);
  const auto r = quarnix::UnpackZeroRuns(In, std::span(Store).subspan(4, Size));
  return {Store, r.Written, r.Overflow};
}
Bytes Guarded(const Bytes& Content) {
  Bytes b(Content.size() + 8, 0xAA);
  std::copy(Content.begin(), Content.end(), b.begin() + 4);
  return b;
}

}  // namespace

// catches: bad runs or trailing zeros; writes past the buffer; the packer's last byte undecoded; long runs.
TEST(ZeroRuns, DecodeNeverWritesPastTheBufferAndRoundTripsWithoutTheFileLastByte) {
  const std::tuple<Bytes, std::size_t, Bytes, std::size_t, bool> Cases[] = {
      // in, size, content, written
      {{7, 0, 3, 9}, 5, {7, 0, 0, 0, 9}, 5, false},
      {{5, 0}, 3, {5, 0xAA, 0xAA}, 1, false},  // a trailing 0 writes nothing
      {{0, 0, 2, 4}, 3, {0, 0, 4}, 3, false},  // two zeros act as one
      {{0, 200}, 4, {0, 0, 0, 0}, 4, true},
      {{1, 2, 3, 4, 5, 6}, 4, {1, 2, 3, 4}, 4, true},
      {{9, 0, 1}, 0, {}, 0, true},
  };
  for (const auto& [In, Size, Content, Written, Overflow] : Cases)
    EXPECT_EQ(Unpack(In, Size), std::tuple(Guarded(Content), Written, Overflow));
  std::vector<Bytes> Data = {{}, {0}, {1, 2, 3}, {4, 0, 0}, {0, 0, 0, 7, 0, 8, 0, 0}, Bytes(600, 0)};
  Data.back().push_back(1);
  Bytes Mixed;  // long and short runs
  std::minstd_rand Random(12345);
  for (int i = 0; i < 5000; ++i) Mixed.push_back(Random() % 3 ? 0 : static_cast<std::uint8_t>(Random()));
  Mixed.insert(Mixed.end(), 700, 0);
  Data.push_back(Mixed);
  for (const Bytes& d : Data) {
    const Bytes Packed = PackZeroRuns(d);
    ASSERT_FALSE(Packed.empty());
    EXPECT_EQ(Unpack(std::span(Packed).first(Packed.size() - 1), d.size()),
              std::tuple(Guarded(d), d.size(), false));
    EXPECT_EQ(std::get<0>(Unpack(Packed, d.size())), Guarded(d));
  }
  const Bytes Long = PackZeroRuns(Data[5]);
  EXPECT_EQ(Long, (Bytes{0, 255, 0, 255, 0, 90, 1, Long.back()}));
  EXPECT_LT(PackZeroRuns(Mixed).size(), Mixed.size());
}
