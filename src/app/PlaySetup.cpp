#include "app/PlaySetup.h"

#include <malloc.h>

#include <exception>
#include <iostream>

#include "platform/InitDirect3D.h"
#include "platform/PublicX8.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/ScreenImages.h"

namespace quarnix {

namespace {

// Mesa's software renderer allocates and frees blocks of several megabytes for
// every draw. Above glibc's default threshold each one is mapped fresh from the
// kernel, a page fault per page, which more than doubled the frame time of a
// full well; kept in the heap they are reused.
void KeepLargeBlocksInHeap() {
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
}

}  // namespace

int CreatePlayDevice(IGraphics& graphics, const ScreenMode& mode) {
  KeepLargeBlocksInHeap();
  const int kind = graphics.InitDevice(mode.ScreenWidth, mode.ScreenHeight, 1, PlayAmbient);
  if (IDevice* device = graphics.Device(); device != nullptr && kind != DeviceKindNone)
    SetProjection(*device, PlayFieldOfView);
  return kind;
}

void SetupPlayCamera(CamObject& GameCam) {
  GameCam.SetNumStaticPosition(3);
  GameCam.SetCamStaticPosition(1, 0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  GameCam.SetCamStaticPosition(2, 0, 0, 0, -1.25f, 17.0f, -3.5f, 0, 3.5f, 0);
  GameCam.SetCamStaticPosition(3, 0, 0, 0, 0, 14.0f, -12.0f, 0, 4.0f, 0);
  GameCam.SetNowStaticPosition(3);
  GameCam.SetCam();
}

int PlayFontSize(const ScreenMode& mode) { return RoundToInt(9.0 * mode.ScreenRatio); }

std::unique_ptr<IFont> MakePlayFont(IDevice& device, const ScreenMode& mode) {
  return MakeFont(device, "Arial", PlayFontSize(mode), false, false, false);
}

void SetPlayFieldConstants(GameRules& rules, SoundPlayer& player) {
  GameState& state = rules.State();
  state.FieldSizeX = 5;
  state.FieldSizeY = 5;
  state.FieldSizeZ = 10;
  state.LayerStep = 1;
  state.CubeSpacing = 2;
  state.FieldCentre = static_cast<float>(state.FieldSizeX * state.CubeSpacing - state.CubeSpacing) / 2.0f;
  rules.InitCubePos();
  player.SoundLevel = 9;
  player.MusicLevel = 9;
}

void LoadPlayMeshes(GameAssets& assets, const GameFolders& folders) {
  RegisterEmbeddedBitmaps();
  LoadResourceAssets(assets, folders);
  BuildMeshes(assets);
}

void LoadPlayContent(GameAssets& assets, const GameFolders& folders) {
  LoadPlayMeshes(assets, folders);
  LoadScreenImages(assets, folders.DataPath2);
}

int SetupPlaySounds(ISoundSystem& sound, SoundBank& bank, SoundPlayer& player, const GameFolders& folders) {
  player.SoundOn = sound.InitDSound() ? 1 : 0;
  if (player.SoundOn == 0) {
    std::cerr << "Sound device is unable to work.\n";
    return 0;
  }
  try {
    SetupSounds(bank, player, sound, folders.WavePath);
  } catch (const std::exception& e) {
    std::cerr << "sound set-up: " << e.what() << '\n';
  }
  return player.SoundOn;
}

}  // namespace quarnix
