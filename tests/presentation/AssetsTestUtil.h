#pragma once
// Shared by the asset tests: the built game folder, a null device, and
// pictures whose colour tells which name they were loaded under.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../toolkit/ToolkitTestUtil.h"
#include "platform/Graphics.h"

namespace quarnix::test {

inline std::filesystem::path GameDir() { return QUARNIX_GAME_DIR; }

// A colour of its own for every picture name, whatever the case of the name.
inline std::uint32_t NameColour(std::string name) {
  std::uint32_t h = 2166136261u;
  for (char c : name)
    h = (h ^ static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(c)))) * 16777619u;
  return (h & 0x7F7F7F) | 0x808080;  // never black, never the star key
}

// A 4 x 4 picture of NameColour(name); with keyedCorner its top-left pixel is black.
inline std::vector<std::uint8_t> NamePicture(const std::string& name, bool keyedCorner = false) {
  std::vector<std::uint32_t> pixels(16, NameColour(name));
  if (keyedCorner) pixels[0] = 0;
  return Bmp24(4, 4, pixels);
}

// Blue, green, red, alpha of one pixel of a texture.
inline std::array<int, 4> TexturePixel(ITexture* texture, int index) {
  if (texture == nullptr) return {-1, -1, -1, -1};
  const auto bytes = texture->LockRect();
  std::array<int, 4> p{};
  for (int i = 0; i < 4; ++i) p[i] = bytes[static_cast<std::size_t>(index) * 4 + i];
  texture->UnlockRect();
  return p;
}

// The colour a texture's pixel shows as 0xRRGGBB, or -1 for a transparent one or no texture.
inline long TextureColour(ITexture* texture, int index) {
  const auto p = TexturePixel(texture, index);
  if (p[3] != 255) return -1;
  return (static_cast<long>(p[2]) << 16) | (p[1] << 8) | p[0];
}

}  // namespace quarnix::test
