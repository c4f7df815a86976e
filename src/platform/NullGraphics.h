#pragma once
// The null back end: no window and no GL. Textures and meshes keep their bytes,
// so vertex editing and texture effects work; every draw is recorded for the
// current scene, so a test can see what a frame would have shown.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeviceState.h"

namespace quarnix {

class NullDevice final : public DeviceState {
 public:
  NullDevice(int width, int height) : width_(width), height_(height) {}

  struct MeshDraw {
    const IMesh* mesh;
    int subset;
    ITexture* texture;
    D3DMATRIX world;
    D3DMATERIAL8 material;
    std::uint32_t alphaBlend;
  };
  struct SpriteDraw {
    ITexture* texture;
    RECT source;
    D3DVECTOR2 scaling, translation;
    D3DCOLOR colour;
  };
  struct TextDraw {
    std::string text;
    RECT rect;
    std::uint32_t format;
    D3DCOLOR colour;
  };
  // Draws since the last BeginScene.
  const std::vector<MeshDraw>& MeshDraws() const { return meshDraws_; }
  const std::vector<SpriteDraw>& SpriteDraws() const { return spriteDraws_; }
  const std::vector<TextDraw>& TextDraws() const { return textDraws_; }
  int Presents() const { return presents_; }
  D3DCOLOR LastClearColour() const { return clearColour_; }

  void Clear(std::uint32_t flags, D3DCOLOR colour, float z) override;
  void BeginScene() override;
  void Present() override;
  std::shared_ptr<ITexture> CreateTexture(int width, int height) override;
  std::unique_ptr<IMesh> CreateMesh(std::vector<D3DVERTEX> vertices, std::vector<std::uint32_t> indices,
                                    std::vector<std::uint32_t> attributes) override;
  std::unique_ptr<ISprite> CreateSprite() override;
  std::unique_ptr<IFont> CreateFont(const FontDesc& desc) override;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  // Nothing is rasterised: the picture is the clear colour.
  std::vector<std::uint8_t> ReadPixels() override;
  DeviceInfo Info() const override { return DeviceInfo{"none", "null", "none"}; }

  // Used by the null mesh, sprite and font.
  void RecordMesh(const IMesh* mesh, int subset);
  void RecordSprite(SpriteDraw draw) { spriteDraws_.push_back(draw); }
  void RecordText(TextDraw draw) { textDraws_.push_back(std::move(draw)); }

 private:
  int width_, height_;
  std::vector<MeshDraw> meshDraws_;
  std::vector<SpriteDraw> spriteDraws_;
  std::vector<TextDraw> textDraws_;
  int presents_ = 0;
  D3DCOLOR clearColour_ = 0;
};

// The graphics root of the null back end. DeviceKind reported: 4 by default
// (so particle bursts are sized as on a software renderer), or as set.
class NullGraphics final : public IGraphics {
 public:
  explicit NullGraphics(int deviceKind = DeviceKindSoftware, bool d3dWorks = true)
      : kind_(deviceKind), d3dWorks_(d3dWorks) {}
  bool InitD3D() override { return d3dWorks_; }
  D3DDISPLAYMODE DisplayMode() const override { return D3DDISPLAYMODE{1024, 768, 60, 22}; }
  int InitDevice(int width, int height, int lighting, D3DCOLOR ambient) override;
  IDevice* Device() override { return device_.get(); }
  NullDevice* Null() { return device_.get(); }
  void ReleaseDevice() override { device_.reset(); }

 private:
  int kind_;
  bool d3dWorks_;
  std::unique_ptr<NullDevice> device_;
};

}  // namespace quarnix
