#include "content/Bmp.h"

#include <stdexcept>
#include <string>

namespace quarnix {
namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& Out, std::size_t At, std::uint32_t v) {
  Out[At] = v & 0xFF;
  Out[At + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<std::uint8_t>& Out, std::size_t At, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) Out[At + i] = (v >> (8 * i)) & 0xFF;
}
std::uint32_t Get16(std::span<const std::uint8_t> In, std::size_t At) { return In[At] | (In[At + 1] << 8); }
std::uint32_t Get32(std::span<const std::uint8_t> In, std::size_t At) {
  return In[At] | (In[At + 1] << 8) | (In[At + 2] << 16) | (std::uint32_t(In[At + 3]) << 24);
}
std::size_t RowBytes(int Width) { return (static_cast<std::size_t>(Width) * 3 + 3) & ~std::size_t{3}; }

}  // namespace

std::vector<std::uint8_t> EncodeBmp24(const RgbPicture& Picture) {
  if (Picture.Width <= 0 || Picture.Height <= 0 ||
      Picture.Rgb.size() != static_cast<std::size_t>(Picture.Width) * Picture.Height * 3)
    throw std::invalid_argument("EncodeBmp24: picture size does not match its pixels");
  const std::size_t Row = RowBytes(Picture.Width);
  const std::size_t DataSize = Row * Picture.Height;
  const std::size_t Offset = FileHeaderSize + InfoHeaderSize;
  std::vector<std::uint8_t> Out(Offset + DataSize, 0);
  Out[0] = 'B';
  Out[1] = 'M';
  Put32(Out, 2, static_cast<std::uint32_t>(Out.size()));
  Put32(Out, 10, static_cast<std::uint32_t>(Offset));
  Put32(Out, 14, InfoHeaderSize);
  Put32(Out, 18, static_cast<std::uint32_t>(Picture.Width));
  Put32(Out, 22, static_cast<std::uint32_t>(Picture.Height));
  Put16(Out, 26, 1);   // planes
  Put16(Out, 28, 24);  // bits per pixel
  Put32(Out, 30, 0);   // BI_RGB: uncompressed
  Put32(Out, 34, static_cast<std::uint32_t>(DataSize));
  Put32(Out, 38, 2835);  // 72 dpi
  Put32(Out, 42, 2835);
  // Rows are stored bottom-up, blue first.
  for (int y = 0; y < Picture.Height; ++y) {
    const std::uint8_t* Src = &Picture.Rgb[static_cast<std::size_t>(y) * Picture.Width * 3];
    std::uint8_t* Dst = &Out[Offset + Row * (Picture.Height - 1 - y)];
    for (int x = 0; x < Picture.Width; ++x) {
      Dst[3 * x] = Src[3 * x + 2];
      Dst[3 * x + 1] = Src[3 * x + 1];
      Dst[3 * x + 2] = Src[3 * x];
    }
  }
  return Out;
}

RgbPicture DecodeBmp24(std::span<const std::uint8_t> In) {
  auto Fail = [](const std::string& Why) { throw std::runtime_error("not a 24-bit bitmap: " + Why); };
  if (In.size() < FileHeaderSize + InfoHeaderSize) Fail("shorter than its headers");
  if (In[0] != 'B' || In[1] != 'M') Fail("no \"BM\" signature");
  if (Get32(In, 14) != InfoHeaderSize) Fail("info header is not 40 bytes");
  const std::int32_t Width = static_cast<std::int32_t>(Get32(In, 18));
  const std::int32_t RawHeight = static_cast<std::int32_t>(Get32(In, 22));
  if (Get16(In, 26) != 1 || Get16(In, 28) != 24) Fail("not one plane of 24 bits per pixel");
  if (Get32(In, 30) != 0) Fail("compressed");
  if (Width <= 0 || Width > 16384 || RawHeight == 0 || RawHeight > 16384 || RawHeight < -16384)
    Fail("size out of range");
  const bool TopDown = RawHeight < 0;
  const int Height = TopDown ? -RawHeight : RawHeight;
  const std::size_t Offset = Get32(In, 10);
  const std::size_t Row = RowBytes(Width);
  if (Offset < FileHeaderSize + InfoHeaderSize || Offset > In.size() || In.size() - Offset < Row * Height)
    Fail("pixel data runs past the end of the file");
  RgbPicture P;
  P.Width = Width;
  P.Height = Height;
  P.Rgb.resize(static_cast<std::size_t>(Width) * Height * 3);
  for (int y = 0; y < Height; ++y) {
    const std::uint8_t* Src = &In[Offset + Row * (TopDown ? y : Height - 1 - y)];
    std::uint8_t* Dst = &P.Rgb[static_cast<std::size_t>(y) * Width * 3];
    for (int x = 0; x < Width; ++x) {
      Dst[3 * x] = Src[3 * x + 2];
      Dst[3 * x + 1] = Src[3 * x + 1];
      Dst[3 * x + 2] = Src[3 * x];
    }
  }
  return P;
}

}  // namespace quarnix
