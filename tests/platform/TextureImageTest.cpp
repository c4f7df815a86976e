// Pictures into texture bytes: decoding, the colour key, fitting, PNG output.

#include "platform/TextureImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/NullGraphics.h"

namespace quarnix {
namespace {

// A 24-bit BMP, bottom row first, rows padded to 4 bytes, pixels blue-green-red.
std::vector<std::uint8_t> Bmp24(int w, int h, const std::vector<std::uint32_t>& rgbTopFirst) {
  const int row = (w * 3 + 3) / 4 * 4, size = 54 + row * h;
  std::vector<std::uint8_t> b(size, 0);
  auto put32 = [&](int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
  };
  b[0] = 'B', b[1] = 'M';
  put32(2, size);
  put32(10, 54);
  put32(14, 40);
  put32(18, w);
  put32(22, h);
  b[26] = 1, b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = rgbTopFirst[y * w + x];
      std::uint8_t* o = &b[54 + (h - 1 - y) * row + x * 3];
      o[0] = p & 0xFF, o[1] = (p >> 8) & 0xFF, o[2] = (p >> 16) & 0xFF;
    }
  return b;
}

TEST(TextureImage, BitmapsWithoutAlphaAreOpaque) {
  const Image image = DecodeImage(Bmp24(2, 2, {0x000000, 0x102030, 0xFF0000, 0x00FF00}));
  ASSERT_EQ(image.Width, 2);
  EXPECT_EQ(image.Argb, (std::vector<std::uint32_t>{0xFF000000, 0xFF102030, 0xFFFF0000, 0xFF00FF00}));
  const std::vector<std::uint8_t> junk{'B', 'M', 1, 2, 3};
  EXPECT_THROW(DecodeImage(junk), std::runtime_error);
  EXPECT_THROW(LoadImageFile("/nonexistent/picture.bmp"), std::runtime_error);
}

TEST(TextureImage, ColourKeyTurnsMatchingPixelsTransparentBlack) {
  const Image image{2, 1, {0xFF000000, 0xFF112233}};
  const auto keyed = TexturePixels(image, D3DX_FILTER_LINEAR, 0xFF000000);
  EXPECT_EQ(keyed, (std::vector<std::uint8_t>{0, 0, 0, 0, 0x33, 0x22, 0x11, 0xFF}));
  // Key 0 is no key; the opaque black stays.
  EXPECT_EQ(TexturePixels(image, D3DX_FILTER_LINEAR, 0)[3], 0xFF);
}

TEST(TextureImage, NoFilterPadsALargerTextureLinearStretches) {
  const Image image{1, 1, {0xFF405060}};
  const auto padded = TexturePixels(image, D3DX_FILTER_NONE, 0, 2, 2);
  EXPECT_EQ(padded, (std::vector<std::uint8_t>{0x60, 0x50, 0x40, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const auto stretched = TexturePixels(image, D3DX_FILTER_LINEAR, 0, 2, 2);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(stretched[4 * p + 2], 0x40) << p;
}

TEST(TextureImage, TextureFromImageAndPngRoundTrip) {
  NullDevice device(8, 8);
  const Image image{2, 1, {0xFF0000FF, 0x80FFFFFF}};
  auto texture = CreateTextureFromImage(device, image, D3DX_FILTER_NONE, 0);
  auto bytes = texture->LockRect();
  EXPECT_EQ(bytes[0], 0xFF);  // blue first
  EXPECT_EQ(bytes[7], 0x80);
  texture->UnlockRect();

  const auto path = std::filesystem::temp_directory_path() / "quarnix-platform-roundtrip.png";
  const std::vector<std::uint8_t> rgba{255, 0, 0, 255, 0, 0, 255, 128};
  WritePng(path.string(), 2, 1, rgba);
  const Image back = LoadImageFile(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(back.Argb, (std::vector<std::uint32_t>{0xFFFF0000, 0x800000FF}));
  EXPECT_THROW(WritePng("/nonexistent/dir/x.png", 2, 1, rgba), std::runtime_error);
}

}  // namespace
}  // namespace quarnix
