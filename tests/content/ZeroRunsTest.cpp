#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "content/ZeroRuns.h"

using quarnix::PackZeroRuns;
using quarnix::UnpackZeroRuns;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Decodes into a buffer of Size bytes between four guard bytes (0xAA) on each side.
struct Guarded {
  explicit Guarded(std::size_t Size) : Store(Size + 8, 0xAA) {}
  std::span<std::uint8_t> Buffer() { return {Store.data() + 4, Store.size() - 8}; }
  Bytes Content() const { return Bytes(Store.begin() + 4, Store.end() - 4); }
  bool GuardsIntact() const {
    return Bytes(Store.begin(), Store.begin() + 4) == Bytes(4, 0xAA) &&
           Bytes(Store.end() - 4, Store.end()) == Bytes(4, 0xAA);
  }
  Bytes Store;
};

}  // namespace

// catches: a decoder that mishandles runs or trailing zeros, or writes past its buffer.
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
    EXPECT_EQ(std::pair(r.Written, r.Overflow), std::pair(c.Written, c.Overflow));
    EXPECT_TRUE(g.GuardsIntact());
  }
  Bytes Long(600, 0);  // catches: run counts past 255
  Long.push_back(1);
  const Bytes Packed = PackZeroRuns(Long);
  EXPECT_EQ(Packed, (Bytes{0, 255, 0, 255, 0, 90, 1, Packed.back()}));
}

// catches: a packer whose last real byte falls into the final byte the game never decodes.
TEST(ZeroRuns, RoundTripWithoutTheFileLastByte) {
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
    EXPECT_EQ(std::pair(r.Written, r.Overflow), std::pair(Data.size(), false));
  }
  EXPECT_LT(PackZeroRuns(Mixed).size(), Mixed.size());
}
