#include <gtest/gtest.h>

#include <stdexcept>

#include "content/Bmp.h"
#include "content/ResourcePack.h"

using namespace quarnix;
using Bytes = std::vector<std::uint8_t>;

namespace {
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
}  // namespace

TEST(Bmp, StoresRowsBottomUpBlueFirstWithPadding) {
  // 3 x 2: rows of 9 bytes padded to 12.
  RgbPicture p{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}};
  Bytes b = EncodeBmp24(p);
  ASSERT_EQ(b.size(), 54u + 24u);
  // The header's fields, little-endian, at their offsets.
  EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
  EXPECT_EQ(b[28], 24);
  for (auto [At, Value] :
       {std::pair<int, std::uint32_t>{2, 78}, {10, 54}, {14, 40}, {18, 3}, {22, 2}, {30, 0}})
    EXPECT_EQ(U32(b, At), Value) << "at " << At;
  // First stored row is the bottom row (pixels 10..18), blue first.
  EXPECT_EQ((Bytes(b.begin() + 54, b.begin() + 66)), (Bytes{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0}));
  EXPECT_EQ((Bytes(b.begin() + 66, b.begin() + 69)), (Bytes{3, 2, 1}));
  RgbPicture q = DecodeBmp24(b);
  EXPECT_EQ(q.Width, 3);
  EXPECT_EQ(q.Height, 2);
  EXPECT_EQ(q.Rgb, p.Rgb);
}

TEST(Bmp, RefusesWhatItCannotRead) {
  Bytes Good = EncodeBmp24({2, 2, Bytes(12, 7)});
  EXPECT_THROW(DecodeBmp24(Bytes(Good.begin(), Good.end() - 1)), std::runtime_error);
  EXPECT_THROW(DecodeBmp24(Bytes(Good.begin(), Good.begin() + 20)), std::runtime_error);
  // The signature, 32 bits a pixel, compressed, a width far beyond the data.
  for (auto [At, Value] : {std::pair{0, 'X'}, {28, 32}, {30, 1}, {21, 0x7F}}) {
    Bytes Bad = Good;
    Bad[At] = static_cast<std::uint8_t>(Value);
    EXPECT_THROW(DecodeBmp24(Bad), std::runtime_error) << "at " << At;
  }
}

TEST(ResourcePack, RoundTripsAndRefusesDamage) {
  std::vector<PackEntry> In = {{"CUBERED", {1, 2, 3}}, {"BG", {}}, {"STAR01", Bytes(300, 9)}};
  Bytes Pack = WriteResourcePack(In);
  auto Out = ReadResourcePack(Pack);
  ASSERT_EQ(Out.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Out[i].Name, In[i].Name);
    EXPECT_EQ(Bytes(Out[i].Bytes.begin(), Out[i].Bytes.end()), In[i].Bytes);
  }
  for (std::size_t Cut = 0; Cut < Pack.size(); Cut += 7)
    EXPECT_THROW(ReadResourcePack(std::span(Pack).first(Cut)), std::runtime_error) << Cut;
  Bytes Longer = Pack;
  Longer.push_back(0);
  EXPECT_THROW(ReadResourcePack(Longer), std::runtime_error);
  Bytes Magic = Pack;
  Magic[0] = 'X';
  EXPECT_THROW(ReadResourcePack(Magic), std::runtime_error);
  Bytes Count = Pack;
  Count[4] = 0xFF;  // claims 255 entries
  EXPECT_THROW(ReadResourcePack(Count), std::runtime_error);
}
