#pragma once
// Gamepads through SDL's game-controller layer, as a second keyboard: a button
// presses the key that the screen's mapping names, into the same key-state
// source the keyboard feeds, and lets go of that same key when it comes up.
// Pads can come and go at any moment; any number of them work at once.
// Mappings: SDL's own, those of SDL_GAMECONTROLLERCONFIG (SDL reads it), and
// "gamecontrollerdb.txt" in the data folder when the player puts one there.

#include <SDL.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "core/Gamepad.h"
#include "platform/SdlHandles.h"

namespace quarnix {

class SdlKeySource;

inline constexpr const char* PadMappingsFileName = "gamecontrollerdb.txt";
// The community's file is under a megabyte; anything far larger is no mapping file.
inline constexpr std::size_t PadMappingsLimit = 8u << 20;

// Adds the controller mappings in the text (lines of a mapping file; those of
// other systems are skipped). Returns how many SDL took; throws
// std::runtime_error when it refuses the text.
int AddPadMappings(std::span<const std::uint8_t> text);

// The mappings of the file when there is one (0 when there is none). Throws
// std::runtime_error naming the file when it cannot be read or is refused.
int LoadPadMappings(const std::filesystem::path& file);

// Where the left stick stands on one axis, -1, 0 or 1, from where it stood and
// the axis' value: it must pass PadStickPress to count as pushed, and comes
// back only below PadStickRelease, so a stick held near the edge of its dead
// zone does not flicker.
inline constexpr int PadStickPress = 16000, PadStickRelease = 10000;
int PadStickDirection(int was, int value);

enum class PadChange { None, InUseRemoved };

class SdlGamepads {
 public:
  // The key a button presses on a screen, 0 for none.
  using KeyFor = std::function<int(InputScreen, PadButton)>;

  // Starts the game-controller layer, adds the file's mappings and opens the
  // pads already plugged in. Without a controller layer there are simply no
  // pads (the reason goes to stderr), and so for a mapping file that fails.
  SdlGamepads(SdlKeySource& keys, const std::filesystem::path& mappingsFile, KeyFor keyFor);
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  // Handles a controller event (any other is left alone). InUseRemoved: the
  // pad whose buttons were pressed last has been unplugged.
  PadChange Handle(const SDL_Event& event, InputScreen screen);
  // Every button counts as up (the window lost the focus); a button still
  // held counts again only when it is pressed anew.
  void ReleaseAll();
  int Count() const { return static_cast<int>(pads_.size()); }

 private:
  // A button of the controller, or the stick pushed one way (after the buttons).
  static constexpr int StickSources = 4;
  static constexpr int Sources = SDL_CONTROLLER_BUTTON_MAX + StickSources;
  struct Pad {
    SDL_JoystickID Id = -1;
    sdl::GameController Controller;
    std::array<int, Sources> Holds{};  // the key each source holds down, 0 none
    int StickX = 0, StickY = 0;
  };

  void Open(int deviceIndex);
  Pad* Find(SDL_JoystickID id);
  void Press(Pad& pad, int source, PadButton button, InputScreen screen);
  void Release(Pad& pad, int source);
  void MoveStick(Pad& pad, int& was, int now, int lessSource, InputScreen screen);

  SdlKeySource& keys_;
  KeyFor keyFor_;
  sdl::Subsystem controllers_;
  std::vector<std::unique_ptr<Pad>> pads_;  // closed before the subsystem goes
  SDL_JoystickID inUse_ = -1;
};

}  // namespace quarnix
