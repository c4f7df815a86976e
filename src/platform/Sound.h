#pragma once
// Sound buffers on SDL2_mixer: each effect is one chunk on its own channel, so
// effects overlap; music is read from its file as it plays (a whole track
// would take megabytes) and mixed in after them, tracks overlapping too.
// Without an audio device InitDSound is false and the game runs silent. A null
// system records what the game asks for.

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "core/SoundBuffer.h"

namespace quarnix {

// Six minutes of CD-quality stereo: longer wave files are refused unread.
inline constexpr std::size_t MaxWaveFileBytes = 64u << 20;

class ISoundSystem {
 public:
  virtual ~ISoundSystem() = default;
  // Opens the default audio device; false when there is none.
  virtual bool InitDSound() = 0;
  virtual bool IsOpen() const = 0;
  // The whole wave file in one buffer. Throws std::runtime_error naming the file
  // when it is missing, not a regular file, longer than MaxWaveFileBytes or not
  // a wave file, or when no device is open.
  virtual std::unique_ptr<ISoundBuffer> CreateSoundBufferFromFile(const std::string& path) = 0;
  // The same for a long sound: it plays, loops, stops and takes its volume as
  // a buffer does, but is read from the file while it plays. The file is
  // checked now (any length; PCM or float samples) and kept open.
  virtual std::unique_ptr<ISoundBuffer> CreateStreamingBufferFromFile(const std::string& path) {
    return CreateSoundBufferFromFile(path);
  }
};

// Linear gain of a volume in hundredths of a decibel (0 the recorded level,
// clamped to -10000..0), and the mixer's 0..128 level for it.
double GainFromVolume(int volume);
int MixerLevelFromVolume(int volume);

class StreamMixer;

class MixerSoundSystem final : public ISoundSystem {
 public:
  // frequency: output samples per second.
  explicit MixerSoundSystem(int frequency = 44100);
  ~MixerSoundSystem() override;  // buffers must be gone by then
  MixerSoundSystem(const MixerSoundSystem&) = delete;
  MixerSoundSystem& operator=(const MixerSoundSystem&) = delete;

  bool InitDSound() override;
  bool IsOpen() const override { return open_; }
  std::unique_ptr<ISoundBuffer> CreateSoundBufferFromFile(const std::string& path) override;
  std::unique_ptr<ISoundBuffer> CreateStreamingBufferFromFile(const std::string& path) override;

 private:
  int frequency_;
  std::unique_ptr<StreamMixer> streams_;
  bool audioInit_ = false, open_ = false;
  int channels_ = 0;
};

class NullSoundSystem final : public ISoundSystem {
 public:
  explicit NullSoundSystem(bool deviceWorks = true) : works_(deviceWorks) {}
  bool InitDSound() override { return open_ = works_; }
  bool IsOpen() const override { return open_; }
  // Checks the file exists, then records calls; Buffer(path) finds it again.
  std::unique_ptr<ISoundBuffer> CreateSoundBufferFromFile(const std::string& path) override;
  RecordingSoundBuffer* Buffer(const std::string& path) const;

 private:
  bool works_, open_ = false;
  std::map<std::string, RecordingSoundBuffer*> buffers_;
};

}  // namespace quarnix
