// The play screen on the real OpenGL device (SDL's offscreen driver when
// headless), from known game states, read back pixel by pixel: the cube where
// the camera projects it, and each HUD element recognised against the sheet
// rectangles it must come from. With QUARNIX_RENDER_OUT set, every frame is
// also kept as a PNG.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "PlayScreenTestUtil.h"
#include "platform/GlGraphics.h"
#include "platform/TextureImage.h"

namespace quarnix {
namespace {

using test::PlayScene;

struct Rgb {
  double r = 0, g = 0, b = 0;
};

// One sheet's pixels as the sprite samples them (blue, green, red, alpha).
struct Sheet {
  explicit Sheet(ITexture* t) : width(t->Width()) {
    const auto bytes = t->LockRect();
    bgra.assign(bytes.begin(), bytes.end());
    t->UnlockRect();
  }
  std::array<double, 4> At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return {double(bgra[i + 2]), double(bgra[i + 1]), double(bgra[i]), double(bgra[i + 3])};
  }
  int width;
  std::vector<std::uint8_t> bgra;
};

// A sprite pixel drawn with colour (ARGB) over dst, blended by its alpha.
Rgb Over(Rgb dst, const std::array<double, 4>& texel, std::uint32_t colour) {
  const double ca = (colour >> 24) / 255.0, cr = ((colour >> 16) & 255) / 255.0,
               cg = ((colour >> 8) & 255) / 255.0, cb = (colour & 255) / 255.0;
  const double a = texel[3] / 255.0 * ca;
  return {texel[0] * cr * a + dst.r * (1 - a), texel[1] * cg * a + dst.g * (1 - a),
          texel[2] * cb * a + dst.b * (1 - a)};
}

class PlayScreenGl : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    graphics_ = new GlGraphics(GraphicsOptions{WindowMode::Hidden, "play screen render test"});
    ASSERT_TRUE(graphics_->InitD3D());
  }
  static void TearDownTestSuite() {
    delete graphics_;
    graphics_ = nullptr;
  }
  void SetUp() override { Use(0); }
  void TearDown() override { scene_.reset(); }

  void Use(int mode) {
    scene_.reset();
    mode_ = ScreenModeFor(mode);
    ASSERT_NE(graphics_->InitDevice(mode_.ScreenWidth, mode_.ScreenHeight, 1, 0x00505050), DeviceKindNone);
    device_ = graphics_->Device();
    scene_ = std::make_unique<PlayScene>(*device_, mode_, random_);
    sa_ = std::make_unique<Sheet>(scene_->assets.ScreenSA.Texture());
    sb_ = std::make_unique<Sheet>(scene_->assets.ScreenSB.Texture());
  }

  GameState& S() { return *scene_->state; }
  ScreenState& V() { return scene_->renderer->Screen(); }
  const HudLayout& L() { return scene_->layout; }

  // Renders a frame and reads it back.
  void Frame(const std::string& name = "") {
    scene_->renderer->RenderFrame();
    pixels_ = device_->ReadPixels();
    if (const char* dir = std::getenv("QUARNIX_RENDER_OUT"); dir != nullptr && !name.empty()) {
      const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      SaveScreenshot(*device_,
                     (std::filesystem::path(dir) / ("play-" + test + "-" + name + ".png")).string());
    }
  }
  Rgb Pixel(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * mode_.ScreenWidth + x) * 4;
    return {double(pixels_[i]), double(pixels_[i + 1]), double(pixels_[i + 2])};
  }

  // Mean difference per channel between the screen at (x, y) and the sheet's
  // rectangle drawn there over what under() gives, at scale 1.
  template <typename Under>
  double Difference(const Sheet& sheet, const RECT& r, int x, int y, std::uint32_t colour,
                    Under under) const {
    double sum = 0;
    int n = 0;
    for (int v = r.top; v < r.bottom; ++v)
      for (int u = r.left; u < r.right; ++u) {
        const int sx = x + u - r.left, sy = y + v - r.top;
        const Rgb want = Over(under(sx, sy), sheet.At(u, v), colour);
        const Rgb got = Pixel(sx, sy);
        sum += std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b);
        n += 3;
      }
    return sum / n;
  }
  double Difference(const Sheet& sheet, const RECT& r, int x, int y,
                    std::uint32_t colour = 0xFFFFFFFF) const {
    return Difference(sheet, r, x, y, colour, [](int, int) { return Rgb{}; });
  }
  // Which of the candidate rectangles is drawn at (x, y); -1 when none fits well.
  template <typename Under>
  int Recognise(const Sheet& sheet, const std::vector<RECT>& candidates, int x, int y, std::uint32_t colour,
                Under under) const {
    int best = -1;
    double bestDiff = 6;  // mean difference per channel that still counts as a match
    for (std::size_t i = 0; i < candidates.size(); ++i)
      if (const double d = Difference(sheet, candidates[i], x, y, colour, under); d < bestDiff) {
        bestDiff = d;
        best = static_cast<int>(i);
      }
    return best;
  }
  int Digit(const std::array<RECT, 10>& table, D3DVECTOR2 at, std::uint32_t colour = 0xFFFFFFFF) const {
    return Recognise(*sa_, {table.begin(), table.end()}, int(at.x), int(at.y), colour,
                     [](int, int) { return Rgb{}; });
  }
  bool Dark(int x0, int y0, int w, int h) const {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x)
        if (const Rgb c = Pixel(x, y); c.r + c.g + c.b > 24) return false;
    return true;
  }
  // Pixel of a world point through the view and projection play starts with.
  std::pair<double, double> Project(D3DVECTOR p) const {
    const D3DMATRIX view = D3DXMatrixLookAtLH(test::StartEye, test::StartLookAt, {0, 1, 0});
    const D3DMATRIX proj = D3DXMatrixPerspectiveFovLH(60 * 0.017453292519943278f, 1, 1, 1000);
    const D3DVECTOR c = D3DXVec3TransformCoord(p, D3DXMatrixMultiply(view, proj));
    return {(c.x + 1) / 2 * mode_.ScreenWidth, (1 - c.y) / 2 * mode_.ScreenHeight};
  }

  static GlGraphics* graphics_;
  Rng random_{11};
  ScreenMode mode_;
  IDevice* device_ = nullptr;
  std::unique_ptr<PlayScene> scene_;
  std::unique_ptr<Sheet> sa_, sb_;
  std::vector<std::uint8_t> pixels_;
};
GlGraphics* PlayScreenGl::graphics_ = nullptr;

