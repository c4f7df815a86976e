#pragma once
// A small, strict RIFF/WAVE reader for the sound tests, written apart from the
// generator so that the files are checked against the format, not against the
// writer's own idea of it.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace quarnix::soundtest {

struct WavData {
  int Format = 0;  // 1 = PCM
  int Channels = 0;
  int Rate = 0;
  int Bits = 0;
  std::vector<double> Mono;  // samples in [-1, 1), channels averaged

  double Seconds() const { return Rate > 0 ? static_cast<double>(Mono.size()) / Rate : 0.0; }
};

// Throws std::runtime_error naming what is wrong for anything but 16-bit PCM.
WavData ReadWav(const std::filesystem::path& path);

}  // namespace quarnix::soundtest
