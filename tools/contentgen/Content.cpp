#include "Content.h"

#include "Textures.h"
#include "content/Bmp.h"
#include "content/ZeroRuns.h"

namespace quarnix::content {

std::vector<ScreenImage> MakeScreenImages(const Fonts& F) {
  std::vector<ScreenImage> Out;
  art::Image Backgrounds(256, 256 * 20);
  for (int i = 0; i < 20; ++i) art::Paste(Backgrounds, MakeBackground(i), 0, 256 * i);
  Out.push_back({ImageFile::BG, std::move(Backgrounds), false});
  Out.push_back({ImageFile::OA, MakeIntroLogo(F)});
  Out.push_back({ImageFile::OB, MakeIntroStrip(F)});
  Out.push_back({ImageFile::ME, MakeMenuSheet(F)});
  Out.push_back({ImageFile::SA, MakeHudSheetA(F)});
  Out.push_back({ImageFile::SB, MakeHudSheetB(F)});
  Out.push_back({ImageFile::CS, MakeIconSheet()});
  return Out;
}

std::vector<std::uint8_t> ScreenImageBytes(const ScreenImage& Image) {
  std::vector<std::uint8_t> Rgb = Image.Picture.ToRgb8();
  return Image.Packed ? PackZeroRuns(Rgb) : Rgb;
}

std::vector<std::uint8_t> BmpBytes(const art::Image& Picture) {
  return EncodeBmp24({Picture.W, Picture.H, Picture.ToRgb8()});
}

std::vector<PackEntry> MakeTextureResources() {
  std::vector<PackEntry> Out;
  for (const std::string& Name : TextureNames()) Out.push_back({Name, BmpBytes(MakeTexture(Name))});
  return Out;
}

}  // namespace quarnix::content
