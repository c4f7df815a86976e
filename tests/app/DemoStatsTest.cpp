// The demo's frame-time spread: nearest-rank percentiles over unsorted times.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "app/Demo.h"

namespace quarnix {
namespace {

TEST(DemoStats, PercentilesAreNearestRankAndTheFloorCountsOnlyLongerFrames) {
  // 1..100 ms shuffled: the p-th percentile of 100 frames is frame p itself.
  std::vector<double> ms(100);
  for (int i = 0; i < 100; ++i) ms[static_cast<std::size_t>(i)] = i + 1;
  std::shuffle(ms.begin(), ms.end(), std::mt19937(3));
  const FrameTimeStats s = SummariseFrameTimes(ms);
  // A frame of exactly 15 ms is inside the floor.
  EXPECT_EQ(std::tuple(s.Frames, s.P50, s.P95, s.P99, s.Max, s.Over15),
            std::tuple(std::size_t{100}, 50.0, 95.0, 99.0, 100.0, std::size_t{85}));

  struct Case {
    std::vector<double> ms;
    double p50, p99;
  };
  for (const Case& c : {Case{{7}, 7, 7}, Case{{4, 2}, 2, 4}, Case{{3, 1, 2}, 2, 3}}) {
    const FrameTimeStats t = SummariseFrameTimes(c.ms);
    EXPECT_EQ(std::pair(t.P50, t.P99), std::pair(c.p50, c.p99)) << c.ms.size() << " frames";
  }
  EXPECT_EQ(SummariseFrameTimes({}).Frames, 0u);
}

}  // namespace
}  // namespace quarnix
