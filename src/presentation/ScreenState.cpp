#include "presentation/ScreenState.h"

namespace quarnix {

void ScreenState::NewGame() {
  SpinAngle = 0;
  StartOffset = 10.0f;
  EffectKind = CellKind::Empty;
}

void ScreenState::StartPopup(std::optional<int> Colour) {
  PopupRise = 0;
  if (Colour) PopupColour = *Colour;
}

void ScreenState::StartEffect(CellKind Kind, const ParticleBurst& Stars) {
  EffectKind = Kind;
  ParticleCount = Stars.ParticleCount;
  for (int i = 1; i <= ParticleCount; ++i) Particle(i) = Stars.Particle(i);
}

}  // namespace quarnix
