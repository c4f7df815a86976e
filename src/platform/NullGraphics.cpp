#include "platform/NullGraphics.h"

#include <stdexcept>

#include "platform/Draw2D.h"
#include "platform/InitDirect3D.h"
#include "platform/MeshData.h"

namespace quarnix {
namespace {

class NullTexture final : public ITexture {
 public:
  NullTexture(NullDevice& device, int width, int height)
      : device_(device),
        width_(width),
        height_(height),
        bytes_(static_cast<std::size_t>(width) * height * 4, 0) {}
  ~NullTexture() override {
    if (device_.Alive()) device_->ForgetTexture(this);
  }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::span<std::uint8_t> LockRect() override {
    if (locked_) throw std::logic_error("texture is already locked");
    locked_ = true;
    return bytes_;
  }
  void UnlockRect() override {
    if (!locked_) throw std::logic_error("texture is not locked");
    locked_ = false;
  }
  bool IsLocked() const override { return locked_; }

 private:
  DeviceLink<NullDevice> device_;
  int width_, height_;
  std::vector<std::uint8_t> bytes_;
  bool locked_ = false;
};

class NullMesh final : public IMesh {
 public:
  NullMesh(NullDevice& device, MeshData data) : device_(device), data_(std::move(data)) {}
  int GetNumVertices() const override { return data_.NumVertices(); }
  int GetNumFaces() const override { return data_.NumFaces(); }
  int GetNumSubsets() const override { return data_.NumSubsets(); }
  void DrawSubset(int subset) override {
    if (data_.SubsetRange(subset).indexCount > 0) device_->RecordMesh(this, subset);
  }
  std::span<D3DVERTEX> LockVertexBuffer() override {
    if (locked_) throw std::logic_error("vertex buffer is already locked");
    locked_ = true;
    return data_.Vertices();
  }
  void UnlockVertexBuffer() override {
    if (!locked_) throw std::logic_error("vertex buffer is not locked");
    locked_ = false;
  }
  std::span<const D3DVERTEX> Vertices() const override { return data_.Vertices(); }
  std::span<const std::uint32_t> Indices() const override { return data_.Indices(); }
  std::span<const std::uint32_t> Attributes() const override { return data_.Attributes(); }

 private:
  DeviceLink<NullDevice> device_;
  MeshData data_;
  bool locked_ = false;
};

class NullSprite final : public ISprite {
 public:
  explicit NullSprite(NullDevice& device) : device_(device) {}
  void Begin() override {
    if (begun_) throw std::logic_error("sprite Begin twice");
    begun_ = true;
  }
  void Draw(ITexture* texture, const RECT* source, const D3DVECTOR2* scaling, const D3DVECTOR2*, float,
            const D3DVECTOR2* translation, D3DCOLOR colour) override {
    if (!begun_) throw std::logic_error("sprite Draw outside Begin/End");
    if (!texture) throw std::invalid_argument("sprite Draw without a texture");
    const RECT src = source ? *source : RECT{0, 0, texture->Width(), texture->Height()};
    device_->RecordSprite({texture, src, scaling ? *scaling : D3DVECTOR2{1, 1},
                           translation ? *translation : D3DVECTOR2{0, 0}, colour});
  }
  void End() override {
    if (!begun_) throw std::logic_error("sprite End without Begin");
    begun_ = false;
  }

 private:
  DeviceLink<NullDevice> device_;
  bool begun_ = false;
};

// Fixed metrics: every character is half the pixel height wide.
class NullFont final : public IFont {
 public:
  NullFont(NullDevice& device, const FontDesc& desc)
      : device_(device), lineHeight_(std::max(1, desc.PointSize * 4 / 3)) {}
  int DrawText(const std::string& text, const RECT& rect, std::uint32_t format, D3DCOLOR colour) override {
    device_->RecordText({text, rect, format, colour});
    const auto lines = LayoutText(
        text, rect, format, [this](const std::string& s) { return TextWidth(s); }, lineHeight_);
    return static_cast<int>(lines.size()) * lineHeight_;
  }
  int TextWidth(const std::string& text) override {
    return static_cast<int>(text.size()) * (lineHeight_ / 2);
  }
  int LineHeight() const override { return lineHeight_; }

 private:
  DeviceLink<NullDevice> device_;
  int lineHeight_;
};

}  // namespace

void NullDevice::Clear(std::uint32_t flags, D3DCOLOR colour, float) {
  if (flags & D3DCLEAR_TARGET) clearColour_ = colour;
}

void NullDevice::BeginScene() {
  DeviceState::BeginScene();
  meshDraws_.clear();
  spriteDraws_.clear();
  textDraws_.clear();
}

void NullDevice::Present() {
  if (InScene()) throw std::logic_error("Present inside a scene");
  ++presents_;
}

std::shared_ptr<ITexture> NullDevice::CreateTexture(int width, int height) {
  if (width <= 0 || height <= 0 || width > 8192 || height > 8192)
    throw std::invalid_argument("bad texture size " + std::to_string(width) + " x " + std::to_string(height));
  return std::make_shared<NullTexture>(*this, width, height);
}

std::unique_ptr<IMesh> NullDevice::CreateMesh(std::vector<D3DVERTEX> vertices,
                                              std::vector<std::uint32_t> indices,
                                              std::vector<std::uint32_t> attributes) {
  return std::make_unique<NullMesh>(*this,
                                    MeshData(std::move(vertices), std::move(indices), std::move(attributes)));
}

std::unique_ptr<ISprite> NullDevice::CreateSprite() { return std::make_unique<NullSprite>(*this); }

std::unique_ptr<IFont> NullDevice::CreateFont(const FontDesc& desc) {
  return std::make_unique<NullFont>(*this, desc);
}

std::vector<std::uint8_t> NullDevice::ReadPixels() {
  std::vector<std::uint8_t> out(static_cast<std::size_t>(width_) * height_ * 4);
  const std::uint32_t rgba = RgbaBytesFromArgb(clearColour_ | 0xFF000000u);
  for (std::size_t i = 0; i < out.size(); i += 4)
    for (int k = 0; k < 4; ++k) out[i + k] = (rgba >> (8 * k)) & 0xFF;
  return out;
}

void NullDevice::RecordMesh(const IMesh* mesh, int subset) {
  if (!InScene()) throw std::logic_error("DrawSubset outside a scene");
  meshDraws_.push_back(MeshDraw{mesh, subset, Texture(), GetTransform(D3DTS_WORLD), Material(),
                                GetRenderState(D3DRS_ALPHABLENDENABLE)});
}

int NullGraphics::InitDevice(int width, int height, int lighting, D3DCOLOR ambient) {
  device_.reset();
  if (kind_ == DeviceKindNone || width <= 0 || height <= 0) return DeviceKindNone;
  device_ = std::make_unique<NullDevice>(width, height);
  ApplyStartingState(*device_, lighting, ambient);
  return kind_;
}

}  // namespace quarnix
