// The OpenGL device drawing known scenes; pixels and depth are read back.

#include <gmock/gmock.h>

#include <cmath>
#include <tuple>

#include "PlatformTestUtil.h"
#include "platform/D3DXMath.h"

namespace quarnix {
namespace {

using test::Box;
using test::Rgb;
using ::testing::ElementsAre;

constexpr int W = 160, H = 120;
constexpr float Pi = 3.14159265358979f;
constexpr std::size_t Centre = static_cast<std::size_t>(H / 2) * W + W / 2;

class Render : public test::GlTest {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenDevice(W, H, 1, 0x00333333)); }
  std::shared_ptr<ITexture> Solid(int w, int h, std::uint32_t argb) {
    return CreateTextureFromImage(*d_, Image{w, h, std::vector<std::uint32_t>(w * h, argb)}, D3DX_FILTER_NONE,
                                  0);
  }
  // The camera 5 in front of the plane z = 0, lighting as asked, and a square facing it.
  std::unique_ptr<IMesh> Camera(bool lighting) {
    SetProjection(*d_, 60);
    d_->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
    d_->SetRenderState(D3DRS_LIGHTING, lighting ? 1 : 0);
    return test::Square().Mesh(*d_);
  }
  // Lit scenes: an ambient level and one grey directional light along +z.
  void Light(D3DCOLOR ambient, float diffuse) {
    d_->SetRenderState(D3DRS_AMBIENT, ambient);
    SetDirLight(*d_, {diffuse, diffuse, diffuse, 0}, {0, 0, 1}, 1, 0, 0, 1);
  }
  static D3DMATERIAL8 Material(float r, float g, float b) {
    D3DMATERIAL8 m{};
    m.Diffuse = m.Ambient = {r, g, b, 1};
    return m;
  }
  static D3DMATERIAL8 White() { return Material(1, 1, 1); }
  // Unlit red and green squares, the nearer red drawn first: only depth keeps it in front.
  std::vector<std::uint8_t> TwoSquares(D3DCOLOR background) {
    auto square = Camera(false);
    auto red = Solid(2, 2, 0xFFFF0000), green = Solid(2, 2, 0xFF00FF00);
    return Scene(background, [&] {
      d_->SetTexture(0, red.get());
      d_->SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(0, 0, -1));
      square->DrawSubset(0);
      d_->SetTexture(0, green.get());
      d_->SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(1.5f, 0, 1));
      square->DrawSubset(0);
    });
  }
};

// Pixels where a channel of a and b differs by more than the tolerance.
int Differing(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int tolerance) {
  int n = 0;
  for (std::size_t i = 0; i < a.size(); i += 4)
    n += std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])}) >
         tolerance;
  return n;
}

// The picture x of a point at x in front of the camera at depth z (60 degrees high).
int ScreenX(float x, float z) { return int(W / 2 * (1 + std::sqrt(3.0f) * x / z)); }

