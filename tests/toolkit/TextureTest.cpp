#include <numeric>

#include "ToolkitTestUtil.h"
#include "platform/D3DXMath.h"
#include "platform/NullGraphics.h"
#include "toolkit/CamObject.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {
using Bytes = std::vector<std::uint8_t>;
using Colour = std::array<int, 4>;
using test::Stored;

Bytes Part(const Bytes& b, std::ptrdiff_t from, std::ptrdiff_t count) {
  const auto start = b.begin() + (from < 0 ? std::ssize(b) + from : from);
  return Bytes(start, start + count);
}

class TextureTest : public ::testing::Test {
 protected:
  TextureTest() {
    object_.LoadXFile(test::WriteMesh(folder_ / "cube.car", test::CubeMesh(1)), 1, "", 0, 0, 4);
  }
  test::TempFolder folder_;
  NullDevice device_{64, 64};
  BitmapResources resources_;
  XObject object_{device_, resources_};
  ScreenObject screen_{device_, resources_};
};

TEST_F(TextureTest, RegistryKeepsTheLatestOfANameInAnyCaseAndLoadersDecodeItsPicturesKeyed) {
  static const std::uint8_t linked[] = {1, 2, 3};
  resources_.Register("4COLOR", linked);
  resources_.RegisterCopy("2x2x2", Bytes{9});
  ASSERT_TRUE(resources_.Find("4Color") && resources_.Find("2X2X2"));
  EXPECT_EQ(resources_.Find("4color")->data(), linked);
  EXPECT_TRUE((*resources_.Find("2X2X2"))[0] == 9 && !resources_.Find("4Colour"));
  resources_.RegisterCopy("4color", Bytes{7, 7});
  EXPECT_TRUE(resources_.Find("4COLOR")->size() == 2u && resources_.Count() == 2u);
  const Bytes bmp = test::Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  const Bytes want{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
  resources_.RegisterCopy("QUAD", bmp);
  object_.LoadResourceTexture(2, "Quad", 0, 0);
  EXPECT_EQ(Stored(object_.Textures(2)), want);
  test::WriteText(folder_ / "quad.bmp", std::string(bmp.begin(), bmp.end()));
  object_.LoadTexture(3, folder_ / "quad.bmp", 0, 0);
  EXPECT_EQ(Stored(object_.Textures(3)), want);
  object_.LoadTexture(1, folder_ / "QUAD.BMP", 0xFF00FF00, 0);
  EXPECT_EQ(Part(Stored(object_.Textures(1)), 0, 8), (Bytes{0, 0, 255, 255, 0, 0, 0, 0}));
  EXPECT_THROW(object_.LoadResourceTexture(0, "Missing", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "missing.bmp", 0, 0), std::runtime_error);
  test::WriteText(folder_ / "junk.bmp", "BM not a picture");
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "junk.bmp", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadResourceTexture(5, "Quad", 0, 0), std::out_of_range);
  EXPECT_EQ(object_.Textures(0), nullptr);
}

