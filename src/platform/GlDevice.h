#pragma once
// The OpenGL 3.3 device: renders into an offscreen framebuffer of exactly the
// chosen size and presents it letterboxed. Needs its context current for its
// whole life. Internal to the platform library.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/DeviceState.h"
#include "platform/Draw2D.h"
#include "platform/GlHandles.h"
#include "platform/GlmBridge.h"

namespace quarnix {

class GlTexture;

// What the device asks of a mesh it draws, beyond its vertex array.
class GlMeshShape {
 public:
  // See MeshData::InsideFaces.
  virtual D3DCULL InsideFaces() const = 0;
  virtual std::span<const D3DVERTEX> Vertices() const = 0;

 protected:
  ~GlMeshShape() = default;
};

class GlDevice final : public DeviceState {
 public:
  struct Window {
    std::function<void(int& width, int& height)> drawableSize;  // the window's pixels
    std::function<void()> swap;
    // Frames may be drawn straight into the window (see ChooseTarget); the
    // picture can then be read back only until Present.
    bool drawInWindow = false;
  };
  // Throws std::runtime_error when GL cannot give what the device needs.
  GlDevice(int width, int height, Window window);
  ~GlDevice() override;

  void Clear(std::uint32_t flags, D3DCOLOR colour, float z) override;
  void BeginScene() override;
  void EndScene() override;
  void Present() override;
  std::shared_ptr<ITexture> CreateTexture(int width, int height) override;
  std::unique_ptr<IMesh> CreateMesh(std::vector<D3DVERTEX> vertices, std::vector<std::uint32_t> indices,
                                    std::vector<std::uint32_t> attributes) override;
  std::unique_ptr<ISprite> CreateSprite() override;
  std::unique_ptr<IFont> CreateFont(const FontDesc& desc) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::vector<std::uint8_t> ReadPixels() override;
  DeviceInfo Info() const override { return info_; }

  // For meshes: draws count indices from firstIndex of the mesh's vertex array.
  // Draws of the same indices in the same state, one after the other, wait
  // and go out as one instanced draw (in their order) when anything else comes.
  void DrawIndexed(GLuint vertexArray, int firstIndex, int count, const GlMeshShape& shape);
  // For a mesh's vertex array while it is made: the per-draw attributes.
  void BindInstanceAttributes();
  // For the sprite and the font: screen quads with the alpha blend of sprites.
  // Batched while the sprite is begun; otherwise drawn at once.
  void Queue2D(const GlTexture& texture, const QuadVertex* vertices, std::size_t count);
  void Begin2D();
  void End2D();
  // Something is about to bind its own texture, buffer or vertex array, or
  // to change or delete one: the waiting draws go out first, and ours are
  // bound again later.
  void BindingsChanged() {
    FlushInstances();
    dirty_ |= DirtyTexture;
    boundArray_ = 0;
  }
  // Sends the draws that wait to be batched.
  void FlushInstances();
  // The D3DCULL mode the last mesh draw ran with (for tests).
  std::uint32_t LastMeshCull() const { return lastMeshCull_; }
  // Depth of the frame being drawn, 0..1, top row first (for tests).
  std::vector<float> ReadDepth();
  bool DrawsInWindow() const { return target_ == 0; }

 private:
  enum class Mode { None, Scene3D, Screen2D };
  void Use3D();
  void Use2D();
  void Flush2D();
  void Apply3DState();
  std::uint32_t CullFor(const GlMeshShape& shape) const;
  // The world transform's share of a draw: its clip, normal and world matrices.
  void UpdateInstance();
  void ApplyCull(std::uint32_t mode);
  void RequireScene(const char* what) const;
  void ChooseTarget(int windowWidth, int windowHeight);
  GLuint Offscreen();

  int width_, height_;
  Window window_;
  DeviceInfo info_;
  gl::Framebuffer framebuffer_;
  GLuint target_ = 0;        // what frames are drawn into: framebuffer_, or 0 for the window
  bool windowFits_ = false;  // may draw in the window, whose depth buffer is fine enough
  gl::Texture colour_;
  gl::Renderbuffer depth_;
  gl::Program program2D_;
  gl::Sampler linear_, nearest_;
  gl::VertexArray quadArray_;
  gl::Buffer quadBuffer_;
  std::vector<QuadVertex> batch_;
  GLuint batchTexture_ = 0;
  bool batching_ = false;
  Mode mode_ = Mode::None;
  GLuint boundArray_ = 0;

  struct Locations3D {
    GLint eye, ambient, matDiffuse, matAmbient, matSpecular, matEmissive, matPower, lightCount, lightDir,
        lightDiffuse, lightAmbient, lightSpecular;
  };
  // What one draw hands the vertex shader (GL's column order).
  struct Instance {
    float clip[16];
    float normal[9];
    float world[16];
  };
  // Draws waiting to go out together: same vertex array, indices and cull mode.
  struct Batch {
    GLuint array = 0;
    int firstIndex = 0, count = 0;
    std::uint32_t cull = D3DCULL_NONE;
    std::vector<Instance> instances;
  };
  // The device state a batch's draws share (beyond the world transform).
  struct DrawState {
    std::uint32_t key = 0, zEnable = 0, zWrite = 0, zFunc = 0, blend = 0, srcBlend = 0, destBlend = 0,
                  fill = 0, ambient = 0, magFilter = 0;
    D3DMATERIAL8 material{};
    const ITexture* texture = nullptr;
    D3DMATRIX view{}, projection{};
    bool operator==(const DrawState&) const = default;
  };
  DrawState CurrentDrawState() const;
  struct Program3D {
    gl::Program program;
    Locations3D u;
  };
  // Where stage 0 takes colour or alpha from.
  enum Source : std::uint32_t { SourceDiffuse = 0, SourceTexture = 1, SourceModulate = 2 };
  // The enabled lights the shader takes, at most its eight.
  std::vector<const D3DLIGHT8*> UsedLights() const;
  // The switches of the current state that pick the 3D program.
  std::uint32_t Key3D() const;
  // Builds a program the first time its switches are asked for.
  const Program3D& Program3DFor(std::uint32_t key);
  std::map<std::uint32_t, Program3D> programs3D_;
  const Program3D* current3D_ = nullptr;
  bool specularLights_ = false;  // some light the shader takes has a specular colour
  // What the current state says about dropping the inside faces of solids.
  bool insidesHidden_ = false;
  bool mirrored_ = false;
  glm::mat4 clip_{1.0f}, viewClip_{1.0f};
  Instance instance_{};
  Batch pending_;
  DrawState applied_;  // what the GL state holds for 3D draws
  gl::Buffer instanceBuffer_;
  std::uint32_t appliedCull_ = D3DCULL_NONE, lastMeshCull_ = D3DCULL_NONE;
  GLint screenSize_ = -1;
};

// A texture whose pixels live in GL: LockRect reads level 0 back into a copy,
// UnlockRect writes it and lets the copy go.
class GlTexture final : public ITexture {
 public:
  GlTexture(GlDevice& device, int width, int height);
  ~GlTexture() override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::span<std::uint8_t> LockRect() override;
  void UnlockRect() override;
  bool IsLocked() const override { return locked_; }
  // Throws std::logic_error while locked.
  GLuint Id() const;

 private:
  DeviceLink<GlDevice> device_;
  int width_, height_;
  std::vector<std::uint8_t> bytes_;  // while locked
  bool locked_ = false;
  bool blank_ = true;  // never unlocked: all zeros
  gl::Texture texture_;
};

}  // namespace quarnix
