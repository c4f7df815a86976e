#pragma once
// Uncompressed 24-bit Windows bitmaps with the 40-byte info header: the format of
// the game's texture resources and of the authoring ".BMP" files.

#include <cstdint>
#include <span>
#include <vector>

namespace quarnix {

struct RgbPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;  // red, green, blue per pixel, top row first
};

std::vector<std::uint8_t> EncodeBmp24(const RgbPicture& Picture);

// Throws std::runtime_error naming what is wrong with a file that is not such a bitmap.
RgbPicture DecodeBmp24(std::span<const std::uint8_t> Bytes);

}  // namespace quarnix
