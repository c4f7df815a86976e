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
  static constexpr std::array<ScreenImageFile, 6> Images = {{{"OA.RB", 512, 0},
                                                             {"OB.RB", 512, 0},
                                                             {"ME.RB", 1024, 0},
                                                             {"SA.RB", 512, 0},
                                                             {"SB.RB", 512, 0},
                                                             {"CS.RB", 512, -1}}};
  return Images;
}

ScreenObject& ScreenImageTarget(GameAssets& assets, std::string_view name) {
  if (name == "OA.RB") return assets.ScreenOA;
  if (name == "OB.RB") return assets.ScreenOB;
  if (name == "ME.RB") return assets.ScreenME;
  if (name == "SA.RB") return assets.ScreenSA;
  if (name == "SB.RB") return assets.ScreenSB;
  if (name == "CS.RB") return assets.ScreenCS;
  throw std::invalid_argument("no screen image " + std::string(name));
}

std::vector<std::uint8_t> UnpackScreenImage(const ScreenImageFile& image,
                                            std::span<const std::uint8_t> file) {
  std::vector<std::uint8_t> pixels(image.UnpackedBytes(), 0);
  // The last byte of a packed file is not image data.
  const int count = file.empty() ? 0 : static_cast<int>(file.size() - 1);
  const UnpackResult result = UnpackZeroRuns(count, file, pixels);
  if (result.Overflow)
    throw std::runtime_error("\"" + std::string(image.Name) + "\" holds more than " +
                             std::to_string(image.UnpackedBytes()) + " bytes of pixels");
  if (result.Written < pixels.size())
    throw std::runtime_error("\"" + std::string(image.Name) + "\" holds " + std::to_string(result.Written) +
                             " bytes of pixels, not the " + std::to_string(image.UnpackedBytes()) + " of a " +
                             std::to_string(image.Width) + " x " + std::to_string(image.Width) + " sheet");
  return pixels;
}

std::vector<std::uint8_t> ReadScreenImage(const ScreenImageFile& image, const std::filesystem::path& folder) {
  return ReadWholeFile(ResolveFile(folder / image.Name), image.MaxFileBytes(), "a screen image");
}

void LoadScreenImages(GameAssets& assets, const std::filesystem::path& DataPath2) {
  {
    const std::filesystem::path file = DataPath2 / "BG.RB";
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
    ScreenImageTarget(assets, image.Name)
        .FillTexture(image.Width, pixels, 0, image.Width * image.Width - 1, image.KeySum, 255);
  }
}

}  // namespace quarnix
