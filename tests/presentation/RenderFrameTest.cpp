// The play screen's frame on the null device (every draw recorded), its draw order and the HUD layout.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "PlayScreenTestUtil.h"
#include "platform/NullGraphics.h"
#include "presentation/DrawOrder.h"

namespace quarnix {
namespace {

class NullScreen : public ::testing::Test {
 protected:
  void Use(int mode, std::initializer_list<float> draws = {}) {
    random_ = ScriptedRandom(draws);
    random_.SetFallback(&fallback_);
    const ScreenMode m = ScreenModeFor(mode);
    device_ = std::make_unique<NullDevice>(m.ScreenWidth, m.ScreenHeight);
    scene_ = std::make_unique<test::PlayScene>(*device_, m, random_);
  }
  void SetUp() override { Use(0); }
  void Show(std::initializer_list<Display> parts) {
    for (Display d : parts) V().Show(d, true);
  }
  GameState& S() { return *scene_->state; }
  ScreenState& V() { return scene_->renderer->Screen(); }
  GameAssets& A() { return scene_->assets; }
  void Frame() { scene_->renderer->RenderFrame(); }
  template <class T, class F>
  static std::vector<T> Where(std::vector<T> all, F keep) {
    std::erase_if(all, [&](const T& d) { return !keep(d); });
    return all;
  }
  auto DrawsOf(const XObject& o) const {
    return Where(device_->MeshDraws(), [&](const auto& d) { return d.mesh == o.Mesh() && d.subset == 0; });
  }
  auto SpritesAt(float y) const {
    return Where(device_->SpriteDraws(),
                 [&](const auto& d) { return std::abs(d.translation.y - y) < 1e-3f; });
  }
  static std::vector<RECT> Sources(const std::vector<NullDevice::SpriteDraw>& row) {
    std::vector<RECT> s;
    for (const auto& d : row) s.push_back(d.source);
    return s;
  }
  // The first sprite drawn from the source rectangle (none: a zero draw).
  NullDevice::SpriteDraw Drawn(const RECT& source) const {
    const auto at = std::ranges::find(device_->SpriteDraws(), source, &NullDevice::SpriteDraw::source);
    return at == device_->SpriteDraws().end() ? NullDevice::SpriteDraw{} : *at;
  }
  NullDevice::MeshDraw One(const XObject& o) const {
    const auto found = DrawsOf(o);
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? NullDevice::MeshDraw{} : found[0];
  }
  static D3DVECTOR Moved(const D3DMATRIX& m) { return {m(3, 0), m(3, 1), m(3, 2)}; }
  Rng fallback_{5};
  ScriptedRandom random_;
  std::unique_ptr<NullDevice> device_;
  std::unique_ptr<test::PlayScene> scene_;
};

// catches: sway limits drawn wrong or again, a spin not wrapping, the plan not sliding, a sway off limits.
TEST_F(NullScreen, FirstFrameDrawsTheSwayLimitsTheSpinWrapsThePlanSlidesInAndTheBackgroundSways) {
  Use(0, {0.5f, 0.25f, 0.0f});
  V().SpinAngle = 356;
  Frame();
  const BackMotionRec& m = V().BackMotion;
  EXPECT_EQ(std::tuple(m.LimitX, m.LimitY, m.LimitZ, m.StepZ, random_.Drawn()),
            std::tuple(0.5f * 325 + 45, 0.25f * 20 + 25, 20.0f, 0.05f, 3));
  std::vector<float> spins{V().SpinAngle};
  for (int i = 0; i < 3; ++i) Frame(), spins.push_back(V().SpinAngle);
  EXPECT_EQ(spins, (std::vector<float>{358, 360, 0, 2}));
  EXPECT_EQ(std::pair(random_.Drawn(), device_->Presents()), std::pair(3, 4));  // the limits are drawn once
  Use(0, {0, 0, 0});                                                            // limits 45, 25, 20
  Show({Display::StartShow, Display::BackShow});
  V().StartOffset = 10;
  Frame();
  const auto plan = DrawsOf(A().XBuildPlan);
  ASSERT_EQ(plan.size(), 25u);
  const auto far = [&](const auto& d) { return Moved(d.world).z; };
  EXPECT_FLOAT_EQ(far(std::ranges::max(plan, {}, far)), 4 - 10.0f);  // the back row, 10 nearer than its place
  float lowX = 0, highX = 0, lowY = 0, highY = 0;
  for (int i = 1; i < 100; ++i) Frame();
  EXPECT_NEAR(V().StartOffset, 10 * std::pow(0.95, 100), 1e-3);
  V().Show(Display::StartShow, false);
  for (int i = 0; i < 8000; ++i) {
    Frame();
    const BackMotionRec& m = V().BackMotion;
    lowX = std::min(lowX, m.PosX), highX = std::max(highX, m.PosX);
    lowY = std::min(lowY, m.PosY), highY = std::max(highY, m.PosY);
  }
  EXPECT_TRUE(lowY >= -0.021f && highY <= 25.021f && highY > 24.9f) << lowY << " to " << highY;
  EXPECT_TRUE(std::abs(highX - 45) < 0.05 && std::abs(lowX + 45) < 0.05) << lowX << " to " << highX;
  EXPECT_EQ(DrawsOf(A().XBackGround).size(), 1u);
}

// catches: x, y unexchanged, a special unspun or off its box, wrong blend or order, a marker astray, a turn
// spun.
TEST_F(NullScreen, CellsAreExchangedSpecialsSpinInTheirBoxMarkersShowLandingsTurnedViewsDoNotSpin) {
  Show({Display::PlayShow});
  V().SpinAngle = 28;  // becomes 30 in the frame
  S().CubeArray(1, 1, 1) = CellKind::Red;
  S().CubeArray(2, 3, 4) = CellKind::FourColor;
  S().CubeArray(1, 1, 2) = CellKind::CubeClear;
  S().CubeArray(1, 1, 3) = CellKind::Green;
  S().CubeArray(5, 1, 1) = CellKind::Blue;
  Frame();
  EXPECT_EQ(scene_->renderer->LastFrame().MeshDraws, 25 + 4 + 2);
  ASSERT_EQ(DrawsOf(A().XBuildPlan).size(), 25u);
  const auto red = One(A().XCube(CellKind::Red)), clearing = One(A().XCube(CellKind::CubeClear)),
             special = One(A().XCube(CellKind::FourColor)), box = One(A().XCube(CellKind::SpecialBox));
  EXPECT_EQ(Moved(One(A().XCube(CellKind::Blue)).world), (D3DVECTOR{2 * 1 - 6, 0, 6 - 2 * 5}));
  EXPECT_EQ(Moved(clearing.world), (D3DVECTOR{2 * 1 - 6, 1, 6 - 2 * 1}));
  EXPECT_EQ(Moved(special.world), (D3DVECTOR{2 * 3 - 6, 3, 6 - 2 * 2}));
  EXPECT_NEAR(special.world(0, 0), std::cos(30 * 3.14159265f / 180), 1e-5);
  EXPECT_EQ(Moved(box.world), Moved(special.world));
  EXPECT_FLOAT_EQ(box.world(0, 0), 1.0f);  // the box does not turn
  EXPECT_EQ(std::tuple(red.alphaBlend, clearing.alphaBlend, box.alphaBlend), std::tuple(0u, 1u, 1u));
  const auto& draws = device_->MeshDraws();
  const auto first = [&](CellKind k) {
    return std::ranges::find(draws, A().XCube(k).Mesh(), &NullDevice::MeshDraw::mesh) - draws.begin();
  };
  const auto r = first(CellKind::Red), c = first(CellKind::CubeClear), g = first(CellKind::Green),
             b = first(CellKind::Blue);
  EXPECT_TRUE(r < c && c < g && b < c && b < g) << r << " " << c << " " << g << " " << b;  // green meets it
  Use(0);  // the falling piece
  Show({Display::PieceShow});
  V().SpinAngle = 58;
  S().NowCube(2, 2) = CellKind::Tund;
  S().NowCube(4, 1) = CellKind::Yellow;
  S().NowCubeZ = 10;
  S().HeightArray(2, 2) = 3;
  Frame();
  const auto tund = One(A().XCube(CellKind::Tund));
  EXPECT_NE(tund.world, One(A().XCube(CellKind::SpecialBox)).world);
  EXPECT_EQ(Moved(tund.world), (D3DVECTOR{-2, 9, 2}));
  const auto markers = DrawsOf(A().XSelectArea);
  ASSERT_EQ(markers.size(), 2u);
  std::vector<D3DVECTOR> at{Moved(markers[0].world), Moved(markers[1].world)};
  std::ranges::sort(at, {}, &D3DVECTOR::x);
  EXPECT_EQ(at, (std::vector<D3DVECTOR>{{-4, 0, -2}, {-2, 3, 2}}));  // one on top of the column's three cubes
  Use(0);                                                            // a turned view
  Show({Display::FieldSpinShow, Display::TurnShow});
  S().TurnAngle = 90;
  V().SpinAngle = 40;
  S().CubeArray(1, 1, 1) = CellKind::Blue;
  S().NowCube(1, 5) = CellKind::Diamond;
  S().NowCubeZ = 9;
  Frame();
  const D3DVECTOR blue = Moved(One(A().XCube(CellKind::Blue)).world),
                  expected = D3DXVec3TransformCoord({-4, 0, 4}, D3DXMatrixRotationY(3.14159265f / 2));
  EXPECT_LT(std::abs(blue.x - expected.x) + std::abs(blue.y) + std::abs(blue.z - expected.z), 3e-4);
  const auto diamond = One(A().XCube(CellKind::Diamond));
  EXPECT_EQ(diamond.world, One(A().XCube(CellKind::SpecialBox)).world);  // turned with the piece, not spun
  EXPECT_NEAR(Moved(diamond.world).y, 8, 1e-4);
}

TEST_F(NullScreen, StarsMoveAgeAndEndTheEffectByThemselves) {
  Show({Display::EffectShow});
  V().EffectKind = CellKind::Stack;
  V().ParticleCount = 3;
  V().Particle(1) = {0, 0, 0, 1, 2, 0, 2};
  V().Particle(2) = {0, 0, 0, 0, 0, 0, 1};
  V().Particle(3) = {1, 1, 1, 0, 1, 0, 3};
  Frame();
  EXPECT_EQ(std::pair(DrawsOf(A().XStar(2)).size(), DrawsOf(A().XStar(3)).size()), std::pair(1ul, 0ul));
  EXPECT_FLOAT_EQ(V().Particle(1).Y, 2 * 1.01f);
  EXPECT_EQ(Moved(One(A().XStar(1)).world), (D3DVECTOR{1, 1 + 1.01f, 1}));
  EXPECT_EQ(device_->GetRenderState(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_TRUE(V()[Display::EffectShow]);
  for (int i = 0; i < 2; ++i) Frame();
  EXPECT_EQ(std::pair(V()[Display::EffectShow], scene_->renderer->LastFrame().MeshDraws),
            std::pair(false, 0));  // nothing was alive in the third frame
  Show({Display::EffectShow});
  V().EffectKind = CellKind::Diamond;
  V().Particle(3) = {1, 1, 1, 0, 1, 0, 3};
  Frame();
  EXPECT_EQ(std::pair(V()[Display::EffectShow], V().Particle(3).Life), std::pair(false, 3));
}

// catches: a popup not rising, fading or stopping, a stray chain word or leading zero, a sinking gauge.
TEST_F(NullScreen, PopupsRiseFadeAndShowTheirDigitsTheChainWordOnlyInChainsAndTheGaugeGrowsUp) {
  Show({Display::PanelShow, Display::ClearShow});
  S().ClearCount = 42;
  S().ChainCount = 2;
  Frame();
  const auto row = SpritesAt(384 - 2);  // risen by 2: 4, 2, the sign
  ASSERT_EQ(Sources(row), (std::vector<RECT>{{180, 82, 220, 110}, {100, 82, 140, 110}, {0, 82, 20, 110}}));
  EXPECT_EQ(std::tuple(row[0].translation.x, row[1].translation.x, row[0].colour),
            std::tuple(492.0f, 532.0f, 0xFDFFFFFFu));
  EXPECT_EQ(Sources(SpritesAt(384 - 2 - 40)), (std::vector<RECT>{{150, 50, 320, 80}}));
  S().ClearCount = 123;
  S().ChainCount = 1;
  Frame();
  EXPECT_EQ(
      std::tuple(SpritesAt(384 - 4).size(), SpritesAt(384 - 4 - 40).size(), SpritesAt(384 - 4)[0].colour),
      std::tuple(4ul, 0ul, 0xFBFFFFFFu));  // three digits and the sign, no chain word
  S().ClearCount = 7;
  Frame();
  EXPECT_EQ(Sources(SpritesAt(384 - 6)), (std::vector<RECT>{{300, 82, 340, 110}, {0, 82, 20, 110}}));
  for (int height : {0, 5, 10}) {
    S().MaxHeight = height;
    Frame();
    const auto bar = Drawn(RECT{420, 50, 446, 184});
    ASSERT_NE(bar.texture, nullptr);
    EXPECT_FLOAT_EQ(bar.scaling.y, height / 10.0f);
    EXPECT_FLOAT_EQ(bar.translation.y + 134 * bar.scaling.y, 134 + 48);  // the bottom edge stays put
  }
  Use(2);  // 640 x 480: rises by 6 a frame
  Show({Display::PanelShow, Display::LevelShow});
  S().ScoreLevel = 7;
  V().PopupRise = 232;
  Frame();
  const auto level = SpritesAt(238);  // risen by 6: the word and one digit
  const auto& digits = scene_->layout.LevelDigitRect;
  ASSERT_EQ(Sources(level), (std::vector<RECT>{{0, 50, 140, 80}, digits.at(7)}));
  EXPECT_EQ(std::pair(level[0].translation.x, level[1].translation.x),
            std::pair(320 - 110 * 0.625f, scene_->layout.LevelShowPos(2)));
  S().ScoreLevel = 12;
  for (int i = 0; i < 3; ++i) Frame();  // stops once past the middle
  EXPECT_EQ(Sources(SpritesAt(244)), (std::vector<RECT>{{0, 50, 140, 80}, digits.at(1), digits.at(2)}));
}

// catches: a HUD part not scaled about its anchor, a sheet rectangle moved, a number cut, unpadded or wrong.
TEST_F(NullScreen, EachScreenModeScalesTheHudAboutItsAnchorsButNotItsSheetRectangles) {
  EXPECT_THROW(ScreenModeFor(3), std::out_of_range);
  EXPECT_EQ((std::vector{HudDigits(42, 5), HudDigits(7, 1), HudDigits(123456, 5), HudDigits(-3, 2)}),
            (std::vector<std::string>{"00042", "7", "123456", "00"}));
  for (int mode = 0; mode <= 2; ++mode) {
    Use(mode);
    const ScreenMode m = ScreenModeFor(mode);
    const float r = m.ScreenRatio;
    const HudLayout& h = scene_->layout;
    if (mode == 1) {
      ASSERT_EQ(std::tuple(m.ScreenWidth, m.ScreenHeight, m.ScreenRatio), std::tuple(800, 600, 0.78125f));
      EXPECT_EQ(
          (std::vector{h.ScorePos(1), h.ScorePos(5), h.ChainPos(5), h.LevelPos(2), h.NextPos(2, 3), h.OverPos,
                       h.NamePos(26), vec2(h.LevelShowPos(1), h.LevelShowPos(2))}),
          (std::vector{vec2(400 - 100 * r, 36 * r), vec2(400 + 60 * r, 36 * r), vec2(600 - 9 * r, 40 * r),
                       vec2(200 + 32 * r, 40 * r), vec2(96 * r, 72 * r), vec2(400 - 240 * r, 300 - 180 * r),
                       vec2(400 - 240 * r + 45 * r + 375 * r, 300 - 180 * r + 312 * r),
                       vec2(400 + 40 * r, 400 + 80 * r)}));
    }
    EXPECT_EQ(
        (std::vector{h.DigitRect.at(7), h.ScoreDigitRect.at(0), h.LevelDigitRect.at(9), h.LetterRect(1),
                     h.LetterRect(27), h.CubeIconRect(3, CellKind::Red), h.CubeIconRect(16, CellKind::Yellow),
                     h.CubeIconRect(24, CellKind::Green), h.CubeIconRect(0, CellKind::FourColor),
                     h.CubeIconRect(17, CellKind::Diamond), h.CubeIconRect(9, CellKind::FallCube)}),
        (std::vector{RECT{105, 330, 119, 344}, RECT{60, 0, 100, 25}, RECT{380, 81, 420, 109},
                     RECT{0, 345, 14, 360}, RECT{390, 345, 404, 360}, RECT{0, 96, 31, 127},
                     RECT{224, 0, 255, 31}, RECT{160, 256, 191, 287}, RECT{128, 320, 159, 351},
                     RECT{224, 320, 255, 351}, RECT{160, 352, 191, 383}}));
    EXPECT_THROW(h.CubeIconRect(25, CellKind::Red), std::out_of_range);
    EXPECT_THROW(h.CubeIconRect(0, CellKind::CubeClear), std::out_of_range);
    Show({Display::PanelShow, Display::HudShow});
    S().QuitShow = true;
    S().NextCube(1, 1) = CellKind::Green;
    S().GameScore = 40719;
    S().ChainScore = 386;
    S().GameLevel = 7;
    Frame();
    const auto prompt = Drawn(RECT{0, 260, 499, 330}),
               icon = Drawn(h.CubeIconRect(S().LevelTable(7).CubePicture, CellKind::Green));
    EXPECT_EQ(prompt.translation,
              vec2(float(m.ScreenWidth / 2) - 250 * r, float(m.ScreenHeight / 2) - 35 * r));
    EXPECT_EQ(std::tuple(icon.translation, prompt.scaling, icon.scaling),
              std::tuple(vec2(32 * r, 40 * r), vec2(r, r), vec2(r, r)))
        << mode;
    const auto shown = [&](const std::array<RECT, 10>& table, const auto& pos, int count) {
      std::string s;
      for (int n = 1; n <= count; ++n)
        for (const auto& d : device_->SpriteDraws())
          if (d.translation == pos(n))
            s += std::to_string(std::ranges::find(table, d.source) - table.begin());
      return s;
    };
    EXPECT_EQ(shown(h.ScoreDigitRect, h.ScorePos, 5) + shown(h.DigitRect, h.ChainPos, 5) +
                  shown(h.DigitRect, h.LevelPos, 2),
              "407190038607")  // score, chain score, two-digit level
        << mode;
  }
}

TEST_F(NullScreen, GameOverPanelShowsTheTotalsTheNameAndABlinkingCursor) {
  Show({Display::PanelShow});
  S().GameOverShow = true;
  S().GameScore = 120;
  S().ChainScore = 35;
  S().GameLevel = 4;
  for (int i = 1; i <= GameNameLength; ++i) S().GameName(i) = i <= 3 ? "A1Z"[i - 1] : 32;
  S().NameLength = 3;  // the cursor stands in the fourth slot
  const HudLayout& h = scene_->layout;
  const float nameY = h.OverPos.y + 312;
  const std::uint32_t panel = 0xA0FFFFFF;
  scene_->renderer->SetNotice("NO 7");  // in the free row above the name, lined up with it
  Frame();                              // the blink timer's first call is true: the cursor is hidden
  auto name = SpritesAt(nameY);
  ASSERT_EQ(name.size(), 27u);
  EXPECT_EQ(Sources({name.begin() + 1, name.begin() + 5}),
            (std::vector<RECT>{h.LetterRect(1), h.DigitRect.at(1), h.LetterRect(26), h.LetterRect(27)}));
  for (const auto& d : name) EXPECT_EQ(d.colour, panel);
  const auto cursor = [&] {
    const auto at = SpritesAt(nameY + 2);
    EXPECT_EQ(at.size(), 1u);
    return at.empty() ? std::pair(1u, -1.0f) : std::pair(at[0].colour, at[0].translation.x);
  };
  EXPECT_EQ(cursor(), std::pair(0u, h.NamePos(4).x));
  scene_->clock.Advance(100);
  S().NameLength = GameNameLength;  // a full name: the cursor stays on the last slot
  Frame();
  EXPECT_EQ(cursor(), std::pair(panel, h.NamePos(GameNameLength).x));
  const auto notice = SpritesAt(nameY - 36);
  EXPECT_EQ(Sources(notice),
            (std::vector<RECT>{h.LetterRect(14), h.LetterRect(15), h.LetterRect(27), h.DigitRect.at(7)}));
  for (std::size_t n = 0; n < notice.size(); ++n)
    EXPECT_FLOAT_EQ(notice[n].translation.x, h.NamePos(1).x + 15 * n) << n;
  const auto totals = SpritesAt(h.OverPos.y + 245);
  ASSERT_EQ(totals.size(), 17u);
  std::string shown;
  for (const auto& d : totals) shown += static_cast<char>('0' + d.source.left / 15);
  EXPECT_EQ(shown, "00120000350015504");  // score, chain score, their total, level
  EXPECT_FLOAT_EQ(totals[10].translation.x, h.OverPos.x + 250);
}

// A draw over the world box lo..hi, seen on screen columns x0..x1 (all rows) at eye distances near..far.
OrderedDraw Draw(bool seeThrough, int group, float depth, D3DVECTOR lo, D3DVECTOR hi, float x0, float x1,
                 float near, float far) {
  return {seeThrough, group, depth, {x0, 0, x1, 100, near, far, false, lo, hi}};
}

TEST(DrawOrder, OpaqueDrawsPassOnlyWhereNoPixelCanChangeGroupsGoOutTogetherExtentsBoundCorners) {
  const OrderedDraw box = Draw(true, 9, 14, {0, 0, 0}, {2, 1, 2}, 100, 200, 13, 15);
  const std::vector<std::size_t> first{1, 0}, kept{0, 1};
  const std::tuple<const char*, OrderedDraw, std::vector<std::size_t>> cases[] = {
      {"nearer cell: passes", Draw(false, 0, 12, {0, 0, -2}, {2, 1, 0}, 90, 210, 11, 13), first},
      {"the cell above: passes", Draw(false, 0, 13, {0, 1, 0}, {2, 2, 2}, 90, 210, 12, 14), first},
      {"behind it: stays", Draw(false, 0, 16, {0, 0, 2}, {2, 1, 4}, 90, 210, 15, 17), kept},
      {"box overlaps a hair: stays", Draw(false, 0, 12, {0, 0, -2}, {2, 1, 0.01f}, 90, 210, 11, 13), kept},
      {"beside it, farther: passes", Draw(false, 0, 20, {4, 0, 2}, {6, 1, 4}, 201.5f, 260, 18, 21), first},
      {"behind eye: stays", {false, 0, 12, {90, 0, 210, 100, 11, 13, true, {0, 0, -2}, {2, 1, 0.01f}}}, kept},
  };
  for (const auto& [what, opaque, order] : cases) {
    const std::vector<OrderedDraw> draws{box, opaque};
    EXPECT_EQ(DrawOrder(draws, test::StartEye), order) << what;
    EXPECT_EQ(ReferenceOrder(draws), kept) << what;
  }
  const std::vector<OrderedDraw> apart{Draw(false, 1, 30, {0, 0, 10}, {2, 1, 12}, 0, 10, 29, 31),
                                       Draw(false, 0, 20, {0, 0, 0}, {2, 1, 2}, 20, 30, 19, 21),
                                       Draw(false, 1, 10, {0, 0, -10}, {2, 1, -8}, 40, 50, 9, 11)};
  EXPECT_EQ(DrawOrder(apart, test::StartEye), (std::vector<std::size_t>{1, 2, 0}));
  EXPECT_EQ(ReferenceOrder(apart), (std::vector<std::size_t>{2, 1, 0}));
  std::vector<OrderedDraw> unplaced = apart;  // may land anywhere: meets every draw
  unplaced[2].Extent.Anywhere = true;
  EXPECT_EQ(DrawOrder(unplaced, test::StartEye), (std::vector<std::size_t>{2, 1, 0}));
  const std::vector<OrderedDraw> touching{Draw(false, 1, 10, {0, 0, 0}, {2, 1, 2}, 100, 200, 9, 11),
                                          Draw(false, 0, 20, {2, 0, 0}, {4, 1, 2}, 200, 300, 19, 21)};
  EXPECT_EQ(DrawOrder(touching, test::StartEye), (std::vector<std::size_t>{0, 1}));
  const std::vector<OrderedDraw> stacked{Draw(false, 0, 15, {0, 0, 0}, {2, 1.01f, 2}, 100, 200, 14, 16),
                                         Draw(true, 1, 15, {8, 0, 0}, {10, 1, 2}, 300, 400, 14, 16),
                                         Draw(false, 0, 14, {0, 1, 0}, {2, 2.01f, 2}, 100, 200, 13, 15)};
  EXPECT_EQ(DrawOrder(stacked, test::StartEye), (std::vector<std::size_t>{0, 2, 1}));
  std::vector<OrderedDraw> loose = stacked;
  loose[2].Extent.Low.y = loose[2].Extent.Low.y + 0.5f;
  EXPECT_EQ(DrawOrder(loose, test::StartEye), (std::vector<std::size_t>{2, 0, 1}));
  D3DMATRIX project{};
  project(0, 0) = project(1, 1) = project(2, 3) = 1;
  project(3, 3) = 5;
  const D3DMATRIX identity = D3DXMatrixIdentity();
  const ScreenExtent e =
      ExtentOf(std::vector<D3DVERTEX>{{-1, -1, 0}, {1, 1, 0}, {0, 0, 5}}, identity, project, 200, 100);
  ASSERT_FALSE(e.Anywhere);
  // near, far, left, right, top (x / w = -0.2 at the nearest corners, a pixel's margin), the box's far side
  EXPECT_THAT((std::vector{e.Near, e.Far, e.Left, e.Right, e.Top, e.High.z}),
              ::testing::Pointwise(::testing::FloatEq(),
                                   {5.0f, 10.0f, 100 - 20 - 1.0f, 100 + 20 + 1.0f, 50 - 10 - 1.0f, 5.0f}));
  EXPECT_TRUE(ExtentOf(std::vector<D3DVERTEX>{{0, 0, -6}, {0, 0, 1}}, identity, project, 200, 100).Anywhere);
}

}  // namespace
}  // namespace quarnix
