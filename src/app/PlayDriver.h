#pragma once
// The program as the player starts it: start-up (random seed, folders, the
// video and sound probes, the file check), the start dialog, and the play
// driver that switches to the chosen mode, loads everything, shows the intro
// and then alternates between the menu and games until the player leaves
// through the menu's exit or closes the window; both end in the shutdown.

namespace quarnix {

struct StartOptions {
  bool Windowed = false;  // a normal window instead of the whole screen
};

// Runs the program from the game folder found from its executable
// (content/GameFolder.h). Returns the exit status; the normal end is the
// shutdown, which ends the process itself.
int RunStartGame(const StartOptions& options);

}  // namespace quarnix
