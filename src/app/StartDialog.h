#pragma once
// The start dialog: a small window with the game's logo, the screen-mode list
// and the "Play Game" button, drawn with the game's own sprite and font.
// Up and Down (or a click) choose the mode, Enter (or a click on the button)
// plays, Escape or the window's close button closes it.

#include <filesystem>
#include <optional>

#include "core/Clock.h"
#include "input/Keys.h"
#include "platform/Events.h"
#include "platform/GlGraphics.h"

namespace quarnix {

inline constexpr int DialogWidth = 480;
inline constexpr int DialogHeight = 360;

// A point of the dialog in its own pixels, from a point of the window whose
// inside is ClientWidth x ClientHeight (the picture keeps its shape, centred).
struct DialogPoint {
  float x, y;
};
DialogPoint DialogPointFromWindow(float x, float y, int ClientWidth, int ClientHeight);

// Which part of the dialog lies under a point: 0..2 a row of the mode list,
// 3 the button, -1 nothing.
inline constexpr int DialogButton = 3;
int DialogHitTest(DialogPoint p);

class StartDialog {
 public:
  // The dialog opens on the graphics root's window; the logo comes from the
  // data folder (the dialog goes on without it if it cannot be read).
  StartDialog(GlGraphics& graphics, EventPump& pump, Keys& keys, IClock& clock,
              std::filesystem::path DataPath);

  // Shows the dialog with the list at index; returns the index chosen when
  // the player presses Play, nothing when the dialog was closed.
  std::optional<int> Run(int index);

 private:
  GlGraphics& graphics_;
  EventPump& pump_;
  Keys& keys_;
  IClock& clock_;
  std::filesystem::path dataPath_;
};

}  // namespace quarnix
