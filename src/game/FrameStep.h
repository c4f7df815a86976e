#pragma once
// How the rules let the screen run while they wait. Every pause and animation
// of the rules (clear passes, special effects, the field turn, the cube shower,
// the level announcement) is a loop of per-frame steps; the game loop supplies
// the step that draws a frame, paces it and runs the automatic drop.

#include <cstdint>

namespace quarnix {

enum class CellKind : std::int32_t;

class IFrameStep {
 public:
  virtual ~IFrameStep() = default;
  // One frame. A pause ends by the clock, so a step must let time pass
  // (the real one waits at least 15 ms; a headless one advances a virtual clock).
  virtual void FrameStep() = 0;
};

// Moments the rules report to whoever watches the game (renderer, statistics).
// Every hook does nothing unless overridden.
class IGameEvents {
 public:
  virtual ~IGameEvents() = default;
  // A special cube's landing effect starts: the renderer restarts its star animations.
  virtual void OnLandingEffect(CellKind /*Kind*/) {}
  // The field has turned by 90 degrees.
  virtual void OnFieldTurn() {}
  // A cube shower has finished; Placed cubes fell into the field.
  virtual void OnCubeShower(int /*Placed*/) {}
};

}  // namespace quarnix
