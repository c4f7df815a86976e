// The OpenGL device drawing known scenes (Mesa under SDL's offscreen driver
// when headless); pixels and depth are read back and checked.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/D3DXMath.h"
#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/TextureImage.h"

namespace quarnix {
namespace {

constexpr int W = 160, H = 120;
constexpr float Pi = 3.14159265358979f;

struct Rgb {
  int r, g, b;
};

class Render : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics_ = new GlGraphics(GraphicsOptions{WindowMode::Hidden, "render test"});
    ASSERT_TRUE(graphics_->InitD3D());
  }
  static void TearDownTestSuite() {
    delete graphics_;
    graphics_ = nullptr;
  }
  void SetUp() override {
    kind_ = graphics_->InitDevice(W, H, 1, 0x00333333);
    ASSERT_NE(kind_, DeviceKindNone);
    d_ = graphics_->Device();
  }
  void TearDown() override {
    // Keep a picture of every scene for a person to look at.
    if (const char* dir = std::getenv("QUARNIX_RENDER_OUT")) {
      const auto name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      SaveScreenshot(*d_, (std::filesystem::path(dir) / (std::string(name) + ".png")).string());
    }
  }

  Rgb Pixel(const std::vector<std::uint8_t>& p, int x, int y) {
    const std::uint8_t* q = &p[(static_cast<std::size_t>(y) * W + x) * 4];
    return Rgb{q[0], q[1], q[2]};
  }
  void ExpectPixel(const std::vector<std::uint8_t>& p, int x, int y, Rgb want, int tolerance = 2) {
    const Rgb got = Pixel(p, x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << "," << y;
  }

  std::shared_ptr<ITexture> Solid(int w, int h, std::uint32_t argb) {
    return CreateTextureFromImage(*d_, Image{w, h, std::vector<std::uint32_t>(w * h, argb)}, D3DX_FILTER_NONE,
                                  0);
  }

  // A square in the plane z = 0 from -1 to 1, facing -z (towards a camera on -z).
  std::unique_ptr<IMesh> Square() {
    std::vector<D3DVERTEX> v = {{-1, -1, 0, 0, 0, -1, 0, 1},
                                {-1, 1, 0, 0, 0, -1, 0, 0},
                                {1, 1, 0, 0, 0, -1, 1, 0},
                                {1, -1, 0, 0, 0, -1, 1, 1}};
    return d_->CreateMesh(v, {0, 1, 2, 0, 2, 3}, {0, 0});
  }

  // A cube from -1 to 1, four vertices and its own normal per face.
  std::unique_ptr<IMesh> Cube() {
    std::vector<D3DVERTEX> v;
    std::vector<std::uint32_t> idx, attr;
    const float n[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    for (const auto& f : n) {
      // Two axes spanning the face.
      const float a[3] = {f[1] != 0 ? 1.0f : f[2] != 0 ? 1.0f : 0.0f, 0, f[0] != 0 ? 1.0f : 0.0f};
      const float b[3] = {0, f[1] != 0 ? 0.0f : 1.0f, f[1] != 0 ? 1.0f : 0.0f};
      const auto base = static_cast<std::uint32_t>(v.size());
      for (int k = 0; k < 4; ++k) {
        const float s = (k == 1 || k == 2) ? 1.0f : -1.0f, t = (k >= 2) ? 1.0f : -1.0f;
        v.push_back({f[0] + s * a[0] + t * b[0], f[1] + s * a[1] + t * b[1], f[2] + s * a[2] + t * b[2], f[0],
                     f[1], f[2], (s + 1) / 2, (t + 1) / 2});
      }
      idx.insert(idx.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
      attr.insert(attr.end(), {0, 0});
    }
    return d_->CreateMesh(v, idx, attr);
  }

  void Camera() {
    SetProjection(*d_, 60);
    d_->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH({0, 0, -5}, {0, 0, 0}, {0, 1, 0}));
  }

  static D3DMATERIAL8 White() {
    D3DMATERIAL8 m{};
    m.Diffuse = m.Ambient = {1, 1, 1, 1};
    return m;
  }

  static GlGraphics* graphics_;
  IDevice* d_ = nullptr;
  int kind_ = 0;
};
GlGraphics* Render::graphics_ = nullptr;

TEST_F(Render, DeviceKindFollowsTheRenderer) {
  const DeviceInfo info = d_->Info();
  EXPECT_FALSE(info.Renderer.empty());
  EXPECT_EQ(kind_, DeviceKindForRenderer(info.Renderer));
  EXPECT_EQ(d_->Width(), W);
  EXPECT_EQ(d_->Height(), H);
}

TEST_F(Render, ObjectsOutlivingTheirDeviceRefuseWorkAndDieQuietly) {
  auto texture = Solid(2, 2, 0xFFFFFFFF);
  auto mesh = Square();
  auto font = MakeFont(*d_, "Arial", 9, false, false, false);
  d_->SetTexture(0, texture.get());
  ASSERT_NE(graphics_->InitDevice(W, H, 1, 0), DeviceKindNone);
  d_ = graphics_->Device();
  d_->BeginScene();
  EXPECT_THROW(mesh->DrawSubset(0), std::logic_error);
  EXPECT_THROW(font->DrawText("x", RECT{0, 0, 50, 50}, DT_LEFT, 0xFFFFFFFF), std::logic_error);
  d_->EndScene();
  EXPECT_THROW(texture->LockRect(), std::logic_error);
  EXPECT_THROW(texture->UnlockRect(), std::logic_error);
  texture.reset();
  mesh.reset();
  font.reset();
}

TEST_F(Render, ATextureLockedAgainHoldsWhatWasWritten) {
  // Its pixels are kept only in GL: a second lock reads them back.
  auto texture = Solid(3, 2, 0x80102030);
  std::span<std::uint8_t> bytes = texture->LockRect();
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4)),
            (std::vector<std::uint8_t>{0x30, 0x20, 0x10, 0x80}));
  bytes[23] = 0x44;
  texture->UnlockRect();
  bytes = texture->LockRect();
  const std::vector<std::uint8_t> again(bytes.begin(), bytes.end());
  texture->UnlockRect();
  EXPECT_EQ(again[20], 0x30);
  EXPECT_EQ(again[23], 0x44);
}

