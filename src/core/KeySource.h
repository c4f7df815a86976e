#pragma once
// The keyboard as the game polls it: one query per Windows virtual-key code.
// Query(vk) is non-zero while the key is down, or when it was pressed since the
// previous query of that key (then that memory is cleared), zero otherwise.

#include <array>
#include <cstdint>

namespace quarnix {

class IKeyStateSource {
 public:
  virtual ~IKeyStateSource() = default;
  virtual int Query(int vk) = 0;
};

// Keys pressed and released by a script (tests, the demo bot).
class ScriptedKeySource final : public IKeyStateSource {
 public:
  void Press(int vk) {
    if (!Valid(vk)) return;
    down_[vk] = true;
    pressedSince_[vk] = true;
  }
  void Release(int vk) {
    if (Valid(vk)) down_[vk] = false;
  }
  void ReleaseAll() { down_.fill(false); }
  bool IsDown(int vk) const { return Valid(vk) && down_[vk]; }

  int Query(int vk) override {
    if (!Valid(vk)) return 0;
    const bool result = down_[vk] || pressedSince_[vk];
    pressedSince_[vk] = false;
    return result ? (down_[vk] ? 0x8001 : 0x0001) : 0;
  }

 private:
  static bool Valid(int vk) { return vk >= 0 && vk < 256; }
  std::array<bool, 256> down_{};
  std::array<bool, 256> pressedSince_{};
};

}  // namespace quarnix
