// needs: quarnix_presentation quarnix_platform quarnix_core
// quarnix-tool rb: the ".RB" screen images to PNG and back.
//
//   rb unpack FILE WIDTH OUT.png [--raw]
//   rb pack IN.png OUT.RB [--raw]
//
// A packed file holds one WIDTH x WIDTH picture of red, green, blue bytes in
// zero runs, plus one final byte that the game does not decode. --raw is for
// "BG.RB": unpacked bytes, the 20 backgrounds of 256 x 256 one under the other,
// so "rb unpack BG.RB 256 bg.png --raw" gives a 256 x 5120 picture.

#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "Command.h"
#include "content/ZeroRuns.h"
#include "core/Files.h"
#include "platform/TextureImage.h"
#include "presentation/ScreenImages.h"

namespace quarnix::tool {
namespace {

int Usage() {
  std::cerr << "usage: quarnix-tool rb unpack FILE WIDTH OUT.png [--raw]\n"
               "       quarnix-tool rb pack IN.png OUT.RB [--raw]\n";
  return 2;
}

int Unpack(const std::string& file, const std::string& widthText, const std::string& out, bool raw) {
  int width = 0;
  const auto [end, ec] = std::from_chars(widthText.data(), widthText.data() + widthText.size(), width);
  if (ec != std::errc() || end != widthText.data() + widthText.size() || width < 1 || width > 8192) {
    std::cerr << "quarnix-tool rb: width must be a number from 1 to 8192, not \"" << widthText << "\"\n";
    return 2;
  }
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint8_t> rgb;
  int height = width;
  if (raw) {
    // At most as many rows as a picture may be wide.
    rgb = ReadWholeFile(ResolveFile(file), row * 8192, "a raw screen image");
    if (rgb.empty() || rgb.size() % row != 0)
      throw std::runtime_error("\"" + file + "\" holds " + std::to_string(rgb.size()) +
                               " bytes: not whole rows of " + std::to_string(width) + " pixels");
    height = static_cast<int>(rgb.size() / row);
  } else {
    // Read and unpacked as the game does: a file it would refuse is refused here too.
    rgb = UnpackSheet(std::filesystem::path(file).filename().string(), width, ReadSheetFile(file, width));
  }
  std::vector<std::uint8_t> rgba;
  rgba.reserve(rgb.size() / 3 * 4);
  for (std::size_t i = 0; i < rgb.size(); i += 3)
    rgba.insert(rgba.end(), {rgb[i], rgb[i + 1], rgb[i + 2], 255});
  WritePng(out, width, height, rgba);
  std::cout << out << ": " << width << " x " << height << "\n";
  return 0;
}

int Pack(const std::string& in, const std::string& out, bool raw) {
  const Image picture = LoadImageFile(in);
  std::vector<std::uint8_t> rgb;
  rgb.reserve(picture.Argb.size() * 3);
  for (std::uint32_t p : picture.Argb)
    rgb.insert(rgb.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                           static_cast<std::uint8_t>(p)});
  const std::vector<std::uint8_t> bytes = raw ? rgb : PackZeroRuns(rgb);
  WriteFileAtomic(out, bytes);
  std::cout << out << ": " << picture.Width << " x " << picture.Height << ", " << bytes.size() << " bytes\n";
  return 0;
}

int Rb(const Args& args) {
  const bool raw = !args.empty() && args.back() == "--raw";
  const std::size_t n = args.size() - (raw ? 1 : 0);
  if (n == 4 && args[0] == "unpack") return Unpack(args[1], args[2], args[3], raw);
  if (n == 3 && args[0] == "pack") return Pack(args[1], args[2], raw);
  return Usage();
}

RegisterCommand reg(
    {"rb",
     "unpack FILE WIDTH OUT.png [--raw] | pack IN.png OUT.RB [--raw]   screen images to PNG and back "
     "(--raw: unpacked bytes, as BG.RB)",
     Rb});

}  // namespace
}  // namespace quarnix::tool