TEST_F(Render,
       ClearTextureLocksDeadDeviceObjectsThenALitTexturedCubeIsTextureTimesLightingAndScreenshotHoldsIt) {
  EXPECT_EQ(kind_, DeviceKindForRenderer(d_->Info().Renderer));
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 0.25f);
  ExpectColour(d_->ReadPixels(), 0, 0, {0x33, 0x66, 0x99}, 0);
  EXPECT_NEAR(graphics_->ReadDepth()[W * 7 + 3], 0.25f, 1e-5);
  d_->Present();  // into the hidden window; must not disturb the picture
  ExpectColour(d_->ReadPixels(), W - 1, H - 1, {0x33, 0x66, 0x99}, 0);
  auto texture = Solid(3, 2, 0x80102030);  // its pixels are kept only in GL: a second lock reads them back
  std::span<std::uint8_t> bytes = texture->LockRect();
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_THAT(bytes.first(4), ElementsAre(0x30, 0x20, 0x10, 0x80));
  bytes[23] = 0x44;
  texture->UnlockRect();
  bytes = texture->LockRect();
  EXPECT_TRUE(bytes[20] == 0x30 && bytes[23] == 0x44);
  texture->UnlockRect();
  auto mesh = test::Square().Mesh(*d_);  // objects outliving their device refuse work and die quietly
  auto font = MakeFont(*d_, "Arial", 9, false, false, false);
  d_->SetTexture(0, texture.get());
  ASSERT_NO_FATAL_FAILURE(OpenDevice(W, H, 1, 0));
  d_->BeginScene();
  EXPECT_THROW(mesh->DrawSubset(0), std::logic_error);
  EXPECT_THROW(font->DrawText("x", RECT{0, 0, 50, 50}, DT_LEFT, 0xFFFFFFFF), std::logic_error);
  d_->EndScene();
  EXPECT_THROW(texture->LockRect(), std::logic_error);
  EXPECT_THROW(texture->UnlockRect(), std::logic_error);
  Camera(true);
  Light(0x00333333, 0.6f);  // 0.2 ambient
  auto orange = Solid(4, 4, 0xFFFF8040);
  auto cube = Box({-1, -1, -1}, {1, 1, 1}).Mesh(*d_);
  const auto p = Scene(0, [&] {
    d_->SetMaterial(White());
    d_->SetTexture(0, orange.get());
    d_->SetTransform(D3DTS_WORLD, D3DXMatrixRotationY(Pi / 6));
    cube->DrawSubset(0);
  });
  // Turned 30 degrees: front face (normal (-0.5, 0, -0.866)) left, right face right; 0.2 + 0.6 N.L.
  auto lit = [](float l) {
    return Rgb{int(std::lround(255 * l)), int(std::lround(128 * l)), int(std::lround(64 * l))};
  };
  const int frontX = ScreenX(-0.5f, 5 - 0.866f), sideX = ScreenX(0.866f, 5 - 0.5f);
  ExpectColour(p, frontX, H / 2, lit(0.2f + 0.6f * std::cos(Pi / 6)), 3);
  ExpectColour(p, sideX, H / 2, lit(0.2f + 0.6f * 0.5f), 3);
  ExpectColour(p, 2, 2, {0, 0, 0}, 0);
  const auto path = std::filesystem::temp_directory_path() / "quarnix-render-cube.png";
  SaveScreenshot(*d_, path.string());
  const Image shot = LoadImageFile(path.string());
  std::filesystem::remove(path);
  ASSERT_EQ(shot.Argb.size(), p.size() / 4);
  for (std::size_t i = 0; i < shot.Argb.size(); ++i)
    ASSERT_EQ(shot.Argb[i], D3DCOLOR_ARGB(255, p[4 * i], p[4 * i + 1], p[4 * i + 2])) << i;
}

TEST_F(Render, UnlitSquaresNearerHideFartherCullModesDropFacesOneOneBlendingAddsKeyedTexelsAddNothing) {
  const auto p = TwoSquares(0);
  ExpectColour(p, 100, H / 2, {255, 0, 0}, 0);  // red spans x 45..114, green 92..137
  ExpectColour(p, 125, H / 2, {0, 255, 0}, 0);
  auto square = Camera(false);
  for (bool write : {false, true}) {
    const auto drawn = Scene(0, [&] {
      d_->SetRenderState(D3DRS_ZWRITEENABLE, write);
      square->DrawSubset(0);
    });
    EXPECT_EQ(drawn[Centre * 4 + 1], 255);
    // 5 in front of the eye: depth zf/(zf-zn) (1 - zn/5) with near 1, far 1000.
    EXPECT_NEAR(graphics_->ReadDepth()[Centre], write ? 1000.0 / 999 * (1 - 1.0 / 5) : 1.0, 1e-4);
  }
  d_->SetTexture(0, nullptr);  // the square turns clockwise as the camera sees it
  for (auto [mode, shown] : {std::pair{D3DCULL_CW, false}, {D3DCULL_CCW, true}, {D3DCULL_NONE, true}}) {
    d_->SetRenderState(D3DRS_CULLMODE, mode);
    EXPECT_EQ(Scene(0, [&] { square->DrawSubset(0); })[Centre * 4], shown ? 255 : 0) << "cull mode " << mode;
  }
  std::vector<std::uint32_t> pixels(8 * 8);  // the left half keyed, the right half a colour
  for (int i = 0; i < 64; ++i) pixels[i] = i % 8 < 4 ? 0xFF000000 : 0xFF302010;
  auto texture = CreateTextureFromImage(*d_, Image{8, 8, pixels}, D3DX_FILTER_NONE, 0xFF000000);
  for (auto filter : {D3DTSS_MAGFILTER, D3DTSS_MINFILTER}) d_->SetTextureStageState(0, filter, D3DTEXF_POINT);
  for (bool blend : {true, false}) {
    const auto q = Scene(0xFF402010, [&] {
      d_->SetTexture(0, texture.get());
      d_->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
      square->DrawSubset(0);
    });
    // The square spans about x 54..106: a quarter in is keyed, three quarters in is coloured.
    ExpectColour(q, W / 2 + 13, H / 2, blend ? Rgb{0x70, 0x40, 0x20} : Rgb{0x30, 0x20, 0x10}, 1);
    ExpectColour(q, W / 2 - 13, H / 2, blend ? Rgb{0x40, 0x20, 0x10} : Rgb{0, 0, 0}, 1);
    ExpectColour(q, 3, 3, {0x40, 0x20, 0x10}, 0);
  }
}

