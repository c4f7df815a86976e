#include "ToolkitTestUtil.h"
#include "platform/D3DXMath.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {
constexpr int W = 160, H = 120;

class ToolkitRender : public test::GlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(OpenDevice(W, H, 0, 0));
    std::vector<std::uint32_t> star(64);
    for (int i = 0; i < 64; ++i) star[i] = i % 8 < 4 ? 0x000000 : 0xFFFF00;
    resources_.RegisterCopy("STAR", test::Bmp24(8, 8, star));
    resources_.RegisterCopy("GREEN", test::Bmp24(1, 1, {0x00FF00}));
    const XMaterial white{{1, 1, 1, 1}, {}, {0, 0, 0, 1}, {0, 0, 0, 1}, 0, ""};
    square_ = test::WriteMesh(folder_ / "SQUARE.CAR",
                              {test::Square().vertices, test::Square().indices, {0, 0}, {white}});
  }
  void LookFrom(const D3DVECTOR& eye, float fov) {
    SetProjection(*d_, fov);
    d_->SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(eye, {0, 0, 0}, {0, 1, 0}));
  }
  void ExpectAt(const std::vector<std::uint8_t>& picture, const D3DVECTOR& p, test::Rgb want) {
    const D3DVECTOR ndc = D3DXVec3TransformCoord(
        p, D3DXMatrixMultiply(d_->GetTransform(D3DTS_VIEW), d_->GetTransform(D3DTS_PROJECTION)));
    ExpectColour(picture, static_cast<int>((ndc.x + 1) / 2 * W), static_cast<int>((1 - ndc.y) / 2 * H), want,
                 3);
  }
  test::TempFolder folder_;
  BitmapResources resources_;
  std::filesystem::path square_;
};

TEST_F(ToolkitRender, MeshesLandWhereTheCameraProjectsThemKeyedTexturesLetTheBackgroundThroughAndDriftShows) {
  XObject cube(*d_, resources_);
  cube.LoadXFile(test::WriteMesh(folder_ / "CUBE.CAR", test::CubeMesh(2)), 1, "Green", 0, 0, 2);
  LookFrom({0, 0, -20}, 45);
  const auto picture = Scene(0xFF0000FF, [&] { cube.DisplayXfile(0, 0, 0.5f, 4, 2, 0, 0, 0, 0, 0); });
  ExpectAt(picture, {2, 1, 0}, {0, 255, 0});
  ExpectAt(picture, {2.4f, 0.6f, -0.5f}, {0, 255, 0});
  for (D3DVECTOR background : {D3DVECTOR{4, 2, 0}, {2, 1.9f, 0}, {-2, -1, 0}})
    ExpectAt(picture, background, {0, 0, 255});
  const auto turned = Scene(0xFF0000FF, [&] { cube.QDisplayXfile(0, 0, 0.5f, 45, 0, 0, {}, {-3, -2, 0}); });
  ExpectAt(turned, {-3, -2, 0}, {0, 255, 0});
  ExpectAt(turned, {2, 1, 0}, {0, 0, 255});
  XObject keyed(*d_, resources_), plain(*d_, resources_);
  keyed.LoadXFile(square_, 1, "Star", 0xFF000000, 0, 1);
  plain.LoadXFile(square_, 1, "Star", 0, 0, 1);
  LookFrom({0, 0, -5}, 60);
  d_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  d_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  for (XObject* star : {&keyed, &plain}) {
    const auto picture = Scene(0xFFFF0000, [&] { star->DisplayXfile(0, 1, 1, 0, 0, 0, 0, 0, 0, 0); });
    ExpectAt(picture, {0.5f, 0, 0}, {255, 255, 0});
    ExpectAt(picture, {-0.5f, 0, 0}, star == &keyed ? test::Rgb{255, 0, 0} : test::Rgb{0, 0, 0});
  }
  plain.EffectMoveTextureA(0.5f, 0);
  const auto moved = Scene(0xFF0000FF, [&] { plain.DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0); });
  ExpectAt(moved, {-0.5f, 0, 0}, {255, 255, 0});
  ExpectAt(moved, {0.5f, 0, 0}, {0, 0, 0});
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 16; ++i) bytes.insert(bytes.end(), 3, i % 4 < 2 ? 0 : 255);
  ScreenObject panel(*d_, resources_);
  panel.FillTexture(4, bytes, 0, 15, 0, 255);
  auto sprite = d_->CreateSprite();
  const auto panelPicture = Scene(0xFF0000FF, [&] {
    sprite->Begin();
    const D3DVECTOR2 scaling{10, 10}, at{20, 20};
    sprite->Draw(panel.Texture(), nullptr, &scaling, nullptr, 0, &at, 0xFFFFFFFF);
    sprite->End();
  });
  for (auto [x, colour] : {std::pair{30, test::Rgb{0, 0, 255}}, {50, {255, 255, 255}}, {70, {0, 0, 255}}})
    ExpectColour(panelPicture, x, 40, colour);  // a keyed column, a white one, beyond the picture
}

}  // namespace
}  // namespace quarnix
