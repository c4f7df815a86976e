#include "app/BotKeyDriver.h"

#include <cstdlib>

#include "app/GameLoop.h"

namespace quarnix {

BotKeyDriver::BotKeyDriver(const GameState& state, const DisplayFlags& Shown, Keys& keys,
                           ScriptedKeySource& source, const GameKeys& GameKey, std::uint64_t BotSeed)
    : s_(state), shown_(Shown), keys_(keys), source_(source), gameKey_(GameKey), bot_(BotSeed) {}

bool BotKeyDriver::NormalPlay() const {
  // The loop reads the bindings in the pass after a frame that ends like this.
  return !(s_.LandFlag || s_.MatchFlag || s_.ClearFlag || s_.DropFlag || shown_[Display::LevelShow] ||
           s_.QuitShow || s_.GameOverShow || shown_[Display::TurnShow]) &&
         shown_[Display::PieceShow];
}

void BotKeyDriver::ReleaseHeld() {
  if (held_ != 0) source_.Release(held_);
  held_ = 0;
}

bool BotKeyDriver::PressNext() {
  if (held_ != 0 || queue_.empty()) return false;
  const int key = queue_.front();
  // The key object reports a press only after a poll has seen the key up.
  if (keys_.KeyTable(key).KeyLatch()) return false;
  queue_.pop_front();
  source_.Press(key);
  held_ = key;
  return true;
}

void BotKeyDriver::Plan() {
  piece_ = s_.PiecesPut;
  queue_.clear();
  if (maxPieces_ > 0 && pieces_ >= maxPieces_) {
    quitting_ = true;
    queue_.push_back(PlayKey::Escape);  // "Y" follows once the prompt is up
    return;
  }
  ++pieces_;
  const Placement p = bot_.Choose(s_);
  // Up and down move the piece along x, left and right along y.
  for (int t = 0; t < p.Turns; ++t) queue_.push_back(gameKey_(Binding::Turn));
  for (int i = 0; i < std::abs(p.ShiftX); ++i)
    queue_.push_back(gameKey_(p.ShiftX < 0 ? Binding::Up : Binding::Down));
  for (int i = 0; i < std::abs(p.ShiftY); ++i)
    queue_.push_back(gameKey_(p.ShiftY < 0 ? Binding::Left : Binding::Right));
  queue_.push_back(gameKey_(Binding::Drop));
}

void BotKeyDriver::OnFrame() {
  // A held key goes up once the loop has read it.
  if (held_ != 0 && keys_.KeyTable(held_).KeyLatch()) ReleaseHeld();

  if (s_.GameOverShow) {
    if (!naming_) {
      naming_ = true;
      ReleaseHeld();
      queue_.clear();
      for (char c : name_)
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') queue_.push_back(c);
      queue_.push_back(PlayKey::Enter);
    }
    PressNext();  // the panel polls every key each frame
    return;
  }
  if (s_.QuitShow) {
    if (quitting_ && queue_.empty() && held_ == 0) queue_.push_back(PlayKey::Yes);
    PressNext();
    return;
  }
  if (s_.PiecesPut != piece_) {
    // A new piece: whatever was meant for the last one is dropped.
    ReleaseHeld();
    queue_.clear();
  }
  if (!NormalPlay()) return;
  if (s_.PiecesPut != piece_) Plan();
  PressNext();
}

}  // namespace quarnix