TEST_F(Render, InsideFacesOfOpaqueSolidsAreDroppedAndThePictureStaysTheSame) {
  Camera(true);
  d_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
  SetDirLight(*d_, {0.9f, 0.7f, 0.5f, 0}, {0.3f, -0.5f, 1}, 1, 0, 0, 1);
  auto texture = Solid(4, 4, 0xFFC0E0FF);
  const auto draw = [&](IMesh& mesh, const D3DMATRIX& world) {
    return Scene(0xFF102030, [&] {
      d_->SetMaterial(White());
      d_->SetTexture(0, texture.get());
      d_->SetTransform(D3DTS_WORLD, world);
      for (int subset = 0; subset < mesh.GetNumSubsets(); ++subset) mesh.DrawSubset(subset);
    });
  };
  const auto background = Scene(0xFF102030, [] {});
  const D3DMATRIX turned = D3DXMatrixMultiply(D3DXMatrixRotationX(0.4f), D3DXMatrixRotationY(0.5f));
  const std::tuple<const char*, D3DMATRIX, bool, bool> scenes[] = {
      // name, world, blended, dropped
      {"turned", turned, false, true},
      {"mirrored", D3DXMatrixMultiply(D3DXMatrixScaling(-1, 1, 1), turned), false, true},
      // The near plane (1 in front of the eye at z -5) cuts the cube: its inside shows.
      {"cut by the near plane", D3DXMatrixMultiply(turned, D3DXMatrixTranslation(0, 0, -3.6f)), false, false},
      {"blended", turned, true, false},  // added light shows the far faces through the near ones
  };
  const std::vector<std::uint32_t> split = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1};  // never one solid
  for (const auto& [name, world, blended, dropped] : scenes)
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(std::string(name) + (reversed ? ", reversed" : ""));
      d_->SetRenderState(D3DRS_ALPHABLENDENABLE, blended ? 1 : 0);
      auto faces = Box({-1, -1, -1}, {1, 1, 1});
      if (reversed) faces.Reverse();
      const auto whole = draw(*faces.Mesh(*d_), world);
      const std::uint32_t cull = graphics_->LastMeshCull();
      const auto reference = draw(*faces.Mesh(*d_, split), world);
      EXPECT_EQ(graphics_->LastMeshCull(), D3DCULL_NONE);
      EXPECT_EQ(cull != D3DCULL_NONE, dropped);
      EXPECT_LE(Differing(whole, reference, 3), 3);  // on the outline inside and outside faces tie in depth
      EXPECT_GT(Differing(reference, background, 3), W * H / 20);
    }
}

