#pragma once
// The 2D pictures: seven ".RB" files in the data folder. "BG.RB" holds the 20
// backgrounds raw; the six sheets are zero-run packed and go into the screen
// objects the menus and the HUD draw.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

#include "content/GameFiles.h"
#include "content/ZeroRuns.h"
#include "presentation/GameAssets.h"

namespace quarnix {

// Decodes Packed[0 .. Count-1] into Pixels from index 0 on (a 0 byte followed
// by N stands for N zeros). Never writes past Pixels: the result says how much
// was written and whether the stream wanted more room. A Count outside
// 0..Packed.size() throws std::out_of_range.
UnpackResult UnpackZeroRuns(int Count, std::span<const std::uint8_t> Packed, std::span<std::uint8_t> Pixels);

// Bytes of the pixels of a sheet Width pixels a side.
constexpr std::size_t SheetBytes(int Width) { return static_cast<std::size_t>(Width) * Width * 3; }

struct ScreenImageFile {
  ImageFile File;
  int Width;   // pixels per side
  int KeySum;  // 0: black is see-through; -1: opaque
  std::string_view Name() const { return GameFileOf(File).Name; }
  std::size_t UnpackedBytes() const { return SheetBytes(Width); }
};
// The six packed sheets in loading order: OA, OB, ME, SA, SB, CS.
std::span<const ScreenImageFile> PackedScreenImages();
ScreenObject& ScreenImageTarget(GameAssets& assets, ImageFile File);

inline constexpr int BackgroundPictures = 20;
inline constexpr int BackgroundWidth = 256;
inline constexpr std::size_t BackgroundBytes = std::size_t{BackgroundWidth} * BackgroundWidth * 3;

// The pixels of a packed sheet Width pixels a side: the file's bytes but its
// last unpacked into a zero-filled buffer of the sheet's size. Throws
// std::runtime_error naming the file (Name) when its data would not fit or does
// not fill the sheet (a cut-off file).
std::vector<std::uint8_t> UnpackSheet(std::string_view Name, int Width, std::span<const std::uint8_t> file);
inline std::vector<std::uint8_t> UnpackScreenImage(const ScreenImageFile& image,
                                                   std::span<const std::uint8_t> file) {
  return UnpackSheet(image.Name(), image.Width, file);
}

// The bytes of the packed sheet file `path`, Width pixels a side, refused
// unread when it is not a regular file or longer than twice its pixels.
std::vector<std::uint8_t> ReadSheetFile(const std::filesystem::path& path, int Width);
inline std::vector<std::uint8_t> ReadScreenImage(const ScreenImageFile& image,
                                                 const std::filesystem::path& folder) {
  return ReadSheetFile(folder / image.Name(), image.Width);
}

// Loads BG.RB into XBackGround's slots 0..19, then the six sheets into their
// screen objects, from DataPath2. A missing, short or oversized file throws
// std::runtime_error naming it; the images after it are then not loaded.
void LoadScreenImages(GameAssets& assets, const std::filesystem::path& DataPath2);

}  // namespace quarnix
