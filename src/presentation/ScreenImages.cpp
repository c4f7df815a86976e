#include "presentation/ScreenImages.h"

#include <array>
#include <stdexcept>
#include <string>

#include "core/Files.h"

namespace quarnix {

UnpackResult UnpackZeroRuns(int Count, std::span<const std::uint8_t> Packed, std::span<std::uint8_t> Pixels) {
  if (Count < 0 || static_cast<std::size_t>(Count) > Packed.size())
    throw std::out_of_range("zero-run count " + std::to_string(Count) + " outside 0.." +
                            std::to_string(Packed.size()));
  return UnpackZeroRuns(Packed.first(static_cast<std::size_t>(Count)), Pixels);
}

std::span<const ScreenImageFile> PackedScreenImages() {
  static constexpr std::array<ScreenImageFile, 6> Images = {{{ImageFile::OA, 512, 0},
                                                             {ImageFile::OB, 512, 0},
                                                             {ImageFile::ME, 1024, 0},
                                                             {ImageFile::SA, 512, 0},
                                                             {ImageFile::SB, 512, 0},
                                                             {ImageFile::CS, 512, -1}}};
  return Images;
}

ScreenObject& ScreenImageTarget(GameAssets& assets, ImageFile File) {
  switch (File) {
    case ImageFile::OA:
      return assets.ScreenOA;
    case ImageFile::OB:
      return assets.ScreenOB;
    case ImageFile::ME:
      return assets.ScreenME;
    case ImageFile::SA:
      return assets.ScreenSA;
    case ImageFile::SB:
      return assets.ScreenSB;
    case ImageFile::CS:
      return assets.ScreenCS;
    case ImageFile::BG:
      break;
  }
  throw std::invalid_argument("no screen object takes " + std::string(GameFileOf(File).Name));
}

std::vector<std::uint8_t> UnpackScreenImage(const ScreenImageFile& image,
                                            std::span<const std::uint8_t> file) {
  std::vector<std::uint8_t> pixels(image.UnpackedBytes(), 0);
  // The last byte of a packed file is not image data.
  const int count = file.empty() ? 0 : static_cast<int>(file.size() - 1);
  if (UnpackZeroRuns(count, file, pixels).Overflow)
    throw std::runtime_error("\"" + std::string(image.Name()) + "\" holds more than " +
                             std::to_string(image.UnpackedBytes()) + " bytes of pixels");
  return pixels;
}

void LoadScreenImages(GameAssets& assets, const std::filesystem::path& DataPath2) {
  {
    const std::filesystem::path file = DataPath2 / GameFileOf(ImageFile::BG).Name;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(ResolveFile(file));
    if (bytes.size() < BackgroundPictures * BackgroundBytes)
      throw std::runtime_error("\"" + file.string() + "\" holds " + std::to_string(bytes.size()) +
                               " bytes, not the " + std::to_string(BackgroundPictures * BackgroundBytes) +
                               " of 20 backgrounds");
    constexpr int PixelsEach = BackgroundWidth * BackgroundWidth;
    for (int i = 0; i < BackgroundPictures; ++i)
      assets.XBackGround.FillTexture(i, BackgroundWidth, bytes, i * PixelsEach,
                                     i * PixelsEach + PixelsEach - 1);
  }
  for (const ScreenImageFile& image : PackedScreenImages()) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(ResolveFile(DataPath2 / image.Name()));
    const std::vector<std::uint8_t> pixels = UnpackScreenImage(image, bytes);
    ScreenImageTarget(assets, image.File)
        .FillTexture(image.Width, pixels, 0, image.Width * image.Width - 1, image.KeySum, 255);
  }
}

}  // namespace quarnix
