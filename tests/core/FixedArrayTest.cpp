#include "core/FixedArray.h"

#include <gtest/gtest.h>

using quarnix::FixedArray;

TEST(FixedArray, IndicesStartAtOneAndCellsAreDistinct) {
  FixedArray<int, 5, 5, 10> field;
  int n = 0;
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      for (int z = 1; z <= 10; ++z) field(x, y, z) = ++n;
  n = 0;
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      for (int z = 1; z <= 10; ++z) EXPECT_EQ(field(x, y, z), ++n);
  EXPECT_EQ(decltype(field)::Extent(3), 10);
}

TEST(FixedArray, OutOfRangeThrowsWithTheIndexInTheMessage) {
  FixedArray<int, 5, 5> layer;
  EXPECT_THROW(layer(0, 1), std::out_of_range);
  EXPECT_THROW(layer(1, 6), std::out_of_range);
  try {
    layer(6, 2);
    FAIL();
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "array index (6, 2) outside (1..5, 1..5)");
  }
}

TEST(FixedArray, StartsZeroedAndFills) {
  FixedArray<float, 3> list;
  for (float v : list) EXPECT_EQ(v, 0.0f);
  list.Fill(2.5f);
  EXPECT_EQ(list(3), 2.5f);
}
