#include "platform/D3DXMath.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/GlmBridge.h"

namespace quarnix {

// A D3DX matrix's 16 floats are those of the same transform as a glm::mat4
// (GLM's columns are D3DX's rows); products therefore reverse order.

D3DMATRIX D3DXMatrixIdentity() { return FromGlm(glm::mat4(1.0f)); }

D3DMATRIX D3DXMatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b) { return FromGlm(ToGlm(b) * ToGlm(a)); }

D3DMATRIX D3DXMatrixScaling(float sx, float sy, float sz) {
  return FromGlm(glm::scale(glm::mat4(1.0f), glm::vec3(sx, sy, sz)));
}

D3DMATRIX D3DXMatrixTranslation(float x, float y, float z) {
  return FromGlm(glm::translate(glm::mat4(1.0f), glm::vec3(x, y, z)));
}

// GLM's rotation by the same angle has exactly D3DX's floats (m12 = sin for X).
D3DMATRIX D3DXMatrixRotationX(float angle) {
  return FromGlm(glm::rotate(glm::mat4(1.0f), angle, glm::vec3(1, 0, 0)));
}
D3DMATRIX D3DXMatrixRotationY(float angle) {
  return FromGlm(glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0, 1, 0)));
}
D3DMATRIX D3DXMatrixRotationZ(float angle) {
  return FromGlm(glm::rotate(glm::mat4(1.0f), angle, glm::vec3(0, 0, 1)));
}

D3DMATRIX D3DXMatrixRotationQuaternion(const D3DXQUATERNION& q) { return FromGlm(glm::mat4_cast(ToGlm(q))); }

D3DMATRIX D3DXMatrixAffineTransformation(float scaling, const D3DVECTOR& centre, const D3DXQUATERNION& q,
                                         const D3DVECTOR& translation) {
  const glm::vec3 c = ToGlm(centre);
  // Row-vector order S, T(-c), R, T(c), T(t) is the reverse product in GLM. The
  // scaling comes first, so the centre itself is not scaled.
  const glm::mat4 m = glm::translate(glm::mat4(1.0f), ToGlm(translation)) *
                      glm::translate(glm::mat4(1.0f), c) * glm::mat4_cast(ToGlm(q)) *
                      glm::translate(glm::mat4(1.0f), -c) * glm::scale(glm::mat4(1.0f), glm::vec3(scaling));
  return FromGlm(m);
}

D3DMATRIX D3DXMatrixLookAtLH(const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up) {
  return FromGlm(glm::lookAtLH(ToGlm(eye), ToGlm(at), ToGlm(up)));
}

D3DMATRIX D3DXMatrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf) {
  return FromGlm(glm::perspectiveLH_ZO(fovy, aspect, zn, zf));
}

D3DMATRIX D3DXMatrixInverse(const D3DMATRIX& m) {
  const glm::mat4 g = ToGlm(m);
  const float det = glm::determinant(g);
  if (det == 0.0f || !std::isfinite(det)) throw std::domain_error("matrix has no inverse");
  return FromGlm(glm::inverse(g));
}

D3DXQUATERNION D3DXQuaternionIdentity() { return D3DXQUATERNION{0, 0, 0, 1}; }

D3DXQUATERNION D3DXQuaternionRotationYawPitchRoll(float yaw, float pitch, float roll) {
  const glm::quat q = glm::angleAxis(yaw, glm::vec3(0, 1, 0)) * glm::angleAxis(pitch, glm::vec3(1, 0, 0)) *
                      glm::angleAxis(roll, glm::vec3(0, 0, 1));
  return FromGlm(q);
}

D3DVECTOR D3DXVec3TransformCoord(const D3DVECTOR& v, const D3DMATRIX& m) {
  const glm::vec4 r = ToGlm(m) * glm::vec4(ToGlm(v), 1.0f);
  return D3DVECTOR{r.x / r.w, r.y / r.w, r.z / r.w};
}

D3DVECTOR D3DXVec3TransformNormal(const D3DVECTOR& v, const D3DMATRIX& m) {
  const glm::vec4 r = ToGlm(m) * glm::vec4(ToGlm(v), 0.0f);
  return D3DVECTOR{r.x, r.y, r.z};
}

}  // namespace quarnix
