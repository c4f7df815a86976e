#pragma once
// The table of key objects through which the whole game reads the keyboard,
// the poll that finds a newly pressed key (key-binding menu, name entry), and
// the names under which keys are shown. Key codes are Windows virtual-key codes.

#include <span>
#include <string>

#include "core/FixedArray.h"
#include "core/KeySource.h"
#include "input/KeyObject.h"

namespace quarnix {

inline constexpr int FirstKeyCode = 8;
inline constexpr int LastKeyCode = 144;

// The fixed keys the menus, the game loop and the name entry read (Windows
// virtual-key codes); everything else goes through the player's bindings.
namespace VirtualKey {
inline constexpr int Backspace = 8;
inline constexpr int Enter = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
inline constexpr int No = 78;       // "N"
inline constexpr int Yes = 89;      // "Y"
inline constexpr int Numpad0 = 96;  // the keypad's digits follow it
// Digits and letters have their characters' codes, "0" .. "9" and "A" .. "Z".
// A gamepad's D-pad on the name entry (Windows' VK_GAMEPAD_DPAD_UP .. _RIGHT):
// no keyboard key presses them, so the keyboard's name entry stays as it was.
inline constexpr int PadUp = 203;
inline constexpr int PadDown = 204;
inline constexpr int PadLeft = 205;
inline constexpr int PadRight = 206;
}  // namespace VirtualKey

// The 84 codes that InitKeyTable configures, in ascending order.
std::span<const int> ConfiguredKeyCodes();

// The key's display name, or "" for a key that has none (and so can never be bound).
std::string KeyName(int code);

class Keys {
 public:
  explicit Keys(IKeyStateSource& source);
  // The entries point at the source; a copy would be a second, diverging latch state.
  Keys(const Keys&) = delete;
  Keys& operator=(const Keys&) = delete;

  // The entry for a code 8..144; any other code throws std::out_of_range.
  // An entry that InitKeyTable did not configure has code 0 and never reports.
  KeyObject& KeyTable(int code);

  // Gives each configured entry its own code.
  void InitKeyTable();

  // Polls every configured key once; the highest code newly pressed in this
  // poll, or 0. The poll consumes those presses.
  int GetPressedKey();
  // The same poll over the pad's D-pad keys (VirtualKey::PadUp .. PadRight),
  // which are no entries of the table.
  int GetPressedPadKey();

 private:
  FixedArray<KeyObject, LastKeyCode - FirstKeyCode + 1> entries_;
  FixedArray<KeyObject, 4> padKeys_;
};

}  // namespace quarnix
