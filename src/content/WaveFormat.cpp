#include "content/WaveFormat.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quarnix {
namespace {

constexpr int FormatPcm = 1, FormatFloat = 3, FormatExtensible = 0xFFFE;
constexpr int MaxChannels = 8;
constexpr int MaxRate = 384000;

std::uint32_t Get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
}

std::runtime_error Bad(const std::string& why) {
  return std::runtime_error("not a usable wave file: " + why);
}

template <std::size_t N>
void ReadExactly(const ReadBytesAt& read, std::uint64_t offset, std::array<std::uint8_t, N>& into,
                 std::size_t count, const char* what) {
  if (read(offset, std::span(into).first(count)) != count) throw Bad(std::string(what) + " cut short");
}

WaveSample SampleOf(int format, int bits) {
  if (format == FormatPcm && bits == 8) return WaveSample::Unsigned8;
  if (format == FormatPcm && bits == 16) return WaveSample::Signed16;
  if (format == FormatPcm && bits == 32) return WaveSample::Signed32;
  if (format == FormatFloat && bits == 32) return WaveSample::Float32;
  throw Bad("samples of format " + std::to_string(format) + " with " + std::to_string(bits) +
            " bits are not read");
}

}  // namespace

WaveLayout ReadWaveLayout(const ReadBytesAt& read, std::uint64_t length) {
  std::array<std::uint8_t, 40> b{};
  ReadExactly(read, 0, b, 12, "RIFF header");
  if (std::string_view(reinterpret_cast<const char*>(b.data()), 4) != "RIFF" ||
      std::string_view(reinterpret_cast<const char*>(b.data() + 8), 4) != "WAVE")
    throw Bad("no RIFF/WAVE header");

  WaveLayout layout;
  bool haveFormat = false;
  std::uint64_t at = 12;
  while (at + 8 <= length) {
    ReadExactly(read, at, b, 8, "chunk header");
    const std::string_view id(reinterpret_cast<const char*>(b.data()), 4);
    const std::uint64_t size = Get32(b.data() + 4);
    const std::uint64_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || size > length - body) throw Bad("format chunk of " + std::to_string(size) + " bytes");
      ReadExactly(read, body, b, size >= 40 ? 40 : 16, "format chunk");
      int format = static_cast<int>(Get16(b.data()));
      layout.Channels = static_cast<int>(Get16(b.data() + 2));
      const std::uint32_t rate = Get32(b.data() + 4);
      const int blockAlign = static_cast<int>(Get16(b.data() + 12));
      const int bits = static_cast<int>(Get16(b.data() + 14));
      // The extensible format names the real one in the first two bytes of its sub-format.
      if (format == FormatExtensible && size >= 40) format = static_cast<int>(Get16(b.data() + 24));
      layout.Sample = SampleOf(format, bits);
      if (layout.Channels < 1 || layout.Channels > MaxChannels)
        throw Bad(std::to_string(layout.Channels) + " channels");
      if (rate < 1 || rate > MaxRate) throw Bad("a rate of " + std::to_string(rate) + " frames a second");
      layout.Rate = static_cast<int>(rate);
      layout.FrameBytes = layout.Channels * bits / 8;
      if (blockAlign != layout.FrameBytes)
        throw Bad("frames of " + std::to_string(blockAlign) + " bytes for " +
                  std::to_string(layout.Channels) + " channels of " + std::to_string(bits) + " bits");
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) throw Bad("sound data before its format");
      // A data chunk longer than what is there (a file cut short, or one
      // written while it streamed) plays what there is.
      const std::uint64_t there = std::min(size, length - body);
      layout.DataOffset = body;
      layout.DataBytes = there - there % static_cast<std::uint64_t>(layout.FrameBytes);
      if (layout.DataBytes == 0) throw Bad("no sound in its data chunk");
      return layout;
    }
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  throw Bad(haveFormat ? "no data chunk" : "no format chunk");
}

}  // namespace quarnix
