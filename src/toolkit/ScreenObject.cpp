#include "toolkit/ScreenObject.h"

namespace quarnix {

ScreenObject::ScreenObject(IDevice& device, const BitmapResources& resources)
    : device_(&device), resources_(&resources) {}

void ScreenObject::CreateEmptyTexture(int Size, int) { Texture_ = EmptySquareTexture(*device_, Size); }

void ScreenObject::LoadTexture(const std::filesystem::path& FileName, D3DCOLOR ColorKey, int) {
  Texture_ = TextureFromFile(*device_, FileName, ColorKey, D3DX_FILTER_NONE);
}

void ScreenObject::LoadResourceTexture(const std::string& ResourceName, D3DCOLOR ColorKey, int) {
  Texture_ = TextureFromResource(*device_, *resources_, ResourceName, ColorKey, D3DX_FILTER_NONE);
}

int ScreenObject::LockTexture(int Rows) { return Pixels_.Lock(Texture_, Rows); }

bool ScreenObject::UnLockTexture(int Rows) { return Pixels_.Unlock(Rows); }

void ScreenObject::ChangeTextureColor(int PixelIndex, int Red, int Green, int Blue, int Alpha) {
  Pixels_.ChangeColor(PixelIndex, Red, Green, Blue, Alpha);
}

std::array<int, 4> ScreenObject::GetTextureColor(int PixelIndex) const {
  return Pixels_.GetColor(PixelIndex);
}

void ScreenObject::FillTexture(int Size, std::span<const std::uint8_t> Bytes, int From, int To, int KeySum,
                               int Alpha) {
  CheckRgbSource(Bytes.size(), Size, From, To);
  ChannelByte(Alpha, "alpha");
  CreateEmptyTexture(Size, 0);
  LockTexture(Size);
  Pixels_.WriteRgb(Bytes, From, To,
                   [&](int r, int g, int b) { return KeySum >= 0 && r + g + b == KeySum ? 0 : Alpha; });
  UnLockTexture(Size);
}

}  // namespace quarnix
