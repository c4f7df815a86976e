#include "content/ZeroRuns.h"

#include <algorithm>

namespace quarnix {

std::vector<std::uint8_t> PackZeroRuns(std::span<const std::uint8_t> Pixels) {
  std::vector<std::uint8_t> Out;
  Out.reserve(Pixels.size() / 2 + 2);
  std::size_t i = 0;
  while (i < Pixels.size()) {
    if (Pixels[i] != 0) {
      Out.push_back(Pixels[i++]);
      continue;
    }
    std::size_t Run = 0;
    while (i < Pixels.size() && Pixels[i] == 0 && Run < 255) {
      ++Run;
      ++i;
    }
    Out.push_back(0);
    Out.push_back(static_cast<std::uint8_t>(Run));
  }
  // The reader skips the last byte of the file; a 0 there is harmless even to a
  // reader that decodes it, because a lone trailing 0 writes nothing.
  Out.push_back(0);
  return Out;
}

UnpackResult UnpackZeroRuns(std::span<const std::uint8_t> Packed, std::span<std::uint8_t> Pixels) {
  UnpackResult Result;
  std::size_t o = 0;
  bool Zero = false;
  for (std::uint8_t b : Packed) {
    if (b == 0) {
      Zero = true;
      continue;
    }
    std::size_t Count = Zero ? b : 1;
    std::size_t Room = Pixels.size() - o;
    if (Count > Room) {
      Result.Overflow = true;
      Count = Room;
    }
    if (Zero) {
      std::fill_n(Pixels.begin() + o, Count, std::uint8_t{0});
    } else if (Count == 1) {
      Pixels[o] = b;
    }
    o += Count;
    Zero = false;
    if (Result.Overflow) break;
  }
  Result.Written = o;
  return Result;
}

}  // namespace quarnix
