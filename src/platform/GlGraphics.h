#pragma once
// The real graphics root: an SDL2 window with an OpenGL 3.3 core context. The
// device renders into an offscreen picture of exactly the chosen mode and
// presents it scaled, keeping its shape, into the window: desktop-wide full
// screen (the desktop mode is never changed), a normal window, or no visible
// window at all (tests and tools).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Graphics.h"

namespace quarnix {

enum class WindowMode { Fullscreen, Windowed, Hidden };

struct GraphicsOptions {
  WindowMode Mode = WindowMode::Fullscreen;
  std::string Title = "Quarnix";
  // Frames drawn straight into the window when it shows them one to one,
  // which saves a copy a frame; the picture can then be read back only
  // between the last draw and Present (screenshots want it off).
  bool DrawInWindow = false;
};

class GlGraphics final : public IGraphics {
 public:
  explicit GlGraphics(GraphicsOptions options = {});
  ~GlGraphics() override;
  GlGraphics(const GlGraphics&) = delete;
  GlGraphics& operator=(const GlGraphics&) = delete;

  bool InitD3D() override;
  D3DDISPLAYMODE DisplayMode() const override;
  // Failures (no window, no GL 3.3 context) give 5 and a reason on stderr.
  int InitDevice(int width, int height, int lighting, D3DCOLOR ambient) override;
  IDevice* Device() override;
  void ReleaseDevice() override;

  // Takes effect on the window at once, and on later devices.
  void SetWindowMode(WindowMode mode);
  void SetTitle(const std::string& title);
  // SDL's id of the window (0 before the first device): lets the event pump
  // tell this window's events apart.
  std::uint32_t WindowId() const;
  // The rendered depth, 0..1, top row first; empty without a device.
  std::vector<float> ReadDepth();
  // Whether the device's frames go straight into the window now (for tests).
  bool DrawsInWindow() const;
  // The D3DCULL mode the last mesh draw ran with (for tests): the device drops
  // the inside faces of opaque solids even when culling is off.
  std::uint32_t LastMeshCull() const;
  // What the window shows after the last Present: RGBA, top row first, and its
  // size in pixels (tests). Empty without a window.
  std::vector<std::uint8_t> ReadWindowPixels(int& width, int& height);
  // Waits until GL has finished every command (benchmarks).
  void Finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Shows or hides the mouse cursor over the game's window.
void ShowMouse(bool show);

}  // namespace quarnix