TEST_F(Render, ClearFillsThePictureAndTheDepth) {
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF336699, 0.25f);
  const auto p = d_->ReadPixels();
  ExpectPixel(p, 0, 0, {0x33, 0x66, 0x99}, 0);
  ExpectPixel(p, W - 1, H - 1, {0x33, 0x66, 0x99}, 0);
  EXPECT_NEAR(graphics_->ReadDepth()[W * 7 + 3], 0.25f, 1e-5);
  d_->BeginScene();
  d_->EndScene();
  d_->Present();  // letterboxed into the (hidden) window; must not disturb the picture
  ExpectPixel(d_->ReadPixels(), 5, 5, {0x33, 0x66, 0x99}, 0);
}

TEST_F(Render, LitTexturedCubeIsTextureTimesLighting) {
  Camera();
  d_->SetRenderState(D3DRS_AMBIENT, 0x00333333);  // 0.2
  SetDirLight(*d_, {0.6f, 0.6f, 0.6f, 0}, {0, 0, 1}, 1, 0, 0, 1);
  auto texture = Solid(4, 4, 0xFFFF8040);
  auto cube = Cube();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
  d_->BeginScene();
  d_->SetMaterial(White());
  d_->SetTexture(0, texture.get());
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixRotationY(Pi / 6));
  cube->DrawSubset(0);
  d_->EndScene();
  const auto p = d_->ReadPixels();
  // Turned 30 degrees: the front face (normal (-0.5, 0, -0.866)) lies left of the
  // middle, the right side face (normal (0.866, 0, -0.5)) right of it. The light
  // shines along +z, so N.L is 0.866 and 0.5; lighting = 0.2 ambient + 0.6 N.L.
  const float front = 0.2f + 0.6f * std::cos(Pi / 6), side = 0.2f + 0.6f * 0.5f;
  auto lit = [](float l) {
    return Rgb{int(std::lround(255 * l)), int(std::lround(128 * l)), int(std::lround(64 * l))};
  };
  // Face centres projected: x = sqrt(3) * X / Z on a 160-wide picture.
  const int frontX = int(W / 2 * (1 + std::sqrt(3.0f) * -0.5f / (5 - 0.866f)));
  const int sideX = int(W / 2 * (1 + std::sqrt(3.0f) * 0.866f / (5 - 0.5f)));
  ExpectPixel(p, frontX, H / 2, lit(front), 3);
  ExpectPixel(p, sideX, H / 2, lit(side), 3);
  EXPECT_GT(Pixel(p, frontX, H / 2).r, Pixel(p, sideX, H / 2).r + 40);
  ExpectPixel(p, 2, 2, {0, 0, 0}, 0);  // background untouched

  // The screenshot holds the same picture, top row first.
  const auto path = std::filesystem::temp_directory_path() / "quarnix-render-cube.png";
  SaveScreenshot(*d_, path.string());
  const Image shot = LoadImageFile(path.string());
  std::filesystem::remove(path);
  ASSERT_EQ(shot.Width, W);
  const Rgb seen = Pixel(p, frontX, H / 4 * 3 - 10);
  EXPECT_EQ(shot.Argb[(H / 4 * 3 - 10) * W + frontX], D3DCOLOR_ARGB(255, seen.r, seen.g, seen.b));
  EXPECT_EQ(shot.Argb[2 * W + 2], 0xFF000000u);
}

