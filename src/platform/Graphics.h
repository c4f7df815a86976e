#pragma once
// The drawing services the toolkit and the screens use: a device with render
// states, transforms, lights, materials and textures; meshes drawn by subset; a
// sprite for 2D pictures and a font for text. Two back ends implement them: the
// OpenGL one (GlGraphics.h) and a null one (NullGraphics.h) that keeps every
// byte and counts draws, for headless tests.
//
// Objects made by a device must be released before the device.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

class ITexture {
 public:
  virtual ~ITexture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Bytes per row of the locked level: always Width() * 4.
  int Pitch() const { return Width() * 4; }
  // Level 0 as blue, green, red, alpha bytes per pixel, top row first. The
  // bytes stay valid until UnlockRect, which writes them back. Locking a
  // locked texture throws std::logic_error.
  virtual std::span<std::uint8_t> LockRect() = 0;
  virtual void UnlockRect() = 0;
  virtual bool IsLocked() const = 0;
};

class IMesh {
 public:
  virtual ~IMesh() = default;
  virtual int GetNumVertices() const = 0;
  virtual int GetNumFaces() const = 0;
  // One more than the highest attribute (material index) of any face.
  virtual int GetNumSubsets() const = 0;
  // Draws the faces whose attribute is subset with the device's current state.
  // A subset without faces draws nothing.
  virtual void DrawSubset(int subset) = 0;
  // The vertex buffer, editable until UnlockVertexBuffer writes it back.
  virtual std::span<D3DVERTEX> LockVertexBuffer() = 0;
  virtual void UnlockVertexBuffer() = 0;
  // The vertices as they stand, without locking.
  virtual std::span<const D3DVERTEX> Vertices() const = 0;
  // Three vertex indices per face and one attribute per face, faces grouped by
  // attribute (the order DrawSubset uses).
  virtual std::span<const std::uint32_t> Indices() const = 0;
  virtual std::span<const std::uint32_t> Attributes() const = 0;
};

class ISprite {
 public:
  virtual ~ISprite() = default;
  virtual void Begin() = 0;
  // Draws the source rectangle (the whole texture when null) as a quad with its
  // top-left at the origin, scaled, rotated (radians, clockwise on screen) about
  // rotationCentre, moved by translation, colour and alpha modulated by colour
  // (ARGB). Null pointers mean no scaling, no centre, no translation.
  virtual void Draw(ITexture* texture, const RECT* source, const D3DVECTOR2* scaling,
                    const D3DVECTOR2* rotationCentre, float rotation, const D3DVECTOR2* translation,
                    D3DCOLOR colour) = 0;
  virtual void End() = 0;
};

class IFont {
 public:
  virtual ~IFont() = default;
  // Draws text in rect with the DT_ format flags and an ARGB colour; returns the
  // height of the text in pixels.
  virtual int DrawText(const std::string& text, const RECT& rect, std::uint32_t format, D3DCOLOR colour) = 0;
  // The size text would take, without drawing.
  virtual int TextWidth(const std::string& text) = 0;
  virtual int LineHeight() const = 0;
};

struct FontDesc {
  std::string Name = "Arial";
  int PointSize = 9;
  bool Bold = false, Italic = false, Underline = false;
};

// What the device draws with, for diagnostics.
struct DeviceInfo {
  std::string Vendor, Renderer, Version;
};

class IDevice {
 public:
  virtual ~IDevice() = default;

  virtual void SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) = 0;
  virtual std::uint32_t GetRenderState(D3DRENDERSTATETYPE state) const = 0;
  // Only stage 0 exists; other stages throw std::out_of_range.
  virtual void SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, std::uint32_t value) = 0;
  virtual std::uint32_t GetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type) const = 0;
  virtual void SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) = 0;
  virtual D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE which) const = 0;
  virtual void SetLight(int index, const D3DLIGHT8& light) = 0;
  virtual void LightEnable(int index, bool enable) = 0;
  virtual void SetMaterial(const D3DMATERIAL8& material) = 0;
  virtual void SetTexture(int stage, ITexture* texture) = 0;

  // flags: D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER.
  virtual void Clear(std::uint32_t flags, D3DCOLOR colour, float z) = 0;
  virtual void BeginScene() = 0;
  virtual void EndScene() = 0;
  virtual void Present() = 0;

  // A texture of transparent black pixels.
  virtual std::shared_ptr<ITexture> CreateTexture(int width, int height) = 0;
  // indices: three per face; attributes: one per face. Throws std::invalid_argument
  // for an index outside the vertices or mismatched counts.
  virtual std::unique_ptr<IMesh> CreateMesh(std::vector<D3DVERTEX> vertices,
                                            std::vector<std::uint32_t> indices,
                                            std::vector<std::uint32_t> attributes) = 0;
  virtual std::unique_ptr<ISprite> CreateSprite() = 0;
  virtual std::unique_ptr<IFont> CreateFont(const FontDesc& desc) = 0;

  // The size of the picture the device renders (the chosen screen mode).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The rendered picture as RGBA bytes, top row first.
  virtual std::vector<std::uint8_t> ReadPixels() = 0;
  virtual DeviceInfo Info() const = 0;
};

// A scene (BeginScene .. EndScene) or a sprite batch (Begin .. End) that is
// closed however the drawing in between ends, so a frame that throws never
// leaves the next one unable to begin. End() closes it early, letting an
// error of the close through.
template <class T, void (T::*BeginFn)(), void (T::*EndFn)()>
class Bracket {
 public:
  explicit Bracket(T& object) : object_(&object) { (object.*BeginFn)(); }
  ~Bracket() {
    try {
      if (object_) (object_->*EndFn)();
    } catch (...) {
      // already on the way out with the error that matters
    }
  }
  Bracket(const Bracket&) = delete;
  Bracket& operator=(const Bracket&) = delete;
  void End() {
    T* object = object_;
    object_ = nullptr;
    (object->*EndFn)();
  }

 private:
  T* object_;
};
using Scene = Bracket<IDevice, &IDevice::BeginScene, &IDevice::EndScene>;
using SpriteBatch = Bracket<ISprite, &ISprite::Begin, &ISprite::End>;

// The graphics root: the desktop mode, and the one device.
class IGraphics {
 public:
  virtual ~IGraphics() = default;
  // Opens the video system and reads the desktop mode; false when there is none.
  virtual bool InitD3D() = 0;
  virtual D3DDISPLAYMODE DisplayMode() const = 0;
  // Releases any device, then makes one rendering width x height with the
  // starting state; returns DeviceKind (2 hardware, 4 software, 5 none).
  virtual int InitDevice(int width, int height, int lighting, D3DCOLOR ambient) = 0;
  // The current device, or null.
  virtual IDevice* Device() = 0;
  virtual void ReleaseDevice() = 0;
};

}  // namespace quarnix
