#pragma once
// The matrix and quaternion functions the game calls, with their usual names
// and row-vector meaning (v' = v M; Multiply(A, B) applies A first), built on GLM.
// Angles are radians. The perspective matrix keeps its 0..1 depth range; the GL
// device remaps depth when it installs the projection.

#include "platform/D3DTypes.h"

namespace quarnix {

D3DMATRIX D3DXMatrixIdentity();
D3DMATRIX D3DXMatrixMultiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX D3DXMatrixScaling(float sx, float sy, float sz);
D3DMATRIX D3DXMatrixTranslation(float x, float y, float z);
D3DMATRIX D3DXMatrixRotationX(float angle);
D3DMATRIX D3DXMatrixRotationY(float angle);
D3DMATRIX D3DXMatrixRotationZ(float angle);
D3DMATRIX D3DXMatrixRotationQuaternion(const D3DXQUATERNION& q);
// Scale about the origin, rotate by q about centre, then translate.
D3DMATRIX D3DXMatrixAffineTransformation(float scaling, const D3DVECTOR& centre, const D3DXQUATERNION& q,
                                         const D3DVECTOR& translation);
D3DMATRIX D3DXMatrixLookAtLH(const D3DVECTOR& eye, const D3DVECTOR& at, const D3DVECTOR& up);
D3DMATRIX D3DXMatrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf);
// Throws std::domain_error for a singular matrix.
D3DMATRIX D3DXMatrixInverse(const D3DMATRIX& m);

D3DXQUATERNION D3DXQuaternionIdentity();
// Roll about z first, then pitch about x, then yaw about y.
D3DXQUATERNION D3DXQuaternionRotationYawPitchRoll(float yaw, float pitch, float roll);

// v (w = 1) times m, divided by the resulting w.
D3DVECTOR D3DXVec3TransformCoord(const D3DVECTOR& v, const D3DMATRIX& m);
// v (w = 0) times m: directions and normals.
D3DVECTOR D3DXVec3TransformNormal(const D3DVECTOR& v, const D3DMATRIX& m);

}  // namespace quarnix
