#include "storage/XFunc.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

using namespace quarnix;

static float DrawFor(int R) { return (static_cast<float>(R) + 0.5f) / 999.0f; }

TEST(XFunc, CharactersInterleaveWithRandomDigitsComeBackOrAreRefusedAndArraysSumAndStoreLittleEndian) {
  // "A" is 65, so C = 134: C1 R3 C2 R2 C3 R1.
  ScriptedRandom random{DrawFor(42), DrawFor(123), DrawFor(0), DrawFor(998)};
  for (int want : {123440, 133241, 103040, 183949}) EXPECT_EQ(EncodeChar("A", random), want);
  // Only the first character counts; an empty text is a space (C = 101).
  ScriptedRandom more{DrawFor(0), DrawFor(0), 0.99999994f};
  EXPECT_EQ(EncodeChar("AB", more), 103040);
  EXPECT_EQ(EncodeChar("", more), 100010);
  EXPECT_EQ(EncodeChar("", more), 180919);  // the largest draw still gives R = 998
  // Codes below 31 give C < 100: values of fewer than six digits, which decode all the same.
  for (int code = 0; code <= 255; ++code)
    for (int R : {0, 1, 10, 100, 998}) {
      ScriptedRandom one{DrawFor(R)};
      const char c = static_cast<char>(code);
      EXPECT_EQ(DecodeChar(EncodeChar(std::string_view(&c, 1), one)), c) << "code " << code << " R " << R;
    }
  // C = 0, 068, 325, 999, then negative and too long
  for (int bad : {0, 96989, 302050, 909090, -123440, 1000000, INT_MIN, INT_MAX})
    EXPECT_THROW(DecodeChar(bad), DecodeError) << bad;
  EXPECT_EQ(std::pair(DecodeChar(96999), DecodeChar(302040)), std::pair('\0', '\xff'));  // C = 069, 324
  CodedArray<4> a;
  a(1) = INT_MAX, a(2) = 1, a(3) = -2, a(4) = 0x01020304;
  EXPECT_EQ(std::tuple(CodedSum(a, 2), CodedSum(a, 3), CodedSum(a, 0)), std::tuple(INT_MIN, INT_MAX - 1, 0));
  const std::vector<std::uint8_t> bytes = CodedBytes(a);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4,
                                              3, 2, 1}));
  EXPECT_EQ(CodedFromBytes<4>(bytes), a);
  EXPECT_FALSE(CodedFromBytes<4>(std::span(bytes).first(15)) || CodedFromBytes<3>(bytes) ||
               CodedFromBytes<4>(std::span<const std::uint8_t>()));
}
