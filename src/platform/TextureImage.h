#pragma once
// Pictures on their way into textures: decoding image files, the colour key,
// fitting to the texture size, and writing PNG screenshots.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

class IDevice;
class ITexture;

// Pixels as 32-bit ARGB values, top row first. Pictures without alpha are opaque.
struct Image {
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Argb;
};

// BMP, PNG, TGA and the other formats stb_image reads. Throws std::runtime_error
// naming the reason for data it cannot decode. A file longer than
// MaxImageFileBytes, or not a regular file, is refused unread.
inline constexpr std::size_t MaxImageFileBytes = 64u << 20;
Image DecodeImage(std::span<const std::uint8_t> bytes);
Image LoadImageFile(const std::string& path);

// The BGRA bytes of a width x height texture made from image (0 = the image's
// size): pixels equal to colourKey (ARGB, 0 = no key) become transparent black;
// with D3DX_FILTER_NONE the image sits unscaled in the top-left corner and the
// rest is transparent black, otherwise it is stretched (bilinear) to fit.
std::vector<std::uint8_t> TexturePixels(const Image& image, std::uint32_t filter, D3DCOLOR colourKey,
                                        int width = 0, int height = 0);

// A texture on device holding TexturePixels(image, ...).
std::shared_ptr<ITexture> CreateTextureFromImage(IDevice& device, const Image& image, std::uint32_t filter,
                                                 D3DCOLOR colourKey, int width = 0, int height = 0);

// A PNG file of width x height pixels of `channels` bytes each (top row first).
std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels);

// Writes RGBA bytes as a PNG file through WriteFileAtomic; throws
// std::runtime_error naming the file when any part of the write fails.
void WritePng(const std::string& path, int width, int height, std::span<const std::uint8_t> rgba);

// The device's rendered picture as an opaque PNG file.
void SaveScreenshot(IDevice& device, const std::string& path);

}  // namespace quarnix
