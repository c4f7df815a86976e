#include "platform/GlGraphics.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "platform/GlDevice.h"
#include "platform/InitDirect3D.h"
#include "platform/SdlHandles.h"

namespace quarnix {

struct GlGraphics::Impl {
  GraphicsOptions options;
  sdl::Subsystem video;
  D3DDISPLAYMODE displayMode;
  sdl::Window window;
  sdl::GlContext context;
  // Declared last: released first, while its context is still alive.
  std::unique_ptr<GlDevice> device;

  void OpenWindow(int width, int height) {
    if (window) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_WINDOW_OPENGL | WindowFlags(options.Mode);
    SDL_Rect at{static_cast<int>(SDL_WINDOWPOS_CENTERED), static_cast<int>(SDL_WINDOWPOS_CENTERED), width,
                height};
    if (options.Mode == WindowMode::Fullscreen) at = DisplayBounds(0);
    // A window depth as fine as the offscreen picture's lets frames be drawn
    // in the window; a display without one still gets a window.
    for (const int depth : {24, 16}) {
      SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
      window.reset(SDL_CreateWindow(options.Title.c_str(), at.x, at.y, at.w, at.h, flags));
      if (!window) continue;
      context = sdl::GlContext(SDL_GL_CreateContext(window.get()));
      if (context) break;
      window.reset();
    }
    if (!window)
      throw std::runtime_error(std::string("no window with an OpenGL 3.3 core context: ") + SDL_GetError());
    SDL_GL_MakeCurrent(window.get(), context.Get());
    // The game paces its own frames; waiting for the display would slow them.
    SDL_GL_SetSwapInterval(0);
  }

  static Uint32 WindowFlags(WindowMode mode) {
    switch (mode) {
      case WindowMode::Fullscreen:
        return SDL_WINDOW_FULLSCREEN_DESKTOP;
      case WindowMode::Windowed:
        return SDL_WINDOW_RESIZABLE;
      case WindowMode::Hidden:
        return SDL_WINDOW_HIDDEN;
    }
    return 0;
  }

  // The whole of the display, in the desktop's coordinates.
  static SDL_Rect DisplayBounds(int display) {
    SDL_Rect bounds{0, 0, 0, 0};
    if (SDL_GetDisplayBounds(std::max(display, 0), &bounds) != 0) SDL_GetDisplayBounds(0, &bounds);
    return bounds;
  }

  void ApplyMode(int width, int height) {
    if (!window) return;
    switch (options.Mode) {
      case WindowMode::Fullscreen: {
        // Without a window manager (a kiosk, Xvfb) nobody acts on the request
        // for full screen: the window would keep the dialog's size. Covering
        // the display first makes it full screen either way.
        const SDL_Rect bounds = DisplayBounds(SDL_GetWindowDisplayIndex(window.get()));
        SDL_SetWindowPosition(window.get(), bounds.x, bounds.y);
        SDL_SetWindowSize(window.get(), bounds.w, bounds.h);
        SDL_SetWindowFullscreen(window.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
        break;
      }
      case WindowMode::Windowed:
        SDL_SetWindowFullscreen(window.get(), 0);
        SDL_SetWindowSize(window.get(), width, height);
        SDL_ShowWindow(window.get());
        break;
      case WindowMode::Hidden:
        SDL_HideWindow(window.get());
        break;
    }
  }
};

GlGraphics::GlGraphics(GraphicsOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
}

GlGraphics::~GlGraphics() = default;

bool GlGraphics::InitD3D() {
  if (impl_->video) return true;
  try {
    impl_->video = sdl::Subsystem(SDL_INIT_VIDEO);
  } catch (const std::exception& e) {
    std::cerr << "video: " << e.what() << "\n";
    return false;
  }
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    const int bits = SDL_BITSPERPIXEL(mode.format);
    // D3DFMT_R5G6B5 for 16-bit desktops, D3DFMT_X8R8G8B8 otherwise.
    impl_->displayMode =
        D3DDISPLAYMODE{static_cast<std::uint32_t>(mode.w), static_cast<std::uint32_t>(mode.h),
                       static_cast<std::uint32_t>(mode.refresh_rate), bits == 16 ? 23u : 22u};
  }
  return true;
}

D3DDISPLAYMODE GlGraphics::DisplayMode() const { return impl_->displayMode; }

int GlGraphics::InitDevice(int width, int height, int lighting, D3DCOLOR ambient) {
  impl_->device.reset();
  if (!impl_->video && !InitD3D()) return DeviceKindNone;
  try {
    impl_->OpenWindow(width, height);
    impl_->ApplyMode(width, height);
    SDL_Window* window = impl_->window.get();
    GlDevice::Window target{[window](int& w, int& h) { SDL_GL_GetDrawableSize(window, &w, &h); },
                            [window] { SDL_GL_SwapWindow(window); }, impl_->options.DrawInWindow};
    impl_->device = std::make_unique<GlDevice>(width, height, std::move(target));
    ApplyStartingState(*impl_->device, lighting, ambient);
    return DeviceKindForRenderer(impl_->device->Info().Renderer);
  } catch (const std::exception& e) {
    std::cerr << "graphics device: " << e.what() << "\n";
    impl_->device.reset();
    return DeviceKindNone;
  }
}

IDevice* GlGraphics::Device() { return impl_->device.get(); }

void GlGraphics::ReleaseDevice() { impl_->device.reset(); }

void GlGraphics::SetWindowMode(WindowMode mode) {
  impl_->options.Mode = mode;
  if (impl_->device) impl_->ApplyMode(impl_->device->Width(), impl_->device->Height());
}

void GlGraphics::SetTitle(const std::string& title) {
  impl_->options.Title = title;
  if (impl_->window) SDL_SetWindowTitle(impl_->window.get(), title.c_str());
}

std::uint32_t GlGraphics::WindowId() const {
  return impl_->window ? SDL_GetWindowID(impl_->window.get()) : 0;
}

std::vector<float> GlGraphics::ReadDepth() {
  return impl_->device ? impl_->device->ReadDepth() : std::vector<float>{};
}

bool GlGraphics::DrawsInWindow() const { return impl_->device && impl_->device->DrawsInWindow(); }

std::vector<std::uint8_t> GlGraphics::ReadWindowPixels(int& width, int& height) {
  width = height = 0;
  if (!impl_->window || !impl_->device) return {};
  SDL_GL_GetDrawableSize(impl_->window.get(), &width, &height);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * height * 4), out(bottomUp.size());
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < height; ++y) std::copy_n(&bottomUp[(height - 1 - y) * row], row, &out[y * row]);
  return out;
}

std::uint32_t GlGraphics::LastMeshCull() const {
  return impl_->device ? impl_->device->LastMeshCull() : D3DCULL_NONE;
}

void GlGraphics::Finish() {
  if (!impl_->device) return;
  impl_->device->FlushInstances();
  glFinish();
}

void ShowMouse(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

}  // namespace quarnix
