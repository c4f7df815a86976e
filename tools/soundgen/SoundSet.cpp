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

Signal Synthesise(const GameFile& file) {
  return file.Role == FileRole::Music ? MakeMusicTrack(file.Number)
                                      : MakeEffect(static_cast<Effect>(file.Number));
}

void WriteSoundSet(const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir / WaveFolder);
  // Every file is made on its own from fixed seeds, so the files can be made
  // side by side without changing a byte of them.
  std::vector<GameFile> files;
  for (FileRole role : {FileRole::Effect, FileRole::Music})
    for (const GameFile& file : GameFilesOf(role)) files.push_back(file);
  std::atomic<std::size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto work = [&] {
    for (std::size_t i = next++; i < files.size(); i = next++) {
      try {
        WriteWav(dir / files[i].Path(), Synthesise(files[i]));
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
