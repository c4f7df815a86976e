#pragma once
// One key of the keyboard, polled once per frame. isKeyPress reports a press
// once: the latch is set by the poll that reports it and cleared only by a poll
// that finds the key fully up, so holding a key never repeats it.

#include "core/KeySource.h"

namespace quarnix {

class KeyObject {
 public:
  // A key object with no source, or with code 0, never reports anything.
  KeyObject() = default;
  explicit KeyObject(IKeyStateSource& source) : source_(&source) {}

  // Names the key (a Windows virtual-key code) and clears the latch.
  void SetpKey(int code) {
    KeyCode_ = code;
    KeyLatch_ = false;
  }

  // True on the first poll that finds the key down after it was seen up.
  bool isKeyPress();
  // True while the key is down (or was pressed since the last query); leaves the latch alone.
  bool isKeyHold();

  int KeyCode() const { return KeyCode_; }
  bool KeyLatch() const { return KeyLatch_; }
  // A replayed game starts with the latches its recording started with.
  void SetKeyLatch(bool on) { KeyLatch_ = on; }

 private:
  int Query();

  IKeyStateSource* source_ = nullptr;
  int KeyCode_ = 0;
  bool KeyLatch_ = false;
};

}  // namespace quarnix
