// Texture slots and the screen texture on the null device: loaders, the
// bitmap registry, pixel editing with its byte order, filling from raw colour
// bytes and the colour key by byte sum.

#include <gtest/gtest.h>

#include "ToolkitTestUtil.h"
#include "platform/NullGraphics.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {

using test::TempFolder;
using Bytes = std::vector<std::uint8_t>;

// The texture's level 0 as it is stored (blue, green, red, alpha per pixel).
Bytes Stored(ITexture* texture) {
  const auto bytes = texture->LockRect();
  Bytes copy(bytes.begin(), bytes.end());
  texture->UnlockRect();
  return copy;
}

class TextureTest : public ::testing::Test {
 protected:
  TextureTest() {
    object_.LoadXFile(test::WriteMesh(folder_ / "cube.car", test::CubeMesh(1)), 1, "", 0, 0, 4);
  }
  std::filesystem::path WriteBmp(const std::string& name, const Bytes& bytes) {
    std::ofstream(folder_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return folder_ / name;
  }

  TempFolder folder_;
  NullDevice device_{64, 64};
  BitmapResources resources_;
  XObject object_{device_, resources_};
  ScreenObject screen_{device_, resources_};
};

TEST_F(TextureTest, RegistryFindsNamesWithoutRegardToCaseAndKeepsTheLatest) {
  static const std::uint8_t linked[] = {1, 2, 3};
  resources_.Register("4COLOR", linked);
  resources_.RegisterCopy("2x2x2", Bytes{9});
  ASSERT_TRUE(resources_.Find("4Color"));
  EXPECT_EQ(resources_.Find("4color")->data(), linked);
  ASSERT_TRUE(resources_.Find("2X2X2"));
  EXPECT_EQ((*resources_.Find("2X2X2"))[0], 9);
  EXPECT_FALSE(resources_.Find("4Colour"));
  resources_.RegisterCopy("4color", Bytes{7, 7});
  EXPECT_EQ(resources_.Find("4COLOR")->size(), 2u);
  EXPECT_EQ(resources_.Count(), 2u);
}

TEST_F(TextureTest, LoadersDecodePicturesIntoTheSlotAndApplyTheColourKey) {
  // Top row red, green; bottom row blue, white.
  const Bytes bmp = test::Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  const Bytes want{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
  resources_.RegisterCopy("QUAD", bmp);
  object_.LoadResourceTexture(2, "Quad", 0, 0);
  EXPECT_EQ(Stored(object_.Textures(2)), want);
  object_.LoadTexture(3, WriteBmp("quad.bmp", bmp), 0, 0);
  EXPECT_EQ(Stored(object_.Textures(3)), want);

  // The key names one opaque colour; only that one becomes transparent black.
  object_.LoadTexture(1, folder_ / "QUAD.BMP", 0xFF00FF00, 0);
  const Bytes keyed = Stored(object_.Textures(1));
  EXPECT_EQ(Bytes(keyed.begin() + 4, keyed.begin() + 8), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(Bytes(keyed.begin(), keyed.begin() + 4), (Bytes{0, 0, 255, 255}));

  EXPECT_THROW(object_.LoadResourceTexture(0, "Missing", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "missing.bmp", 0, 0), std::runtime_error);
  test::WriteText(folder_ / "junk.bmp", "BM not a picture");
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "junk.bmp", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadResourceTexture(5, "Quad", 0, 0), std::out_of_range);
  EXPECT_EQ(object_.Textures(0), nullptr);
}

TEST_F(TextureTest, ColourBytesAreStoredBlueGreenRedAlpha) {
  object_.CreateEmptyTexture(1, 4, 0);
  EXPECT_EQ(object_.LockTexture(4, 1), 16);
  object_.ChangeTextureColor(0, 255, 0, 0, 255);
  EXPECT_EQ(object_.GetTextureColor(0), (std::array<int, 4>{0, 0, 255, 255}));
  object_.ChangeTextureColor(15, 1, 2, 3, 4);
  object_.ChangeSurfaceAlph(15, 200);
  EXPECT_EQ(object_.GetTextureColor(15), (std::array<int, 4>{3, 2, 1, 200}));
  EXPECT_EQ(Bytes(object_.Pixels().begin(), object_.Pixels().begin() + 4), (Bytes{0, 0, 255, 255}));
  EXPECT_TRUE(object_.UnLockTexture(4, 1));
  const Bytes stored = Stored(object_.Textures(1));
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 4), (Bytes{0, 0, 255, 255}));
  EXPECT_EQ(Bytes(stored.end() - 4, stored.end()), (Bytes{3, 2, 1, 200}));
}