bool Red(Rgb c) { return c.r > 90 && c.r > 1.6 * c.g && c.r > 1.6 * c.b; }

TEST_F(PlayScreenGl, RedCubeAppearsWhereTheCameraProjectsItsCell) {
  V().Show(Display::PlayShow, true);
  S().CubeArray(1, 1, 1) = CellKind::Red;
  Frame();
  Frame("cube");  // lit from the second frame on
  // The red pixels gather around the projection of the cell's centre: world
  // X = 2y - 6, Z = 6 - 2x for cell (x, y) = (1, 1), half a layer up.
  double sx = 0, sy = 0;
  int n = 0;
  for (int y = 0; y < mode_.ScreenHeight; ++y)
    for (int x = 0; x < mode_.ScreenWidth; ++x)
      if (Red(Pixel(x, y))) sx += x, sy += y, ++n;
  ASSERT_GT(n, 500);
  const auto [px, py] = Project({-4, 0.5f, 4});
  EXPECT_NEAR(sx / n, px, 12);
  EXPECT_NEAR(sy / n, py, 12);
  // Where the cell would be with the components not exchanged: a floor tile.
  const auto [wx, wy] = Project({4, 0, -4});
  EXPECT_FALSE(Red(Pixel(int(wx), int(wy))));
}

TEST_F(PlayScreenGl, CornerNumbersShowScoreChainScoreAndLevel) {
  V().Show(Display::PanelShow, true);
  S().GameScore = 40719;
  S().ChainScore = 386;
  S().GameLevel = 7;
  Frame("numbers");
  std::string score, chain, level;
  for (int n = 1; n <= 5; ++n) score += std::to_string(Digit(L().ScoreDigitRect, L().ScorePos(n)));
  for (int n = 1; n <= 5; ++n) chain += std::to_string(Digit(L().DigitRect, L().ChainPos(n)));
  for (int n = 1; n <= 2; ++n) level += std::to_string(Digit(L().DigitRect, L().LevelPos(n)));
  EXPECT_EQ(score, "40719");
  EXPECT_EQ(chain, "00386");
  EXPECT_EQ(level, "07");  // two digits in the corner, always
}

