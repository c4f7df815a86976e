#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "content/ZeroRuns.h"

using quarnix::PackZeroRuns;
using quarnix::UnpackZeroRuns;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Decodes into a buffer of Size bytes that sits between guard bytes (0xAA).
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

TEST(ZeroRuns, DecodesLiteralsAndRunsAndNeverWritesPastTheBuffer) {
  const struct {
    Bytes In;
    std::size_t Size;
    Bytes Content;
    std::size_t Written;
    bool Overflow;
  } Cases[] = {
      {{7, 0, 3, 9}, 5, {7, 0, 0, 0, 9}, 5, false},
      {{5, 0}, 3, {5, 0xAA, 0xAA}, 1, false},  // a trailing 0 writes nothing
      {{0, 0, 2, 4}, 3, {0, 0, 4}, 3, false},  // two zeros act as one
      {{0, 200}, 4, {0, 0, 0, 0}, 4, true},
      {{1, 2, 3, 4, 5, 6}, 4, {1, 2, 3, 4}, 4, true},
      {{9, 0, 1}, 0, {}, 0, true},
  };
  for (const auto& c : Cases) {
    Guarded g(c.Size);
    const auto r = UnpackZeroRuns(c.In, g.Buffer());
    EXPECT_EQ(g.Content(), c.Content);
    EXPECT_EQ(r.Written, c.Written);
    EXPECT_EQ(r.Overflow, c.Overflow);
    EXPECT_TRUE(g.GuardsIntact());
  }
}

TEST(ZeroRuns, LongRunsSplitIntoCountsOfAtMost255) {
  Bytes Data(600, 0);
  Data.push_back(1);
  Bytes Packed = PackZeroRuns(Data);
  EXPECT_EQ(Packed, (Bytes{0, 255, 0, 255, 0, 90, 1, Packed.back()}));
}

TEST(ZeroRuns, RoundTripWithoutTheFileLastByte) {
  // The game decodes a file of length L as L - 1 bytes; the packer's extra final
  // byte keeps the last real byte (here a run count) inside that range.
  std::vector<Bytes> Cases = {{}, {0}, {1, 2, 3}, {4, 0, 0}, {0, 0, 0, 7, 0, 8, 0, 0}};
  Bytes Mixed;  // long and short runs
  std::uint32_t s = 12345;
  for (int i = 0; i < 5000; ++i) {
    s = s * 1103515245 + 12345;
    Mixed.push_back((s >> 16) % 3 ? 0 : static_cast<std::uint8_t>(s >> 24));
  }
  Mixed.insert(Mixed.end(), 700, 0);
  Cases.push_back(Mixed);
  for (const Bytes& Data : Cases) {
    Bytes Packed = PackZeroRuns(Data);
    ASSERT_FALSE(Packed.empty());
    Guarded Game(Data.size()), Whole(Data.size());
    auto r = UnpackZeroRuns(std::span(Packed).first(Packed.size() - 1), Game.Buffer());
    UnpackZeroRuns(Packed, Whole.Buffer());
    EXPECT_EQ(Game.Content(), Data);
    EXPECT_EQ(Whole.Content(), Data);
    EXPECT_EQ(r.Written, Data.size());
    EXPECT_FALSE(r.Overflow);
  }
  EXPECT_LT(PackZeroRuns(Mixed).size(), Mixed.size());
}
