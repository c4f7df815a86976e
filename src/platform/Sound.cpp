#include "platform/Sound.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "core/Files.h"
#include "platform/SdlHandles.h"
#include "platform/StreamedSound.h"

namespace quarnix {

double GainFromVolume(int volume) { return std::pow(10.0, std::clamp(volume, -10000, 0) / 2000.0); }

int MixerLevelFromVolume(int volume) {
  return static_cast<int>(std::lround(MIX_MAX_VOLUME * GainFromVolume(volume)));
}

namespace {

class MixerSoundBuffer final : public ISoundBuffer {
 public:
  MixerSoundBuffer(sdl::Chunk chunk, int channel) : chunk_(std::move(chunk)), channel_(channel) {
    Mix_Volume(channel_, MIX_MAX_VOLUME);
  }
  ~MixerSoundBuffer() override { Mix_HaltChannel(channel_); }

  void SetVolume(int volume) override { Mix_Volume(channel_, MixerLevelFromVolume(volume)); }
  void SetCurrentPosition(int position) override {
    // Only the start is ever asked for: a sounding buffer starts over.
    if (position == 0 && Mix_Playing(channel_)) Start();
  }
  void Play(int flags) override {
    looping_ = (flags & 1) != 0;
    Start();
  }
  void Stop() override { Mix_HaltChannel(channel_); }

 private:
  void Start() {
    if (Mix_PlayChannel(channel_, chunk_.get(), looping_ ? -1 : 0) < 0)
      throw std::runtime_error(std::string("cannot play sound: ") + Mix_GetError());
  }
  sdl::Chunk chunk_;
  int channel_;
  bool looping_ = false;
};

}  // namespace

MixerSoundSystem::MixerSoundSystem(int frequency) : frequency_(frequency) {}

MixerSoundSystem::~MixerSoundSystem() {
  streams_.reset();
  if (open_) Mix_CloseAudio();
  if (audioInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool MixerSoundSystem::InitDSound() {
  if (open_) return true;
  if (!audioInit_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    audioInit_ = true;
  }
  if (Mix_OpenAudio(frequency_, AUDIO_S16SYS, 2, 1024) != 0) return false;
  open_ = true;
  channels_ = 0;
  Mix_AllocateChannels(0);
  streams_ = std::make_unique<StreamMixer>();
  return true;
}

std::unique_ptr<ISoundBuffer> MixerSoundSystem::CreateSoundBufferFromFile(const std::string& path) {
  if (!open_) throw std::runtime_error("no sound device for \"" + path + "\"");
  // Read by us, so that only a regular file of a sensible length reaches the decoder.
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, MaxWaveFileBytes, "a wave file");
  sdl::Chunk chunk(Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1));
  if (!chunk) throw std::runtime_error("cannot load sound \"" + path + "\": " + Mix_GetError());
  const int channel = channels_++;
  Mix_AllocateChannels(channels_);
  return std::make_unique<MixerSoundBuffer>(std::move(chunk), channel);
}

std::unique_ptr<ISoundBuffer> MixerSoundSystem::CreateStreamingBufferFromFile(const std::string& path) {
  if (!open_) throw std::runtime_error("no sound device for \"" + path + "\"");
  return streams_->Open(path);
}

std::unique_ptr<ISoundBuffer> NullSoundSystem::CreateSoundBufferFromFile(const std::string& path) {
  if (!open_) throw std::runtime_error("no sound device for \"" + path + "\"");
  if (!std::filesystem::is_regular_file(path)) throw std::runtime_error("cannot load sound \"" + path + "\"");
  auto buffer = std::make_unique<RecordingSoundBuffer>();
  buffers_[path] = buffer.get();
  return buffer;
}

RecordingSoundBuffer* NullSoundSystem::Buffer(const std::string& path) const {
  const auto it = buffers_.find(path);
  return it == buffers_.end() ? nullptr : it->second;
}

}  // namespace quarnix
