// The screen images: the zero-run decoder as the loader calls it, and where
// the pixels of the seven ".RB" files land.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "AssetsTestUtil.h"
#include "content/ZeroRuns.h"
#include "core/Files.h"
#include "platform/NullGraphics.h"
#include "presentation/ScreenImages.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes Unpack(const Bytes& packed, int count, std::size_t size) {
  Bytes out(size, 0xEE);
  UnpackZeroRuns(count, packed, out);
  return out;
}

TEST(UnpackZeroRuns, DecodesOnlyTheFirstCountBytes) {
  EXPECT_EQ(Unpack({7, 0, 3, 9}, 4, 5), (Bytes{7, 0, 0, 0, 9}));
  // The count leaves the last byte out: here it would have been a literal.
  EXPECT_EQ(Unpack({7, 0, 3, 9}, 3, 5), (Bytes{7, 0, 0, 0, 0xEE}));
  EXPECT_THROW(Unpack({1, 2}, 3, 4), std::out_of_range);
  EXPECT_THROW(Unpack({1, 2}, -1, 4), std::out_of_range);
}

// A game folder of pictures made here: every sheet's first pixel black, its
// second one colour of its own; background i starts with (i, 2i, 3i + 1).
class ScreenImageLoading : public ::testing::Test {
 protected:
  ScreenImageLoading() {
    fs::create_directories(data_);
    Bytes bg(20 * 196608, 0);
    for (int i = 0; i < 20; ++i) {
      bg[i * 196608] = static_cast<std::uint8_t>(i);
      bg[i * 196608 + 1] = static_cast<std::uint8_t>(2 * i);
      bg[i * 196608 + 2] = static_cast<std::uint8_t>(3 * i + 1);
    }
    WriteFileAtomic(data_ / "BG.RB", bg);
    int n = 0;
    for (const char* name : {"OA", "OB", "ME", "SA", "SB", "CS"}) Sheet(std::string(name) + ".RB", ++n);
  }
  void Sheet(const std::string& name, int n, std::size_t extra = 0) {
    const std::size_t side = name == "ME.RB" ? 1024 : 512;
    Bytes pixels(side * side * 3 + extra, 0);
    pixels[3] = static_cast<std::uint8_t>(10 * n);
    pixels[4] = 20;
    pixels[5] = 30;
    WriteFileAtomic(data_ / name, PackZeroRuns(pixels));
  }

  // The background's 20 slots come with its mesh.
  void LoadBackground(GameAssets& a) {
    a.XBackGround.LoadXFile(test::GameDir() / "Data" / "M3.CAR", 0, "", 0, 0, 20);
  }

  test::TempFolder game_;
  fs::path data_ = game_ / "Data";
  NullDevice device_{640, 480};
  BitmapResources resources_;
};

TEST_F(ScreenImageLoading, FillsTheBackgroundsAndTheSheetsBlackSeeThroughButOnCS) {
  GameAssets a(device_, resources_);
  LoadBackground(a);
  LoadScreenImages(a, data_);
  for (int i = 0; i < 20; ++i) {
    ITexture* t = a.XBackGround.Textures(i);
    ASSERT_NE(t, nullptr) << i;
    EXPECT_EQ(t->Width(), 256);
    EXPECT_EQ(test::TexturePixel(t, 0), (std::array<int, 4>{3 * i + 1, 2 * i, i, 255})) << i;
  }
  ScreenObject* sheets[] = {&a.ScreenOA, &a.ScreenOB, &a.ScreenME, &a.ScreenSA, &a.ScreenSB, &a.ScreenCS};
  for (int n = 1; n <= 6; ++n) {
    ITexture* t = sheets[n - 1]->Texture();
    ASSERT_NE(t, nullptr) << n;
    EXPECT_EQ(t->Width(), n == 3 ? 1024 : 512);
    EXPECT_EQ(test::TexturePixel(t, 1), (std::array<int, 4>{30, 20, 10 * n, 255})) << n;
    EXPECT_EQ(test::TexturePixel(t, 0), (std::array<int, 4>{0, 0, 0, n == 6 ? 255 : 0})) << n;
  }
}

TEST_F(ScreenImageLoading, ABadFileIsRefusedByNameAndTheImagesAfterItStayEmpty) {
  Sheet("SA.RB", 4, 1);  // one pixel byte too many
  GameAssets a(device_, resources_);
  LoadBackground(a);
  try {
    LoadScreenImages(a, data_);
    FAIL() << "an oversized sheet was taken";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("SA.RB"), std::string::npos) << e.what();
  }
  EXPECT_NE(a.ScreenME.Texture(), nullptr);
  EXPECT_EQ(a.ScreenSA.Texture(), nullptr);
  EXPECT_EQ(a.ScreenCS.Texture(), nullptr);
  Sheet("SA.RB", 4);

  // Cut-off sheets would show black; a file longer than any packing is not even read.
  const Bytes me = ReadFileBytes(data_ / "ME.RB");
  const std::pair<const char*, Bytes> cut[] = {{"CS.RB", {}},
                                               {"CS.RB", {7}},
                                               {"ME.RB", Bytes(me.begin(), me.begin() + me.size() / 2)},
                                               {"ME.RB", Bytes(2 * 3145728 + 1, 0)}};
  for (const auto& [name, bytes] : cut) {
    const Bytes good = ReadFileBytes(data_ / name);
    WriteFileAtomic(data_ / name, bytes);
    GameAssets c(device_, resources_);
    LoadBackground(c);
    try {
      LoadScreenImages(c, data_);
      ADD_FAILURE() << name << " of " << bytes.size() << " bytes was taken";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
    }
    WriteFileAtomic(data_ / name, good);
  }

  WriteFileAtomic(data_ / "BG.RB", Bytes(20 * 196608 - 1, 1));
  GameAssets b(device_, resources_);
  LoadBackground(b);
  EXPECT_THROW(LoadScreenImages(b, data_), std::runtime_error);
  EXPECT_EQ(b.XBackGround.Textures(0), nullptr);
  fs::remove(data_ / "BG.RB");
  EXPECT_THROW(LoadScreenImages(b, data_), std::runtime_error);
}

TEST_F(ScreenImageLoading, FilesAreFoundWhateverTheirCase) {
  fs::rename(data_ / "ME.RB", data_ / "me.rb");
  fs::rename(data_ / "BG.RB", data_ / "Bg.Rb");
  GameAssets a(device_, resources_);
  LoadBackground(a);
  LoadScreenImages(a, data_);
  EXPECT_NE(a.ScreenME.Texture(), nullptr);
  EXPECT_NE(a.XBackGround.Textures(19), nullptr);
}

}  // namespace
}  // namespace quarnix
