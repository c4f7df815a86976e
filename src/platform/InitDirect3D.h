#pragma once
// Setting the device up the way every screen of the game expects it: starting
// state, projection, the directional light, the font.

#include <memory>
#include <string>

#include "platform/Graphics.h"

namespace quarnix {

// The state a new device starts with: lighting and ambient as given, depth test
// on, blend factors ONE/ONE with blending off, dithering and specular on, solid
// fill, no culling; stage 0 with linear filters and alpha modulate.
void ApplyStartingState(IDevice& device, int lighting, D3DCOLOR ambient);

// World = identity; projection = perspective with fovDegrees, aspect 1, near 1, far 1000.
void SetProjection(IDevice& device, float fovDegrees);

// A directional light with the given diffuse colour, direction and attenuations
// (everything else zero), set at index and enabled.
void SetDirLight(IDevice& device, const D3DCOLORVALUE& colour, const D3DVECTOR& direction, float att0,
                 float att1, float att2, int index);

std::unique_ptr<IFont> MakeFont(IDevice& device, const std::string& name, int size, bool bold, bool italic,
                                bool underline);

// DeviceKind for a GL renderer string: software rasterisers give 4, anything else 2.
int DeviceKindForRenderer(const std::string& renderer);

}  // namespace quarnix
