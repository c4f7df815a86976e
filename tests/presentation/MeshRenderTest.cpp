// The game's meshes drawn on the real OpenGL device the way the play screen
// draws them: the mesh files from the built game folder with the built-in
// vertices written over them, the linked-in textures, the camera the game
// starts with. Pixels where the objects must appear are checked; with
// QUARNIX_RENDER_OUT set, every scene is also saved as a PNG for people.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "content/EmbeddedResources.h"
#include "platform/D3DXMath.h"
#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/TextureImage.h"
#include "presentation/BuiltinMeshData.h"
#include "toolkit/XFile.h"

namespace quarnix {
namespace {

constexpr int W = 640, H = 480;
constexpr float Rad = 0.017453292519943278f;

struct Rgb {
  int r, g, b;
};

// One loaded object: the mesh of its file, its one material with Diffuse
// copied into Ambient, and the texture of its slot 0.
struct Object {
  std::unique_ptr<IMesh> Mesh;
  D3DMATERIAL8 Material;
  std::shared_ptr<ITexture> Texture;
};

class MeshScene : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics_ = new GlGraphics(GraphicsOptions{WindowMode::Hidden, "mesh render test"});
    ASSERT_TRUE(graphics_->InitD3D());
  }
  static void TearDownTestSuite() {
    delete graphics_;
    graphics_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(graphics_->InitDevice(W, H, 1, 0x00505050), DeviceKindNone);
    d_ = graphics_->Device();
    SetProjection(*d_, 60);
    Camera({0, 14, -12}, {0, 4, 0});  // the preset play starts with
    Light(0);
  }
  void TearDown() override { objects_.clear(); }

  // Keeps the picture for people to look at.
  void Keep(const std::string& suffix = "") {
    if (const char* dir = std::getenv("QUARNIX_RENDER_OUT")) {
      const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      SaveScreenshot(*d_, (std::filesystem::path(dir) / ("meshes-" + name + suffix + ".png")).string());
    }
  }

  void Camera(D3DVECTOR eye, D3DVECTOR at) {
    view_ = D3DXMatrixLookAtLH(eye, at, {0, 1, 0});
    d_->SetTransform(D3DTS_VIEW, view_);
  }
  // The play screen's light, turned by the spin angle.
  void Light(float spinDegrees) {
    const float a = spinDegrees * Rad;
    SetDirLight(*d_, {1, 1, 1, 0}, {std::sin(a), -1, std::cos(a)}, 1, 0, 0, 1);
  }

  // Loads the object the way the game's resource route does.
  Object& Load(const std::string& stem, const std::string& texture, D3DCOLOR colourKey = 0) {
    const auto path = std::filesystem::path(QUARNIX_GAME_DIR) / "Data" / (stem + ".CAR");
    XFileContent file = LoadXFileContent(path);
    XMesh& m = file.Mesh;
    for (int n = 1; n <= BuiltinMeshCount; ++n)
      if (MeshFile(BuiltinMesh(n).File).Stem() == stem) {
        const auto v = BuiltinVertices(n);
        EXPECT_GE(m.Vertices.size(), v.size()) << stem;
        std::copy(v.begin(), v.end(), m.Vertices.begin());
      }
    Object o;
    o.Mesh = d_->CreateMesh(m.Vertices, m.Indices, m.Attributes);
    EXPECT_EQ(m.Materials.size(), 1u) << stem;
    o.Material = m.Materials.at(0).D3DMaterial();
    o.Material.Ambient = o.Material.Diffuse;
    if (!texture.empty()) {
      const EmbeddedResource* r = FindEmbeddedResource(texture);
      EXPECT_NE(r, nullptr) << texture;
      if (r) o.Texture = CreateTextureFromImage(*d_, DecodeImage(r->Bytes), D3DX_FILTER_LINEAR, colourKey);
    }
    return objects_[stem + "/" + texture] = std::move(o);
  }

  void Draw(Object& o, const D3DMATRIX& world, bool alpha) {
    d_->SetTransform(D3DTS_WORLD, world);
    d_->SetRenderState(D3DRS_ALPHABLENDENABLE, alpha ? 1 : 0);
    d_->SetMaterial(o.Material);
    d_->SetTexture(0, o.Texture.get());
    o.Mesh->DrawSubset(0);
    d_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  }
  // DisplayXfile with scale 1: rotation about Y (degrees), then translation.
  void DrawAt(Object& o, D3DVECTOR p, float angleY = 0, bool alpha = false) {
    Draw(o, D3DXMatrixMultiply(D3DXMatrixRotationY(angleY * Rad), D3DXMatrixTranslation(p.x, p.y, p.z)),
         alpha);
  }
  // World position of the field cell (x, y, layer z), as the play screen places it.
  static D3DVECTOR Cell(int x, int y, int z) { return {2.0f * y - 6, z - 1.0f, 6 - 2.0f * x}; }

