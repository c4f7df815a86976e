#pragma once
// MSZIP blocks of compressed X files: each block is at most 32 KiB of output,
// stored as u16 output size, u16 stored size (counted from the "CK"
// signature), "CK" and a raw deflate stream whose preset dictionary is the
// previous block's output.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quarnix::xfile {

inline constexpr std::size_t kMszipBlockSize = 32768;

// The blocks that follow the 16-byte header and the u32 total size, inflated
// and joined. Offsets in errors count from the start of the file.
// `declaredTotal` (which counts the header) must match what the blocks hold.
std::vector<std::uint8_t> InflateMszip(std::span<const std::uint8_t> blocks, std::uint32_t declaredTotal,
                                       std::size_t fileOffset);

// The u32 total (header included) and the blocks for `body`, the bytes after
// the header. Deterministic for a given zlib.
std::vector<std::uint8_t> DeflateMszip(std::span<const std::uint8_t> body);

}  // namespace quarnix::xfile
