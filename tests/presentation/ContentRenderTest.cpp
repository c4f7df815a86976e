// The game's content loaded the way play loads it, on the real OpenGL device:
// the sheets drawn through the sprite show their black as see-through, except
// the one sheet that must stay opaque.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "AssetsTestUtil.h"
#include "content/ZeroRuns.h"
#include "core/Files.h"
#include "platform/GlGraphics.h"
#include "platform/TextureImage.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/ScreenImages.h"

namespace quarnix {
namespace {

constexpr int W = 1024, H = 1024;

// The pixels of a packed sheet, decoded here with the plain decoder.
std::vector<std::uint8_t> SheetPixels(const std::string& name, int width) {
  const auto file = ReadFileBytes(test::GameDir() / "Data" / name);
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * width * 3, 0);
  UnpackZeroRuns(std::span(file).first(file.size() - 1), rgb);
  return rgb;
}

// A pixel (x, y) of the sheet that is pure black / clearly coloured, away from
// edges so that filtering cannot blur it.
std::optional<std::pair<int, int>> Find(const std::vector<std::uint8_t>& rgb, int width, bool black) {
  auto at = [&](int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; };
  for (int y = 2; y < width - 2; y += 3)
    for (int x = 2; x < width - 2; x += 3) {
      bool all = true;
      for (int dy = -1; dy <= 1 && all; ++dy)
        for (int dx = -1; dx <= 1 && all; ++dx) {
          const std::uint8_t* p = at(x + dx, y + dy);
          const int sum = p[0] + p[1] + p[2];
          all = black ? sum == 0 : (sum > 200 && p[0] != 255);
        }
      if (all) return std::pair{x, y};
    }
  return std::nullopt;
}

TEST(ContentRender, SheetsKeepBlackSeeThroughButCSStaysOpaque) {
  GlGraphics graphics(GraphicsOptions{WindowMode::Hidden, "content render test"});
  ASSERT_TRUE(graphics.InitD3D());
  ASSERT_NE(graphics.InitDevice(W, H, 1, 0x505050), DeviceKindNone);
  IDevice& d = *graphics.Device();

  // The start of play: meshes and textures, built-in vertices, screen images.
  BitmapResources resources;
  RegisterEmbeddedBitmaps(resources);
  GameAssets a(d, resources);
  const GameFolders folders = GameFolders::In(test::GameDir());
  LoadResourceAssets(a, folders);
  BuildMeshes(a);
  LoadScreenImages(a, folders.DataPath2);
  for (int i = 0; i < 20; ++i) ASSERT_NE(a.XBackGround.Textures(i), nullptr) << i;

  auto sprite = d.CreateSprite();
  const auto draw = [&](ScreenObject& sheet) {
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1);
    d.BeginScene();
    sprite->Begin();
    sprite->Draw(sheet.Texture(), nullptr, nullptr, nullptr, 0, nullptr, 0xFFFFFFFF);
    sprite->End();
    d.EndScene();
    return d.ReadPixels();
  };
  const auto colour = [](const std::vector<std::uint8_t>& picture, std::pair<int, int> xy) {
    const std::uint8_t* q = &picture[(static_cast<std::size_t>(xy.second) * W + xy.first) * 4];
    return std::array<int, 3>{q[0], q[1], q[2]};
  };

  for (const ImageFile file : {ImageFile::SA, ImageFile::CS}) {
    const std::string name(GameFileOf(file).Name);
    SCOPED_TRACE(name);
    const bool opaque = file == ImageFile::CS;
    const auto rgb = SheetPixels(name, 512);
    const auto black = Find(rgb, 512, true), lit = Find(rgb, 512, false);
    ASSERT_TRUE(black && lit) << "the sheet has no black or no coloured area";
    const auto picture = draw(ScreenImageTarget(a, file));
    const auto b = colour(picture, *black);
    if (opaque)
      EXPECT_EQ(b, (std::array<int, 3>{0, 0, 0}));
    else
      EXPECT_EQ(b, (std::array<int, 3>{0, 0, 255}));
    const std::uint8_t* want = &rgb[(static_cast<std::size_t>(lit->second) * 512 + lit->first) * 3];
    const auto c = colour(picture, *lit);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(c[k], want[k], 3) << "channel " << k;
    // Beyond the sheet the clear colour shows.
    EXPECT_EQ(colour(picture, {700, 700}), (std::array<int, 3>{0, 0, 255}));
  }
}

}  // namespace
}  // namespace quarnix
