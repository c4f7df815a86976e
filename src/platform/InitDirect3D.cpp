#include "platform/InitDirect3D.h"

#include <algorithm>
#include <cctype>

#include "platform/D3DXMath.h"

namespace quarnix {

void ApplyStartingState(IDevice& device, int lighting, D3DCOLOR ambient) {
  device.SetRenderState(D3DRS_LIGHTING, static_cast<std::uint32_t>(lighting));
  device.SetRenderState(D3DRS_AMBIENT, ambient);
  device.SetRenderState(D3DRS_ZENABLE, 1);
  device.SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device.SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device.SetRenderState(D3DRS_DITHERENABLE, 1);
  device.SetRenderState(D3DRS_SPECULARENABLE, 1);
  device.SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device.SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device.SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

void SetProjection(IDevice& device, float fovDegrees) {
  device.SetTransform(D3DTS_WORLD, D3DXMatrixIdentity());
  const float fov = static_cast<float>(fovDegrees * 3.14159265358979323846 / 180.0);
  device.SetTransform(D3DTS_PROJECTION, D3DXMatrixPerspectiveFovLH(fov, 1.0f, 1.0f, 1000.0f));
}

void SetDirLight(IDevice& device, const D3DCOLORVALUE& colour, const D3DVECTOR& direction, float att0,
                 float att1, float att2, int index) {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = colour;
  light.Direction = direction;
  light.Attenuation0 = att0;
  light.Attenuation1 = att1;
  light.Attenuation2 = att2;
  device.SetLight(index, light);
  device.LightEnable(index, true);
}

std::unique_ptr<IFont> MakeFont(IDevice& device, const std::string& name, int size, bool bold, bool italic,
                                bool underline) {
  FontDesc desc;
  desc.Bold = bold;
  desc.Name = name;
  desc.PointSize = size;
  desc.Italic = italic;
  desc.Underline = underline;
  return device.CreateFont(desc);
}

int DeviceKindForRenderer(const std::string& renderer) {
  std::string lower = renderer;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const char* soft : {"llvmpipe", "softpipe", "software", "swrast"})
    if (lower.find(soft) != std::string::npos) return DeviceKindSoftware;
  return DeviceKindHardware;
}

}  // namespace quarnix
