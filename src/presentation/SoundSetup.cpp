#include "presentation/SoundSetup.h"

#include "core/Files.h"

namespace quarnix {

namespace {

std::unique_ptr<ISoundBuffer> MakeBuffer(ISoundSystem& sound, const std::filesystem::path& WavePath,
                                         const GameFile& file) {
  const std::string path = ResolveFile(WavePath / file.Name).string();
  // A track lasts half a minute: it is read as it plays rather than held whole.
  return file.Role == FileRole::Music ? sound.CreateStreamingBufferFromFile(path)
                                      : sound.CreateSoundBufferFromFile(path);
}

}  // namespace

void SetupSounds(SoundBank& bank, SoundPlayer& player, ISoundSystem& sound,
                 const std::filesystem::path& WavePath) {
  if (player.SoundOn != 1) return;
  // Each buffer is handed over only once it exists, so a failure leaves the
  // player pointing at live buffers only.
  for (const GameFile& file : GameFilesOf(FileRole::Effect)) {
    bank.Waves(file.Number) = MakeBuffer(sound, WavePath, file);
    player.WaveBuffer(file.Number) = bank.Waves(file.Number).get();
  }
  for (const GameFile& file : GameFilesOf(FileRole::Music)) {
    bank.Tracks(file.Number) = MakeBuffer(sound, WavePath, file);
    player.MusicBuffer(file.Number) = bank.Tracks(file.Number).get();
  }
}

}  // namespace quarnix
