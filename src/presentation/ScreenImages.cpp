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

std::vector<std::uint8_t> UnpackSheet(std::string_view Name, int Width, std::span<const std::uint8_t> file) {
  std::vector<std::uint8_t> pixels(SheetBytes(Width), 0);
  // The last byte of a packed file is not image data.
  const int count = file.empty() ? 0 : static_cast<int>(file.size() - 1);
  const UnpackResult result = UnpackZeroRuns(count, file, pixels);
  if (result.Overflow)
    throw std::runtime_error("\"" + std::string(Name) + "\" holds more than " +
                             std::to_string(pixels.size()) + " bytes of pixels");
  if (result.Written < pixels.size())
    throw std::runtime_error("\"" + std::string(Name) + "\" holds " + std::to_string(result.Written) +
                             " bytes of pixels, not the " + std::to_string(pixels.size()) + " of a " +
                             std::to_string(Width) + " x " + std::to_string(Width) + " sheet");
  return pixels;
}

std::vector<std::uint8_t> ReadSheetFile(const std::filesystem::path& path, int Width) {
  // No sensible packing doubles the pixels: a longer file is refused unread.
  return ReadWholeFile(ResolveFile(path), 2 * SheetBytes(Width), "a screen image");
}

void LoadScreenImages(GameAssets& assets, const std::filesystem::path& DataPath2) {
  {
    const std::filesystem::path file = DataPath2 / GameFileOf(ImageFile::BG).Name;
    const std::vector<std::uint8_t> bytes =
        ReadWholeFile(ResolveFile(file), 2 * BackgroundPictures * BackgroundBytes, "a screen image");
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
    const std::vector<std::uint8_t> pixels = UnpackScreenImage(image, ReadScreenImage(image, DataPath2));
    ScreenImageTarget(assets, image.File)
        .FillTexture(image.Width, pixels, 0, image.Width * image.Width - 1, image.KeySum, 255);
  }
}

}  // namespace quarnix
