#include "presentation/GameAssets.h"

namespace quarnix {

GameAssets::GameAssets(IDevice& device, const BitmapResources& resources)
    : XBuildPlan(device, resources),
      XSelectArea(device, resources),
      XBackGround(device, resources),
      XCube(device, resources),
      XStar(device, resources),
      ScreenSA(device, resources),
      ScreenSB(device, resources),
      ScreenCS(device, resources),
      ScreenOA(device, resources),
      ScreenOB(device, resources),
      ScreenME(device, resources),
      device_(&device),
      resources_(&resources) {}

}  // namespace quarnix
