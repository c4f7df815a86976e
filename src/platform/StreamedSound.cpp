#include "platform/StreamedSound.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "content/WaveFormat.h"
#include "core/Files.h"
#include "platform/Sound.h"

namespace quarnix {

namespace {

// Bytes of the file read at a time: a few callbacks' worth of a mono track.
constexpr std::size_t ReadBlock = 8192;

SDL_AudioFormat SdlFormat(WaveSample sample) {
  switch (sample) {
    case WaveSample::Unsigned8:
      return AUDIO_U8;
    case WaveSample::Signed16:
      return AUDIO_S16LSB;
    case WaveSample::Signed32:
      return AUDIO_S32LSB;
    case WaveSample::Float32:
      return AUDIO_F32LSB;
  }
  return AUDIO_S16LSB;
}

struct AudioStreamDeleter {
  void operator()(SDL_AudioStream* s) const { SDL_FreeAudioStream(s); }
};

}  // namespace

// One track: its file, a converter to the output format, and where it is.
// Everything but the file's layout is guarded by the mixer's mutex.
class StreamedSound final : public ISoundBuffer {
 public:
  StreamedSound(StreamMixer& mixer, FileReader file, const WaveLayout& layout,
                std::unique_ptr<SDL_AudioStream, AudioStreamDeleter> convert)
      : mixer_(mixer), file_(std::move(file)), layout_(layout), convert_(std::move(convert)) {}
  ~StreamedSound() override { mixer_.Remove(this); }

  void SetVolume(int volume) override {
    const std::lock_guard lock(mixer_.mutex_);
    level_ = MixerLevelFromVolume(volume);
  }
  void SetCurrentPosition(int position) override {
    // Only the start is ever asked for: a sounding track starts over.
    const std::lock_guard lock(mixer_.mutex_);
    if (position == 0 && playing_) Restart();
  }
  void Play(int flags) override {
    const std::lock_guard lock(mixer_.mutex_);
    looping_ = (flags & 1) != 0;
    Restart();
    playing_ = true;
  }
  void Stop() override {
    const std::lock_guard lock(mixer_.mutex_);
    playing_ = false;
  }

  // On the audio thread, the mutex held: adds len bytes of the track (fewer
  // when it ends) at its level.
  void MixInto(Uint8* stream, int len, SDL_AudioFormat format) {
    if (!playing_) return;
    out_.resize(static_cast<std::size_t>(len));
    int have = 0;
    try {
      have = Fill(len);
    } catch (const std::exception& e) {
      std::cerr << "music: " << e.what() << '\n';
      playing_ = false;
    }
    SDL_MixAudioFormat(stream, out_.data(), format, static_cast<Uint32>(have), level_);
  }

 private:
  void Restart() {
    SDL_AudioStreamClear(convert_.get());
    position_ = 0;
    flushed_ = false;
  }

  // Converted bytes into out_, reading on as needed; stops the track at its
  // end unless it loops (then it goes on from its start without a gap).
  int Fill(int len) {
    int have = 0;
    while (have < len) {
      const int got = SDL_AudioStreamGet(convert_.get(), out_.data() + have, len - have);
      if (got < 0) throw std::runtime_error(file_.Path().string() + ": " + SDL_GetError());
      have += got;
      if (have == len) break;
      if (position_ == layout_.DataBytes && looping_) position_ = 0;
      if (position_ < layout_.DataBytes) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(ReadBlock - ReadBlock % static_cast<std::size_t>(layout_.FrameBytes),
                                    layout_.DataBytes - position_));
        in_.resize(want);
        const std::size_t read = file_.ReadAt(layout_.DataOffset + position_, in_);
        if (read != want) throw std::runtime_error(file_.Path().string() + ": cut short while playing");
        if (SDL_AudioStreamPut(convert_.get(), in_.data(), static_cast<int>(read)) != 0)
          throw std::runtime_error(file_.Path().string() + ": " + SDL_GetError());
        position_ += read;
      } else if (!flushed_) {
        SDL_AudioStreamFlush(convert_.get());
        flushed_ = true;
      } else {
        playing_ = false;  // played out
        break;
      }
    }
    return have;
  }

  StreamMixer& mixer_;
  FileReader file_;
  const WaveLayout layout_;
  std::unique_ptr<SDL_AudioStream, AudioStreamDeleter> convert_;
  std::vector<std::uint8_t> in_, out_;
  std::uint64_t position_ = 0;  // bytes of the data chunk read so far
  int level_ = MIX_MAX_VOLUME;
  bool playing_ = false, looping_ = false, flushed_ = false;
};

StreamMixer::StreamMixer() {
  int channels = 0;
  Uint16 format = 0;
  if (Mix_QuerySpec(&rate_, &format, &channels) == 0) throw std::logic_error("the mixer is not open");
  format_ = format;
  channels_ = channels;
  Mix_SetPostMix(&StreamMixer::PostMix, this);
}

StreamMixer::~StreamMixer() { Mix_SetPostMix(nullptr, nullptr); }

std::unique_ptr<ISoundBuffer> StreamMixer::Open(const std::string& path) {
  FileReader file(path);
  WaveLayout layout;
  try {
    layout = ReadWaveLayout(
        [&](std::uint64_t at, std::span<std::uint8_t> into) { return file.ReadAt(at, into); }, file.Length());
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("cannot load sound \"" + path + "\": " + e.what());
  }
  std::unique_ptr<SDL_AudioStream, AudioStreamDeleter> convert(
      SDL_NewAudioStream(SdlFormat(layout.Sample), static_cast<Uint8>(layout.Channels), layout.Rate, format_,
                         static_cast<Uint8>(channels_), rate_));
  if (!convert) throw std::runtime_error("cannot load sound \"" + path + "\": " + SDL_GetError());
  auto sound = std::make_unique<StreamedSound>(*this, std::move(file), layout, std::move(convert));
  const std::lock_guard lock(mutex_);
  streams_.push_back(sound.get());
  return sound;
}

void StreamMixer::PostMix(void* self, Uint8* stream, int len) {
  static_cast<StreamMixer*>(self)->Mix(stream, len);
}

void StreamMixer::Mix(Uint8* stream, int len) {
  const std::lock_guard lock(mutex_);
  for (StreamedSound* sound : streams_) sound->MixInto(stream, len, format_);
}

void StreamMixer::Remove(StreamedSound* sound) {
  const std::lock_guard lock(mutex_);
  std::erase(streams_, sound);
}

}  // namespace quarnix