  // Screen pixel of a world point.
  std::pair<int, int> Project(D3DVECTOR p) const {
    const D3DMATRIX proj = D3DXMatrixPerspectiveFovLH(60 * Rad, 1, 1, 1000);
    const D3DVECTOR c = D3DXVec3TransformCoord(p, D3DXMatrixMultiply(view_, proj));
    return {static_cast<int>(std::lround((c.x + 1) / 2 * W)),
            static_cast<int>(std::lround((1 - c.y) / 2 * H))};
  }
  Rgb PixelAt(const std::vector<std::uint8_t>& pixels, std::pair<int, int> xy) const {
    const auto [x, y] = xy;
    EXPECT_TRUE(x >= 0 && x < W && y >= 0 && y < H) << x << "," << y;
    const std::uint8_t* q =
        &pixels[(static_cast<std::size_t>(std::clamp(y, 0, H - 1)) * W + std::clamp(x, 0, W - 1)) * 4];
    return {q[0], q[1], q[2]};
  }

  void Begin() {
    d_->Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
    d_->BeginScene();
  }
  std::vector<std::uint8_t> End(const std::string& suffix = "") {
    d_->EndScene();
    Keep(suffix);
    return d_->ReadPixels();
  }

  // The background as the play screen sways it (angles in degrees).
  void DrawBackground(Object& bg, float posX, float posY, float posZ) {
    const D3DXQUATERNION q = D3DXQuaternionRotationYawPitchRoll(posZ * Rad, (posY + 5) * Rad, posX * Rad);
    Draw(bg, D3DXMatrixAffineTransformation(1, {0, 0, 0}, q, {0, 8, 0}), false);
  }

  static GlGraphics* graphics_;
  IDevice* d_ = nullptr;
  D3DMATRIX view_;
  std::map<std::string, Object> objects_;
};
GlGraphics* MeshScene::graphics_ = nullptr;

bool Dark(Rgb c) { return c.r + c.g + c.b < 30; }

TEST_F(MeshScene, PlayScreenFromEachCamera) {
  Object& plan = Load("M1", "Buildplan1");
  Object* colour[5] = {nullptr, &Load("C01", "CubeRed"), &Load("C02", "CubeGreen"), &Load("C03", "CubeBlue"),
                       &Load("C04", "CubeYellow")};
  Object& marker = Load("M2", "");
  Object& glassBox = Load("C12", "SpecialBox");
  Object& clearing = Load("C11", "CubeClear");
  Object* special[5] = {&Load("C05", "4Color"), &Load("C06", "2x2x2"), &Load("C07", "ClearLayer"),
                        &Load("C08", "Diamond"), &Load("C09", "Tund")};
  Object& background = Load("M3", "BG");
  Object* star[3] = {&Load("S1", "Star01", 0xFF000000), &Load("S2", "Star11", 0xFF000000),
                     &Load("S3", "Star21", 0xFF000000)};
  const float markerAngle = 25;
  const D3DVECTOR mid = Cell(3, 3, 1);

  // The three camera positions the player steps through.
  const D3DVECTOR eyes[3] = {{2.0f, 15.0f, -8.5f}, {-1.25f, 17.0f, -3.5f}, {0, 14.0f, -12.0f}};
  const D3DVECTOR ats[3] = {{0, 3.5f, 0}, {0, 3.5f, 0}, {0, 4.0f, 0}};
  for (int preset = 1; preset <= 3; ++preset) {
    SCOPED_TRACE("camera " + std::to_string(preset));
    Camera(eyes[preset - 1], ats[preset - 1]);
    Begin();
    for (int x = 1; x <= 5; ++x)
      for (int y = 1; y <= 5; ++y) DrawAt(plan, Cell(x, y, 1));
    // A stack of each colour along the far row, one clearing cube on the floor.
    for (int c = 1; c <= 4; ++c)
      for (int z = 1; z <= c; ++z) DrawAt(*colour[c], Cell(1, c, z));
    DrawAt(clearing, Cell(2, 5, 1), 0, true);
    // Every special in its spinning glass box along the near row.
    for (int k = 0; k < 5; ++k) {
      DrawAt(*special[k], Cell(5, k + 1, 1), 30.0f * k + 20);
      DrawAt(glassBox, Cell(5, k + 1, 1), 0, true);
    }
    // A falling red cube over the right, its landing marker on the floor below the middle.
    DrawAt(*colour[1], Cell(3, 5, 7));
    DrawAt(marker, mid, markerAngle);
    // Then, as the play screen goes on, the swaying background and a few stars.
    DrawBackground(background, 12, 8, -6);
    d_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    for (int s = 0; s < 3; ++s)
      Draw(*star[s],
           D3DXMatrixMultiply(D3DXMatrixRotationX(40 * Rad), D3DXMatrixTranslation(-6.0f + 2 * s, 9, -2)),
           true);
    d_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    const auto p = End("-" + std::to_string(preset));

    // The top of each stack shows its colour.
    const Rgb red = PixelAt(p, Project({Cell(1, 1, 1).x, 1.0f, Cell(1, 1, 1).z}));
    EXPECT_GT(red.r, red.g + 40);
    EXPECT_GT(red.r, red.b + 40);
    const Rgb green = PixelAt(p, Project({Cell(1, 2, 2).x, 2.0f, Cell(1, 2, 2).z}));
    EXPECT_GT(green.g, green.r + 30);
    EXPECT_GT(green.g, green.b + 30);
    const Rgb blue = PixelAt(p, Project({Cell(1, 3, 3).x, 3.0f, Cell(1, 3, 3).z}));
    EXPECT_GT(blue.b, blue.r + 30);
    const Rgb yellow = PixelAt(p, Project({Cell(1, 4, 4).x, 4.0f, Cell(1, 4, 4).z}));
    EXPECT_GT(yellow.r, yellow.b + 60);
    EXPECT_GT(yellow.g, yellow.b + 60);
    // The clearing cube glows on its own.
    const Rgb glow = PixelAt(p, Project({Cell(2, 5, 1).x, 1.03f, Cell(2, 5, 1).z}));
    EXPECT_GT(glow.r + glow.g + glow.b, 400);
    // The marker's frame lies on the floor tile, bright and bluish white: a
    // point midway across the frame's near side, turned with the marker.
    const D3DVECTOR onFrame = D3DXVec3TransformCoord(
        {0, 0.02f, -0.81f}, D3DXMatrixMultiply(D3DXMatrixRotationY(markerAngle * Rad),
                                               D3DXMatrixTranslation(mid.x, mid.y, mid.z)));
    const Rgb frame = PixelAt(p, Project(onFrame));
    EXPECT_GT(frame.b, 180);
    EXPECT_GT(frame.g, 150);
    // Inside the frame the stone floor shows: grey, not the green background.
    const Rgb floor = PixelAt(p, Project(mid));
    EXPECT_FALSE(Dark(floor));
    EXPECT_LT(std::abs(floor.g - floor.r), 30);
    // Every special is visible inside its box.
    for (int k = 0; k < 5; ++k) {
      const D3DVECTOR c = Cell(5, k + 1, 1);
      EXPECT_FALSE(Dark(PixelAt(p, Project({c.x, 0.5f, c.z})))) << "special " << k + 5;
    }
  }
}

