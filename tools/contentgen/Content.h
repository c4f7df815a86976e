#pragma once
// Everything the generator writes, produced in memory first.

#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Sheets.h"
#include "content/GameFiles.h"
#include "content/ResourcePack.h"

namespace quarnix::content {

struct ScreenImage {
  ImageFile File;
  art::Image Picture;  // for "BG.RB": the 20 backgrounds stacked, 256 x 5120
  bool Packed = true;
};

// The seven ".RB" pictures, in the order the game loads them.
std::vector<ScreenImage> MakeScreenImages(const Fonts& F);

// File bytes of a screen image: raw RGB for "BG.RB", zero-run packed otherwise.
std::vector<std::uint8_t> ScreenImageBytes(const ScreenImage& Image);

// The 146 texture bitmaps as resource-pack entries (upper-case names, BMP bytes).
std::vector<PackEntry> MakeTextureResources();

// 24-bit BMP bytes of a picture.
std::vector<std::uint8_t> BmpBytes(const art::Image& Picture);

}  // namespace quarnix::content
