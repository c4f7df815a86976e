#pragma once
// A play screen for tests: the built game's content loaded as play loads it, a fresh game, every display off.

#include <memory>

#include "core/Clock.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"
#include "platform/D3DXMath.h"
#include "platform/InitDirect3D.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/GameAssets.h"
#include "presentation/HudLayout.h"
#include "presentation/RenderFrame.h"
#include "presentation/ScreenImages.h"
#include "toolkit/CamObject.h"

namespace quarnix::test {

inline const D3DVECTOR StartEye{0, 14, -12}, StartLookAt{0, 4, 0};  // the view play starts with

struct PlayScene {
  PlayScene(IDevice& device, const ScreenMode& screen, IRandom& rnd)
      : mode(screen), random(rnd), assets(device), sprite(device.CreateSprite()), cam(device) {
    [[maybe_unused]] static const bool registered = (RegisterEmbeddedBitmaps(), true);
    const GameFolders folders = GameFolders::In(QUARNIX_GAME_DIR);
    LoadResourceAssets(assets, folders);
    BuildMeshes(assets);
    LoadScreenImages(assets, folders.DataPath2);
    rules.InitCubePos();
    rules.InitLevelTable();
    state->GameLevel = 1;
    layout = SetupHudLayout(mode);
    SetProjection(device, 60);
    cam.SetCamValue(0, 0, 0, StartEye.x, StartEye.y, StartEye.z, StartLookAt.x, StartLookAt.y, StartLookAt.z);
    cam.SetCam();
    renderer = std::make_unique<PlayRenderer>(*state, assets, *sprite, random, blink, layout, mode);
  }
  ScreenMode mode;
  IRandom& random;
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  SoundPlayer sound;
  Rng rulesRandom{7};  // the level table's draws stay apart from the renderer's
  GameRules rules{*state, rulesRandom, sound};
  GameAssets assets;
  std::unique_ptr<ISprite> sprite;
  CamObject cam;
  VirtualClock clock{10000};
  BlinkTimer blink{clock};
  HudLayout layout;
  std::unique_ptr<PlayRenderer> renderer;
};

}  // namespace quarnix::test
