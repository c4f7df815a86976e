// Matrix and quaternion functions against values worked out by hand from their
// definitions (row vectors, left-handed).

#include "platform/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace quarnix {
namespace {

constexpr float Pi = 3.14159265358979f;

void ExpectNear(const D3DVECTOR& v, float x, float y, float z, float eps = 1e-5f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrix(const D3DMATRIX& m, const float (&expected)[4][4], float eps = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(m(r, c), expected[r][c], eps) << "row " << r << " col " << c;
}

TEST(D3DXMath, ElementaryMatricesHaveTheirDocumentedLayout) {
  const float s = std::sin(0.5f), c = std::cos(0.5f);
  ExpectMatrix(D3DXMatrixTranslation(1, 2, 3), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 2, 3, 1}});
  ExpectMatrix(D3DXMatrixScaling(2, 3, 4), {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}});
  ExpectMatrix(D3DXMatrixRotationX(0.5f), {{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}});
  ExpectMatrix(D3DXMatrixRotationY(0.5f), {{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}});
  ExpectMatrix(D3DXMatrixRotationZ(0.5f), {{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  ExpectMatrix(D3DXMatrixIdentity(), {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
}

TEST(D3DXMath, MultiplyAppliesTheLeftMatrixFirst) {
  // Rotate a quarter turn about Y, then move: +x goes to -z first, then is moved.
  const D3DMATRIX m = D3DXMatrixMultiply(D3DXMatrixRotationY(Pi / 2), D3DXMatrixTranslation(10, 0, 0));
  ExpectNear(D3DXVec3TransformCoord({1, 0, 0}, m), 10, 0, -1);
  // Translate then scale: the scale multiplies the position too (scale 0.5 at (4, 2, 0) lands at (2, 1, 0)).
  const D3DMATRIX ts =
      D3DXMatrixMultiply(D3DXMatrixTranslation(4, 2, 0), D3DXMatrixScaling(0.5f, 0.5f, 0.5f));
  ExpectNear(D3DXVec3TransformCoord({0, 0, 0}, ts), 2, 1, 0);
}

TEST(D3DXMath, LookAtOfTheFirstCameraPreset) {
  const D3DMATRIX v = D3DXMatrixLookAtLH({2.0f, 15.0f, -8.5f}, {0, 3.5f, 0}, {0, 1, 0});
  // z = at - eye = (-2, -11.5, 8.5), |z|^2 = 208.5; x = up x z = (8.5, 0, 2), |x|^2 = 76.25;
  // y = z x x = (-23, 76.25, 97.75), |y| = |z| |x|.
  const float lz = std::sqrt(208.5f), lx = std::sqrt(76.25f), ly = lz * lx;
  const float x[3] = {8.5f / lx, 0, 2 / lx}, y[3] = {-23 / ly, 76.25f / ly, 97.75f / ly},
              z[3] = {-2 / lz, -11.5f / lz, 8.5f / lz};
  const float eye[3] = {2, 15, -8.5f};
  auto dot = [&](const float* a) { return a[0] * eye[0] + a[1] * eye[1] + a[2] * eye[2]; };
  ExpectMatrix(
      v,
      {{x[0], y[0], z[0], 0}, {x[1], y[1], z[1], 0}, {x[2], y[2], z[2], 0}, {-dot(x), -dot(y), -dot(z), 1}},
      1e-4f);
  // In camera space the eye is the origin and the look-at point lies straight ahead.
  ExpectNear(D3DXVec3TransformCoord({2, 15, -8.5f}, v), 0, 0, 0, 1e-4f);
  ExpectNear(D3DXVec3TransformCoord({0, 3.5f, 0}, v), 0, 0, lz, 1e-4f);
}

TEST(D3DXMath, PerspectiveFovOfTheGame) {
  const D3DMATRIX p = D3DXMatrixPerspectiveFovLH(60 * Pi / 180, 1.0f, 1.0f, 1000.0f);
  const float ys = 1 / std::tan(30 * Pi / 180);  // sqrt(3)
  ExpectMatrix(p, {{ys, 0, 0, 0}, {0, ys, 0, 0}, {0, 0, 1000.0f / 999, 1}, {0, 0, -1000.0f / 999, 0}});
  // The near plane maps to depth 0, the far plane to 1.
  EXPECT_NEAR(D3DXVec3TransformCoord({0, 0, 1}, p).z, 0, 1e-6);
  EXPECT_NEAR(D3DXVec3TransformCoord({0, 0, 1000}, p).z, 1, 1e-5);
}

TEST(D3DXMath, AffineTransformationScalesThenRotatesAboutTheCentreThenMoves) {
  const D3DXQUATERNION quarterY = D3DXQuaternionRotationYawPitchRoll(Pi / 2, 0, 0);
  const D3DMATRIX m = D3DXMatrixAffineTransformation(2.0f, {1, 0, 0}, quarterY, {0, 0, 5});
  // (1,0,0): scaled (2,0,0), about the centre (1,0,0), turned to (0,0,-1), back (1,0,-1), moved (1,0,4).
  ExpectNear(D3DXVec3TransformCoord({1, 0, 0}, m), 1, 0, 4);
  // The origin: (-1,0,0) from the centre turns to (0,0,1), so (1,0,1), moved (1,0,6).
  ExpectNear(D3DXVec3TransformCoord({0, 0, 0}, m), 1, 0, 6);
  // Directions are scaled and turned but not moved.
  ExpectNear(D3DXVec3TransformNormal({0, 0, 1}, m), 2, 0, 0);
}

TEST(D3DXMath, YawPitchRollTurnsRollFirstThenPitchThenYaw) {
  // Quarter turns: roll takes +x to +y, pitch takes +y to +z, yaw takes +z to +x.
  const D3DMATRIX all =
      D3DXMatrixRotationQuaternion(D3DXQuaternionRotationYawPitchRoll(Pi / 2, Pi / 2, Pi / 2));
  ExpectNear(D3DXVec3TransformCoord({1, 0, 0}, all), 1, 0, 0);
  // Pitch then yaw: +z goes down to -y and stays there.
  const D3DMATRIX py = D3DXMatrixRotationQuaternion(D3DXQuaternionRotationYawPitchRoll(Pi / 2, Pi / 2, 0));
  ExpectNear(D3DXVec3TransformCoord({0, 0, 1}, py), 0, -1, 0);

  // The half-angle formula, component by component.
  const float yaw = 0.3f, pitch = 0.2f, roll = 0.1f;
  const float sy = std::sin(yaw / 2), cy = std::cos(yaw / 2), sp = std::sin(pitch / 2),
              cp = std::cos(pitch / 2), sr = std::sin(roll / 2), cr = std::cos(roll / 2);
  const D3DXQUATERNION q = D3DXQuaternionRotationYawPitchRoll(yaw, pitch, roll);
  EXPECT_NEAR(q.x, sy * cp * sr + cy * sp * cr, 1e-6);
  EXPECT_NEAR(q.y, sy * cp * cr - cy * sp * sr, 1e-6);
  EXPECT_NEAR(q.z, cy * cp * sr - sy * sp * cr, 1e-6);
  EXPECT_NEAR(q.w, cy * cp * cr + sy * sp * sr, 1e-6);
  // The same rotation as the three axis matrices in roll, pitch, yaw order.
  const D3DMATRIX axes = D3DXMatrixMultiply(
      D3DXMatrixMultiply(D3DXMatrixRotationZ(roll), D3DXMatrixRotationX(pitch)), D3DXMatrixRotationY(yaw));
  const D3DMATRIX fromQ = D3DXMatrixRotationQuaternion(q);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(fromQ(r, c), axes(r, c), 1e-5);
}

TEST(D3DXMath, InverseUndoesAndRefusesSingularMatrices) {
  const D3DMATRIX m = D3DXMatrixMultiply(D3DXMatrixRotationX(0.7f), D3DXMatrixTranslation(3, -2, 5));
  ExpectNear(D3DXVec3TransformCoord(D3DXVec3TransformCoord({1, 2, 3}, m), D3DXMatrixInverse(m)), 1, 2, 3,
             1e-5f);
  EXPECT_THROW(D3DXMatrixInverse(D3DXMatrixScaling(1, 0, 1)), std::domain_error);
}

}  // namespace
}  // namespace quarnix
