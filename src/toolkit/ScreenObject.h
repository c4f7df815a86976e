#pragma once
// One picture drawn flat on the screen with the sprite (menu sheets, HUD
// panels, digits). Pictures load unscaled and unfiltered so that they stay
// pixel-exact; FillTexture can key out every pixel whose byte sum is KeySum.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "platform/D3DTypes.h"
#include "platform/Graphics.h"
#include "toolkit/TextureLoading.h"

namespace quarnix {

class ScreenObject {
 public:
  explicit ScreenObject(IDevice& device, const BitmapResources& resources = ProgramResources());
  ScreenObject(const ScreenObject&) = delete;
  ScreenObject& operator=(const ScreenObject&) = delete;
  ScreenObject(ScreenObject&&) noexcept = default;
  ScreenObject& operator=(ScreenObject&&) noexcept = default;

  void CreateEmptyTexture(int Size, int Format);
  void LoadTexture(const std::filesystem::path& FileName, D3DCOLOR ColorKey, int Format);
  void LoadResourceTexture(const std::string& ResourceName, D3DCOLOR ColorKey, int Format);
  // Returns the pitch, 0 when the texture has fewer rows; throws
  // std::logic_error without a texture.
  int LockTexture(int Rows);
  bool UnLockTexture(int Rows);
  void ChangeTextureColor(int PixelIndex, int Red, int Green, int Blue, int Alpha);
  // Blue, green, red, alpha.
  std::array<int, 4> GetTextureColor(int PixelIndex) const;
  // A Size x Size texture from the red, green, blue triples From..To of Bytes.
  // Each pixel gets Alpha, except that with KeySum 0 or more a pixel whose
  // three bytes add up to KeySum gets 0. Ranges and Alpha are checked before
  // anything changes (std::out_of_range).
  void FillTexture(int Size, std::span<const std::uint8_t> Bytes, int From, int To, int KeySum, int Alpha);

  // What the sprite draws; null before anything was loaded or made.
  ITexture* Texture() const { return Texture_.get(); }

 private:
  IDevice* device_;
  const BitmapResources* resources_;
  std::shared_ptr<ITexture> Texture_;
  PixelEditor Pixels_;
};

}  // namespace quarnix
