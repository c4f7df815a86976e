// The 1-based arrays, the program-end hook and the random source.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "core/FixedArray.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"

using namespace quarnix;

TEST(FixedArray, CellsAreDistinctZeroedAndBoundsChecked) {
  FixedArray<int, 5, 5, 10> field;
  std::set<long> offsets;
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      for (int z = 1; z <= 10; ++z) {
        EXPECT_EQ(field(x, y, z), 0);
        offsets.insert(&field(x, y, z) - &*field.begin());
      }
  EXPECT_EQ(offsets.size(), 250u);
  EXPECT_EQ(*offsets.begin(), 0);
  EXPECT_EQ(*offsets.rbegin(), 249);
  EXPECT_EQ(decltype(field)::Extent(3), 10);
  field.Fill(7);
  EXPECT_EQ(std::count(field.begin(), field.end(), 7), 250);
  for (auto [x, y] : {std::pair{0, 1}, {1, 6}, {6, 2}}) EXPECT_THROW(field(x, y, 1), std::out_of_range);
  try {
    FixedArray<int, 5, 5>{}(6, 2);
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "array index (6, 2) outside (1..5, 1..5)");
  }
}

TEST(ProgramEnd, TheHookSeesTheCodeTheCallerNeverContinuesTheDefaultExits) {
  int seen = -1;
  EndHook previous = SetEndHook([&](int code) { seen = code; });
  try {
    EndProgram(3);
    ADD_FAILURE() << "continued after the end";
  } catch (const ProgramEndRequested& e) {
    EXPECT_EQ(e.exitCode, 3);
  }
  SetEndHook(std::move(previous));
  EXPECT_EQ(seen, 3);
  {
    ScopedEndHookThrows guard;
    EXPECT_THROW(EndProgram(1), ProgramEndRequested);
  }
  EXPECT_EXIT(EndProgram(4), testing::ExitedWithCode(4), "");
}

TEST(Random, DrawsCoverTheRangeAndScriptsReportAnUnscriptedDraw) {
  ScriptedRandom r{0.0f, 0.9999999f, 0.5f, 0.25f};
  EXPECT_EQ(DrawOneTo(r, 13), 1);
  EXPECT_EQ(DrawOneTo(r, 13), 13);  // just below 1 must not round up to 14
  EXPECT_EQ(DrawBelow(r, 4), 2);
  EXPECT_EQ(r.Next(), 0.25f);
  EXPECT_THROW(r.Next(), std::logic_error);
  Rng fallback(1);
  r.SetFallback(&fallback);
  EXPECT_NO_THROW(r.Next());
  EXPECT_EQ(r.Drawn(), 6);

  Rng a(7), b(7), c(8);
  bool differs = false;
  std::set<int> tenths;
  for (int i = 0; i < 10000; ++i) {
    const float x = a.Next();
    ASSERT_TRUE(x >= 0.0f && x < 1.0f) << x;
    ASSERT_EQ(x, b.Next());
    differs |= x != c.Next();
    tenths.insert(static_cast<int>(x * 10));
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(tenths.size(), 10u);
}