TEST_F(Render, LightingOffDrawsTheTextureAsItIs) {
  Camera();
  d_->SetRenderState(D3DRS_LIGHTING, 0);
  auto texture = Solid(2, 2, 0xFF20A0E0);
  auto square = Square();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
  d_->BeginScene();
  d_->SetTexture(0, texture.get());
  square->DrawSubset(0);
  d_->EndScene();
  ExpectPixel(d_->ReadPixels(), W / 2, H / 2, {0x20, 0xA0, 0xE0}, 1);
}

TEST_F(Render, OneOneBlendingAddsAndKeyedPixelsAddNothing) {
  Camera();
  d_->SetRenderState(D3DRS_LIGHTING, 0);
  // Left half keyed (opaque black becomes transparent black), right half grey.
  std::vector<std::uint32_t> pixels(8 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) pixels[y * 8 + x] = x < 4 ? 0xFF000000 : 0xFF303030;
  auto texture = CreateTextureFromImage(*d_, Image{8, 8, pixels}, D3DX_FILTER_NONE, 0xFF000000);
  d_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  d_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  auto square = Square();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF402010, 1);
  d_->BeginScene();
  d_->SetTexture(0, texture.get());
  d_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  square->DrawSubset(0);
  d_->EndScene();
  const auto p = d_->ReadPixels();
  // The square spans about x 54..106: a quarter in is keyed, three quarters in is grey.
  ExpectPixel(p, W / 2 + 13, H / 2, {0x70, 0x50, 0x40}, 1);
  ExpectPixel(p, W / 2 - 13, H / 2, {0x40, 0x20, 0x10}, 1);
  ExpectPixel(p, 3, 3, {0x40, 0x20, 0x10}, 0);

  // Blending off: the grey replaces the background.
  d_->BeginScene();
  d_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  square->DrawSubset(0);
  d_->EndScene();
  ExpectPixel(d_->ReadPixels(), W / 2 + 13, H / 2, {0x30, 0x30, 0x30}, 1);
}

TEST_F(Render, DepthWriteOffLeavesTheDepthBufferAlone) {
  Camera();
  d_->SetRenderState(D3DRS_LIGHTING, 0);
  auto square = Square();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
  d_->BeginScene();
  d_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  square->DrawSubset(0);
  d_->EndScene();
  const std::size_t centre = static_cast<std::size_t>(H / 2) * W + W / 2;
  EXPECT_EQ(d_->ReadPixels()[centre * 4], 255);  // drawn (white)
  EXPECT_EQ(graphics_->ReadDepth()[centre], 1.0f);

  d_->BeginScene();
  d_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  square->DrawSubset(0);
  d_->EndScene();
  // The square is 5 in front of the eye: depth zf/(zf-zn) (1 - zn/5) with near 1, far 1000.
  EXPECT_NEAR(graphics_->ReadDepth()[centre], 1000.0 / 999 * (1 - 1.0 / 5), 1e-4);
}

TEST_F(Render, NearerSurfacesHideFartherOnes) {
  Camera();
  d_->SetRenderState(D3DRS_LIGHTING, 0);
  auto red = Solid(2, 2, 0xFFFF0000), green = Solid(2, 2, 0xFF00FF00);
  auto square = Square();
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
  d_->BeginScene();
  d_->SetTexture(0, red.get());
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(0, 0, -1));  // nearer
  square->DrawSubset(0);
  d_->SetTexture(0, green.get());
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(0.5f, 0, 1));  // farther, drawn later
  square->DrawSubset(0);
  d_->EndScene();
  ExpectPixel(d_->ReadPixels(), W / 2, H / 2, {255, 0, 0}, 0);
}

