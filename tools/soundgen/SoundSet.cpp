#include "SoundSet.h"

#include <string>

#include "Effects.h"
#include "Music.h"
#include "WavFile.h"

namespace quarnix::soundgen {

std::vector<WaveFile> WaveFiles() {
  std::vector<WaveFile> files;
  int number = 0;
  for (const std::string& name : EffectNames()) files.push_back({name, false, ++number});
  for (int track = 1; track <= GameTrackCount; ++track)
    files.push_back({"okPlayGame" + std::to_string(track), true, track});
  files.push_back({"okMenu", true, MenuTrack});
  return files;
}

Signal Synthesise(const WaveFile& file) {
  return file.Music ? MakeMusicTrack(file.Number) : MakeEffect(file.Name);
}

void WriteSoundSet(const std::filesystem::path& dir) {
  const std::filesystem::path wave = dir / "Wave";
  std::filesystem::create_directories(wave);
  for (const WaveFile& file : WaveFiles()) WriteWav(wave / (file.Name + ".WAV"), Synthesise(file));
}

}  // namespace quarnix::soundgen
