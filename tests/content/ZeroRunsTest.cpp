#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "content/ZeroRuns.h"

using quarnix::PackZeroRuns;
using quarnix::UnpackZeroRuns;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Decodes into a buffer of Size bytes that sits between guard bytes.
struct Guarded {
  explicit Guarded(std::size_t Size) : Store(Size + 8, 0xAA), Size(Size) {}
  std::span<std::uint8_t> Buffer() { return {Store.data() + 4, Size}; }
  Bytes Content() const { return Bytes(Store.begin() + 4, Store.begin() + 4 + Size); }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < 4; ++i)
      if (Store[i] != 0xAA || Store[Store.size() - 1 - i] != 0xAA) return false;
    return true;
  }
  Bytes Store;
  std::size_t Size;
};

}  // namespace

TEST(ZeroRuns, DecodesLiteralsAndRuns) {
  Guarded g(5);
  auto r = UnpackZeroRuns(Bytes{7, 0, 3, 9}, g.Buffer());
  EXPECT_EQ(g.Content(), (Bytes{7, 0, 0, 0, 9}));
  EXPECT_EQ(r.Written, 5u);
  EXPECT_FALSE(r.Overflow);
}

TEST(ZeroRuns, TrailingZeroWritesNothingAndTwoZerosActAsOne) {
  Guarded g(3);
  auto r = UnpackZeroRuns(Bytes{5, 0}, g.Buffer());
  EXPECT_EQ(r.Written, 1u);
  EXPECT_EQ(g.Content(), (Bytes{5, 0xAA, 0xAA}));

  Guarded h(3);
  r = UnpackZeroRuns(Bytes{0, 0, 2, 4}, h.Buffer());
  EXPECT_EQ(h.Content(), (Bytes{0, 0, 4}));
  EXPECT_EQ(r.Written, 3u);
}

TEST(ZeroRuns, NeverWritesPastTheBuffer) {
  Guarded Run(4);
  auto r = UnpackZeroRuns(Bytes{0, 200}, Run.Buffer());
  EXPECT_TRUE(r.Overflow);
  EXPECT_EQ(r.Written, 4u);
  EXPECT_TRUE(Run.GuardsIntact());

  Guarded Literals(4);
  r = UnpackZeroRuns(Bytes{1, 2, 3, 4, 5, 6}, Literals.Buffer());
  EXPECT_TRUE(r.Overflow);
  EXPECT_EQ(Literals.Content(), (Bytes{1, 2, 3, 4}));
  EXPECT_TRUE(Literals.GuardsIntact());

  Guarded Empty(0);
  r = UnpackZeroRuns(Bytes{9, 0, 1}, Empty.Buffer());
  EXPECT_TRUE(r.Overflow);
  EXPECT_TRUE(Empty.GuardsIntact());
}

TEST(ZeroRuns, LongRunsSplitIntoCountsOfAtMost255) {
  Bytes Data(600, 0);
  Data.push_back(1);
  Bytes Packed = PackZeroRuns(Data);
  // Every 0 of the stream is followed by a count 1..255 (the appended last byte aside).
  for (std::size_t i = 0; i + 1 < Packed.size(); ++i)
    if (Packed[i] == 0) {
      EXPECT_GE(Packed[i + 1], 1);
      ++i;
    }
  EXPECT_EQ(Packed, (Bytes{0, 255, 0, 255, 0, 90, 1, Packed.back()}));
}

TEST(ZeroRuns, RoundTripWithoutTheFileLastByte) {
  // The game decodes a file of length L as L - 1 bytes; the packer's extra final
  // byte keeps the last real byte (here a run count) inside that range.
  const Bytes Cases[] = {{}, {0}, {1, 2, 3}, {4, 0, 0}, {0, 0, 0, 7, 0, 8, 0, 0}};
  for (const Bytes& Data : Cases) {
    Bytes Packed = PackZeroRuns(Data);
    ASSERT_FALSE(Packed.empty());
    Guarded g(Data.size());
    auto r = UnpackZeroRuns(std::span(Packed).first(Packed.size() - 1), g.Buffer());
    EXPECT_EQ(g.Content(), Data);
    EXPECT_EQ(r.Written, Data.size());
    EXPECT_FALSE(r.Overflow);
  }
  // Mixed data with long and short runs, decoded whole as well.
  Bytes Data;
  std::uint32_t s = 12345;
  for (int i = 0; i < 5000; ++i) {
    s = s * 1103515245 + 12345;
    Data.push_back((s >> 16) % 3 ? 0 : static_cast<std::uint8_t>(s >> 24));
  }
  Data.insert(Data.end(), 700, 0);
  Bytes Packed = PackZeroRuns(Data);
  Guarded Whole(Data.size()), Game(Data.size());
  UnpackZeroRuns(Packed, Whole.Buffer());
  UnpackZeroRuns(std::span(Packed).first(Packed.size() - 1), Game.Buffer());
  EXPECT_EQ(Whole.Content(), Data);
  EXPECT_EQ(Game.Content(), Data);
  EXPECT_LT(Packed.size(), Data.size());
}
