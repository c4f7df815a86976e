#include "app/PadKeys.h"

#include "input/Keys.h"

namespace quarnix {

namespace {

int MenuKey(PadButton Button) {
  switch (Button) {
    case PadButton::Up:
      return VirtualKey::Up;
    case PadButton::Down:
      return VirtualKey::Down;
    case PadButton::Left:
      return VirtualKey::Left;
    case PadButton::Right:
      return VirtualKey::Right;
    case PadButton::A:
      return VirtualKey::Enter;
    case PadButton::B:
      return VirtualKey::Escape;
    default:
      return 0;
  }
}

int PlayKey(PadButton Button, const GameKeys& GameKey) {
  switch (Button) {
    case PadButton::Up:
      return GameKey(Binding::Up);
    case PadButton::Down:
      return GameKey(Binding::Down);
    case PadButton::Left:
      return GameKey(Binding::Left);
    case PadButton::Right:
      return GameKey(Binding::Right);
    case PadButton::A:
      return GameKey(Binding::Turn);
    case PadButton::B:
      return GameKey(Binding::Drop);
    case PadButton::Y:
      return GameKey(Binding::Camera);
    case PadButton::Start:
      return VirtualKey::Escape;
  }
  return 0;
}

int PromptKey(PadButton Button) {
  if (Button == PadButton::Y) return VirtualKey::Yes;
  if (Button == PadButton::B || Button == PadButton::Start) return VirtualKey::No;
  return 0;
}

int NameEntryKey(PadButton Button) {
  switch (Button) {
    case PadButton::Up:
      return VirtualKey::PadUp;
    case PadButton::Down:
      return VirtualKey::PadDown;
    case PadButton::Left:
      return VirtualKey::PadLeft;
    case PadButton::Right:
      return VirtualKey::PadRight;
    case PadButton::A:
    case PadButton::Start:
      return VirtualKey::Enter;
    default:
      return 0;
  }
}

}  // namespace

int PadKey(InputScreen Screen, PadButton Button, const GameKeys& GameKey) {
  switch (Screen) {
    case InputScreen::Menu:
      return MenuKey(Button);
    case InputScreen::KeyRedefinition:
      return 0;
    case InputScreen::Play:
      return PlayKey(Button, GameKey);
    case InputScreen::QuitPrompt:
      return PromptKey(Button);
    case InputScreen::NameEntry:
      return NameEntryKey(Button);
  }
  return 0;
}

}  // namespace quarnix
