// Sprite quads, clipping and text placement in screen pixels.

#include "platform/Draw2D.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quarnix {
namespace {

TEST(SpriteQuad, SourceRectScaledAndMoved) {
  const RECT src{16, 8, 48, 24};  // 32 x 16 of a 64 x 32 texture
  const D3DVECTOR2 scale{0.5f, 2.0f}, at{100, 50};
  const auto q = SpriteQuad(64, 32, &src, &scale, nullptr, 0, &at, 0x80402010);
  // Top-left, top-right, bottom-left ... bottom-right.
  EXPECT_FLOAT_EQ(q[0].x, 100);
  EXPECT_FLOAT_EQ(q[0].y, 50);
  EXPECT_FLOAT_EQ(q[5].x, 116);
  EXPECT_FLOAT_EQ(q[5].y, 82);
  EXPECT_FLOAT_EQ(q[0].u, 0.25f);
  EXPECT_FLOAT_EQ(q[0].v, 0.25f);
  EXPECT_FLOAT_EQ(q[5].u, 0.75f);
  EXPECT_FLOAT_EQ(q[5].v, 0.75f);
  // Colour bytes in memory: r, g, b, a.
  EXPECT_EQ(q[0].rgba, 0x80102040u);
}

TEST(SpriteQuad, RotatesClockwiseOnScreenAboutTheCentre) {
  const D3DVECTOR2 centre{5, 5};
  const auto q = SpriteQuad(10, 10, nullptr, nullptr, &centre, 3.14159265f / 2, nullptr, 0xFFFFFFFF);
  // A quarter turn about the middle: the top-left corner goes to the top-right.
  EXPECT_NEAR(q[0].x, 10, 1e-4);
  EXPECT_NEAR(q[0].y, 0, 1e-4);
  EXPECT_NEAR(q[5].x, 0, 1e-4);
  EXPECT_NEAR(q[5].y, 10, 1e-4);
}

TEST(ClipQuad, CutsGeometryAndTextureTogether) {
  AxisQuad q{0, 0, 10, 10, 0, 0, 1, 1};
  ASSERT_TRUE(ClipQuad(q, RECT{5, 0, 20, 8}));
  EXPECT_FLOAT_EQ(q.x0, 5);
  EXPECT_FLOAT_EQ(q.u0, 0.5f);
  EXPECT_FLOAT_EQ(q.y1, 8);
  EXPECT_FLOAT_EQ(q.v1, 0.8f);
  AxisQuad outside{0, 0, 10, 10, 0, 0, 1, 1};
  EXPECT_FALSE(ClipQuad(outside, RECT{10, 0, 20, 10}));
}

TEST(LetterboxRect, FitsTheFourToThreePictureKeepingItsShape) {
  // A wide desktop: bars left and right.
  EXPECT_EQ(LetterboxRect(1024, 768, 1920, 1080), (RECT{240, 0, 1680, 1080}));
  // A tall window: bars above and below.
  EXPECT_EQ(LetterboxRect(640, 480, 800, 1000), (RECT{0, 200, 800, 800}));
  EXPECT_EQ(LetterboxRect(800, 600, 800, 600), (RECT{0, 0, 800, 600}));
  EXPECT_EQ(LetterboxRect(800, 600, 0, 600), RECT{});
}

TEST(LayoutText, AlignsEachLineInTheRectangle) {
  auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
  const RECT r{10, 20, 110, 80};
  auto centred = LayoutText("abcd", r, DT_CENTER, width, 12);
  ASSERT_EQ(centred.size(), 1u);
  EXPECT_EQ(centred[0].x, 10 + (100 - 28) / 2);
  EXPECT_EQ(centred[0].y, 20);
  EXPECT_EQ(LayoutText("abcd", r, DT_RIGHT, width, 12)[0].x, 110 - 28);
  EXPECT_EQ(LayoutText("abcd", r, DT_LEFT, width, 12)[0].x, 10);

  auto twoLines = LayoutText("ab\r\ncdef", r, DT_LEFT, width, 12);
  ASSERT_EQ(twoLines.size(), 2u);
  EXPECT_EQ(twoLines[1].text, "cdef");
  EXPECT_EQ(twoLines[1].y, 32);
  // A single line ignores line breaks and may centre vertically.
  auto single = LayoutText("ab\ncd", r, DT_SINGLELINE | DT_VCENTER, width, 12);
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(single[0].y, 20 + (60 - 12) / 2);
}

}  // namespace
}  // namespace quarnix
