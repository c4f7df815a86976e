#include "app/PadKeys.h"

#include "input/Keys.h"

namespace quarnix {

namespace {

namespace VK = VirtualKey;

// A binding of the player's, told apart from a fixed key by its sign.
constexpr int Bound(Binding b) { return -static_cast<int>(b); }

// What each button presses on each screen; 0 nothing.
struct PadRow {
  PadButton Button;
  int Menu, Play, QuitPrompt, NameEntry;
};
constexpr PadRow PadRows[] = {
    {PadButton::Up, VK::Up, Bound(Binding::Up), 0, VK::PadUp},
    {PadButton::Down, VK::Down, Bound(Binding::Down), 0, VK::PadDown},
    {PadButton::Left, VK::Left, Bound(Binding::Left), 0, VK::PadLeft},
    {PadButton::Right, VK::Right, Bound(Binding::Right), 0, VK::PadRight},
    {PadButton::A, VK::Enter, Bound(Binding::Turn), 0, VK::Enter},
    {PadButton::B, VK::Escape, Bound(Binding::Drop), VK::No, 0},
    {PadButton::Y, 0, Bound(Binding::Camera), VK::Yes, 0},
    {PadButton::Start, 0, VK::Escape, VK::No, VK::Enter},
};

}  // namespace

int PadKey(InputScreen Screen, PadButton Button, const GameKeys& GameKey) {
  for (const PadRow& row : PadRows) {
    if (row.Button != Button) continue;
    int key = 0;
    switch (Screen) {
      case InputScreen::Menu:
        key = row.Menu;
        break;
      case InputScreen::KeyRedefinition:  // bindings are keyboard keys
        break;
      case InputScreen::Play:
        key = row.Play;
        break;
      case InputScreen::QuitPrompt:
        key = row.QuitPrompt;
        break;
      case InputScreen::NameEntry:
        key = row.NameEntry;
        break;
    }
    return key < 0 ? GameKey(static_cast<Binding>(-key)) : key;
  }
  return 0;
}

}  // namespace quarnix