TEST_F(Render, CullModesDropTheFacesTurningTheWayTheyName) {
  Camera();
  d_->SetRenderState(D3DRS_LIGHTING, 0);
  auto square = Square();  // turns clockwise as the camera sees it
  const std::size_t centre = (static_cast<std::size_t>(H / 2) * W + W / 2) * 4;
  for (auto [mode, shown] : {std::pair{D3DCULL_NONE, true}, {D3DCULL_CCW, true}, {D3DCULL_CW, false}}) {
    d_->SetRenderState(D3DRS_CULLMODE, mode);
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
    d_->BeginScene();
    square->DrawSubset(0);
    d_->EndScene();
    EXPECT_EQ(d_->ReadPixels()[centre], shown ? 255 : 0) << "cull mode " << mode;
  }
}

// A cube from -1 to 1 with a normal per face, every face turning clockwise
// seen from outside (or, reversed, the other way); its faces in one subset or
// in two, the first three faces and the last three (which the device never
// treats as one solid).
std::unique_ptr<IMesh> SolidCube(IDevice& d, bool reversed, bool twoSubsets) {
  using P = std::array<float, 3>;
  const std::array<std::pair<P, std::array<P, 4>>, 6> faces = {{
      {{0, 0, -1}, {{{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}}},
      {{0, 0, 1}, {{{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}}},
      {{-1, 0, 0}, {{{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}}},
      {{1, 0, 0}, {{{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}}},
      {{0, 1, 0}, {{{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}}},
      {{0, -1, 0}, {{{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}}}},
  }};
  std::vector<D3DVERTEX> v;
  std::vector<std::uint32_t> idx, attr;
  for (const auto& [n, corners] : faces) {
    const auto base = static_cast<std::uint32_t>(v.size());
    for (int k = 0; k < 4; ++k)
      v.push_back({corners[k][0], corners[k][1], corners[k][2], n[0], n[1], n[2], k >= 2 ? 1.0f : 0.0f,
                   k == 1 || k == 2 ? 0.0f : 1.0f});
    for (std::uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) idx.push_back(base + k);
    if (reversed)
      std::swap(idx[idx.size() - 1], idx[idx.size() - 2]),
          std::swap(idx[idx.size() - 4], idx[idx.size() - 5]);
    attr.insert(attr.end(), 2, twoSubsets && base >= 12 ? 1u : 0u);  // the same order either way
  }
  return d.CreateMesh(v, idx, attr);
}

TEST_F(Render, InsideFacesOfOpaqueSolidsAreDroppedAndThePictureStaysTheSame) {
  Camera();
  d_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
  SetDirLight(*d_, {0.9f, 0.7f, 0.5f, 0}, {0.3f, -0.5f, 1}, 1, 0, 0, 1);
  auto texture = Solid(4, 4, 0xFFC0E0FF);
  const auto draw = [&](IMesh& mesh, const D3DMATRIX& world) {
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1);
    d_->BeginScene();
    d_->SetMaterial(White());
    d_->SetTexture(0, texture.get());
    d_->SetTransform(D3DTS_WORLD, world);
    for (int subset = 0; subset < mesh.GetNumSubsets(); ++subset) mesh.DrawSubset(subset);
    d_->EndScene();
    return d_->ReadPixels();
  };
  const auto differing = [](const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); i += 4)
      n += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > 6;
    return n;
  };
  const D3DMATRIX turned = D3DXMatrixMultiply(D3DXMatrixRotationX(0.4f), D3DXMatrixRotationY(0.5f));
  const struct {
    const char* name;
    D3DMATRIX world;
    bool blended, dropped;
  } scenes[] = {
      {"turned", turned, false, true},
      {"mirrored", D3DXMatrixMultiply(D3DXMatrixScaling(-1, 1, 1), turned), false, true},
      // The near plane (1 in front of the eye at z -5) cuts the cube: its inside shows.
      {"cut by the near plane", D3DXMatrixMultiply(turned, D3DXMatrixTranslation(0, 0, -3.6f)), false, false},
      // Added light shows the far faces through the near ones.
      {"blended", turned, true, false},
  };
  for (const auto& scene : scenes)
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(std::string(scene.name) + (reversed ? ", reversed" : ""));
      d_->SetRenderState(D3DRS_ALPHABLENDENABLE, scene.blended ? 1 : 0);
      auto solid = SolidCube(*d_, reversed, false), split = SolidCube(*d_, reversed, true);
      const auto whole = draw(*solid, scene.world);
      const std::uint32_t cull = graphics_->LastMeshCull();
      const auto reference = draw(*split, scene.world);
      EXPECT_EQ(graphics_->LastMeshCull(), D3DCULL_NONE);
      EXPECT_EQ(cull != D3DCULL_NONE, scene.dropped);
      // Only pixels on the outline, where an inside and an outside face tie in depth, may differ.
      EXPECT_LE(differing(whole, reference), 3);
      EXPECT_GT(differing(reference, std::vector<std::uint8_t>(reference.size(), 0)), W * H / 20);
    }
}

TEST_F(Render, UntexturedDrawsShowTheLitColourAndEachDrawKeepsItsOwnState) {
  Camera();
  d_->SetRenderState(D3DRS_AMBIENT, 0);
  SetDirLight(*d_, {1, 1, 1, 0}, {0, 0, 1}, 1, 0, 0, 1);  // straight onto the squares: N.L = 1
  auto red = Solid(2, 2, 0xFFFF0000), green = Solid(2, 2, 0xFF00FF00);
  auto square = Square();
  D3DMATERIAL8 grey{};
  grey.Diffuse = grey.Ambient = {0.5f, 0.25f, 0.75f, 1};
  const D3DMATRIX small = D3DXMatrixScaling(0.4f, 0.4f, 1);
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
  d_->BeginScene();
  d_->SetMaterial(grey);
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(1.5f, 0, 0)));
  square->DrawSubset(0);
  d_->SetMaterial(White());
  d_->SetTexture(0, red.get());
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(-1.5f, 0, 0)));
  square->DrawSubset(0);
  // Only the texture and the material change: the grey lands on the red, not on the first grey.
  d_->SetTexture(0, nullptr);
  d_->SetMaterial(grey);
  square->DrawSubset(0);
  d_->SetMaterial(White());
  d_->SetTexture(0, green.get());
  d_->SetTransform(D3DTS_WORLD, D3DXMatrixMultiply(small, D3DXMatrixTranslation(0, 1.5f, 0)));
  square->DrawSubset(0);
  d_->EndScene();
  const auto p = d_->ReadPixels();
  // x = W/2 (1 + sqrt(3) X / 5) for a square 5 in front of the eye.
  const int left = int(W / 2 * (1 - std::sqrt(3.0f) * 1.5f / 5)), right = W - left;
  const int top = int(H / 2 * (1 - std::sqrt(3.0f) * 1.5f / 5));
  // No texture: the material's lit colour as it is (not multiplied by itself).
  const Rgb lit{128, 64, 191};
  ExpectPixel(p, right, H / 2, lit);
  ExpectPixel(p, left, H / 2, lit);
  ExpectPixel(p, W / 2, top, {0, 255, 0});
  ExpectPixel(p, W / 2, H / 2, {0, 0, 0}, 0);
}

