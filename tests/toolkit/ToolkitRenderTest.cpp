// The toolkit on the real OpenGL device (Mesa under SDL's offscreen driver
// when headless): meshes loaded from X files land where the camera projects
// them, colour-keyed pictures let the background through, texture effects
// reach the drawn picture.

#include <gtest/gtest.h>

#include <cstdlib>

#include "ToolkitTestUtil.h"
#include "platform/D3DXMath.h"
#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/TextureImage.h"
#include "toolkit/CamObject.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {

constexpr int W = 160, H = 120;

struct Rgb {
  int r, g, b;
};

class ToolkitRender : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics_ = new GlGraphics(GraphicsOptions{WindowMode::Hidden, "toolkit render test"});
    ASSERT_TRUE(graphics_->InitD3D());
  }
  static void TearDownTestSuite() {
    delete graphics_;
    graphics_ = nullptr;
  }
  void SetUp() override {
    // Lighting off: what is drawn shows the texture's own colours.
    ASSERT_NE(graphics_->InitDevice(W, H, 0, 0), DeviceKindNone);
    d_ = graphics_->Device();
    // Eight texels wide: the left half black, the right half yellow.
    std::vector<std::uint32_t> star(64);
    for (int i = 0; i < 64; ++i) star[i] = i % 8 < 4 ? 0x000000 : 0xFFFF00;
    resources_.RegisterCopy("STAR", test::Bmp24(8, 8, star));
    resources_.RegisterCopy("GREEN", test::Bmp24(1, 1, {0x00FF00}));
    square_ = test::WriteMesh(folder_ / "SQUARE.CAR", test::SquareMesh());
    cube_ = test::WriteMesh(folder_ / "CUBE.CAR", test::CubeMesh(2));
  }
  void TearDown() override {
    if (const char* dir = std::getenv("QUARNIX_RENDER_OUT")) {
      const auto name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      SaveScreenshot(*d_, (std::filesystem::path(dir) / (std::string("toolkit_") + name + ".png")).string());
    }
  }

  // The camera at eye looking at the origin, through the game's projection.
  void LookFrom(const D3DVECTOR& eye, float fov) {
    SetProjection(*d_, fov);
    CamObject cam(*d_);
    cam.SetNumStaticPosition(1);
    cam.SetCamStaticPosition(1, 0, 0, 0, eye.x, eye.y, eye.z, 0, 0, 0);
    cam.SetNowStaticPosition(1);
    cam.SetCam();
  }
  // Where a world point appears in the picture (pixel column, row).
  std::pair<int, int> Project(const D3DVECTOR& p) const {
    const D3DMATRIX viewProjection =
        D3DXMatrixMultiply(d_->GetTransform(D3DTS_VIEW), d_->GetTransform(D3DTS_PROJECTION));
    const D3DVECTOR ndc = D3DXVec3TransformCoord(p, viewProjection);
    return {static_cast<int>((ndc.x + 1) / 2 * W), static_cast<int>((1 - ndc.y) / 2 * H)};
  }
  Rgb At(const std::vector<std::uint8_t>& picture, std::pair<int, int> xy) const {
    EXPECT_TRUE(xy.first >= 0 && xy.first < W && xy.second >= 0 && xy.second < H);
    const std::uint8_t* q = &picture[(static_cast<std::size_t>(xy.second) * W + xy.first) * 4];
    return Rgb{q[0], q[1], q[2]};
  }
  void ExpectColour(Rgb got, Rgb want, const char* where) {
    EXPECT_NEAR(got.r, want.r, 3) << where;
    EXPECT_NEAR(got.g, want.g, 3) << where;
    EXPECT_NEAR(got.b, want.b, 3) << where;
  }

  static GlGraphics* graphics_;
  IDevice* d_ = nullptr;
  test::TempFolder folder_;
  BitmapResources resources_;
  std::filesystem::path square_, cube_;
};
GlGraphics* ToolkitRender::graphics_ = nullptr;

