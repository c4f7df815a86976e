#pragma once
// Where the samples of a RIFF/WAVE file lie and how they are stored, read
// from its chunk headers alone, so that a long sound (a music track) can be
// read piece by piece as it plays instead of whole.

#include <cstdint>
#include <functional>
#include <span>

namespace quarnix {

enum class WaveSample { Unsigned8, Signed16, Signed32, Float32 };

struct WaveLayout {
  WaveSample Sample = WaveSample::Signed16;
  int Channels = 0;
  int Rate = 0;                  // frames per second
  int FrameBytes = 0;            // one sample of every channel
  std::uint64_t DataOffset = 0;  // of the first sample in the file
  std::uint64_t DataBytes = 0;   // whole frames only, all inside the file
};

// Reads up to into.size() bytes at offset; fewer only at the end of the file.
using ReadBytesAt = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> into)>;

// The layout of the wave file of length bytes that read gives. PCM of 8, 16
// or 32 bits or 32-bit floats (also in the extensible format), 1 to 8
// channels. Throws std::runtime_error saying what is wrong: not a wave file,
// a chunk running past the end, no format or no data chunk, no sound at all,
// or a kind of sample that is not read here.
WaveLayout ReadWaveLayout(const ReadBytesAt& read, std::uint64_t length);

}  // namespace quarnix
