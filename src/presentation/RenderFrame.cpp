#include "presentation/RenderFrame.h"

#include <algorithm>
#include <cmath>

#include "platform/D3DXMath.h"
#include "platform/InitDirect3D.h"

namespace quarnix {

namespace {

constexpr std::uint32_t Opaque = 0xFFFFFFFF;
constexpr std::uint32_t PanelColour = 0xA0FFFFFF;   // the game-over panel lets the field show through
constexpr std::uint32_t BannerColour = 0xFFFFFF00;  // the demonstration's line: opaque yellow
constexpr float Radians = 0.017453292519943278f;

// The background texture's slow drift: start and steps of its sway.
constexpr float DriftStart = 0.0001f, DriftStepU = 0.000001f, DriftStepV = 0.000002f;

}  // namespace

D3DVECTOR CellWorldPosition(const GameState& s, int x, int y, int z) {
  const Vec3& p = s.CubePos(x, y, z);
  return {p.y, p.z, p.x};
}

std::string HudDigits(int Value, int Width) {
  std::string digits = std::to_string(std::max(Value, 0));
  if (static_cast<int>(digits.size()) < Width)
    digits.insert(0, static_cast<std::size_t>(Width) - digits.size(), '0');
  return digits;
}

PlayRenderer::PlayRenderer(const GameState& state, GameAssets& assets, ISprite& sprite, IRandom& random,
                           BlinkTimer& blink, const HudLayout& layout, const ScreenMode& mode)
    : s_(state),
      a_(assets),
      device_(assets.Device()),
      sprite_(sprite),
      random_(random),
      blink_(blink),
      layout_(layout),
      mode_(mode) {}

void PlayRenderer::ResetBackground() {
  a_.XBackGround.EffectMoveTextureB(true, DriftStart, DriftStepU, DriftStepV);
}

void PlayRenderer::OnLandingEffect(CellKind /*Kind*/) {
  for (int star = 1; star <= 3; ++star) a_.XStar(star).ResetAutoTextureCurrentNumber(0);
}

const LevelRec& PlayRenderer::LevelRow() const {
  // GameLevel is 0 for the moment between the start pause and the first
  // announcement; the first level's pictures stand in then.
  return s_.LevelTable(std::clamp(s_.GameLevel, 1, LevelCount));
}

std::uint32_t PlayRenderer::Alpha(CellKind kind) const {
  // Drawn without a cube kind (the floor, the marker, a shower cube): opaque.
  return IsCube(kind) ? static_cast<std::uint32_t>(a_.CubeSeeThrough(Index(kind) - 1)) : 0;
}

void PlayRenderer::Counted(XObject& object) {
  ++counts_.MeshDraws;
  if (const IMesh* mesh = object.Mesh()) counts_.SubsetDraws += mesh->GetNumSubsets();
}

void PlayRenderer::DrawMesh(XObject& object, int tex, CellKind kind, const D3DVECTOR& p, float spinY) {
  const XDraw draw{.TexIndex = tex,
                   .AlphaBlend = Alpha(kind),
                   .Position = p,
                   .AngleY = spinY,
                   .Axis = spinY != 0 ? RotationAxis::Y : RotationAxis::None};
  Queue({&object, draw}, XObject::WorldOf(draw));
}

void PlayRenderer::DrawTurned(XObject& object, int tex, CellKind kind, float yaw, const D3DVECTOR& p) {
  const QueuedDraw draw{
      &object, {.TexIndex = tex, .AlphaBlend = Alpha(kind), .Position = p, .AngleY = yaw}, true};
  // Centre opposite to the translation: the object turns about the world origin.
  Queue(draw, XObject::QuaternionWorld(1.0f, yaw, 0, 0, vec3(-p.x, p.y, -p.z), p));
}

void PlayRenderer::Send(const QueuedDraw& d) {
  if (d.Turned) {
    const D3DVECTOR& p = d.Draw.Position;
    d.Object->QDisplayXfile(d.Draw.TexIndex, d.Draw.AlphaBlend, 1.0f, d.Draw.AngleY, 0, 0,
                            vec3(-p.x, p.y, -p.z), p);
  } else {
    d.Object->DisplayXfile(d.Draw);
  }
  Counted(*d.Object);
}

void PlayRenderer::Queue(const QueuedDraw& draw, const D3DMATRIX& world) {
  const auto found = std::find(groups_.begin(), groups_.end(), draw.Object);
  // One group per object and picture.
  const int group = static_cast<int>(found - groups_.begin()) * 64 + (draw.Draw.TexIndex & 63);
  if (found == groups_.end()) groups_.push_back(draw.Object);
  const IMesh* mesh = draw.Object->Mesh();
  OrderedDraw entry;
  entry.SeeThrough = draw.Draw.AlphaBlend != 0;
  entry.Group = group;
  // The depth of the object's origin along the view.
  entry.Depth =
      world(3, 0) * view_(0, 2) + world(3, 1) * view_(1, 2) + world(3, 2) * view_(2, 2) + view_(3, 2);
  if (mesh)
    entry.Extent = ExtentOf(mesh->Vertices(), world, viewProjection_, device_.Width(), device_.Height());
  queue_.push_back(draw);
  order_.push_back(entry);
}

void PlayRenderer::FlushField() {
  // The eye, from the view: minus its translation turned back.
  const D3DMATRIX& v = view_;
  D3DVECTOR eye{};
  float* e[3] = {&eye.x, &eye.y, &eye.z};
  for (int k = 0; k < 3; ++k) *e[k] = -(v(3, 0) * v(k, 0) + v(3, 1) * v(k, 1) + v(3, 2) * v(k, 2));
  for (std::size_t i : reference_ ? ReferenceOrder(order_) : DrawOrder(order_, eye)) Send(queue_[i]);
  queue_.clear();
  order_.clear();
  groups_.clear();
}

void PlayRenderer::DrawCube(CellKind k, const D3DVECTOR& p, bool spin) {
  if (!IsSpecial(k)) {
    DrawMesh(a_.XCube(k), LevelRow().CubePicture, k, p);
    return;
  }
  DrawMesh(a_.XCube(k), 0, k, p, spin ? v_.SpinAngle : 0);
  DrawMesh(a_.XCube(CellKind::SpecialBox), 0, CellKind::SpecialBox, p);
}

void PlayRenderer::DrawTurnedCube(CellKind k, const D3DVECTOR& p) {
  if (!IsSpecial(k)) {
    DrawTurned(a_.XCube(k), LevelRow().CubePicture, k, s_.TurnAngle, p);
    return;
  }
  DrawTurned(a_.XCube(k), 0, k, s_.TurnAngle, p);
  DrawTurned(a_.XCube(CellKind::SpecialBox), 0, CellKind::SpecialBox, s_.TurnAngle, p);
}

void PlayRenderer::RenderFrame() {
  counts_ = {};
  queue_.clear();
  order_.clear();
  groups_.clear();
  view_ = device_.GetTransform(D3DTS_VIEW);
  viewProjection_ = D3DXMatrixMultiply(view_, device_.GetTransform(D3DTS_PROJECTION));
  Prologue();
  Scene scene(device_);
  if (Shown(Display::PlayShow)) FieldPass();
  if (Shown(Display::StartShow)) StartPass();
  if (Shown(Display::FieldSpinShow)) FieldSpinPass();
  if (Shown(Display::PieceShow)) PiecePass();
  if (Shown(Display::TurnShow)) TurnPass();
  FlushField();
  if (Shown(Display::BackShow)) BackgroundPass();
  if (Shown(Display::EffectShow)) EffectPass();

  // Turns with the special cubes; the meshes see it from the next frame on.
  const float a = v_.SpinAngle * Radians;
  SetDirLight(device_, MakeColorValue(1, 1, 1, 0), vec3(std::sin(a), -1, std::cos(a)), 1, 0, 0, 1);

  if (Shown(Display::PanelShow)) HudLayer();
  if (!banner_.empty()) BannerLayer();
  scene.End();
  device_.Present();
  last_ = counts_;
}

const RECT& PlayRenderer::Glyph(int code) const {
  const HudLayout& h = layout_;
  return code >= '0' && code <= '9'   ? h.DigitRect.at(static_cast<std::size_t>(code - '0'))
         : code >= 'A' && code <= 'Z' ? h.LetterRect(code - 'A' + 1)
                                      : h.LetterRect(27);  // the space
}

void PlayRenderer::Text(const std::string& text, float x, float y, std::uint32_t colour) {
  for (std::size_t n = 0; n < text.size(); ++n)
    Sprite(a_.ScreenSA, Glyph(static_cast<unsigned char>(text[n])),
           x + 15 * mode_.ScreenRatio * static_cast<float>(n), y, colour);
}

void PlayRenderer::BannerLayer() {
  // Centred under the labels of the top edge.
  const float r = mode_.ScreenRatio;
  const float width = 15 * r * static_cast<float>(banner_.size());
  SpriteBatch batch(sprite_);
  Text(banner_, (static_cast<float>(mode_.ScreenWidth) - width) / 2, 70 * r, BannerColour);
}

void PlayRenderer::Prologue() {
  BackMotionRec& m = v_.BackMotion;
  if (m.LimitX == 0) {
    m.LimitX = static_cast<float>(random_.Next() * 325 + 45);
    m.LimitY = static_cast<float>(random_.Next() * 20 + 25);
    m.LimitZ = static_cast<float>(random_.Next() * 20 + 20);
    m.StepX = 0.02f;
    m.StepY = 0.02f;
    m.StepZ = 0.05f;
  }
  v_.SpinAngle = v_.SpinAngle == 360 ? 0 : v_.SpinAngle + 2;
  device_.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
}

void PlayRenderer::FieldPass() {
  const LevelRec& level = LevelRow();
  for (int x = 1; x <= s_.FieldSizeX; ++x)
    for (int y = 1; y <= s_.FieldSizeY; ++y) {
      const D3DVECTOR floor = CellWorldPosition(s_, x, y, 1);
      DrawMesh(a_.XBuildPlan, level.PlanPicture, CellKind::Empty, floor);
      for (int z = 1; z <= s_.FieldSizeZ; ++z) {
        const CellKind k = s_.CubeArray(x, y, z);
        if (IsCube(k)) DrawCube(k, CellWorldPosition(s_, x, y, z), true);
      }
      const CellKind rain = s_.RainCube(x, y);
      if (IsCube(rain) && Shown(Display::FieldTurnShow))  // a shower cube on its way down, never see-through
        DrawMesh(a_.XCube(rain), level.CubePicture, CellKind::Empty,
                 vec3(floor.x, s_.RainHeight(x, y), floor.z));
    }
}

void PlayRenderer::StartPass() {
  const int plan = LevelRow().PlanPicture;
  for (int x = 1; x <= s_.FieldSizeX; ++x)
    for (int y = 1; y <= s_.FieldSizeY; ++y) {
      D3DVECTOR p = CellWorldPosition(s_, x, y, 1);
      p.z -= v_.StartOffset;
      DrawMesh(a_.XBuildPlan, plan, CellKind::Empty, p);
    }
  v_.StartOffset *= 0.95f;
}

void PlayRenderer::FieldSpinPass() {
  const int plan = LevelRow().PlanPicture;
  for (int x = 1; x <= s_.FieldSizeX; ++x)
    for (int y = 1; y <= s_.FieldSizeY; ++y) {
      DrawTurned(a_.XBuildPlan, plan, CellKind::Empty, s_.TurnAngle, CellWorldPosition(s_, x, y, 1));
      for (int z = 1; z <= s_.FieldSizeZ; ++z) {
        const CellKind k = s_.CubeArray(x, y, z);
        if (IsCube(k)) DrawTurnedCube(k, CellWorldPosition(s_, x, y, z));
      }
    }
}

void PlayRenderer::PiecePass() {
  for (int x = 1; x <= s_.FieldSizeX; ++x)
    for (int y = 1; y <= s_.FieldSizeY; ++y) {
      const CellKind k = s_.NowCube(x, y);
      if (!IsCube(k)) continue;
      DrawCube(k, CellWorldPosition(s_, x, y, s_.NowCubeZ), true);
      // Where this column's cube will come to rest.
      D3DVECTOR marker = CellWorldPosition(s_, x, y, 1);
      marker.y = static_cast<float>(s_.HeightArray(x, y) * s_.LayerStep);
      DrawMesh(a_.XSelectArea, 0, CellKind::Empty, marker, v_.SpinAngle);
    }
}

void PlayRenderer::TurnPass() {
  for (int x = 1; x <= s_.FieldSizeX; ++x)
    for (int y = 1; y <= s_.FieldSizeY; ++y) {
      const CellKind k = s_.NowCube(x, y);
      if (!IsCube(k)) continue;
      // Special cubes do not spin while the piece turns; plain and special alike
      // are drawn the way the turning field draws them.
      DrawTurnedCube(k, CellWorldPosition(s_, x, y, s_.NowCubeZ));
    }
}

void PlayRenderer::BackgroundPass() {
  BackMotionRec& m = v_.BackMotion;
  if (m.PosY < 0) m.StepY = 0.02f;
  if (m.PosY >= m.LimitY) m.StepY = -0.02f;
  m.PosY += m.StepY;
  if (m.PosX <= -m.LimitX) m.StepX = 0.02f;
  if (m.PosX >= m.LimitX) m.StepX = -0.02f;
  m.PosX += m.StepX;
  if (m.PosZ <= -m.LimitZ) m.StepZ = 0.05f;
  if (m.PosZ >= m.LimitZ) m.StepZ = -0.05f;
  m.PosZ += m.StepZ;

  XObject& back = a_.XBackGround;
  back.EffectMoveTextureB(false, DriftStart, DriftStepU, DriftStepV);
  back.QDisplayXfile(LevelRow().BackPicture, 0, 1.0f, m.PosZ, m.PosY + 5, m.PosX, vec3(0, 0, 0),
                     vec3(0, 8, 0));
  Counted(back);
}

void PlayRenderer::EffectPass() {
  v_.Show(Display::EffectShow, false);
  device_.SetRenderState(D3DRS_ZWRITEENABLE, 0);
  int star = 1;
  const CellKind kind = v_.EffectKind;
  const bool moves = HasLandingEffect(kind);
  // Stars only add onto the picture and write no depth, so their order does
  // not change it: each star mesh's draws go out together.
  std::array<std::vector<D3DVECTOR>, 3> stars;
  for (int i = 1; i <= v_.ParticleCount; ++i) {
    star = star == 3 ? 1 : star + 1;
    ParticleRec& p = v_.Particle(i);
    if (kind == CellKind::FourColor || kind == CellKind::Stack || kind == CellKind::Tund) p.VY *= 1.01f;
    if (kind == CellKind::ClearLayer) {
      p.VX *= 0.9f;
      p.VZ *= 0.9f;
    }
    if (!moves) continue;
    p.X += p.VX;
    p.Y += p.VY;
    p.Z += p.VZ;
    p.Life -= 1;
    if (p.Life > 0) {
      if (reference_)
        DrawStar(star, {p.X, p.Y, p.Z});
      else
        stars[static_cast<std::size_t>(star - 1)].push_back({p.X, p.Y, p.Z});
      v_.Show(Display::EffectShow, true);
    }
  }
  for (int s = 1; s <= 3; ++s)
    for (const D3DVECTOR& at : stars[static_cast<std::size_t>(s - 1)]) DrawStar(s, at);
  device_.SetRenderState(D3DRS_ZWRITEENABLE, 1);
}

void PlayRenderer::DrawStar(int star, const D3DVECTOR& at) {
  // Tilted towards the camera; the star's own animation picks the frame.
  a_.XStar(star).DisplayXfile({.AlphaBlend = 1, .Position = at, .AngleX = 40, .Axis = RotationAxis::X});
  Counted(a_.XStar(star));
}

void PlayRenderer::Sprite(ScreenObject& image, const RECT& source, float x, float y, std::uint32_t colour,
                          std::optional<float> scaleY) {
  const D3DVECTOR2 scaling = vec2(mode_.ScreenRatio, scaleY.value_or(mode_.ScreenRatio));
  const D3DVECTOR2 centre = vec2(0, 0);
  const D3DVECTOR2 at = vec2(x, y);
  sprite_.Draw(image.Texture(), &source, &scaling, &centre, 0, &at, colour);
  ++counts_.SpriteDraws;
}

template <typename Position>
void PlayRenderer::Number(int value, int width, const std::array<RECT, 10>& table, Position position,
                          std::uint32_t colour) {
  const std::string digits = HudDigits(value, width);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const D3DVECTOR2 p = position(static_cast<int>(i) + 1);
    Sprite(a_.ScreenSA, table.at(static_cast<std::size_t>(digits[i] - '0')), p.x, p.y, colour);
  }
}

