// The play screen on the real OpenGL device, drawn from known game states and read back pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>
#include <vector>

#include "../platform/PlatformTestUtil.h"
#include "PlayScreenTestUtil.h"

namespace quarnix {
namespace {

struct Rgb {
  double r = 0, g = 0, b = 0;
};
bool Unlit(Rgb c) { return c.r + c.g + c.b < 30; }

class PlayScreenGl : public test::GlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenDevice(mode_.ScreenWidth, mode_.ScreenHeight, 1, 0x00505050));
    scene_ = std::make_unique<test::PlayScene>(*d_, mode_, random_);
  }
  GameState& S() { return *scene_->state; }
  ScreenState& V() { return scene_->renderer->Screen(); }
  void Frame() {
    scene_->renderer->RenderFrame();
    pixels_ = d_->ReadPixels();
  }
  Rgb Pixel(int x, int y) const {
    EXPECT_TRUE(x >= 0 && x < mode_.ScreenWidth && y >= 0 && y < mode_.ScreenHeight) << x << "," << y;
    x = std::clamp(x, 0, mode_.ScreenWidth - 1), y = std::clamp(y, 0, mode_.ScreenHeight - 1);
    const std::size_t i = (static_cast<std::size_t>(y) * mode_.ScreenWidth + x) * 4;
    return {double(pixels_[i]), double(pixels_[i + 1]), double(pixels_[i + 2])};
  }
  Rgb At(D3DVECTOR p) const {
    const D3DMATRIX view = D3DXMatrixLookAtLH(test::StartEye, test::StartLookAt, {0, 1, 0});
    const D3DMATRIX proj = D3DXMatrixPerspectiveFovLH(60 * 0.017453292519943278f, 1, 1, 1000);
    const D3DVECTOR c = D3DXVec3TransformCoord(p, D3DXMatrixMultiply(view, proj));
    return Pixel(int(std::lround((c.x + 1) / 2 * mode_.ScreenWidth)),
                 int(std::lround((1 - c.y) / 2 * mode_.ScreenHeight)));
  }
  Rng random_{11};
  const ScreenMode mode_ = ScreenModeFor(0);
  std::unique_ptr<test::PlayScene> scene_;
  std::vector<std::uint8_t> pixels_;
};

// World position of the field cell (x, y, layer z): the field's x and y exchanged.
D3DVECTOR Cell(int x, int y, float z) { return {2.0f * y - 6, z - 1, 6 - 2.0f * x}; }

// catches: a cube kind, the glow, a special, the marker or the floor missing or in the wrong place or colour.
TEST_F(PlayScreenGl, TheWellShowsEachCubeKindTheMarkerAndTheFloor) {
  for (Display d : {Display::PlayShow, Display::PieceShow, Display::BackShow}) V().Show(d, true);
  V().BackMotion = {12, 8, -6, 45, 25, 20, 0.02f, 0.02f, 0.05f};
  for (int c = 1; c <= 4; ++c)
    for (int z = 1; z <= c; ++z) S().CubeArray(1, c, z) = static_cast<CellKind>(c);
  S().CubeArray(2, 5, 1) = CellKind::CubeClear;
  for (int k = 5; k <= 9; ++k) S().CubeArray(5, k - 4, 1) = static_cast<CellKind>(k);
  S().NowCube(3, 2) = CellKind::Red;
  S().NowCubeZ = 7;
  V().SpinAngle = 21;
  for (int i = 0; i < 2; ++i) Frame();  // lit from the second frame on; the marker turned by 25 degrees
  const Rgb red = At(Cell(1, 1, 2)), green = At(Cell(1, 2, 3)), blue = At(Cell(1, 3, 4)),
            yellow = At(Cell(1, 4, 5)), glow = At(Cell(2, 5, 2.03f));  // the clearing cube glows on its own
  EXPECT_TRUE(red.r > red.g + 40 && red.r > red.b + 40);
  EXPECT_TRUE(green.g > green.r + 30 && green.g > green.b + 30);
  EXPECT_GT(blue.b, blue.r + 30);
  EXPECT_TRUE(yellow.r > yellow.b + 60 && yellow.g > yellow.b + 60);
  EXPECT_GT(glow.r + glow.g + glow.b, 400);
  for (int y = 1; y <= 5; ++y) EXPECT_FALSE(Unlit(At(Cell(5, y, 1.5f)))) << "special " << y + 4;
  const float a = 25 * 0.017453292519943278f;
  const Rgb frame = At({-2 - 0.81f * std::sin(a), 0.02f, -0.81f * std::cos(a)});
  EXPECT_TRUE(frame.b > 180 && frame.g > 150) << frame.b << "," << frame.g;
  const Rgb floor = At(Cell(3, 2, 1));
  EXPECT_TRUE(!Unlit(floor) && std::abs(floor.g - floor.r) < 30) << floor.r << "," << floor.g;
}