TEST_F(Render, UntexturedDrawsShowTheLitColourEachDrawKeepsItsStateSpecularAddsAHighlightWhenOn) {
  auto square = Camera(true);
  Light(0, 1);  // straight onto the squares: N.L = 1
  auto red = Solid(2, 2, 0xFFFF0000), green = Solid(2, 2, 0xFF00FF00);
  const D3DMATERIAL8 grey = Material(0.5f, 0.25f, 0.75f);
  const D3DMATRIX small = D3DXMatrixScaling(0.4f, 0.4f, 1);
  const auto p = Scene(0, [&] {
    d_->SetMaterial(grey);
    d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(1.5f, 0, 0)));
    square->DrawSubset(0);
    d_->SetMaterial(White());
    d_->SetTexture(0, red.get());
    d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(-1.5f, 0, 0)));
    square->DrawSubset(0);
    d_->SetTexture(0, nullptr);  // only the texture and the material change: the grey lands on the red
    d_->SetMaterial(grey);
    square->DrawSubset(0);
    d_->SetMaterial(White());
    d_->SetTexture(0, green.get());
    d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(0, 1.5f, 0)));
    square->DrawSubset(0);
  });
  const int left = ScreenX(-1.5f, 5), top = int(H / 2 * (1 - std::sqrt(3.0f) * 1.5f / 5));
  for (int x : {left, W - left}) ExpectColour(p, x, H / 2, {128, 64, 191});  // the lit material, once
  ExpectColour(p, W / 2, top, {0, 255, 0});
  ExpectColour(p, W / 2, H / 2, {0, 0, 0}, 0);
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixIdentity());  // the square alone, lit straight on
  d_->SetTexture(0, nullptr);
  D3DLIGHT8 light{};
  light.Diffuse = {0.2f, 0.2f, 0.2f, 0};
  light.Specular = {0.5f, 0.25f, 0, 0};
  light.Direction = {0, 0, 1};
  d_->SetLight(1, light);  // directional
  D3DMATERIAL8 m = White();
  m.Specular = {1, 1, 1, 1};
  m.Power = 4;
  // Lit at the corners, spread over the square: half-way between eye ((-1, -1, -5) / sqrt 27) and light.
  const float e = 1 / std::sqrt(27.0f), hz = -5 * e - 1;
  const float highlight = std::pow(-hz / std::sqrt(2 * e * e + hz * hz), 4.0f);
  const int dim = 51;  // 0.2 diffuse
  for (bool on : {true, false}) {
    d_->SetRenderState(D3DRS_SPECULARENABLE, on ? 1 : 0);
    const auto q = Scene(0, [&] {
      d_->SetMaterial(m);
      square->DrawSubset(0);
    });
    ExpectColour(
        q, W / 2, H / 2,
        on ? Rgb{dim + int(std::lround(127.5f * highlight)), dim + int(std::lround(63.75f * highlight)), dim}
           : Rgb{dim, dim, dim});
  }
}

// catches: window frames without depth, unlike the offscreen ones or not drawn; a resized window unboxed.
TEST_F(Render, FramesDrawnInTheWindowMatchTheOffscreenOnesAndAnotherSizeIsLetterboxed) {
  const auto offscreen = TwoSquares(0xFF203040);
  EXPECT_FALSE(graphics_->DrawsInWindow());
  auto inWindow = [&](int w, int h) {
    graphics_ =
        std::make_unique<GlGraphics>(GraphicsOptions{WindowMode::Hidden, "Quarnix render test", true});
    ASSERT_TRUE(graphics_->InitD3D());
    ASSERT_NO_FATAL_FAILURE(OpenDevice(w, h, 1, 0x00333333));
  };
  ASSERT_NO_FATAL_FAILURE(inWindow(W, H));
  EXPECT_TRUE(graphics_->DrawsInWindow());
  const auto drawn = TwoSquares(0xFF203040);
  ExpectColour(drawn, 100, H / 2, {255, 0, 0}, 0);
  EXPECT_EQ(Differing(drawn, offscreen, 1), 0);  // rows rasterised the other way up round at most one off
  ASSERT_NO_FATAL_FAILURE(inWindow(400, 200));   // the window keeps the first device's size
  EXPECT_TRUE(graphics_->DrawsInWindow());
  ASSERT_NO_FATAL_FAILURE(OpenDevice(160, 120, 1, 0));
  EXPECT_FALSE(graphics_->DrawsInWindow());
  auto green = Solid(1, 1, 0xFF00FF00);  // on the right half of red
  auto sprite = d_->CreateSprite();
  const D3DVECTOR2 scale{80, 120}, at{80, 0};
  Scene(0xFFFF0000, [&] {
    sprite->Begin();
    sprite->Draw(green.get(), nullptr, &scale, nullptr, 0, &at, 0xFFFFFFFF);
    sprite->End();
  });
  d_->Present();
  int w = 0, h = 0;
  const auto p = graphics_->ReadWindowPixels(w, h);
  ASSERT_TRUE(w == 400 && h == 200) << w << " x " << h;
  // 160 x 120 scaled by 200/120 is 267 x 200, centred: bars of 66 pixels each side.
  auto shown = [&](int x, int y) {
    return p[(static_cast<std::size_t>(y) * w + x) * 4] * 2 + p[(y * w + x) * 4 + 1];
  };
  for (int y : {0, 100, 199})
    for (auto [x, want] : {std::pair{30, 0}, {370, 0}, {80, 510}, {190, 510}, {210, 255}, {320, 255}})
      EXPECT_EQ(shown(x, y), want) << x << "," << y;
  graphics_.reset();
  SetUpTestSuite();
}

// The box around every pixel whose green is above the threshold.
RECT LitBox(const std::vector<std::uint8_t>& p, int threshold = 60) {
  RECT b{1 << 30, 1 << 30, -1, -1};
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (p[(static_cast<std::size_t>(y) * W + x) * 4 + 1] > threshold)
        b = {std::min<int>(b.left, x), std::min<int>(b.top, y), std::max<int>(b.right, x),
             std::max<int>(b.bottom, y)};
  return b;
}

