#include "platform/TextureImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "core/Files.h"
#include "platform/Graphics.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace quarnix {

Image DecodeImage(std::span<const std::uint8_t> bytes) {
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) throw std::runtime_error("image data too large");
  int w = 0, h = 0, channels = 0;
  stbi_uc* data = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4);
  if (!data) throw std::runtime_error(std::string("cannot decode image: ") + stbi_failure_reason());
  std::unique_ptr<stbi_uc, void (*)(void*)> owner(data, stbi_image_free);
  const bool hasAlpha = channels == 2 || channels == 4;
  Image image{w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h)};
  for (std::size_t i = 0; i < image.Argb.size(); ++i) {
    const stbi_uc* p = data + 4 * i;
    const std::uint32_t a = hasAlpha ? p[3] : 255u;
    image.Argb[i] = D3DCOLOR_ARGB(a, p[0], p[1], p[2]);
  }
  return image;
}

Image LoadImageFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, MaxImageFileBytes, "an image file");
  try {
    return DecodeImage(bytes);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("\"" + path + "\": " + e.what());
  }
}

namespace {

void PutBgra(std::uint8_t* out, std::uint32_t argb) {
  out[0] = argb & 0xFF;
  out[1] = (argb >> 8) & 0xFF;
  out[2] = (argb >> 16) & 0xFF;
  out[3] = (argb >> 24) & 0xFF;
}

// Bilinear sample at (x, y) in source pixel units (centres at +0.5).
std::uint32_t Sample(const std::vector<std::uint32_t>& src, int w, int h, float x, float y) {
  x = std::clamp(x - 0.5f, 0.0f, static_cast<float>(w - 1));
  y = std::clamp(y - 0.5f, 0.0f, static_cast<float>(h - 1));
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
  const float fx = x - x0, fy = y - y0;
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    auto c = [&](int px, int py) { return static_cast<float>((src[py * w + px] >> shift) & 0xFF); };
    const float top = c(x0, y0) * (1 - fx) + c(x1, y0) * fx;
    const float bottom = c(x0, y1) * (1 - fx) + c(x1, y1) * fx;
    const auto v = static_cast<std::uint32_t>(std::lround(top * (1 - fy) + bottom * fy));
    out |= std::min(v, 255u) << shift;
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> TexturePixels(const Image& image, std::uint32_t filter, D3DCOLOR colourKey,
                                        int width, int height) {
  if (image.Width <= 0 || image.Height <= 0 ||
      image.Argb.size() != static_cast<std::size_t>(image.Width) * image.Height)
    throw std::invalid_argument("image has no pixels");
  if (width <= 0) width = image.Width;
  if (height <= 0) height = image.Height;
  std::vector<std::uint32_t> src = image.Argb;
  if (colourKey != 0)
    for (auto& p : src)
      if (p == colourKey) p = 0;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * 4, 0);
  const bool unscaled = filter == D3DX_FILTER_NONE || (width == image.Width && height == image.Height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* o = &out[(static_cast<std::size_t>(y) * width + x) * 4];
      if (unscaled) {
        if (x < image.Width && y < image.Height) PutBgra(o, src[y * image.Width + x]);
      } else {
        const float sx = (x + 0.5f) * image.Width / width, sy = (y + 0.5f) * image.Height / height;
        PutBgra(o, Sample(src, image.Width, image.Height, sx, sy));
      }
    }
  return out;
}

std::shared_ptr<ITexture> CreateTextureFromImage(IDevice& device, const Image& image, std::uint32_t filter,
                                                 D3DCOLOR colourKey, int width, int height) {
  const std::vector<std::uint8_t> pixels = TexturePixels(image, filter, colourKey, width, height);
  auto texture = device.CreateTexture(width > 0 ? width : image.Width, height > 0 ? height : image.Height);
  auto bytes = texture->LockRect();
  std::memcpy(bytes.data(), pixels.data(), pixels.size());
  texture->UnlockRect();
  return texture;
}

std::vector<std::uint8_t> EncodePng(int width, int height, int channels,
                                    std::span<const std::uint8_t> pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * height * channels)
    throw std::invalid_argument("picture size does not match its bytes");
  std::vector<std::uint8_t> png;
  const auto append = [](void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
  };
  if (!stbi_write_png_to_func(append, &png, width, height, channels, pixels.data(), width * channels))
    throw std::runtime_error("cannot encode a PNG picture");
  return png;
}

void WritePng(const std::string& path, int width, int height, std::span<const std::uint8_t> rgba) {
  WriteFileAtomic(path, EncodePng(width, height, 4, rgba));
}

void SaveScreenshot(IDevice& device, const std::string& path) {
  std::vector<std::uint8_t> rgba = device.ReadPixels();
  // What the screen shows is opaque, whatever alpha the frame left behind.
  for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  WritePng(path, device.Width(), device.Height(), rgba);
}

}  // namespace quarnix
