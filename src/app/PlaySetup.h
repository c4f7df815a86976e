#pragma once
// The pieces of setting play up, in the order play needs them: the device in
// the chosen mode with its projection, the camera presets, the font, the
// field constants, the content (meshes, textures, screen images), the sounds
// and the HUD layout. Whoever starts play (the start dialog's driver, the
// demo) calls them in turn; each does one step and reports by exception.
// Also here: the real parts the game loop reaches through PlayParts.h.

#include <filesystem>
#include <memory>

#include "app/PlayParts.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"
#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/Sound.h"
#include "presentation/GameAssets.h"
#include "presentation/HudLayout.h"
#include "presentation/RenderFrame.h"
#include "presentation/SoundSetup.h"
#include "toolkit/CamObject.h"

namespace quarnix {

inline constexpr D3DCOLOR PlayAmbient = 0x00505050;
inline constexpr float PlayFieldOfView = 60.0f;

// The device at the mode's size with lighting on, the play ambient and the
// 60-degree projection. Returns DeviceKind; with DeviceKindNone nothing else is
// set. Also tunes the allocator for the software renderer (see PlaySetup.cpp).
int CreatePlayDevice(IGraphics& graphics, const ScreenMode& mode);

// The three camera presets (the play screen starts from the third), made the view.
void SetupPlayCamera(CamObject& GameCam);

// "Arial" at 9 points scaled to the mode (9, 7, 6), plain.
int PlayFontSize(const ScreenMode& mode);
std::unique_ptr<IFont> MakePlayFont(IDevice& device, const ScreenMode& mode);

// The field's size and spacing, the cell positions, and both volume steps at 9.
void SetPlayFieldConstants(GameRules& rules, SoundPlayer& player);

// Textures and meshes, as play starts: the program's bitmaps registered as
// textures, the meshes loaded from their files with their textures, then the
// built-in vertices written into the 17 meshes that have them, whatever
// vertices the files hold.
void LoadPlayMeshes(GameAssets& assets, const GameFolders& folders);

// LoadPlayMeshes, then the screen images, from the game folder.
void LoadPlayContent(GameAssets& assets, const GameFolders& folders);

// Opens the sound device; when it works, every effect and track is made into a
// buffer. A sound that cannot be made leaves the rest silent, with a line on
// stderr; play goes on. Returns player.SoundOn.
int SetupPlaySounds(ISoundSystem& sound, SoundBank& bank, SoundPlayer& player, const GameFolders& folders);

// --- The game loop's real parts.

// The play screen through the loop's renderer interface.
class ScreenRenderer final : public IPlayRenderer {
 public:
  explicit ScreenRenderer(PlayRenderer& renderer) : renderer_(renderer) {}
  void RenderFrame() override { renderer_.RenderFrame(); }
  void ResetBackground() override { renderer_.ResetBackground(); }
  void ShowNotice(std::string_view text) override { renderer_.SetNotice(std::string(text)); }

 private:
  PlayRenderer& renderer_;
};

class CameraControl final : public ICameraControl {
 public:
  explicit CameraControl(CamObject& cam) : cam_(cam) {}
  int GetNowStaticPosition() const override { return cam_.GetNowStaticPosition(); }
  int GetNumStaticPosition() const override { return cam_.GetNumStaticPosition(); }
  void SetNowStaticPosition(int Number) override { cam_.SetNowStaticPosition(Number); }
  void SetCam() override { cam_.SetCam(); }

 private:
  CamObject& cam_;
};

class WindowEvents final : public IEventPump {
 public:
  explicit WindowEvents(EventPump& pump) : pump_(pump) {}
  void PumpEvents() override { pump_.Pump(); }
  bool QuitRequested() const override { return pump_.QuitRequested(); }
  void SetScreen(InputScreen screen) override { pump_.SetScreen(screen); }
  bool TakePauseRequest() override { return pump_.TakePauseRequest(); }

 private:
  EventPump& pump_;
};

}  // namespace quarnix