// catches: a tunnel that leaves gaps as it sways, stars not drawn or their black not see-through.
TEST_F(PlayScreenGl, BackgroundFillsTheViewAsItSwaysAndStarsShine) {
  V().Show(Display::BackShow, true);
  for (const auto& [roll, pitch, yaw] :
       {std::tuple{0.0f, 0.0f, 0.0f}, std::tuple{40.0f, 40.0f, 30.0f}, std::tuple{-100.0f, 20.0f, -30.0f}}) {
    V().BackMotion = {roll, pitch, yaw, 360, 60, 60, 0.02f, 0.02f, 0.05f};
    Frame();
    int lit = 0, total = 0;
    for (int y = 0; y < mode_.ScreenHeight; y += 8)
      for (int x = 0; x < mode_.ScreenWidth; x += 8, ++total) lit += !Unlit(Pixel(x, y));
    EXPECT_GT(lit, total * 7 / 10) << roll << ", " << pitch << ", " << yaw;
  }
  V().Show(Display::BackShow, false);
  V().Show(Display::EffectShow, true);
  V().EffectKind = CellKind::Stack;
  V().ParticleCount = 3;
  for (int i = 1; i <= 3; ++i) V().Particle(i) = {-8.0f + 4 * i, 4, 0, 0, 0, 0, 100};
  Frame();
  for (int i = 1; i <= 3; ++i) {
    const Rgb c = At({-8.0f + 4 * i, 4, 0});
    EXPECT_GT(c.r + c.g + c.b, 200) << "star " << i;
    EXPECT_TRUE(Unlit(At({-8.0f + 4 * i + 1.2f, 4.9f, 0})))
        << "the black around star " << i << " adds nothing";
  }
}

// catches: a draw moved forward where it changes a pixel (busy wells, each camera, against the reference).
TEST_F(PlayScreenGl, TheDrawOrderLeavesEveryPixelAsTheReferenceOrderDoes) {
  using View = std::pair<D3DVECTOR, D3DVECTOR>;  // eye, looked at
  const View views[] = {{test::StartEye, test::StartLookAt},
                        {{2, 15, -8.5f}, {0, 3.5f, 0}},
                        {{-1.25f, 17, -3.5f}, {0, 3.5f, 0}}};
  const auto picture = [&](bool reference, std::uint64_t seed, const View& view, bool turning) {
    scene_.reset();  // a fresh scene: the same well for both orders
    SetUp();
    const auto& [eye, at] = view;
    scene_->cam.SetCamValue(0, 0, 0, eye.x, eye.y, eye.z, at.x, at.y, at.z);
    scene_->cam.SetCam();
    scene_->renderer->SetReferenceOrder(reference);
    Rng fill(seed);
    for (int x = 1; x <= 5; ++x)
      for (int y = 1; y <= 5; ++y)
        for (int z = 1; z <= 10; ++z)
          if (fill.Next() < 0.8 - 0.05 * z)
            S().CubeArray(x, y, z) = static_cast<CellKind>(1 + int(fill.Next() * 11));
    for (int x = 2; x <= 4; ++x) S().NowCube(x, 2) = CellKind::Diamond;
    S().NowCubeZ = 10;
    S().TurnAngle = 30;
    for (Display part :
         turning ? std::vector{Display::FieldSpinShow, Display::TurnShow, Display::BackShow}
                 : std::vector{Display::PlayShow, Display::PieceShow, Display::BackShow, Display::EffectShow})
      V().Show(part, true);
    V().EffectKind = CellKind::Stack;
    V().ParticleCount = 90;
    for (int i = 1; i <= 90; ++i)
      V().Particle(i) = {float(i % 11) - 5, float(i % 7), float(i % 13) - 6, 0, 0.02f, 0, 100};
    Frame();
    return pixels_;
  };
  int n = 0;
  for (const View& view : views)
    for (bool turning : {false, true}) {
      const std::uint64_t seed = 11 + n++;
      const auto fast = picture(false, seed, view, turning), reference = picture(true, seed, view, turning);
      int off = 0;
      for (std::size_t i = 0; i < fast.size(); i += 4)
        off += fast[i] != reference[i] || fast[i + 1] != reference[i + 1] || fast[i + 2] != reference[i + 2];
      EXPECT_EQ(off, 0) << "view " << n << (turning ? ", turning" : "");
    }
}

}  // namespace
}  // namespace quarnix
