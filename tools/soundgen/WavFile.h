#pragma once
// Writes mono 16-bit PCM RIFF/WAVE files, the format every wave loader reads.

#include <filesystem>

#include "Synth.h"

namespace quarnix::soundgen {

// Samples in [-1, 1] are rounded to 16 bits (clamped beyond). Saved through
// WriteFileAtomic, so a reader never sees half a file. Throws
// std::runtime_error with the path on failure.
void WriteWav(const std::filesystem::path& path, const Signal& samples);

}  // namespace quarnix::soundgen
