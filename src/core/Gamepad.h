#pragma once
// A gamepad as the game sees it: a few buttons that press keys, like a second
// keyboard. Which key a button presses depends on the screen the player is on,
// so whatever shows a screen says which one it is.

namespace quarnix {

// The buttons the game uses. The left stick, pushed past its dead zone, is the D-pad.
enum class PadButton { A, B, Y, Start, Up, Down, Left, Right };

// The screens on which the pad's buttons mean different keys.
enum class InputScreen {
  Menu,             // the start dialog and the main menu
  KeyRedefinition,  // the menu takes the next keys as bindings: keyboard keys only
  Play,
  QuitPrompt,
  NameEntry,
};

}  // namespace quarnix