TEST_F(MeshScene, BackgroundFillsTheViewBehindTheWellAsItSways) {
  Object& bg = Load("M3", "BG");
  // Rest, tilted far down, and rolled well over: the trough still fills the
  // lower part of the view, where the camera looks past the well.
  int scene = 0;
  for (const auto& [rollX, pitchY, yawZ] :
       {std::tuple{0.0f, 0.0f, 0.0f}, std::tuple{40.0f, 40.0f, 30.0f}, std::tuple{-100.0f, 20.0f, -30.0f}}) {
    Begin();
    DrawBackground(bg, rollX, pitchY, yawZ);
    const auto p = End("-" + std::to_string(++scene));
    int lit = 0, total = 0;
    for (int y = 0; y < H; y += 8)
      for (int x = 0; x < W; x += 8, ++total) lit += !Dark(PixelAt(p, {x, y}));
    EXPECT_GT(lit, total * 7 / 10) << "roll " << rollX << ", pitch " << pitchY + 5 << ", yaw " << yawZ;
  }
}

TEST_F(MeshScene, StarsShineAsTiltedBillboards) {
  Object* star[3] = {&Load("S1", "Star01", 0xFF000000), &Load("S2", "Star11", 0xFF000000),
                     &Load("S3", "Star21", 0xFF000000)};
  Begin();
  d_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
  for (int s = 0; s < 3; ++s)
    Draw(*star[s],
         D3DXMatrixMultiply(D3DXMatrixRotationX(40 * Rad), D3DXMatrixTranslation(-5.0f + 5 * s, 4, 0)), true);
  d_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  const auto p = End();
  for (int s = 0; s < 3; ++s) {
    const Rgb c = PixelAt(p, Project({-5.0f + 5 * s, 4, 0}));
    EXPECT_GT(c.r + c.g + c.b, 200) << "star " << s + 1;
    // The black around the star adds nothing.
    EXPECT_TRUE(Dark(PixelAt(p, Project({-5.0f + 5 * s + 1.2f, 4 + 0.9f, 0})))) << "star " << s + 1;
  }
}

}  // namespace
}  // namespace quarnix
