// The game-over panel with the name entry.

#include <algorithm>
#include <string>

#include "app/GameLoop.h"
#include "game/GameOverLayout.h"

namespace quarnix {

int ApplyNameKey(FixedArray<int, GameNameLength>& GameName, int Length, int Key) {
  // Keypad digits type digits.
  if (Key >= VirtualKey::Numpad0 && Key <= VirtualKey::Numpad0 + 9) Key += '0' - VirtualKey::Numpad0;
  const bool character = (Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9') || Key == VirtualKey::Space;
  if (character) {
    if (Length < GameNameLength) ++Length;
    GameName(Length) = Key;  // with the name full, the last character is replaced
  } else if ((Key == VirtualKey::Backspace || Key == VirtualKey::Delete) && Length > 0) {
    GameName(Length) = ' ';
    --Length;
  }
  return Length;
}

std::string TypedName(const FixedArray<int, GameNameLength>& GameName) {
  std::string name;
  for (int code : GameName) name += static_cast<char>(code);
  return StoredName(name);
}

void GameLoop::GameOverEntry() {
  GameState& s = State();
  s.PieceShow = s.PlayShow = false;
  s.FieldSpinShow = s.GameOverShow = true;
  s.TurnShow = s.HudShow = false;
  s.TurnAngle = 0;
  int length = 0;
  sound_.StopMusicNow();

  const std::int32_t result = s.GameScore + s.ChainScore;
  s.NameEntryOn = ResultQualifies(parts_.Scores.Scores(), result);
  for (int& c : s.GameName) c = ' ';
  auto cursor = [&] { return NameSlotX(screen_.ScreenWidth, screen_.ScreenRatio, std::min(length, 25) + 1); };
  s.NameCursorX = cursor();

  int key = 0;  // read at the end of the previous frame
  for (;;) {
    if (s.NameEntryOn && key != 0) {
      length = ApplyNameKey(s.GameName, length, key);
      s.NameCursorX = cursor();
    }
    s.TurnAngle += 0.05f;  // the field behind the panel turns slowly
    if (s.TurnAngle >= 360.0f) s.TurnAngle = 0;
    FrameStep();
    key = keys_.GetPressedKey();
    if (key == PlayKey::Enter || key == PlayKey::Escape) {
      if (!s.NameEntryOn) return;  // nothing to store
      break;
    }
  }
  // Escape confirms like Enter: a qualifying result always enters the table.
  parts_.Scores.Enter(TypedName(s.GameName), result, s.GameLevel);
}

}  // namespace quarnix