void PlayRenderer::HudLayer() {
  const float r = mode_.ScreenRatio;
  const auto W = static_cast<float>(mode_.ScreenWidth);
  const auto H = static_cast<float>(mode_.ScreenHeight);
  const auto half = static_cast<float>(mode_.ScreenWidth / 2);
  const auto quarter = static_cast<float>(mode_.ScreenWidth / 4);
  const auto threeQuarters = static_cast<float>(3 * mode_.ScreenWidth / 4);
  const HudLayout& h = layout_;
  ScreenObject& SA = a_.ScreenSA;
  ScreenObject& SB = a_.ScreenSB;

  SpriteBatch batch(sprite_);
  // 1. The labels along the top edge.
  Sprite(SA, MakeRect(123, 200, 230, 224), 29.5f * r, 2);
  Sprite(SA, MakeRect(346, 200, 230, 457), quarter - 23.5f * r, 2);
  Sprite(SA, MakeRect(0, 200, 230, 122), half - 61 * r, 2);
  Sprite(SA, MakeRect(0, 230, 260, 122), threeQuarters - 93 * r, 2);
  Sprite(SA, MakeRect(226, 200, 230, 344), W - 151.5f * r, 2);
  // 2.-4. Score, chain score, level. More than the pattern holds shows its largest value.
  Number(std::min(s_.GameScore, 99999), 5, h.ScoreDigitRect, [&](int n) { return h.ScorePos(n); });
  Number(std::min(s_.ChainScore, 99999), 5, h.DigitRect, [&](int n) { return h.ChainPos(n); });
  Number(std::min(s_.GameLevel, 99), 2, h.DigitRect, [&](int n) { return h.LevelPos(n); });
  // 5. The height gauge: its bar grows upward from a fixed bottom.
  Sprite(SA, MakeRect(447, 50, 199, 487), W - 112 * r, 40 * r);
  const float filled = static_cast<float>(s_.MaxHeight) / 10.0f;
  Sprite(SA, MakeRect(420, 50, 184, 446), W - 105 * r, (134 - 134 * filled + 48) * r, Opaque, r * filled);
  // 6. The strips along the bottom edge.
  Sprite(SB, MakeRect(0, 370, 399, 511), 0, H + 1 - 30 * r);
  Sprite(SB, MakeRect(0, 410, 439, 511), half, H + 1 - 30 * r);
  // 7. The next piece.
  if (Shown(Display::HudShow)) {
    const int picture = LevelRow().CubePicture;
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j)
        if (const CellKind kind = s_.NextCube(i, j); IsCube(kind))
          Sprite(a_.ScreenCS, h.CubeIconRect(picture, kind), h.NextPos(i, j).x, h.NextPos(i, j).y);
  }
  if (Shown(Display::ClearShow)) ClearPopup();
  if (Shown(Display::LevelShow)) LevelAnnouncement();
  if (s_.QuitShow)
    Sprite(SA, MakeRect(0, 260, 330, 499), half - 250 * r,
           static_cast<float>(mode_.ScreenHeight / 2) - 35 * r);
  if (s_.GameOverShow) GameOverPanel();
  batch.End();
}

