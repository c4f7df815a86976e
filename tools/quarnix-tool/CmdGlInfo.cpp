// needs: quarnix_platform
// quarnix-tool gl-info: what the game would draw and play with on this machine.

#include <iostream>

#include "Command.h"
#include "platform/GlGraphics.h"
#include "platform/Sound.h"

namespace quarnix::tool {
namespace {

int GlInfo(const Args& args) {
  if (!args.empty()) {
    std::cerr << "usage: quarnix-tool gl-info\n";
    return 2;
  }
  GlGraphics graphics(GraphicsOptions{WindowMode::Hidden, "Quarnix gl-info"});
  if (!graphics.InitD3D()) {
    std::cout << "video: none\nDeviceKind: " << DeviceKindNone << "\n";
    return 1;
  }
  const D3DDISPLAYMODE desktop = graphics.DisplayMode();
  std::cout << "desktop: " << desktop.Width << " x " << desktop.Height << "\n";
  const int kind = graphics.InitDevice(640, 480, 1, 0x505050);
  if (IDevice* device = graphics.Device()) {
    const DeviceInfo info = device->Info();
    std::cout << "GL vendor: " << info.Vendor << "\nGL renderer: " << info.Renderer
              << "\nGL version: " << info.Version << "\n";
  }
  std::cout << "DeviceKind: " << kind << "\n";
  MixerSoundSystem sound;
  std::cout << "sound: " << (sound.InitDSound() ? "open" : "unable to work") << "\n";
  return kind == DeviceKindNone ? 1 : 0;
}

const RegisterCommand registered{
    {"gl-info", "   print the GL renderer, DeviceKind and whether sound opens", GlInfo}};

}  // namespace
}  // namespace quarnix::tool
