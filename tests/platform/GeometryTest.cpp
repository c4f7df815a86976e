// Matrices and quaternions worked out by hand (row vectors, left-handed), 2D placement, value builders.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "platform/D3DXMath.h"
#include "platform/Draw2D.h"
#include "platform/PublicX8.h"

namespace quarnix {
namespace {

using ::testing::FloatEq;
using ::testing::FloatNear;
using ::testing::Pointwise;
constexpr float Pi = 3.14159265358979f;

void ExpectNear(const D3DVECTOR& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_TRUE(std::abs(v.x - x) < eps && std::abs(v.y - y) < eps && std::abs(v.z - z) < eps)
      << v.x << " " << v.y << " " << v.z << ", want " << x << " " << y << " " << z;
}

TEST(D3DXMath, ProductsInversesLookAtQuaternionTurnsRollPitchYawAffineTurnsAboutTheCentre) {
  const D3DMATRIX scaledMoved =
      D3DXMatrixMultiply(D3DXMatrixScaling(2, 3, 4), D3DXMatrixTranslation(1, 2, 3));
  ExpectNear(D3DXVec3TransformCoord({1, 1, 1}, D3DXMatrixMultiply(scaledMoved, D3DXMatrixIdentity())), 3, 5,
             7);
  ExpectNear(D3DXVec3TransformNormal({1, 1, 1}, scaledMoved), 2, 3, 4);
  // Turn a quarter about y, then move: +x goes to -z first.
  const D3DMATRIX m = D3DXMatrixMultiply(D3DXMatrixRotationY(Pi / 2), D3DXMatrixTranslation(10, 0, 0));
  ExpectNear(D3DXVec3TransformCoord({1, 0, 0}, m), 10, 0, -1);
  ExpectNear(D3DXVec3TransformNormal({1, 0, 0}, m), 0, 0, -1);
  ExpectNear(D3DXVec3TransformCoord(D3DXVec3TransformCoord({1, 2, 3}, m), D3DXMatrixInverse(m)), 1, 2, 3);
  EXPECT_THROW(D3DXMatrixInverse(D3DXMatrixScaling(1, 0, 1)), std::domain_error);
  // The game's view: eye to 0, target ahead (|at - eye|^2 = 208.5), up x fwd = (8.5, 0, 2) to +x.
  const D3DMATRIX v = D3DXMatrixLookAtLH({2.0f, 15.0f, -8.5f}, {0, 3.5f, 0}, {0, 1, 0});
  const float lz = std::sqrt(208.5f), lx = std::sqrt(76.25f);
  ExpectNear(D3DXVec3TransformCoord({2.0f, 15.0f, -8.5f}, v), 0, 0, 0, 1e-4f);
  ExpectNear(D3DXVec3TransformCoord({0, 3.5f, 0}, v), 0, 0, lz, 1e-4f);
  ExpectNear(D3DXVec3TransformNormal({8.5f, 0, 2}, v), lx, 0, 0, 1e-4f);
  ExpectNear(D3DXVec3TransformNormal({0, 1, 0}, v), 0, 76.25f / (lz * lx), -11.5f / lz);
  // The turns about each axis read against the quaternion turn; the perspective shows in the drawn pictures.
  const float yaw = 0.3f, pitch = 0.2f, roll = 0.1f;
  const D3DMATRIX axes = D3DXMatrixMultiply(
      D3DXMatrixMultiply(D3DXMatrixRotationZ(roll), D3DXMatrixRotationX(pitch)), D3DXMatrixRotationY(yaw));
  const D3DMATRIX fromQ = D3DXMatrixRotationQuaternion(D3DXQuaternionRotationYawPitchRoll(yaw, pitch, roll));
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(fromQ(r, c), axes(r, c), 1e-5);
  const D3DXQUATERNION quarterY = D3DXQuaternionRotationYawPitchRoll(Pi / 2, 0, 0);
  const D3DMATRIX affine = D3DXMatrixAffineTransformation(2.0f, {1, 0, 0}, quarterY, {0, 0, 5});
  // (1,0,0): scaled (2,0,0), about the centre (1,0,0), turned to (0,0,-1), back (1,0,-1), moved (1,0,4).
  ExpectNear(D3DXVec3TransformCoord({1, 0, 0}, affine), 1, 0, 4);
  ExpectNear(D3DXVec3TransformCoord({0, 0, 0}, affine), 1, 0, 6);
  ExpectNear(D3DXVec3TransformNormal({0, 0, 1}, affine), 2, 0, 0);  // directions are not moved
}

TEST(Draw2D, SpriteQuadsCutScaledTurnedMovedClippedPicturesLetterboxedTextAligned) {
  const RECT src{16, 8, 48, 24};  // 32 x 16 of a 64 x 32 texture
  const D3DVECTOR2 scale{0.5f, 2.0f}, at{100, 50};
  const auto q = SpriteQuad(64, 32, &src, &scale, nullptr, 0, &at, 0x80402010);
  // Top-left first, bottom-right last: x y u v.
  EXPECT_THAT((std::array{q[0].x, q[0].y, q[0].u, q[0].v, q[5].x, q[5].y, q[5].u, q[5].v}),
              Pointwise(FloatEq(), std::array{100.0f, 50.0f, 0.25f, 0.25f, 116.0f, 82.0f, 0.75f, 0.75f}));
  EXPECT_EQ(q[0].rgba, 0x80102040u);  // r, g, b, a in memory
  // A quarter turn clockwise about the middle: the top-left corner goes to the top-right.
  const D3DVECTOR2 centre{5, 5};
  const auto t = SpriteQuad(10, 10, nullptr, nullptr, &centre, Pi / 2, nullptr, 0xFFFFFFFF);
  EXPECT_THAT((std::array{t[0].x, t[0].y, t[5].x, t[5].y}),
              Pointwise(FloatNear(1e-4), std::array{10.0f, 0.0f, 0.0f, 10.0f}));
  AxisQuad cut{0, 0, 10, 10, 0, 0, 1, 1}, outside = cut;
  ASSERT_TRUE(ClipQuad(cut, RECT{5, 0, 20, 8}));
  EXPECT_THAT((std::array{cut.x0, cut.u0, cut.y1, cut.v1}),
              Pointwise(FloatEq(), std::array{5.0f, 0.5f, 8.0f, 0.8f}));
  EXPECT_FALSE(ClipQuad(outside, RECT{10, 0, 20, 10}));
  EXPECT_EQ(LetterboxRect(640, 480, 800, 1000), (RECT{0, 200, 800, 800}));  // bars above and below
  EXPECT_EQ(LetterboxRect(800, 600, 800, 600), (RECT{0, 0, 800, 600}));
  EXPECT_EQ(LetterboxRect(800, 600, 0, 600), RECT{});
  auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
  const RECT r{10, 20, 110, 80};
  for (auto [format, x] : {std::pair{DT_CENTER, 10 + (100 - 28) / 2}, {DT_RIGHT, 110 - 28}, {DT_LEFT, 10}}) {
    const auto lines = LayoutText("abcd", r, format, width, 12);
    EXPECT_TRUE(lines.size() == 1u && lines[0].x == x && lines[0].y == 20) << format;
  }
  const auto two = LayoutText("ab\r\ncdef", r, DT_LEFT, width, 12);
  EXPECT_TRUE(two.size() == 2u && two[1].text == "cdef" && two[1].y == 32);
  const auto single = LayoutText("ab\ncd", r, DT_SINGLELINE | DT_VCENTER, width, 12);  // breaks ignored
  EXPECT_TRUE(single.size() == 1u && single[0].y == 20 + (60 - 12) / 2);
}

TEST(PublicX8, RectsRoundHalvesToEvenColoursSplitIntoChannelsBlinkRestampsEachPhase) {
  EXPECT_EQ(MakeRect(1.4f, 2.6f, 10.5f, 20.2f), (RECT{1, 3, 20, 10}));
  EXPECT_EQ(MakeRect(0.5f, 1.5f, 2.5f, -3.5f), (RECT{0, 2, -4, 2}));
  EXPECT_THROW(MakeRect(3e9f, 0, 0, 0), std::out_of_range);
  const D3DCOLORVALUE c = ColorValueFromArgb(0x80FF0033);
  EXPECT_THAT((std::array{c.r, c.g, c.b, c.a}),
              Pointwise(FloatEq(), std::array{1.0f, 0.0f, 0x33 / 255.0f, 0x80 / 255.0f}));
  VirtualClock clock(10000);
  BlinkTimer blink(clock);
  // The stamp starts at 0: the first call is true and stamps now; then false for a phase, true, restamped.
  for (auto [advance, shown] :
       {std::pair{0, true}, {1, false}, {499, false}, {1, true}, {499, true}, {1, true}, {100, false}}) {
    clock.Advance(advance);
    EXPECT_EQ(blink.TimeBlink(500), shown) << "at " << clock.Ticks();
  }
}

}  // namespace
}  // namespace quarnix
