#include "platform/PublicX8.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace quarnix {

std::int32_t RoundToInt(double value) {
  // std::nearbyint rounds halves to even in the default rounding mode.
  const double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
    throw std::out_of_range("value out of integer range: " + std::to_string(value));
  return static_cast<std::int32_t>(r);
}

RECT MakeRect(float left, float top, float bottom, float right) {
  return RECT{RoundToInt(left), RoundToInt(top), RoundToInt(right), RoundToInt(bottom)};
}

D3DVECTOR2 vec2(float x, float y) { return D3DVECTOR2{x, y}; }
D3DVECTOR vec3(float x, float y, float z) { return D3DVECTOR{x, y, z}; }
D3DCOLORVALUE MakeColorValue(float r, float g, float b, float a) { return D3DCOLORVALUE{r, g, b, a}; }

D3DCOLORVALUE ColorValueFromArgb(D3DCOLOR argb) {
  auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF) / 255.0f; };
  return D3DCOLORVALUE{channel(16), channel(8), channel(0), channel(24)};
}

bool BlinkTimer::TimeBlink(int ms) {
  const std::int64_t now = clock_.Ticks();
  if (now <= stamp_ + ms) return false;
  const std::int64_t second = clock_.Ticks();
  if (second > stamp_ + 2 * static_cast<std::int64_t>(ms)) stamp_ = second;
  return true;
}

}  // namespace quarnix
