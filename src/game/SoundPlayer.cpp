#include "game/SoundPlayer.h"

#include <stdexcept>
#include <string>

namespace quarnix {

namespace {

template <typename Number>
int Checked(const char* what, Number number, int count) {
  const int index = static_cast<int>(number);
  if (index < 1 || index > count)
    throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " outside 1.." +
                            std::to_string(count));
  return index;
}

void Start(ISoundBuffer* buffer, PlayFlag flags, int volume, int level) {
  if (!buffer) return;
  buffer->SetVolume(volume - (10 - level) * 300);
  buffer->SetCurrentPosition(0);  // a cue still sounding starts again
  buffer->Play(static_cast<int>(flags));
}

}  // namespace

void SoundPlayer::PlayWave(Effect Index, PlayFlag Flags, int Volume) {
  const int n = Checked("effect", Index, EffectCount);
  if (SoundOn == 1 && SoundLevel > 1) Start(WaveBuffer(n), Flags, Volume, SoundLevel);
}

void SoundPlayer::StopWave(Effect Index) {
  const int n = Checked("effect", Index, EffectCount);
  if (SoundOn == 1 && WaveBuffer(n)) WaveBuffer(n)->Stop();
}

void SoundPlayer::PlayMusic(Music Index, PlayFlag Flags, int Volume) {
  const int n = Checked("music track", Index, MusicCount);
  if (SoundOn != 1) return;
  StopMusic(Index);
  // Remembered even when the step is too low to hear it, so it can be stopped later.
  MusicNow = Index;
  if (MusicLevel > 1) Start(MusicBuffer(n), Flags, Volume, MusicLevel);
}

void SoundPlayer::StopMusic(Music Index) {
  const int n = Checked("music track", Index, MusicCount);
  if (SoundOn == 1 && MusicBuffer(n)) MusicBuffer(n)->Stop();
}

void SoundPlayer::StopMusicNow() {
  if (MusicNow) StopMusic(*MusicNow);
}

}  // namespace quarnix
