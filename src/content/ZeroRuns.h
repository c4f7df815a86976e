#pragma once
// Zero-run packing of the ".RB" screen images: a byte 0 followed by a count N
// (1..255) stands for N zero bytes; every other byte stands for itself.
// The game reads them (the screen-image loader); the content generator writes them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quarnix {

// Packs Pixels and appends one trailing byte that is not image data: the game
// decodes every byte of a file except the last one.
std::vector<std::uint8_t> PackZeroRuns(std::span<const std::uint8_t> Pixels);

struct UnpackResult {
  std::size_t Written = 0;  // bytes of Pixels written (never more than its size)
  bool Overflow = false;    // the stream described more bytes than Pixels holds
};

// Decodes every byte of Packed into Pixels from index 0 on. A 0 byte sets a flag
// and writes nothing; the next byte N then writes N zeros; two 0 bytes in a row
// act as one. Stops at the end of Pixels instead of writing past it.
UnpackResult UnpackZeroRuns(std::span<const std::uint8_t> Packed, std::span<std::uint8_t> Pixels);

}  // namespace quarnix
