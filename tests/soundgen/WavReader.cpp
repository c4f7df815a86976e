#include "WavReader.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace quarnix::soundtest {

namespace {
std::uint32_t Le(const std::vector<unsigned char>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}
}  // namespace

WavData ReadWav(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error(path.string() + ": cannot open");
  const std::vector<unsigned char> b((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
  const auto fail = [&](const std::string& why) { return std::runtime_error(path.string() + ": " + why); };
  const auto tag = [&](std::size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
  };
  if (b.size() < 12 || tag(0) != "RIFF" || tag(8) != "WAVE") throw fail("not a RIFF/WAVE file");
  if (Le(b, 4, 4) != b.size() - 8) throw fail("RIFF size does not match the file size");

  WavData wav;
  bool haveFormat = false, haveData = false;
  std::size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id = tag(at);
    const std::size_t size = Le(b, at + 4, 4);
    const std::size_t body = at + 8;
    if (size > b.size() - body) throw fail("chunk \"" + id + "\" runs past the end of the file");
    if (id == "fmt ") {
      if (size < 16) throw fail("format chunk too short");
      wav.Format = static_cast<int>(Le(b, body, 2));
      wav.Channels = static_cast<int>(Le(b, body + 2, 2));
      wav.Rate = static_cast<int>(Le(b, body + 4, 4));
      const std::uint32_t byteRate = Le(b, body + 8, 4);
      const std::uint32_t blockAlign = Le(b, body + 12, 2);
      wav.Bits = static_cast<int>(Le(b, body + 14, 2));
      if (wav.Format != 1 || wav.Bits != 16) throw fail("not 16-bit PCM");
      if (wav.Channels < 1 || wav.Channels > 2) throw fail("not mono or stereo");
      if (blockAlign != static_cast<std::uint32_t>(wav.Channels * 2) ||
          byteRate != static_cast<std::uint32_t>(wav.Rate) * blockAlign)
        throw fail("inconsistent block align or byte rate");
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) throw fail("data before format");
      const std::size_t frame = static_cast<std::size_t>(wav.Channels) * 2;
      if (size % frame != 0) throw fail("data size is not whole frames");
      for (std::size_t f = body; f < body + size; f += frame) {
        double sum = 0.0;
        for (int c = 0; c < wav.Channels; ++c)
          sum += static_cast<std::int16_t>(Le(b, f + 2 * static_cast<std::size_t>(c), 2)) / 32768.0;
        wav.Mono.push_back(sum / wav.Channels);
      }
      haveData = true;
    }
    at = body + size + (size & 1);  // chunks are padded to even sizes
  }
  if (at != b.size()) throw fail("trailing bytes after the last chunk");
  if (!haveFormat || !haveData) throw fail("format or data chunk missing");
  return wav;
}

}  // namespace quarnix::soundtest
