#pragma once
// What a gamepad's buttons press on each screen. The pad is a second keyboard:
// its buttons press the keys the game already reads, so the rules, the key
// table and the controls file know nothing of it.

#include "core/Gamepad.h"
#include "storage/Controls.h"

namespace quarnix {

// The key (Windows virtual-key code) the button presses on that screen, 0 for
// none. In play they are the player's bindings, as the menu last set them:
//   play:         D-pad / stick the four moves, A turn, B drop, Y camera, Start the quit prompt
//   quit prompt:  Y yes, B or Start no
//   menus:        D-pad / stick the arrow keys, A Enter, B Escape
//   name entry:   D-pad / stick pick the character at the cursor and move it, A or Start Enter
//   redefinition: nothing (bindings are keyboard keys)
int PadKey(InputScreen Screen, PadButton Button, const GameKeys& GameKey);

}  // namespace quarnix
