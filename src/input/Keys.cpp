#include "input/Keys.h"

#include <array>
#include <stdexcept>

namespace quarnix {

namespace {

constexpr int ConfiguredCount = 84;

constexpr std::array<int, ConfiguredCount> MakeConfigured() {
  std::array<int, ConfiguredCount> codes{};
  int n = 0;
  auto range = [&](int first, int last) {
    for (int c = first; c <= last; ++c) codes[n++] = c;
  };
  range(8, 9);      // Backspace, Tab
  range(13, 13);    // Enter
  range(16, 20);    // Shift, Control, Alt, Pause, Caps Lock
  range(27, 27);    // Escape
  range(32, 40);    // Space, Page Up/Down, End, Home, arrows
  range(45, 46);    // Insert, Delete
  range(48, 57);    // digits
  range(65, 90);    // letters
  range(96, 107);   // keypad digits, *, +
  range(109, 123);  // keypad -, ., /, F1..F12
  range(144, 144);  // Num Lock
  return codes;
}

constexpr std::array<int, ConfiguredCount> Configured = MakeConfigured();

}  // namespace

std::span<const int> ConfiguredKeyCodes() { return Configured; }

std::string KeyName(int code) {
  if ((code >= 48 && code <= 57) || (code >= 65 && code <= 90))
    return std::string(1, static_cast<char>(code));
  if (code >= 96 && code <= 105) return "NumPad " + std::string(1, static_cast<char>('0' + code - 96));
  switch (code) {
    case 8:
      return "BackSpace";
    case 9:
      return "Tab";
    case 13:
      return "Enter";
    case 16:
      return "Shift";
    case 17:
      return "Control";
    case 18:
      return "Alt";
    case 32:
      return "Space";
    case 33:
      return "PageUp";
    case 34:
      return "PageDown";
    case 35:
      return "End";
    case 36:
      return "Home";
    case 37:
      return "Left";
    case 38:
      return "Up";
    case 39:
      return "Right";
    case 40:
      return "Down";
    case 45:
      return "Insert";
    case 46:
      return "Delete";
    case 106:
      return "NumPad *";
    case 107:
      return "NumPad +";
    case 109:
      return "NumPad -";
    case 110:
      return "NumPad .";
    case 111:
      return "NumPad /";
    default:
      return "";
  }
}

Keys::Keys(IKeyStateSource& source) {
  entries_.Fill(KeyObject(source));
  padKeys_.Fill(KeyObject(source));
  for (int i = 1; i <= 4; ++i) padKeys_(i).SetpKey(VirtualKey::PadUp + i - 1);
}

KeyObject& Keys::KeyTable(int code) {
  if (code < FirstKeyCode || code > LastKeyCode)
    throw std::out_of_range("key code " + std::to_string(code) + " outside " + std::to_string(FirstKeyCode) +
                            ".." + std::to_string(LastKeyCode));
  return entries_(code - FirstKeyCode + 1);
}

void Keys::InitKeyTable() {
  for (int code : Configured) KeyTable(code).SetpKey(code);
}

int Keys::GetPressedKey() {
  // Every configured key is polled even after a hit, so one call advances the
  // press state of all of them; the last (highest) hit wins.
  int result = 0;
  for (int code : Configured) {
    if (KeyTable(code).isKeyPress()) result = code;
  }
  return result;
}

int Keys::GetPressedPadKey() {
  int result = 0;
  for (KeyObject& key : padKeys_)
    if (key.isKeyPress()) result = key.KeyCode();
  return result;
}

}  // namespace quarnix
