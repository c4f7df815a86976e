// The game-over panel with the name entry.

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>

#include "app/GameLoop.h"
#include "core/ProgramEnd.h"
#include "game/GameOverLayout.h"

namespace quarnix {

int ApplyNameKey(FixedArray<int, GameNameLength>& GameName, int Length, int Key) {
  if (Key >= 96 && Key <= 105) Key -= 48;  // keypad digits type digits
  const bool character = (Key >= 65 && Key <= 90) || (Key >= 48 && Key <= 57) || Key == 32;
  if (character) {
    if (Length < GameNameLength) ++Length;
    GameName(Length) = Key;  // with the name full, the last character is replaced
  } else if ((Key == 8 || Key == 46) && Length > 0) {
    GameName(Length) = 32;
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
  StopMusicNow();

  const std::int32_t result = s.GameScore + s.ChainScore;
  s.NameEntryOn = ResultQualifies(parts_.Scores.Scores(), result);
  for (int& c : s.GameName) c = 32;
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
