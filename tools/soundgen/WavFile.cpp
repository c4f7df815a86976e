#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>

#include "core/Files.h"

namespace quarnix::soundgen {

namespace {
void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
}  // namespace

void WriteWav(const std::filesystem::path& path, const Signal& samples) {
  constexpr std::uint32_t Channels = 1, Bits = 16, BlockAlign = Channels * Bits / 8;
  const std::uint64_t dataBytes = static_cast<std::uint64_t>(samples.size()) * BlockAlign;
  if (dataBytes > std::numeric_limits<std::uint32_t>::max() - 36)
    throw std::runtime_error(path.string() + ": too long for a wave file");

  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(44 + dataBytes));
  bytes += "RIFF";
  Put32(bytes, static_cast<std::uint32_t>(36 + dataBytes));
  bytes += "WAVEfmt ";
  Put32(bytes, 16);
  Put16(bytes, 1);  // PCM
  Put16(bytes, Channels);
  Put32(bytes, SampleRate);
  Put32(bytes, SampleRate * BlockAlign);
  Put16(bytes, BlockAlign);
  Put16(bytes, Bits);
  bytes += "data";
  Put32(bytes, static_cast<std::uint32_t>(dataBytes));
  for (float v : samples) {
    const long q = std::lround(std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0);
    Put16(bytes, static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(q))));
  }

  WriteFileAtomic(path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace quarnix::soundgen
