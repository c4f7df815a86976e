// The camera: stored positions counted from 1, the current values, and the
// view it installs on the device.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/D3DXMath.h"
#include "platform/NullGraphics.h"
#include "toolkit/CamObject.h"

namespace quarnix {
namespace {

class CamObjectTest : public ::testing::Test {
 protected:
  CamObjectTest() {
    cam_.SetNumStaticPosition(3);
    cam_.SetCamStaticPosition(1, 0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
    cam_.SetCamStaticPosition(2, 10, 20, 30, 0, 10, -10, 0, 0, 0);
    cam_.SetCamStaticPosition(3, 0, 0, 0, -5, 5, 0, 1, 1, 1);
  }
  NullDevice device_{64, 64};
  CamObject cam_{device_};
};

TEST_F(CamObjectTest, StoringAPositionMakesItCurrentWithoutTouchingTheView) {
  const D3DMATRIX viewBefore = device_.GetTransform(D3DTS_VIEW);
  cam_.SetCamStaticPosition(2, 1, 2, 3, 4, 5, 6, 7, 8, 9);
  EXPECT_EQ(cam_.GetNowStaticPosition(), 2);
  EXPECT_EQ(device_.GetTransform(D3DTS_VIEW), viewBefore);
  // Kept in the record's own order: look-at, eye, angles.
  EXPECT_EQ(cam_.StaticPosition(2), (CamPosition{{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}));
  EXPECT_EQ(cam_.CamValue(), CamValues{});  // not copied into the current values either
}

TEST_F(CamObjectTest, SetCamLooksFromTheEyeAtThePointWithYUp) {
  const D3DMATRIX viewBefore = device_.GetTransform(D3DTS_VIEW);
  cam_.SetNowStaticPosition(1);
  EXPECT_EQ(cam_.CamValue(), (CamValues{0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0}));
  EXPECT_EQ(device_.GetTransform(D3DTS_VIEW), viewBefore);  // only SetCam installs it
  cam_.SetCam();
  const D3DMATRIX view = device_.GetTransform(D3DTS_VIEW);
  // The eye goes to the origin and the look-at point straight ahead on +z.
  const D3DVECTOR eye = D3DXVec3TransformCoord({2.0f, 15.0f, -8.5f}, view);
  const D3DVECTOR at = D3DXVec3TransformCoord({0, 3.5f, 0}, view);
  EXPECT_NEAR(eye.x, 0, 1e-5);
  EXPECT_NEAR(eye.y, 0, 1e-5);
  EXPECT_NEAR(eye.z, 0, 1e-5);
  EXPECT_NEAR(at.x, 0, 1e-5);
  EXPECT_NEAR(at.y, 0, 1e-5);
  EXPECT_NEAR(at.z, std::sqrt(4.0 + 11.5 * 11.5 + 8.5 * 8.5), 1e-4);
  // World up stays up on screen: a point above the look-at point is above the centre.
  EXPECT_GT(D3DXVec3TransformCoord({0, 4.5f, 0}, view).y, 0);
  EXPECT_EQ(view, D3DXMatrixLookAtLH({2.0f, 15.0f, -8.5f}, {0, 3.5f, 0}, {0, 1, 0}));

  // The angles ride along but do not turn the view.
  cam_.SetCamValue(45, 45, 45, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  cam_.SetCam();
  EXPECT_EQ(device_.GetTransform(D3DTS_VIEW), view);
}

TEST_F(CamObjectTest, SteppingFromTheLastPositionGoesBackToTheFirst) {
  cam_.SetNowStaticPosition(3);
  std::vector<int> visited;
  for (int step = 0; step < 4; ++step) {
    const int n = cam_.GetNowStaticPosition();
    cam_.SetNowStaticPosition(n == cam_.GetNumStaticPosition() ? 1 : n + 1);
    visited.push_back(cam_.GetNowStaticPosition());
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 1}));
}

TEST_F(CamObjectTest, CountingAgainErasesAndNumbersAreChecked) {
  cam_.SetNumStaticPosition(2);
  EXPECT_EQ(cam_.GetNumStaticPosition(), 2);
  EXPECT_EQ(cam_.StaticPosition(1), CamPosition{});
  // One position past the count is kept, as it always was; beyond that is refused.
  cam_.SetCamStaticPosition(3, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(cam_.StaticPosition(3).Eye, (D3DVECTOR{1, 1, 1}));
  EXPECT_THROW(cam_.SetCamStaticPosition(4, 0, 0, 0, 0, 0, 0, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(cam_.SetNowStaticPosition(0), std::out_of_range);
  EXPECT_EQ(cam_.GetNowStaticPosition(), 3);  // a refused number changes nothing
  EXPECT_THROW(cam_.SetNumStaticPosition(-1), std::out_of_range);

  CamObject fresh(device_);
  EXPECT_EQ(fresh.GetNumStaticPosition(), 0);
  EXPECT_EQ(fresh.GetNowStaticPosition(), 1);
  EXPECT_THROW(fresh.SetNowStaticPosition(1), std::out_of_range);
}

}  // namespace
}  // namespace quarnix