TEST_F(TextureTest, OutOfRangeValuesAndPixelsAreRefused) {
  object_.CreateEmptyTexture(0, 2, 0);
  object_.LockTexture(2, 0);
  EXPECT_THROW(object_.ChangeTextureColor(0, 256, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(object_.ChangeTextureColor(0, 0, -1, 0, 0), std::out_of_range);
  EXPECT_THROW(object_.ChangeSurfaceAlph(0, 300), std::out_of_range);
  EXPECT_THROW(object_.ChangeTextureColor(4, 0, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(object_.GetTextureColor(-1), std::out_of_range);
  EXPECT_EQ(object_.GetTextureColor(0), (std::array<int, 4>{0, 0, 0, 0}));  // nothing was written
  EXPECT_TRUE(object_.UnLockTexture(2, 0));
}

TEST_F(TextureTest, LockingCopiesOnlyTheRowsAskedForAndReportsFailedCopies) {
  object_.FillTexture(1, 2, Bytes{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}, 0, 3);
  // One row: pixels 0 and 1 only.
  EXPECT_EQ(object_.LockTexture(1, 1), 8);
  EXPECT_EQ(object_.GetTextureColor(1), (std::array<int, 4>{60, 50, 40, 255}));
  EXPECT_THROW(object_.GetTextureColor(2), std::out_of_range);
  object_.ChangeTextureColor(0, 0, 0, 0, 0);
  EXPECT_THROW(object_.UnLockTexture(1, 2), std::logic_error);  // not the locked slot
  EXPECT_TRUE(object_.UnLockTexture(1, 1));
  EXPECT_EQ(Stored(object_.Textures(1)),
            (Bytes{0, 0, 0, 0, 60, 50, 40, 255, 90, 80, 70, 255, 120, 110, 100, 255}));

  // More rows than the texture has: no copy, yet the level is locked until given back.
  EXPECT_EQ(object_.LockTexture(3, 1), 0);
  EXPECT_TRUE(object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.LockTexture(1, 0), std::logic_error);  // one lock at a time
  EXPECT_FALSE(object_.UnLockTexture(3, 1));
  EXPECT_FALSE(object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.UnLockTexture(1, 1), std::logic_error);
  EXPECT_THROW(object_.LockTexture(1, 3), std::logic_error);  // an empty slot
}

TEST_F(TextureTest, FillTakesTheNamedTriplesIntoAFreshSquare) {
  Bytes b(24);
  for (int i = 0; i < 24; ++i) b[i] = static_cast<std::uint8_t>(i + 1);
  object_.FillTexture(3, 2, b, 4, 7);
  ITexture* t = object_.Textures(3);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Width(), 2);
  EXPECT_EQ(t->Height(), 2);
  // Triple i = bytes 3i..3i+2 (red, green, blue) lands as blue, green, red, 255.
  EXPECT_EQ(Stored(t), (Bytes{15, 14, 13, 255, 18, 17, 16, 255, 21, 20, 19, 255, 24, 23, 22, 255}));
  EXPECT_FALSE(t->IsLocked());

  // Triples beyond the bytes or pixels beyond the square: refused before the slot changes.
  EXPECT_THROW(object_.FillTexture(3, 2, b, 5, 8), std::out_of_range);
  EXPECT_THROW(object_.FillTexture(3, 2, Bytes(60), 0, 4), std::out_of_range);
  EXPECT_THROW(object_.FillTexture(3, 2, b, -1, 2), std::out_of_range);
  EXPECT_THROW(object_.FillTexture(9, 2, b, 0, 3), std::out_of_range);
  EXPECT_EQ(object_.Textures(3), t);

  // Fewer triples than pixels: the rest of the square is left as made.
  object_.FillTexture(2, 2, b, 0, 1);
  const Bytes partial = Stored(object_.Textures(2));
  EXPECT_EQ(Bytes(partial.begin(), partial.begin() + 8), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST_F(TextureTest, ScreenFillKeysEveryColourWithTheByteSum) {
  // black, (10, 10, 10), (30, 0, 0), (10, 10, 11)
  const Bytes pic{0, 0, 0, 10, 10, 10, 30, 0, 0, 10, 10, 11};
  auto alphas = [&] {
    const Bytes s = Stored(screen_.Texture());
    return std::vector<int>{s[3], s[7], s[11], s[15]};
  };
  screen_.FillTexture(2, pic, 0, 3, 0, 255);
  EXPECT_EQ(alphas(), (std::vector<int>{0, 255, 255, 255}));
  screen_.FillTexture(2, pic, 0, 3, 30, 255);
  EXPECT_EQ(alphas(), (std::vector<int>{255, 0, 0, 255}));
  screen_.FillTexture(2, pic, 0, 3, -1, 128);
  EXPECT_EQ(alphas(), (std::vector<int>{128, 128, 128, 128}));
  const Bytes s = Stored(screen_.Texture());
  EXPECT_EQ(Bytes(s.begin() + 8, s.begin() + 12), (Bytes{0, 0, 30, 128}));

  ITexture* before = screen_.Texture();
  EXPECT_THROW(screen_.FillTexture(2, pic, 0, 3, 0, 256), std::out_of_range);
  EXPECT_THROW(screen_.FillTexture(1, pic, 0, 1, 0, 255), std::out_of_range);
  EXPECT_EQ(screen_.Texture(), before);
}

TEST_F(TextureTest, ScreenPicturesLoadPixelExact) {
  // An odd size keeps its size: nothing is stretched or padded.
  std::vector<std::uint32_t> rgb(15);
  for (int i = 0; i < 15; ++i) rgb[i] = static_cast<std::uint32_t>(i * 0x110F03);
  const Bytes bmp = test::Bmp24(5, 3, rgb);
  resources_.RegisterCopy("PANEL", bmp);
  screen_.LoadResourceTexture("panel", 0, 0);
  ASSERT_EQ(screen_.Texture()->Width(), 5);
  ASSERT_EQ(screen_.Texture()->Height(), 3);
  EXPECT_EQ(screen_.LockTexture(3), 20);
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(screen_.GetTextureColor(i),
              (std::array<int, 4>{int(rgb[i] & 0xFF), int((rgb[i] >> 8) & 0xFF), int(rgb[i] >> 16), 255}))
        << i;
  screen_.ChangeTextureColor(14, 1, 2, 3, 4);
  EXPECT_TRUE(screen_.UnLockTexture(3));
  const Bytes edited = Stored(screen_.Texture());
  EXPECT_EQ(Bytes(edited.end() - 4, edited.end()), (Bytes{3, 2, 1, 4}));

  screen_.LoadTexture(WriteBmp("Panel.bmp", bmp), 0xFF000000 | rgb[4], 0);
  EXPECT_EQ(Stored(screen_.Texture())[4 * 4 + 3], 0);
  EXPECT_EQ(Stored(screen_.Texture())[5 * 4 + 3], 255);

  ScreenObject empty(device_, resources_);
  EXPECT_EQ(empty.Texture(), nullptr);
  EXPECT_THROW(empty.LockTexture(1), std::logic_error);
  empty.CreateEmptyTexture(8, 0);
  EXPECT_EQ(empty.Texture()->Width(), 8);
  EXPECT_THROW(empty.CreateEmptyTexture(0, 0), std::invalid_argument);
}

}  // namespace
}  // namespace quarnix