TEST_F(PlayScreenGl, ClearPopupShowsOneTwoOrThreeDigits) {
  std::array<RECT, 10> popupDigits;
  for (int d = 0; d <= 9; ++d) popupDigits[d] = {20 + 40 * d, 82, 60 + 40 * d, 110};
  V().Show(Display::PanelShow, true);
  V().Show(Display::ClearShow, true);
  for (int count : {7, 42, 123}) {
    S().ClearCount = count;
    V().PopupRise = 0;
    V().PopupColour = -1;
    Frame(std::to_string(count));
    const std::uint32_t colour = 0xFDFFFFFF;  // faded by one step
    const int y = 384 - 2;
    const std::string want = std::to_string(count);
    std::string shown;
    for (std::size_t n = 0; n < want.size(); ++n)
      shown += std::to_string(Digit(popupDigits, vec2(512 + 40.0f * n - 20, y), colour));
    EXPECT_EQ(shown, want);
    EXPECT_TRUE(Dark(512 + 40 * int(want.size()) - 20, y, 40, 28)) << "a digit too many for " << count;
    EXPECT_LT(Difference(*sa_, {0, 82, 20, 110}, 512 - 40, y, colour), 6) << "the sign";
  }
}

TEST_F(PlayScreenGl, LevelAnnouncementHidesTheLeadingZero) {
  V().Show(Display::PanelShow, true);
  V().Show(Display::LevelShow, true);
  S().ScoreLevel = 7;
  V().PopupRise = 200;  // part way down, clear of the labels
  Frame("level7");
  const int y = V().PopupRise;
  ASSERT_EQ(y, 210);
  EXPECT_LT(Difference(*sa_, {0, 50, 140, 80}, 512 - 110, y), 6) << "the word";
  EXPECT_TRUE(Dark(int(L().LevelShowPos(1)), y, 40, 28));
  EXPECT_EQ(Digit(L().LevelDigitRect, vec2(L().LevelShowPos(2), float(y))), 7);

  S().ScoreLevel = 12;
  Frame("level12");
  EXPECT_EQ(Digit(L().LevelDigitRect, vec2(L().LevelShowPos(1), 220)), 1);
  EXPECT_EQ(Digit(L().LevelDigitRect, vec2(L().LevelShowPos(2), 220)), 2);
}

TEST_F(PlayScreenGl, QuitPromptAppearsInTheMiddle) {
  V().Show(Display::PanelShow, true);
  Frame();
  const RECT prompt{0, 260, 499, 330};
  EXPECT_TRUE(Dark(512 - 250, 384 - 35, 499, 70));
  S().QuitShow = true;
  Frame("quit");
  EXPECT_LT(Difference(*sa_, prompt, 512 - 250, 384 - 35), 4);
}