TEST_F(Render, SpecularLightAddsItsHighlightOnlyWhenSwitchedOn) {
  Camera();
  d_->SetRenderState(D3DRS_AMBIENT, 0);
  SetDirLight(*d_, {0.2f, 0.2f, 0.2f, 0}, {0, 0, 1}, 1, 0, 0, 1);
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {0.2f, 0.2f, 0.2f, 0};
  light.Specular = {0.5f, 0.25f, 0, 0};
  light.Direction = {0, 0, 1};
  d_->SetLight(1, light);
  D3DMATERIAL8 m = White();
  m.Specular = {1, 1, 1, 1};
  m.Power = 4;
  auto square = Square();
  for (bool on : {true, false}) {
    d_->SetRenderState(D3DRS_SPECULARENABLE, on ? 1 : 0);
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
    d_->BeginScene();
    d_->SetMaterial(m);
    square->DrawSubset(0);
    d_->EndScene();
    // Lit at the corners (all alike) and spread over the square: the half-way
    // vector between the eye (0, 0, -5) and the light, against the normal.
    const float toEye[3] = {-1 / std::sqrt(27.0f), -1 / std::sqrt(27.0f), -5 / std::sqrt(27.0f)};
    const float h[3] = {toEye[0], toEye[1], toEye[2] - 1};
    const float highlight = std::pow(-h[2] / std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]), 4.0f);
    const int grey = 51;  // 0.2 diffuse
    const Rgb lit{grey + int(std::lround(127.5f * highlight)), grey + int(std::lround(63.75f * highlight)),
                  grey};
    ExpectPixel(d_->ReadPixels(), W / 2, H / 2, on ? lit : Rgb{grey, grey, grey});
  }
}

