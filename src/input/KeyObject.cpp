#include "input/KeyObject.h"

namespace quarnix {

int KeyObject::Query() {
  if (source_ == nullptr || KeyCode_ == 0) return 0;
  return source_->Query(KeyCode_);
}

bool KeyObject::isKeyPress() {
  // Two separate queries: the first clears the "pressed since" memory, so the
  // second sees only whether the key is down now. A press and release between
  // two polls thus shows in the first query only and is not reported.
  if (Query() == 0) KeyLatch_ = false;
  const int now = Query();
  if (!KeyLatch_ && now != 0) {
    KeyLatch_ = true;
    return true;
  }
  return false;
}

bool KeyObject::isKeyHold() { return Query() != 0; }

}  // namespace quarnix