TEST_F(ToolkitRender, MeshFromAnXFileLandsWhereTheCameraProjectsIt) {
  XObject cube(*d_, resources_);
  cube.LoadXFile(cube_, 1, "Green", 0, 0, 2);
  LookFrom({0, 0, -20}, 45);
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1);
  d_->BeginScene();
  // Half size at (4, 2, 0): the scale moves it to (2, 1, 0).
  cube.DisplayXfile(0, 0, 0.5f, 4, 2, 0, 0, 0, 0, 0);
  d_->EndScene();
  const auto picture = d_->ReadPixels();
  ExpectColour(At(picture, Project({2, 1, 0})), {0, 255, 0}, "centre of the cube");
  ExpectColour(At(picture, Project({2.4f, 0.6f, -0.5f})), {0, 255, 0}, "near corner, inside");
  ExpectColour(At(picture, Project({4, 2, 0})), {0, 0, 255}, "where it would be unscaled");
  ExpectColour(At(picture, Project({2, 1.9f, 0})), {0, 0, 255}, "above the cube");
  ExpectColour(At(picture, Project({-2, -1, 0})), {0, 0, 255}, "the mirrored place");

  // The same object turned and moved by the quaternion draw lands at its new place.
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1);
  d_->BeginScene();
  cube.QDisplayXfile(0, 0, 0.5f, 45, 0, 0, {}, {-3, -2, 0});
  d_->EndScene();
  const auto turned = d_->ReadPixels();
  ExpectColour(At(turned, Project({-3, -2, 0})), {0, 255, 0}, "centre after the move");
  ExpectColour(At(turned, Project({2, 1, 0})), {0, 0, 255}, "old place");
}

TEST_F(ToolkitRender, ColourKeyedStarLetsTheBackgroundThrough) {
  XObject keyed(*d_, resources_), plain(*d_, resources_);
  keyed.LoadXFile(square_, 1, "Star", 0xFF000000, 0, 1);
  plain.LoadXFile(square_, 1, "Star", 0, 0, 1);
  LookFrom({0, 0, -5}, 60);
  d_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  const auto left = Project({-0.5f, 0, 0}), right = Project({0.5f, 0, 0});

  for (XObject* star : {&keyed, &plain}) {
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFF0000, 1);
    d_->BeginScene();
    star->DisplayXfile(0, 1, 1, 0, 0, 0, 0, 0, 0, 0);
    d_->EndScene();
    const auto picture = d_->ReadPixels();
    ExpectColour(At(picture, right), {255, 255, 0}, "yellow half");
    if (star == &keyed)
      ExpectColour(At(picture, left), {255, 0, 0}, "keyed black half shows the red background");
    else
      ExpectColour(At(picture, left), {0, 0, 0}, "unkeyed black half covers the background");
  }
  // The draw leaves blending off again.
  EXPECT_EQ(d_->GetRenderState(D3DRS_ALPHABLENDENABLE), 0u);
}

TEST_F(ToolkitRender, TextureDriftReachesThePicture) {
  XObject star(*d_, resources_);
  star.LoadXFile(square_, 1, "Star", 0, 0, 1);
  LookFrom({0, 0, -5}, 60);
  auto draw = [&] {
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1);
    d_->BeginScene();
    star.DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
    d_->EndScene();
    return d_->ReadPixels();
  };
  const auto left = Project({-0.5f, 0, 0}), right = Project({0.5f, 0, 0});
  ExpectColour(At(draw(), left), {0, 0, 0}, "left before");
  // Half a texture to the side: the repeating picture swaps its halves.
  star.EffectMoveTextureA(0.5f, 0);
  const auto moved = draw();
  ExpectColour(At(moved, left), {255, 255, 0}, "left after");
  ExpectColour(At(moved, right), {0, 0, 0}, "right after");
}

TEST_F(ToolkitRender, ScreenTextureKeyedBySumDrawsThroughTheSprite) {
  // Four by four: the left two columns black (keyed with sum 0), the rest white.
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 16; ++i) {
    const std::uint8_t v = i % 4 < 2 ? 0 : 255;
    bytes.insert(bytes.end(), {v, v, v});
  }
  ScreenObject panel(*d_, resources_);
  panel.FillTexture(4, bytes, 0, 15, 0, 255);
  auto sprite = d_->CreateSprite();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1);
  d_->BeginScene();
  sprite->Begin();
  const D3DVECTOR2 scaling{10, 10}, at{20, 20};
  sprite->Draw(panel.Texture(), nullptr, &scaling, nullptr, 0, &at, 0xFFFFFFFF);
  sprite->End();
  d_->EndScene();
  const auto picture = d_->ReadPixels();
  ExpectColour(At(picture, {30, 40}), {0, 0, 255}, "keyed column");
  ExpectColour(At(picture, {50, 40}), {255, 255, 255}, "white column");
  ExpectColour(At(picture, {70, 40}), {0, 0, 255}, "beyond the picture");
}

}  // namespace
}  // namespace quarnix
