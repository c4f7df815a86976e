#pragma once
// Music read from its wave file as it plays, mixed in after the mixer's
// channels. Internal to the sound back end (Sound.cpp).

#include <SDL.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/SoundBuffer.h"

namespace quarnix {

class StreamedSound;

// Mixes every playing stream into the mixer's output, in the order the
// streams were made: the order their channels had when tracks were loaded
// whole, so the mixed sound is the same to the sample (levels clip the same way).
class StreamMixer {
 public:
  // The output format of the open mixer; installs itself as its post-mix hook.
  StreamMixer();
  // Every stream must be gone; removes the hook.
  ~StreamMixer();
  StreamMixer(const StreamMixer&) = delete;
  StreamMixer& operator=(const StreamMixer&) = delete;

  // Throws std::runtime_error naming the file when it is not a wave file the
  // mixer can convert.
  std::unique_ptr<ISoundBuffer> Open(const std::string& path);

 private:
  friend class StreamedSound;
  static void PostMix(void* self, Uint8* stream, int len);
  void Mix(Uint8* stream, int len);
  void Remove(StreamedSound* sound);

  int rate_ = 0, channels_ = 0;
  SDL_AudioFormat format_ = 0;
  std::mutex mutex_;  // the streams and their state, shared with the audio thread
  std::vector<StreamedSound*> streams_;
};

}  // namespace quarnix
