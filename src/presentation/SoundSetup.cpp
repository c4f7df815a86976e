#include "presentation/SoundSetup.h"

#include <array>
#include <stdexcept>
#include <string>

#include "core/Files.h"

namespace quarnix {

namespace {

constexpr std::array<std::string_view, WaveCount> WaveNames = {
    "NoWay",  "CubeRotate", "Thund",        "CubeDown", "CubeCross",  "okMenuSelect", "okBuildMove",
    "okExpo", "SameColor",  "okExCubeDown", "okOpen",   "okRotBuild", "okMenuDefKey"};
constexpr std::array<std::string_view, MusicCount> MusicNames = {
    "okPlayGame1",  "okPlayGame2",  "okPlayGame3",  "okPlayGame4", "okPlayGame5",
    "okPlayGame6",  "okPlayGame7",  "okPlayGame8",  "okPlayGame9", "okPlayGame10",
    "okPlayGame11", "okPlayGame12", "okPlayGame13", "okMenu"};

template <std::size_t N>
std::string_view NameOf(const std::array<std::string_view, N>& names, int No, const char* what) {
  if (No < 1 || No > static_cast<int>(N))
    throw std::out_of_range(std::string(what) + " " + std::to_string(No) + " outside 1.." +
                            std::to_string(N));
  return names[static_cast<std::size_t>(No - 1)];
}

std::unique_ptr<ISoundBuffer> MakeBuffer(ISoundSystem& sound, const std::filesystem::path& WavePath,
                                         std::string_view name) {
  return sound.CreateSoundBufferFromFile(ResolveFile(WavePath / (std::string(name) + WavExt)).string());
}

}  // namespace

std::string_view WaveName(int No) { return NameOf(WaveNames, No, "effect"); }
std::string_view MusicName(int No) { return NameOf(MusicNames, No, "music track"); }

void SetupSounds(SoundBank& bank, SoundPlayer& player, ISoundSystem& sound,
                 const std::filesystem::path& WavePath) {
  if (player.SoundOn != 1) return;
  // Each buffer is handed over only once it exists, so a failure leaves the
  // player pointing at live buffers only.
  for (int No = 1; No <= WaveCount; ++No) {
    bank.Waves(No) = MakeBuffer(sound, WavePath, WaveName(No));
    player.WaveBuffer(No) = bank.Waves(No).get();
  }
  for (int No = 1; No <= MusicCount; ++No) {
    bank.Music(No) = MakeBuffer(sound, WavePath, MusicName(No));
    player.MusicBuffer(No) = bank.Music(No).get();
  }
}

}  // namespace quarnix
