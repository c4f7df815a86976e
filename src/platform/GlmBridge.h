#pragma once
// Conversions between the D3D-style value types and GLM (same 16 floats for a
// matrix; a quaternion's x, y, z, w by name).

#define GLM_FORCE_SILENT_WARNINGS
#include <cstring>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "platform/D3DTypes.h"

namespace quarnix {

inline glm::mat4 ToGlm(const D3DMATRIX& m) {
  glm::mat4 g;
  std::memcpy(glm::value_ptr(g), &m.m[0][0], sizeof(float) * 16);
  return g;
}

inline D3DMATRIX FromGlm(const glm::mat4& g) {
  D3DMATRIX m;
  std::memcpy(&m.m[0][0], glm::value_ptr(g), sizeof(float) * 16);
  return m;
}

inline glm::vec3 ToGlm(const D3DVECTOR& v) { return glm::vec3(v.x, v.y, v.z); }
inline glm::quat ToGlm(const D3DXQUATERNION& q) { return glm::quat(q.w, q.x, q.y, q.z); }
inline D3DXQUATERNION FromGlm(const glm::quat& q) { return D3DXQUATERNION{q.x, q.y, q.z, q.w}; }

}  // namespace quarnix
