// The game-over panel with the name entry.

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "app/GameLoop.h"
#include "core/ProgramEnd.h"

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

int ApplyPadNameKey(FixedArray<int, GameNameLength>& GameName, int Length, int Key) {
  // The picker's characters in the order up runs through them; down goes back.
  constexpr std::string_view Characters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
  constexpr int Count = static_cast<int>(Characters.size());
  const int slot = std::min(Length, GameNameLength - 1) + 1;
  const int step = Key == VirtualKey::PadUp ? 1 : Key == VirtualKey::PadDown ? -1 : 0;
  if (step != 0) {
    // A slot that holds no character of the picker counts as the space.
    const auto at = Characters.find(static_cast<char>(GameName(slot)));
    const int now = at == std::string_view::npos ? Count - 1 : static_cast<int>(at);
    GameName(slot) = Characters[static_cast<std::size_t>((now + step + Count) % Count)];
  } else if (Key == VirtualKey::PadLeft) {
    return std::max(slot - 1, 1) - 1;
  } else if (Key == VirtualKey::PadRight && slot < GameNameLength) {
    return slot;
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
  Show(Display::PieceShow, false);
  Show(Display::PlayShow, false);
  Show(Display::FieldSpinShow, true);
  s.GameOverShow = true;
  Show(Display::TurnShow, false);
  Show(Display::HudShow, false);
  s.TurnAngle = 0;
  sound_.StopMusicNow();
  parts_.Events.SetScreen(InputScreen::NameEntry);

  const std::int32_t result = s.GameScore + s.ChainScore;
  s.NameEntryOn = ResultQualifies(parts_.Scores.Scores(), result);
  for (int& c : s.GameName) c = ' ';
  s.NameLength = 0;

  int key = 0, padKey = 0;  // read at the end of the previous frame
  for (;;) {
    if (s.NameEntryOn && key != 0) s.NameLength = ApplyNameKey(s.GameName, s.NameLength, key);
    if (s.NameEntryOn && padKey != 0) s.NameLength = ApplyPadNameKey(s.GameName, s.NameLength, padKey);
    s.TurnAngle += 0.05f;  // the field behind the panel turns slowly
    if (s.TurnAngle >= 360.0f) s.TurnAngle = 0;
    FrameStep();
    key = keys_.GetPressedKey();
    padKey = keys_.GetPressedPadKey();
    if (key == PlayKey::Enter || key == PlayKey::Escape) {
      if (!s.NameEntryOn) return;  // nothing to store
      break;
    }
  }
  // Escape confirms like Enter: a qualifying result always enters the table.
  if (parts_.Scores.Enter(TypedName(s.GameName), result, s.GameLevel)) return;
  // A result the file did not take: the player is told once, on the panel,
  // until Enter or Escape again.
  s.NameEntryOn = false;
  parts_.Renderer.ShowNotice(ResultNotSavedNotice);
  do {
    FrameStep();
    key = keys_.GetPressedKey();
  } while (key != PlayKey::Enter && key != PlayKey::Escape);
  parts_.Renderer.ShowNotice("");
}

bool FileScoreStore::Enter(std::string_view name, std::int32_t score, std::int32_t level) {
  try {
    EnterResult(file_, book_, name, score, level, random_);
    return true;
  } catch (const ProgramEndRequested&) {
    throw;
  } catch (const std::exception& e) {
    std::cerr << "quarnix: the result could not be saved: " << e.what() << '\n';
    // The table of this run shows it still, and the next save that works keeps it.
    PutInRankOrder(book_.ScoreList);
    return false;
  }
}

}  // namespace quarnix
