// The wave layout reader under any bytes: no read outside the file, and what
// it accepts is whole frames of sound inside the file.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "content/WaveFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const auto read = [&](std::uint64_t at, std::span<std::uint8_t> into) -> std::size_t {
    if (at >= Size) return 0;
    const std::size_t n = std::min<std::size_t>(into.size(), Size - static_cast<std::size_t>(at));
    std::copy_n(Data + at, n, into.begin());
    return n;
  };
  try {
    const quarnix::WaveLayout w = quarnix::ReadWaveLayout(read, Size);
    if (w.FrameBytes <= 0 || w.DataBytes == 0 ||
        w.DataBytes % static_cast<std::uint64_t>(w.FrameBytes) != 0 || w.DataOffset + w.DataBytes > Size)
      std::abort();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
