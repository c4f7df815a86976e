#pragma once
// How the rules and the game loop change what the play screen shows. The
// screen keeps that state itself (presentation's ScreenState): the display
// flags, the pop-up, the star particles of a landing effect, and its own
// animations. The rules only say what changes, at the moments the game has
// always changed it, so a copy of the game state carries none of it (the
// bot copies the state for every placement it plans). A rules object without
// a view (the bot's look-ahead) changes nothing on any screen.

#include <array>
#include <cstddef>
#include <optional>

#include "core/FixedArray.h"
#include "game/GameState.h"

namespace quarnix {

// The parts of the play screen that are shown or hidden, by the game's flags.
enum class Display {
  PieceShow,      // the falling piece
  PlayShow,       // the field
  StartShow,      // the build plan sliding in
  HudShow,        // next piece and other HUD parts
  TurnShow,       // piece-turn animation
  FieldSpinShow,  // field-turn animation: the field drawn turned by TurnAngle
  FieldTurnShow,  // cube shower
  ClearShow,      // clear-count pop-up
  EffectShow,     // special-cube particles
  LevelShow,      // level announcement
  BackShow,       // background
  PanelShow,      // the 2D layer
};
inline constexpr std::size_t DisplayCount = 12;

inline constexpr int MaxParticles = 300;
inline constexpr int PopupWhite = -1;  // the clear pop-up's colour as it starts: ARGB opaque white

// One star particle of a special-cube effect, in the renderer's particle space
// (X and Z horizontal, Y up). The renderer moves and ages them.
struct ParticleRec {
  float X = 0, Y = 0, Z = 0;
  float VX = 0, VY = 0, VZ = 0;
  int Life = 0;  // frames to live
};

// The particles of one burst: Particle(1..ParticleCount).
struct ParticleBurst {
  FixedArray<ParticleRec, MaxParticles> Particle;
  int ParticleCount = 0;
};

class IPlayView {
 public:
  virtual ~IPlayView() = default;
  // A part of the screen is shown or hidden.
  virtual void Show(Display /*Part*/, bool /*On*/) {}
  // A game starts: the screen's own animations start afresh (the spin, the
  // build plan's slide), and no landing effect is under way.
  virtual void NewGame() {}
  // The pop-up (clear count or level announcement) rises again from its
  // start; with Colour, in that ARGB colour.
  virtual void StartPopup(std::optional<int> /*Colour*/) {}
  // A special cube's landing effect: its kind and its star particles.
  virtual void StartEffect(CellKind /*Kind*/, const ParticleBurst& /*Stars*/) {}
};

// The display flags alone, kept as the rules and the loop set them: what a
// headless game, the bot at the keyboard and the tests watch. The screen's
// own state builds on it.
class DisplayFlags : public IPlayView {
 public:
  void Show(Display Part, bool On) override { on_.at(static_cast<std::size_t>(Part)) = On; }
  bool operator[](Display Part) const { return on_.at(static_cast<std::size_t>(Part)); }

 private:
  std::array<bool, DisplayCount> on_{};
};

}  // namespace quarnix