TEST_F(Render, SpriteLandsOnTheExactPixelsOfItsSourceRect) {
  // Every texel different: red = 16 x, green = 16 y.
  std::vector<std::uint32_t> pixels(16 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels[y * 16 + x] = D3DCOLOR_ARGB(255, 16 * x, 16 * y, 0);
  auto texture = CreateTextureFromImage(*d_, Image{16, 16, pixels}, D3DX_FILTER_NONE, 0);
  auto sprite = d_->CreateSprite();
  const int bgB = 200;
  d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, bgB), 1);
  d_->BeginScene();
  sprite->Begin();
  const RECT src{4, 4, 12, 10};
  const D3DVECTOR2 at{20, 30};
  sprite->Draw(texture.get(), &src, nullptr, nullptr, 0, &at, 0xA0FFFFFF);
  sprite->End();
  d_->EndScene();
  const auto p = d_->ReadPixels();
  const float a = 0xA0 / 255.0f;
  for (int y = 30; y < 36; ++y)
    for (int x = 20; x < 28; ++x) {
      const int tx = x - 20 + 4, ty = y - 30 + 4;
      ExpectPixel(
          p, x, y,
          {int(std::lround(16 * tx * a)), int(std::lround(16 * ty * a)), int(std::lround(bgB * (1 - a)))}, 2);
    }
  // Nothing outside the rectangle.
  for (auto [x, y] : {std::pair{19, 30}, {28, 30}, {20, 29}, {20, 36}, {27, 36}})
    ExpectPixel(p, x, y, {0, 0, bgB}, 0);
}

TEST_F(Render, ColourKeyedSpritePixelsShowTheBackground) {
  std::vector<std::uint32_t> pixels(8 * 8);
  for (int i = 0; i < 64; ++i) pixels[i] = (i % 8) < 4 ? 0xFF000000 : 0xFF00FF00;
  auto texture = CreateTextureFromImage(*d_, Image{8, 8, pixels}, D3DX_FILTER_NONE, 0xFF000000);
  auto sprite = d_->CreateSprite();
  d_->Clear(D3DCLEAR_TARGET, 0xFFFF0000, 1);
  d_->BeginScene();
  sprite->Begin();
  const D3DVECTOR2 at{10, 10};
  sprite->Draw(texture.get(), nullptr, nullptr, nullptr, 0, &at, 0xFFFFFFFF);
  sprite->End();
  d_->EndScene();
  const auto p = d_->ReadPixels();
  ExpectPixel(p, 11, 12, {255, 0, 0}, 0);
  ExpectPixel(p, 16, 12, {0, 255, 0}, 0);
}

TEST(Present, ScalesThePictureIntoTheWindowKeepingItsShape) {
  GlGraphics graphics(GraphicsOptions{WindowMode::Hidden, "present test"});
  ASSERT_TRUE(graphics.InitD3D());
  // The window is made at the first device's size and kept for the second.
  ASSERT_NE(graphics.InitDevice(400, 200, 1, 0), DeviceKindNone);
  ASSERT_NE(graphics.InitDevice(160, 120, 1, 0), DeviceKindNone);
  IDevice& d = *graphics.Device();
  // Left half red, right half green.
  auto green = CreateTextureFromImage(d, Image{1, 1, {0xFF00FF00}}, D3DX_FILTER_NONE, 0);
  auto sprite = d.CreateSprite();
  d.Clear(D3DCLEAR_TARGET, 0xFFFF0000, 1);
  d.BeginScene();
  sprite->Begin();
  const D3DVECTOR2 scale{80, 120}, at{80, 0};
  sprite->Draw(green.get(), nullptr, &scale, nullptr, 0, &at, 0xFFFFFFFF);
  sprite->End();
  d.EndScene();
  d.Present();
  int w = 0, h = 0;
  const auto p = graphics.ReadWindowPixels(w, h);
  ASSERT_EQ(w, 400);
  ASSERT_EQ(h, 200);
  // 160 x 120 scaled by 200/120 is 267 x 200, centred: bars of 66 pixels each side.
  auto shown = [&](int x, int y) {
    const std::uint8_t* q = &p[(static_cast<std::size_t>(y) * w + x) * 4];
    return Rgb{q[0], q[1], q[2]};
  };
  for (int y : {0, 100, 199}) {
    EXPECT_EQ(shown(30, y).r + shown(30, y).g, 0) << y;
    EXPECT_EQ(shown(370, y).r + shown(370, y).g, 0) << y;
    EXPECT_EQ(shown(80, y).r, 255) << y;
    EXPECT_EQ(shown(190, y).r, 255) << y;
    EXPECT_EQ(shown(210, y).g, 255) << y;
    EXPECT_EQ(shown(320, y).g, 255) << y;
  }
}

