#include "core/Random.h"

#include <gtest/gtest.h>

#include <set>

using namespace quarnix;

TEST(Random, DrawOneToCoversTheRangeAndNeverPassesIt) {
  ScriptedRandom r{0.0f, 0.9999999f, 0.5f};
  EXPECT_EQ(DrawOneTo(r, 13), 1);
  EXPECT_EQ(DrawOneTo(r, 13), 13);  // just below 1 must not round up to 14
  EXPECT_EQ(DrawBelow(r, 4), 2);
}

TEST(Random, RngIsDeterministicAndInRange) {
  Rng a(7), b(7), c(8);
  bool differs = false;
  std::set<int> seen;
  for (int i = 0; i < 10000; ++i) {
    const float x = a.Next();
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 1.0f);
    ASSERT_EQ(x, b.Next());
    differs |= x != c.Next();
    seen.insert(static_cast<int>(x * 10));
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(seen.size(), 10u);
}

TEST(Random, ScriptedRandomReportsAnUnscriptedDraw) {
  ScriptedRandom r{0.25f};
  EXPECT_EQ(r.Next(), 0.25f);
  EXPECT_THROW(r.Next(), std::logic_error);
  Rng fallback(1);
  r.SetFallback(&fallback);
  EXPECT_NO_THROW(r.Next());
  EXPECT_EQ(r.Drawn(), 3);
}
