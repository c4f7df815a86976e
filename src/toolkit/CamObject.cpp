#include "toolkit/CamObject.h"

#include <stdexcept>
#include <string>

#include "platform/D3DXMath.h"

namespace quarnix {

void CamObject::SetNumStaticPosition(int Count) {
  if (Count < 0) throw std::out_of_range("camera position count " + std::to_string(Count) + " is negative");
  NumStaticPosition_ = Count;
  StaticPositions_.assign(static_cast<std::size_t>(Count) + 1, CamPosition{});
}

std::size_t CamObject::Entry(int Number) const {
  if (Number < 1 || static_cast<std::size_t>(Number) > StaticPositions_.size())
    throw std::out_of_range("camera position " + std::to_string(Number) + " is outside 1.." +
                            std::to_string(StaticPositions_.size()));
  return static_cast<std::size_t>(Number) - 1;
}

void CamObject::SetCamStaticPosition(int Number, float AngleX, float AngleY, float AngleZ, float EyeX,
                                     float EyeY, float EyeZ, float LookAtX, float LookAtY, float LookAtZ) {
  StaticPositions_[Entry(Number)] =
      CamPosition{{LookAtX, LookAtY, LookAtZ}, {EyeX, EyeY, EyeZ}, {AngleX, AngleY, AngleZ}};
  NowStaticPosition_ = Number - 1;
}

void CamObject::SetNowStaticPosition(int Number) {
  const CamPosition& p = StaticPositions_[Entry(Number)];
  NowStaticPosition_ = Number - 1;
  SetCamValue(p.Angles.x, p.Angles.y, p.Angles.z, p.Eye.x, p.Eye.y, p.Eye.z, p.LookAt.x, p.LookAt.y,
              p.LookAt.z);
}

void CamObject::SetCamValue(float AngleX, float AngleY, float AngleZ, float EyeX, float EyeY, float EyeZ,
                            float LookAtX, float LookAtY, float LookAtZ) {
  CamValue_ = {AngleX, AngleY, AngleZ, EyeX, EyeY, EyeZ, LookAtX, LookAtY, LookAtZ};
}

void CamObject::SetCam() {
  const D3DVECTOR eye{CamValue_[3], CamValue_[4], CamValue_[5]};
  const D3DVECTOR at{CamValue_[6], CamValue_[7], CamValue_[8]};
  device_->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(eye, at, D3DVECTOR{0, 1, 0}));
}

const CamPosition& CamObject::StaticPosition(int Number) const { return StaticPositions_[Entry(Number)]; }

}  // namespace quarnix
