#include "storage/XFunc.h"

#include <string>

namespace quarnix {

std::int32_t EncodeChar(std::string_view s, IRandom& random) {
  const int r = DrawBelow(random, 999);
  const int c = static_cast<unsigned char>(s.empty() ? ' ' : s.front()) + 69;
  const int c1 = c / 100, c2 = c / 10 % 10, c3 = c % 10;
  const int r1 = r / 100, r2 = r / 10 % 10, r3 = r % 10;
  return ((((c1 * 10 + r3) * 10 + c2) * 10 + r2) * 10 + c3) * 10 + r1;
}

char DecodeChar(std::int32_t v) {
  if (v < 0 || v > 999999)
    throw DecodeError("stored value " + std::to_string(v) + " is not a coded character");
  const int code = (v / 100000) * 100 + (v / 1000 % 10) * 10 + (v / 10 % 10) - 69;
  if (code < 0 || code > 255) throw DecodeError("stored value " + std::to_string(v) + " codes no character");
  return static_cast<char>(static_cast<unsigned char>(code));
}

}  // namespace quarnix