TEST_F(PlayScreenGl, GameOverPanelShowsTheTypedName) {
  V().Show(Display::PanelShow, true);
  S().GameOverShow = true;
  const std::string typed = "ZED 42";
  for (int& c : S().GameName) c = 32;
  for (std::size_t i = 0; i < typed.size(); ++i) S().GameName(int(i) + 1) = typed[i];
  S().NameLength = int(typed.size());
  scene_->renderer->SetNotice("NOT SAVED 7");
  Frame("gameover");
  const std::uint32_t colour = 0xA0FFFFFF;
  const D3DVECTOR2 o = L().OverPos;
  // The panel lies under the name: the glyphs are recognised over it.
  const auto panel = [&](int x, int y) { return Over({}, sb_->At(x - int(o.x), y - int(o.y)), colour); };
  std::vector<RECT> glyphs;  // A..Z, the space, 0..9
  for (int n = 1; n <= 27; ++n) glyphs.push_back(L().LetterRect(n));
  for (const RECT& r : L().DigitRect) glyphs.push_back(r);
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789";
  std::string shown;
  for (int n = 1; n <= 8; ++n) {
    const int g = Recognise(*sa_, glyphs, int(L().NamePos(n).x), int(L().NamePos(n).y), colour, panel);
    shown += g < 0 ? '?' : alphabet[g];
  }
  EXPECT_EQ(shown, "ZED 42  ");
  // A notice for the player, in the row above the name.
  shown.clear();
  for (int n = 1; n <= 12; ++n) {
    const int g = Recognise(*sa_, glyphs, int(L().NamePos(n).x), int(L().NamePos(n).y) - 36, colour, panel);
    shown += g < 0 ? '?' : alphabet[g];
  }
  EXPECT_EQ(shown, "NOT SAVED 7 ");
}

TEST_F(PlayScreenGl, EachScreenModeScalesTheHud) {
  for (int mode = 0; mode <= 2; ++mode) {
    Use(mode);
    const float r = mode_.ScreenRatio;
    V().Show(Display::PanelShow, true);
    S().NextCube(1, 1) = CellKind::Green;
    Frame();
    const std::vector<std::uint8_t> before = pixels_;
    S().QuitShow = true;
    V().Show(Display::HudShow, true);
    Frame("mode" + std::to_string(mode));
    // The box of what changed in each region: the prompt, and the icon of the next piece.
    const auto changed = [&](int x0, int y0, int x1, int y1) {
      std::array<int, 4> box{x1, y1, x0, y0};
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
          const std::size_t i = (std::size_t(y) * mode_.ScreenWidth + x) * 4;
          if (std::abs(before[i] - pixels_[i]) + std::abs(before[i + 1] - pixels_[i + 1]) > 30)
            box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
                   std::max(box[3], y + 1)};
        }
      return box;
    };
    const int W = mode_.ScreenWidth, H = mode_.ScreenHeight;
    const auto prompt = changed(0, H / 4, W, 3 * H / 4);
    EXPECT_NEAR(prompt[0], W / 2 - 250 * r, 2) << mode;
    EXPECT_NEAR(prompt[1], H / 2 - 35 * r, 2) << mode;
    EXPECT_NEAR(prompt[2] - prompt[0], 499 * r, 3) << mode;
    EXPECT_NEAR(prompt[3] - prompt[1], 70 * r, 3) << mode;
    const auto icon = changed(0, 0, W / 8, H / 6);
    EXPECT_NEAR(icon[0], 32 * r, 2) << mode;
    EXPECT_NEAR(icon[1], 40 * r, 2) << mode;
    EXPECT_NEAR(icon[2] - icon[0], 31 * r, 3) << mode;
  }
}

// The draw order (meshes grouped, moved forward) against the reference order,
// on busy wells seen from each camera: the same picture to the pixel.
TEST_F(PlayScreenGl, TheDrawOrderLeavesEveryPixelAsTheReferenceOrderDoes) {
  struct View {
    D3DVECTOR eye, at;
  };
  const View views[] = {{test::StartEye, test::StartLookAt},
                        {{2, 15, -8.5f}, {0, 3.5f, 0}},
                        {{-1.25f, 17, -3.5f}, {0, 3.5f, 0}}};
  const auto picture = [&](bool reference, std::uint64_t seed, const View& view, bool turning) {
    Use(0);
    scene_->cam.SetCamValue(0, 0, 0, view.eye.x, view.eye.y, view.eye.z, view.at.x, view.at.y, view.at.z);
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
