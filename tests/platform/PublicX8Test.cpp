#include "platform/PublicX8.h"

#include <gtest/gtest.h>

namespace quarnix {
namespace {

TEST(MakeRect, TakesBottomBeforeRightAndRoundsHalvesToEven) {
  EXPECT_EQ(MakeRect(1.4f, 2.6f, 10.5f, 20.2f), (RECT{1, 3, 20, 10}));
  EXPECT_EQ(MakeRect(0.5f, 1.5f, 2.5f, -3.5f), (RECT{0, 2, -4, 2}));
  EXPECT_THROW(MakeRect(3e9f, 0, 0, 0), std::out_of_range);
}

TEST(ColourValues, ArgbSplitsIntoChannels) {
  const D3DCOLORVALUE c = ColorValueFromArgb(0x80FF0033);
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 0.0f);
  EXPECT_FLOAT_EQ(c.b, 0x33 / 255.0f);
  EXPECT_FLOAT_EQ(c.a, 0x80 / 255.0f);
}

TEST(TimeBlink, FalseForOnePhaseThenTrueThenRestamps) {
  VirtualClock clock(10000);
  BlinkTimer blink(clock);
  // The stamp starts at 0: the first call is true and stamps now.
  EXPECT_TRUE(blink.TimeBlink(500));
  clock.Advance(1);
  EXPECT_FALSE(blink.TimeBlink(500));
  clock.Advance(499);  // 10500: still within the first phase
  EXPECT_FALSE(blink.TimeBlink(500));
  clock.Advance(1);  // 10501
  EXPECT_TRUE(blink.TimeBlink(500));
  clock.Advance(499);  // 11000: true, not yet restamped
  EXPECT_TRUE(blink.TimeBlink(500));
  clock.Advance(1);  // 11001: true and restamped
  EXPECT_TRUE(blink.TimeBlink(500));
  clock.Advance(100);
  EXPECT_FALSE(blink.TimeBlink(500));
}

}  // namespace
}  // namespace quarnix
