#pragma once
// The state a device keeps between draws (render states, texture stage states,
// transforms, lights, material, texture, the scene bracket), shared by the
// OpenGL and the null back ends so both answer the same way.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>

#include "platform/Graphics.h"

namespace quarnix {

class DeviceState : public IDevice {
 public:
  DeviceState();

  void SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) override;
  std::uint32_t GetRenderState(D3DRENDERSTATETYPE state) const override;
  void SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, std::uint32_t value) override;
  std::uint32_t GetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type) const override;
  void SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) override;
  D3DMATRIX GetTransform(D3DTRANSFORMSTATETYPE which) const override;
  void SetLight(int index, const D3DLIGHT8& light) override;
  void LightEnable(int index, bool enable) override;
  void SetMaterial(const D3DMATERIAL8& material) override;
  void SetTexture(int stage, ITexture* texture) override;
  void BeginScene() override;
  void EndScene() override;

  // Expires when the device goes: objects it made then refuse to work.
  std::weak_ptr<const int> Lifetime() const { return lifetime_; }

  // A texture being destroyed calls this so that the device never draws with it.
  void ForgetTexture(const ITexture* texture);

  bool InScene() const { return inScene_; }
  const D3DMATERIAL8& Material() const { return material_; }
  ITexture* Texture() const { return texture_; }
  struct LightSlot {
    D3DLIGHT8 light;
    bool enabled = false;
  };
  const std::map<int, LightSlot>& Lights() const { return lights_; }

 protected:
  // What changed since the back end last looked (bits below); it clears them.
  enum Dirty : std::uint32_t {
    DirtyTransform = 1,
    DirtyLights = 2,
    DirtyMaterial = 4,
    DirtyRenderState = 8,
    DirtyTexture = 16,
    DirtyStage = 32,
    DirtyAll = 63,
  };
  std::uint32_t dirty_ = DirtyAll;

 private:
  static std::size_t StateIndex(int state);
  std::array<std::uint32_t, 256> renderStates_{};
  std::array<std::uint32_t, 32> stageStates_{};
  D3DMATRIX world_, view_, projection_;
  std::map<int, LightSlot> lights_;
  D3DMATERIAL8 material_;
  ITexture* texture_ = nullptr;
  bool inScene_ = false;
  std::shared_ptr<const int> lifetime_ = std::make_shared<const int>(0);
};

// How textures, meshes, sprites and fonts reach the device that made them. If
// that device is gone, using them throws std::logic_error and destroying them
// gives nothing back to it.
template <class Device>
class DeviceLink {
 public:
  explicit DeviceLink(Device& device) : device_(&device), alive_(device.Lifetime()) {}
  bool Alive() const { return !alive_.expired(); }
  Device* operator->() const {
    if (!Alive()) throw std::logic_error("the device that made this object is gone");
    return device_;
  }

 private:
  Device* device_;
  std::weak_ptr<const int> alive_;
};

}  // namespace quarnix