void PlayRenderer::ClearPopup() {
  const float r = mode_.ScreenRatio;
  const auto half = static_cast<float>(mode_.ScreenWidth / 2);
  v_.PopupRise += 2;
  // The alpha byte fades by 2 a frame (worked on the bits, so it never overflows).
  v_.PopupColour = static_cast<int>(static_cast<std::uint32_t>(v_.PopupColour) - 0x02000000u);
  const auto colour = static_cast<std::uint32_t>(v_.PopupColour);
  const float y = static_cast<float>(mode_.ScreenHeight / 2 - v_.PopupRise);
  const int width = s_.ClearCount < 10 ? 1 : s_.ClearCount < 100 ? 2 : 3;
  const std::string digits = HudDigits(s_.ClearCount, width);
  for (std::size_t n = 0; n < digits.size(); ++n) {
    const auto d = static_cast<float>(digits[n] - '0');
    Sprite(a_.ScreenSA, MakeRect(20 + 40 * d, 82, 110, 60 + 40 * d),
           half + 40 * static_cast<float>(n) * r - 20 * r, y, colour);
  }
  Sprite(a_.ScreenSA, MakeRect(0, 82, 110, 20), half - 40 * r, y, colour);
  if (s_.ChainCount > 1) Sprite(a_.ScreenSA, MakeRect(150, 50, 80, 320), half - 85 * r, y - 40 * r, colour);
}