TEST_F(TextureTest, PixelsAreEditedBlueGreenRedAlphaInTheLockedRowsAndFillsTakeTheNamedTriples) {
  object_.CreateEmptyTexture(1, 4, 0);
  EXPECT_EQ(object_.LockTexture(4, 1), 16);
  for (auto [pixel, r, g, b, a] : {std::array{0, 256, 0, 0, 0}, {0, 0, -1, 0, 0}, {16, 0, 0, 0, 0}})
    EXPECT_THROW(object_.ChangeTextureColor(pixel, r, g, b, a), std::out_of_range);
  EXPECT_THROW(object_.ChangeSurfaceAlph(0, 300), std::out_of_range);
  EXPECT_THROW(object_.GetTextureColor(-1), std::out_of_range);
  EXPECT_EQ(object_.GetTextureColor(0), (Colour{0, 0, 0, 0}));  // nothing was written
  object_.ChangeTextureColor(0, 255, 0, 0, 255);
  EXPECT_EQ(object_.GetTextureColor(0), (Colour{0, 0, 255, 255}));
  object_.ChangeTextureColor(15, 1, 2, 3, 4);
  object_.ChangeSurfaceAlph(15, 200);
  EXPECT_EQ(object_.GetTextureColor(15), (Colour{3, 2, 1, 200}));
  EXPECT_EQ(Part(Bytes(object_.Pixels().begin(), object_.Pixels().end()), 0, 4), (Bytes{0, 0, 255, 255}));
  EXPECT_TRUE(object_.UnLockTexture(4, 1));
  const Bytes stored = Stored(object_.Textures(1));
  EXPECT_TRUE(Part(stored, 0, 4) == (Bytes{0, 0, 255, 255}) && Part(stored, -4, 4) == (Bytes{3, 2, 1, 200}));
  // A lock copies only the rows asked for.
  object_.FillTexture(1, 2, Bytes{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}, 0, 3);
  EXPECT_EQ(object_.LockTexture(1, 1), 8);
  EXPECT_EQ(object_.GetTextureColor(1), (Colour{60, 50, 40, 255}));
  EXPECT_THROW(object_.GetTextureColor(2), std::out_of_range);
  object_.ChangeTextureColor(0, 0, 0, 0, 0);
  EXPECT_THROW(object_.UnLockTexture(1, 2), std::logic_error);  // not the locked slot
  EXPECT_TRUE(object_.UnLockTexture(1, 1));
  EXPECT_EQ(Stored(object_.Textures(1)),
            (Bytes{0, 0, 0, 0, 60, 50, 40, 255, 90, 80, 70, 255, 120, 110, 100, 255}));
  EXPECT_TRUE(object_.LockTexture(3, 1) == 0 && object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.LockTexture(1, 0), std::logic_error);  // one lock at a time
  EXPECT_FALSE(object_.UnLockTexture(3, 1) || object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.UnLockTexture(1, 1), std::logic_error);
  EXPECT_THROW(object_.LockTexture(1, 3), std::logic_error);  // an empty slot
  Bytes b(24);  // a fill takes the named triples into a fresh square
  std::iota(b.begin(), b.end(), 1);
  object_.FillTexture(3, 2, b, 4, 7);
  ITexture* t = object_.Textures(3);
  ASSERT_TRUE(t && t->Width() == 2 && t->Height() == 2);
  EXPECT_EQ(Stored(t), (Bytes{15, 14, 13, 255, 18, 17, 16, 255, 21, 20, 19, 255, 24, 23, 22, 255}));
  for (auto [slot, size, bytes, from, to] :
       {std::tuple{3, 2, b, 5, 8}, {3, 2, Bytes(60), 0, 4}, {3, 2, b, -1, 2}, {9, 2, b, 0, 3}})
    EXPECT_THROW(object_.FillTexture(slot, size, bytes, from, to), std::out_of_range);
  EXPECT_EQ(object_.Textures(3), t);
  object_.FillTexture(2, 2, b, 0, 1);
  EXPECT_EQ(Stored(object_.Textures(2)), (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(TextureTest, ScreenFillKeysEveryColourWithTheByteSumAndPicturesLoadPixelExact) {
  const Bytes pic{0, 0, 0, 10, 10, 10, 30, 0, 0, 10, 10, 11};
  auto alphas = [&] {
    const Bytes s = Stored(screen_.Texture());
    return std::vector<int>{s[3], s[7], s[11], s[15]};
  };
  for (auto [keySum, alpha, want] : {std::tuple{0, 255, std::vector<int>{0, 255, 255, 255}},
                                     {30, 255, {255, 0, 0, 255}},
                                     {-1, 128, {128, 128, 128, 128}}}) {
    screen_.FillTexture(2, pic, 0, 3, keySum, alpha);
    EXPECT_EQ(alphas(), want) << keySum;
  }
  EXPECT_EQ(Part(Stored(screen_.Texture()), 8, 4), (Bytes{0, 0, 30, 128}));
  ITexture* before = screen_.Texture();
  EXPECT_THROW(screen_.FillTexture(2, pic, 0, 3, 0, 256), std::out_of_range);
  EXPECT_THROW(screen_.FillTexture(1, pic, 0, 1, 0, 255), std::out_of_range);
  EXPECT_EQ(screen_.Texture(), before);
  // Pictures load pixel exact.
  std::vector<std::uint32_t> rgb(15);
  for (int i = 0; i < 15; ++i) rgb[i] = static_cast<std::uint32_t>(i * 0x110F03);
  const Bytes bmp = test::Bmp24(5, 3, rgb);
  resources_.RegisterCopy("PANEL", bmp);
  screen_.LoadResourceTexture("panel", 0, 0);
  ASSERT_TRUE(screen_.Texture()->Width() == 5 && screen_.Texture()->Height() == 3);
  EXPECT_EQ(screen_.LockTexture(3), 20);
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(screen_.GetTextureColor(i),
              (Colour{int(rgb[i] & 0xFF), int((rgb[i] >> 8) & 0xFF), int(rgb[i] >> 16), 255}))
        << i;
  screen_.ChangeTextureColor(14, 1, 2, 3, 4);
  EXPECT_TRUE(screen_.UnLockTexture(3));
  EXPECT_EQ(Part(Stored(screen_.Texture()), -4, 4), (Bytes{3, 2, 1, 4}));
  test::WriteText(folder_ / "Panel.bmp", std::string(bmp.begin(), bmp.end()));
  screen_.LoadTexture(folder_ / "Panel.bmp", 0xFF000000 | rgb[4], 0);
  const Bytes keyed = Stored(screen_.Texture());
  EXPECT_TRUE(keyed[4 * 4 + 3] == 0 && keyed[5 * 4 + 3] == 255);
  ScreenObject empty(device_, resources_);
  EXPECT_EQ(empty.Texture(), nullptr);
  EXPECT_THROW(empty.LockTexture(1), std::logic_error);
  empty.CreateEmptyTexture(8, 0);
  EXPECT_EQ(empty.Texture()->Width(), 8);
  EXPECT_THROW(empty.CreateEmptyTexture(0, 0), std::invalid_argument);
}

TEST(CamObject, PositionsCountFromOneAndSetCamLooksFromTheEyeAtThePointWithYUp) {
  NullDevice device(64, 64);
  CamObject cam(device);
  cam.SetNumStaticPosition(3);
  cam.SetCamStaticPosition(1, 0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  cam.SetCamStaticPosition(3, 0, 0, 0, -5, 5, 0, 1, 1, 1);
  const D3DMATRIX viewBefore = device.GetTransform(D3DTS_VIEW);
  cam.SetCamStaticPosition(2, 1, 2, 3, 4, 5, 6, 7, 8, 9);
  EXPECT_TRUE(cam.GetNowStaticPosition() == 2 && cam.CamValue() == CamValues{});
  EXPECT_EQ(cam.StaticPosition(2), (CamPosition{{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}));  // look-at, eye, angles
  cam.SetNowStaticPosition(3);
  EXPECT_EQ(cam.GetNowStaticPosition(), 3);
  cam.SetNowStaticPosition(1);
  EXPECT_EQ(cam.CamValue(), (CamValues{0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0}));
  EXPECT_EQ(device.GetTransform(D3DTS_VIEW), viewBefore);  // only SetCam installs it
  cam.SetCam();
  const D3DMATRIX view = device.GetTransform(D3DTS_VIEW);
  EXPECT_EQ(view, D3DXMatrixLookAtLH({2.0f, 15.0f, -8.5f}, {0, 3.5f, 0}, {0, 1, 0}));
  cam.SetCamValue(45, 45, 45, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  cam.SetCam();
  EXPECT_EQ(device.GetTransform(D3DTS_VIEW), view);
  cam.SetNumStaticPosition(2);
  EXPECT_TRUE(cam.GetNumStaticPosition() == 2 && cam.StaticPosition(1) == CamPosition{});
  cam.SetCamStaticPosition(3, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(cam.StaticPosition(3).Eye, (D3DVECTOR{1, 1, 1}));
  EXPECT_THROW(cam.SetCamStaticPosition(4, 0, 0, 0, 0, 0, 0, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(cam.SetNowStaticPosition(0), std::out_of_range);
  EXPECT_EQ(cam.GetNowStaticPosition(), 3);  // a refused number changes nothing
  EXPECT_THROW(cam.SetNumStaticPosition(-1), std::out_of_range);
  CamObject fresh(device);
  EXPECT_TRUE(fresh.GetNumStaticPosition() == 0 && fresh.GetNowStaticPosition() == 1);
  EXPECT_THROW(fresh.SetNowStaticPosition(1), std::out_of_range);
}

}  // namespace
}  // namespace quarnix
