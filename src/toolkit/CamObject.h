#pragma once
// The camera: a numbered list of stored positions, the current camera values,
// and the view matrix built from them. Values always travel in this order:
// angle x, y, z (degrees), eye x, y, z, look-at x, y, z. The angles are kept
// with the positions but do not turn the view: the camera looks from the eye
// to the look-at point with the world y axis up.

#include <array>
#include <vector>

#include "platform/D3DTypes.h"
#include "platform/Graphics.h"

namespace quarnix {

struct CamPosition {
  D3DVECTOR LookAt, Eye, Angles;
  bool operator==(const CamPosition&) const = default;
};

using CamValues = std::array<float, 9>;

class CamObject {
 public:
  explicit CamObject(IDevice& device) : device_(&device) {}

  // Count positions, numbered 1..Count (one more, Count + 1, is accepted and
  // stored too); earlier positions are erased. A negative count throws
  // std::out_of_range.
  void SetNumStaticPosition(int Count);
  // Stores position Number and makes it the current number; the view is not changed.
  void SetCamStaticPosition(int Number, float AngleX, float AngleY, float AngleZ, float EyeX, float EyeY,
                            float EyeZ, float LookAtX, float LookAtY, float LookAtZ);
  // Makes position Number current and copies it into the camera values (the
  // view follows at the next SetCam). Numbers outside 1..Count + 1 throw std::out_of_range.
  void SetNowStaticPosition(int Number);
  int GetNowStaticPosition() const { return NowStaticPosition_ + 1; }
  int GetNumStaticPosition() const { return NumStaticPosition_; }
  void SetCamValue(float AngleX, float AngleY, float AngleZ, float EyeX, float EyeY, float EyeZ,
                   float LookAtX, float LookAtY, float LookAtZ);
  // Installs LookAtLH(eye, look-at, (0, 1, 0)) as the device's view transform.
  void SetCam();

  const CamValues& CamValue() const { return CamValue_; }
  // Stored position Number (1-based, as the operations count).
  const CamPosition& StaticPosition(int Number) const;

 private:
  std::size_t Entry(int Number) const;

  IDevice* device_;
  CamValues CamValue_{};
  int NowStaticPosition_ = 0;
  int NumStaticPosition_ = 0;
  std::vector<CamPosition> StaticPositions_;
};

}  // namespace quarnix
