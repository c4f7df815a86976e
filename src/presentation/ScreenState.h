#pragma once
// What the play screen shows and animates, owned by the screen (the
// renderer): the display flags as the rules and the game loop set them, the
// pop-up, the stars of a landing effect, the spin of the special cubes and of
// the light, the build plan's slide and the background's sway. The rules reach
// it through IPlayView; the renderer advances its animations as it draws.

#include <optional>

#include "core/FixedArray.h"
#include "game/PlayView.h"

namespace quarnix {

// The background's sway.
struct BackMotionRec {
  float PosX = 0, PosY = 0, PosZ = 0;
  float LimitX = 0, LimitY = 0, LimitZ = 0;  // LimitX 0: not yet set up
  float StepX = 0, StepY = 0, StepZ = 0;
};

struct ScreenState final : DisplayFlags {
  void NewGame() override;
  void StartPopup(std::optional<int> Colour) override;
  void StartEffect(CellKind Kind, const ParticleBurst& Stars) override;

  int PopupColour = PopupWhite;  // ARGB of the clear pop-up
  int PopupRise = 0;             // pixels the pop-up has risen
  float SpinAngle = 0;           // degrees; spins special cubes and the light
  float StartOffset = 10.0f;     // how far back the build plan starts
  BackMotionRec BackMotion;
  CellKind EffectKind = CellKind::Empty;  // the special cube whose landing effect is animated
  FixedArray<ParticleRec, MaxParticles> Particle;
  int ParticleCount = 0;
};

}  // namespace quarnix