// The box around every pixel brighter than the background.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};
Box LitBox(const std::vector<std::uint8_t>& p, int threshold = 60) {
  Box b;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (p[(static_cast<std::size_t>(y) * W + x) * 4 + 1] > threshold) {
        b.left = std::min(b.left, x), b.right = std::max(b.right, x);
        b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
      }
  return b;
}

TEST_F(Render, TextIsCentredInItsRectangleAndClippedToIt) {
  auto font = MakeFont(*d_, "Arial", 16, false, false, false);
  const RECT rect{20, 20, 140, 70};
  auto draw = [&](const std::string& text, const RECT& r, std::uint32_t format) {
    d_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1);
    d_->BeginScene();
    const int height = font->DrawText(text, r, format, 0xFFFFFF00);
    d_->EndScene();
    return height;
  };
  EXPECT_EQ(draw("Quarnix", rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE), font->LineHeight());
  const auto p = d_->ReadPixels();
  const Box b = LitBox(p);
  ASSERT_GE(b.right, 0) << "no text drawn";
  EXPECT_NEAR((b.left + b.right) / 2.0, (rect.left + rect.right) / 2.0, 2.0);
  EXPECT_NEAR((b.top + b.bottom) / 2.0, (rect.top + rect.bottom) / 2.0, 4.0);
  EXPECT_GT(b.right - b.left, 30);
  // Yellow glyphs: red and green full, no blue anywhere.
  int brightest = 0;
  for (std::size_t i = 0; i < p.size(); i += 4) {
    EXPECT_LE(p[i + 2], 1);
    brightest = std::max<int>(brightest, p[i]);
  }
  EXPECT_GE(brightest, 250);

  draw("Quarnix", rect, DT_LEFT);
  const Box left = LitBox(d_->ReadPixels());
  EXPECT_GE(left.left, rect.left);
  EXPECT_LE(left.left, rect.left + 3);
  EXPECT_GE(left.top, rect.top);
  draw("Quarnix", rect, DT_RIGHT);
  const Box right = LitBox(d_->ReadPixels());
  EXPECT_LE(right.right, rect.right - 1);
  EXPECT_GE(right.right, rect.right - 4);

  // A rectangle too narrow for the word: nothing outside it.
  const RECT narrow{60, 20, 80, 70};
  draw("Quarnix", narrow, DT_CENTER);
  const Box clipped = LitBox(d_->ReadPixels(), 0);
  EXPECT_GE(clipped.left, narrow.left);
  EXPECT_LE(clipped.right, narrow.right - 1);
  draw("Quarnix", narrow, DT_CENTER | DT_NOCLIP);
  EXPECT_LT(LitBox(d_->ReadPixels(), 0).left, narrow.left);
}

TEST_F(Render, TextAndSpritesKeepTheirDrawingOrder) {
  auto font = MakeFont(*d_, "Arial", 16, true, false, false);
  auto panel = Solid(40, 40, 0xFF0000FF);
  auto sprite = d_->CreateSprite();
  d_->Clear(D3DCLEAR_TARGET, 0xFF000000, 1);
  d_->BeginScene();
  sprite->Begin();
  const D3DVECTOR2 at{20, 20};
  sprite->Draw(panel.get(), nullptr, nullptr, nullptr, 0, &at, 0xFFFFFFFF);
  font->DrawText("MM", RECT{20, 20, 60, 60}, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xFF00FF00);
  sprite->End();
  d_->EndScene();
  // Text drawn after the panel lies on top of it.
  const Box b = LitBox(d_->ReadPixels());
  EXPECT_GE(b.left, 20);
  EXPECT_LE(b.right, 59);
}

}  // namespace
}  // namespace quarnix
