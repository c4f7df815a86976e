#include "game/SoundPlayer.h"

#include <stdexcept>
#include <string>

namespace quarnix {

namespace {

void CheckIndex(const char* what, int index, int count) {
  if (index < 1 || index > count)
    throw std::out_of_range(std::string(what) + " " + std::to_string(index) + " outside 1.." +
                            std::to_string(count));
}

void Start(ISoundBuffer* buffer, int flags, int volume, int level) {
  if (!buffer) return;
  buffer->SetVolume(volume - (10 - level) * 300);
  buffer->SetCurrentPosition(0);  // a cue still sounding starts again
  buffer->Play(flags);
}

}  // namespace

void SoundPlayer::PlayWave(int Index, int Flags, int Volume) {
  CheckIndex("effect", Index, WaveCount);
  if (SoundOn == 1 && SoundLevel > 1) Start(WaveBuffer(Index), Flags, Volume, SoundLevel);
}

void SoundPlayer::StopWave(int Index) {
  CheckIndex("effect", Index, WaveCount);
  if (SoundOn == 1 && WaveBuffer(Index)) WaveBuffer(Index)->Stop();
}

void SoundPlayer::PlayMusic(int Index, int Flags, int Volume) {
  CheckIndex("music track", Index, MusicCount);
  if (SoundOn != 1) return;
  StopMusic(Index);
  // Remembered even when the step is too low to hear it, so it can be stopped later.
  MusicNow = Index;
  if (MusicLevel > 1) Start(MusicBuffer(Index), Flags, Volume, MusicLevel);
}

void SoundPlayer::StopMusic(int Index) {
  CheckIndex("music track", Index, MusicCount);
  if (SoundOn == 1 && MusicBuffer(Index)) MusicBuffer(Index)->Stop();
}

}  // namespace quarnix