TEST_F(Render, SpritesLandOnTheirSourcePixelsKeyedTexelsShowTheBackgroundTextIsPlacedClippedAndOrdered) {
  std::vector<std::uint32_t> pixels(16 * 16);  // every texel different (red 16 x, green 16 y), x 15 keyed
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      pixels[y * 16 + x] = x == 15 ? 0xFF0000FF : D3DCOLOR_ARGB(255, 16 * x, 16 * y, 0);
  auto texture = CreateTextureFromImage(*d_, Image{16, 16, pixels}, D3DX_FILTER_NONE, 0xFF0000FF);
  auto sprite = d_->CreateSprite();
  const int bgB = 200;
  const auto sprites = Scene(D3DCOLOR_ARGB(255, 0, 0, bgB), [&] {
    sprite->Begin();
    const RECT src{4, 4, 12, 10};
    const D3DVECTOR2 at{20, 30}, keyedAt{100, 30};
    sprite->Draw(texture.get(), &src, nullptr, nullptr, 0, &at, 0xA0FFFFFF);
    sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0, &keyedAt, 0xFFFFFFFF);
    sprite->End();
  });
  const float a = 0xA0 / 255.0f;
  for (int y = 30; y < 36; ++y)
    for (int x = 20; x < 28; ++x)  // texel (x - 16, y - 26)
      ExpectColour(sprites, x, y,
                   {int(std::lround(16 * (x - 16) * a)), int(std::lround(16 * (y - 26) * a)),
                    int(std::lround(bgB * (1 - a)))});
  for (auto [x, y] : {std::pair{19, 30}, {28, 30}, {20, 29}, {20, 36}, {27, 36}})
    ExpectColour(sprites, x, y, {0, 0, bgB}, 0);
  ExpectColour(sprites, 114, 33, {224, 48, 0}, 0);
  ExpectColour(sprites, 115, 33, {0, 0, bgB}, 0);
  auto font = MakeFont(*d_, "Arial", 16, false, false, false);
  const RECT rect{20, 20, 140, 70};
  int height = 0;
  auto draw = [&](const RECT& r, std::uint32_t format) {
    return Scene(0xFF000000, [&] { height = font->DrawText("Quarnix", r, format, 0xFFFFFF00); });
  };
  const auto p = draw(rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EXPECT_EQ(height, font->LineHeight());
  const RECT b = LitBox(p);
  ASSERT_GE(b.right, 0) << "no text drawn";
  EXPECT_NEAR((b.left + b.right) / 2.0, (rect.left + rect.right) / 2.0, 2.0);
  EXPECT_NEAR((b.top + b.bottom) / 2.0, (rect.top + rect.bottom) / 2.0, 4.0);
  EXPECT_GT(b.right - b.left, 30);
  int brightest = 0, blue = 0;  // yellow glyphs: red full, no blue anywhere
  for (std::size_t i = 0; i < p.size(); i += 4)
    blue = std::max<int>(blue, p[i + 2]), brightest = std::max<int>(brightest, p[i]);
  EXPECT_LE(blue, 1);
  EXPECT_GE(brightest, 250);
  const RECT narrow{60, 20, 80, 70};  // too narrow for the word: nothing outside it unless told not to clip
  const RECT clipped = LitBox(draw(narrow, DT_CENTER), 0);
  EXPECT_TRUE(clipped.left >= narrow.left && clipped.right <= narrow.right - 1);
  EXPECT_LT(LitBox(draw(narrow, DT_CENTER | DT_NOCLIP), 0).left, narrow.left);
  auto bold = MakeFont(*d_, "Arial", 16, true, false, false);
  auto panel = Solid(40, 40, 0xFF0000FF);
  const auto onTop = Scene(0xFF000000, [&] {  // text drawn after a sprite lies on top of it
    sprite->Begin();
    const D3DVECTOR2 at{20, 20};
    sprite->Draw(panel.get(), nullptr, nullptr, nullptr, 0, &at, 0xFFFFFFFF);
    bold->DrawText("MM", RECT{20, 20, 60, 60}, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xFF00FF00);
    sprite->End();
  });
  const RECT m = LitBox(onTop);
  EXPECT_TRUE(m.left >= 20 && m.right <= 59 && m.right > m.left) << m.left << " " << m.right;
}

}  // namespace
}  // namespace quarnix
