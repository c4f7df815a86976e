#include "SoundSet.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

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
  // Every file is made on its own from fixed seeds, so the files can be made
  // side by side without changing a byte of them.
  const std::vector<WaveFile> files = WaveFiles();
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      try {
        WriteWav(wave / (files[i].Name + ".WAV"), Synthesise(files[i]));
      } catch (...) {
        const std::lock_guard<std::mutex> lock(failureLock);
        if (!failure) failure = std::current_exception();
      }
    }
  };
  const unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace quarnix::soundgen
