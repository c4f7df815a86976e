#include "platform/DeviceState.h"

#include <stdexcept>
#include <string>

#include "platform/D3DXMath.h"

namespace quarnix {

DeviceState::DeviceState() {
  // The defaults of a fresh device with a depth buffer.
  renderStates_[D3DRS_ZENABLE] = 1;
  renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
  renderStates_[D3DRS_ZWRITEENABLE] = 1;
  renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
  renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  renderStates_[D3DRS_LIGHTING] = 1;
  stageStates_[D3DTSS_COLOROP] = D3DTOP_MODULATE;
  stageStates_[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
  stageStates_[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
  stageStates_[D3DTSS_MINFILTER] = D3DTEXF_POINT;
  world_ = view_ = projection_ = D3DXMatrixIdentity();
}

std::size_t DeviceState::StateIndex(int state) {
  if (state < 0 || state >= 256) throw std::out_of_range("no render state " + std::to_string(state));
  return static_cast<std::size_t>(state);
}

void DeviceState::SetRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) {
  auto& slot = renderStates_[StateIndex(state)];
  if (slot == value) return;
  slot = value;
  dirty_ |= DirtyRenderState;
}

std::uint32_t DeviceState::GetRenderState(D3DRENDERSTATETYPE state) const {
  return renderStates_[StateIndex(state)];
}

void DeviceState::SetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type, std::uint32_t value) {
  if (stage != 0) throw std::out_of_range("only texture stage 0 exists, not " + std::to_string(stage));
  if (type < 0 || type >= static_cast<int>(stageStates_.size()))
    throw std::out_of_range("no texture stage state " + std::to_string(type));
  if (stageStates_[type] == value) return;
  stageStates_[type] = value;
  dirty_ |= DirtyStage;
}

std::uint32_t DeviceState::GetTextureStageState(int stage, D3DTEXTURESTAGESTATETYPE type) const {
  if (stage != 0) throw std::out_of_range("only texture stage 0 exists, not " + std::to_string(stage));
  if (type < 0 || type >= static_cast<int>(stageStates_.size()))
    throw std::out_of_range("no texture stage state " + std::to_string(type));
  return stageStates_[type];
}

void DeviceState::SetTransform(D3DTRANSFORMSTATETYPE which, const D3DMATRIX& matrix) {
  switch (which) {
    case D3DTS_WORLD:
      world_ = matrix;
      break;
    case D3DTS_VIEW:
      view_ = matrix;
      break;
    case D3DTS_PROJECTION:
      projection_ = matrix;
      break;
    default:
      throw std::out_of_range("no transform " + std::to_string(which));
  }
  dirty_ |= DirtyTransform;
}

D3DMATRIX DeviceState::GetTransform(D3DTRANSFORMSTATETYPE which) const {
  switch (which) {
    case D3DTS_WORLD:
      return world_;
    case D3DTS_VIEW:
      return view_;
    case D3DTS_PROJECTION:
      return projection_;
    default:
      throw std::out_of_range("no transform " + std::to_string(which));
  }
}

void DeviceState::SetLight(int index, const D3DLIGHT8& light) {
  if (index < 0) throw std::out_of_range("negative light index " + std::to_string(index));
  lights_[index].light = light;
  dirty_ |= DirtyLights;
}

void DeviceState::LightEnable(int index, bool enable) {
  if (index < 0) throw std::out_of_range("negative light index " + std::to_string(index));
  // Enabling a light never set gives the default light: white, pointing along +z.
  auto [it, added] = lights_.try_emplace(index);
  auto& slot = it->second;
  if (added) {
    slot.light.Diffuse = D3DCOLORVALUE{1, 1, 1, 0};
    slot.light.Direction = D3DVECTOR{0, 0, 1};
  }
  if (slot.enabled == enable) return;
  slot.enabled = enable;
  dirty_ |= DirtyLights;
}

void DeviceState::SetMaterial(const D3DMATERIAL8& material) {
  if (material == material_) return;
  material_ = material;
  dirty_ |= DirtyMaterial;
}

void DeviceState::SetTexture(int stage, ITexture* texture) {
  if (stage != 0) throw std::out_of_range("only texture stage 0 exists, not " + std::to_string(stage));
  if (texture == texture_) return;
  texture_ = texture;
  dirty_ |= DirtyTexture;
}

void DeviceState::ForgetTexture(const ITexture* texture) {
  if (texture_ == texture) SetTexture(0, nullptr);
}

void DeviceState::BeginScene() {
  if (inScene_) throw std::logic_error("BeginScene inside a scene");
  inScene_ = true;
}

void DeviceState::EndScene() {
  if (!inScene_) throw std::logic_error("EndScene without BeginScene");
  inScene_ = false;
}

}  // namespace quarnix
