// The order the play screen sends its field draws in: which opaque draws may
// pass a see-through one, and what stays in its reference order.

#include "presentation/DrawOrder.h"

#include <gtest/gtest.h>

#include <vector>

namespace quarnix {
namespace {

// An eye above and in front of the well, as play has it.
const D3DVECTOR Eye{0, 14, -12};

// A draw over the world box lo..hi, seen on the screen rectangle x0..x1 (all
// rows) between eye distances near and far.
OrderedDraw Draw(bool seeThrough, int group, float depth, D3DVECTOR lo, D3DVECTOR hi, float x0, float x1,
                 float near, float far) {
  OrderedDraw d;
  d.SeeThrough = seeThrough;
  d.Group = group;
  d.Depth = depth;
  d.Extent = {x0, 0, x1, 100, near, far, false, lo, hi};
  return d;
}

TEST(DrawOrder, OpaqueDrawsMoveForwardOnlyWhereNoPixelCanChange) {
  // A see-through box in the cell at x 0..2, z 0..2, seen on pixels 100..200.
  const OrderedDraw box = Draw(true, 9, 14, {0, 0, 0}, {2, 1, 2}, 100, 200, 13, 15);
  const std::vector<std::size_t> first{1, 0}, kept{0, 1};
  struct Case {
    const char* what;
    OrderedDraw opaque;
    std::vector<std::size_t> order;
  } cases[] = {
      {"in the cell nearer the eye: passes", Draw(false, 0, 12, {0, 0, -2}, {2, 1, 0}, 90, 210, 11, 13),
       first},
      {"in the cell above (the eye looks down): passes",
       Draw(false, 0, 13, {0, 1, 0}, {2, 2, 2}, 90, 210, 12, 14), first},
      {"behind it: stays after it", Draw(false, 0, 16, {0, 0, 2}, {2, 1, 4}, 90, 210, 15, 17), kept},
      {"overlapping its box (cubes meet with a hair to spare): stays",
       Draw(false, 0, 12, {0, 0, -2}, {2, 1, 0.01f}, 90, 210, 11, 13), kept},
      {"beside it on the screen, farther: passes",
       Draw(false, 0, 20, {4, 0, 2}, {6, 1, 4}, 201.5f, 260, 18, 21), first},
      {"reaching behind the eye: stays",
       [&] {
         OrderedDraw d = Draw(false, 0, 12, {0, 0, -2}, {2, 1, 0.01f}, 90, 210, 11, 13);
         d.Extent.Anywhere = true;
         return d;
       }(),
       kept},
  };
  for (const Case& c : cases) {
    const std::vector<OrderedDraw> draws{box, c.opaque};
    EXPECT_EQ(DrawOrder(draws, Eye), c.order) << c.what;
    EXPECT_EQ(ReferenceOrder(draws), kept) << c.what;
  }
}

TEST(DrawOrder, GroupsGoOutTogetherNearestFirstButTouchingDrawsKeepTheirOrder) {
  // Three cubes far apart of two meshes, passes' order far to near.
  const std::vector<OrderedDraw> apart{Draw(false, 1, 30, {0, 0, 10}, {2, 1, 12}, 0, 10, 29, 31),
                                       Draw(false, 0, 20, {0, 0, 0}, {2, 1, 2}, 20, 30, 19, 21),
                                       Draw(false, 1, 10, {0, 0, -10}, {2, 1, -8}, 40, 50, 9, 11)};
  EXPECT_EQ(DrawOrder(apart, Eye), (std::vector<std::size_t>{1, 2, 0}));
  EXPECT_EQ(ReferenceOrder(apart), (std::vector<std::size_t>{2, 1, 0}));

  // A cube, a see-through box elsewhere, then the cube stacked on the first:
  // the upper one may pass the box, but not go before the cube it meets.
  const std::vector<OrderedDraw> stacked{Draw(false, 0, 15, {0, 0, 0}, {2, 1.01f, 2}, 100, 200, 14, 16),
                                         Draw(true, 1, 15, {8, 0, 0}, {10, 1, 2}, 300, 400, 14, 16),
                                         Draw(false, 0, 14, {0, 1, 0}, {2, 2.01f, 2}, 100, 200, 13, 15)};
  EXPECT_EQ(DrawOrder(stacked, Eye), (std::vector<std::size_t>{0, 2, 1}));
  // Not touching, the nearer one would go first.
  std::vector<OrderedDraw> loose = stacked;
  loose[2].Extent.Low.y = loose[2].Extent.Low.y + 0.5f;
  EXPECT_EQ(DrawOrder(loose, Eye), (std::vector<std::size_t>{2, 0, 1}));
}

TEST(DrawOrder, ExtentBoundsTheCornersOnTheScreenAndInDepth) {
  // w = z + 5; x and y as they are: the screen is 200 x 100 pixels.
  D3DMATRIX project{};
  project(0, 0) = project(1, 1) = project(2, 3) = 1;
  project(3, 3) = 5;
  D3DMATRIX identity{};
  for (int i = 0; i < 4; ++i) identity(i, i) = 1;
  const std::vector<D3DVERTEX> square{{-1, -1, 0}, {1, 1, 0}, {0, 0, 5}};
  const ScreenExtent e = ExtentOf(square, identity, project, 200, 100);
  ASSERT_FALSE(e.Anywhere);
  EXPECT_FLOAT_EQ(e.Near, 5);
  EXPECT_FLOAT_EQ(e.Far, 10);
  EXPECT_FLOAT_EQ(e.Left, 100 - 20 - 1);  // x / w = -0.2 at the nearest corners, a pixel's margin
  EXPECT_FLOAT_EQ(e.Right, 100 + 20 + 1);
  EXPECT_FLOAT_EQ(e.Top, 50 - 10 - 1);
  EXPECT_EQ(e.High.z, 5);
  // A corner behind the eye: anywhere.
  EXPECT_TRUE(ExtentOf(std::vector<D3DVERTEX>{{0, 0, -6}, {0, 0, 1}}, identity, project, 200, 100).Anywhere);
}

}  // namespace
}  // namespace quarnix
