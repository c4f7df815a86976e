#pragma once
// Small value builders and the blink timer used all over the screens.

#include <cstdint>

#include "core/Clock.h"
#include "platform/D3DTypes.h"

namespace quarnix {

// Note the argument order: bottom before right. Each value is rounded to the
// nearest integer, halves to the even neighbour; a value outside the 32-bit
// range throws std::out_of_range.
RECT MakeRect(float left, float top, float bottom, float right);
D3DVECTOR2 vec2(float x, float y);
D3DVECTOR vec3(float x, float y, float z);
D3DCOLORVALUE MakeColorValue(float r, float g, float b, float a);
// D3DCOLOR (ARGB bytes) as four floats 0..1.
D3DCOLORVALUE ColorValueFromArgb(D3DCOLOR argb);

// Rounds to the nearest integer, halves to even (the game's real-to-integer rule).
std::int32_t RoundToInt(double value);

// One blink phase for every caller: false for ms after the stamp, then true
// until 2 ms have passed, then restamped. The stamp starts at 0.
class BlinkTimer {
 public:
  explicit BlinkTimer(IClock& clock) : clock_(clock) {}
  bool TimeBlink(int ms);

 private:
  IClock& clock_;
  std::int64_t stamp_ = 0;
};

}  // namespace quarnix