void PlayRenderer::LevelAnnouncement() {
  const float r = mode_.ScreenRatio;
  if (v_.PopupRise < mode_.ScreenHeight / 2) v_.PopupRise += RoundToInt(10 * r);
  const auto y = static_cast<float>(v_.PopupRise);
  Sprite(a_.ScreenSA, MakeRect(0, 50, 80, 140), static_cast<float>(mode_.ScreenWidth / 2) - 110 * r, y);
  const std::string digits = HudDigits(std::clamp(s_.ScoreLevel, 0, 99), 2);
  for (int n = 1; n <= 2; ++n) {
    const int d = digits[static_cast<std::size_t>(n - 1)] - '0';
    if (n == 1 && d == 0) continue;  // "7", not "07"
    Sprite(a_.ScreenSA, layout_.LevelDigitRect.at(static_cast<std::size_t>(d)), layout_.LevelShowPos(n), y);
  }
}

void PlayRenderer::GameOverPanel() {
  const float r = mode_.ScreenRatio;
  const HudLayout& h = layout_;
  const D3DVECTOR2 o = h.OverPos;
  Sprite(a_.ScreenSB, MakeRect(0, 0, 359, 479), o.x, o.y, PanelColour);
  const float y = o.y + 245 * r;
  const auto row = [&](float offset) {
    return [&, offset](int n) { return vec2(o.x + (offset + 15 * static_cast<float>(n - 1)) * r, y); };
  };
  Number(std::min(s_.GameScore, 99999), 5, h.DigitRect, row(16), PanelColour);
  Number(std::min(s_.ChainScore, 99999), 5, h.DigitRect, row(130), PanelColour);
  Number(std::min(s_.GameScore + s_.ChainScore, 99999), 5, h.DigitRect, row(250), PanelColour);
  Number(std::min(s_.GameLevel, 99), 2, h.DigitRect, row(405), PanelColour);
  Sprite(a_.ScreenSA, MakeRect(165, 330, 344, 234), o.x + 205 * r, o.y + 292 * r, PanelColour);
  Sprite(a_.ScreenSA, MakeRect(0, 365, 380, 389), o.x + 45 * r, o.y + 312 * r, PanelColour);
  for (int n = 1; n <= GameNameLength; ++n)
    Sprite(a_.ScreenSA, Glyph(s_.GameName(n)), h.NamePos(n).x, h.NamePos(n).y, PanelColour);
  // The notice lines up with the name, in the free row above it.
  Text(notice_, h.NamePos(1).x, h.NamePos(1).y - 36 * r, PanelColour);
  // The cursor blinks in 500 ms phases.
  const std::uint32_t cursor = blink_.TimeBlink(500) ? 0u : PanelColour;
  // It stands after the typed characters, on the last slot once the name is full.
  const float cursorX = h.NamePos(std::min(s_.NameLength, GameNameLength - 1) + 1).x;
  Sprite(a_.ScreenSA, MakeRect(240, 330, 344, 254), cursorX, o.y + 312 * r + 2, cursor);
}

}  // namespace quarnix
