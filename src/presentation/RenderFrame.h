#pragma once
// The play screen: one frame drawn from the game state. The 3D passes (field,
// sliding-in build plan, turning field, falling piece with its landing
// markers, turning piece, background, star particles) each run under their
// display flag; then the light for the next frame; then the 2D layer (labels,
// score, chain score, level, height gauge, bottom strips, next piece, clear
// pop-up, level announcement, quit prompt, game-over panel with the typed name
// and its blinking cursor).
//
// The renderer reads the game state and owns the screen's state (ScreenState:
// display flags, pop-up, particles, its animations), which the rules and the
// game loop change through IPlayView and which it advances as it draws.
// Errors of the device, the sprite or a mesh leave the frame at once as
// exceptions.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Random.h"
#include "game/FrameStep.h"
#include "game/GameState.h"
#include "platform/Graphics.h"
#include "platform/PublicX8.h"
#include "presentation/DrawOrder.h"
#include "presentation/GameAssets.h"
#include "presentation/HudLayout.h"
#include "presentation/ScreenState.h"

namespace quarnix {

// What one frame asked of the device.
struct FrameCounts {
  int MeshDraws = 0;    // mesh objects drawn
  int SubsetDraws = 0;  // their subsets: the device's draw calls for meshes
  int SpriteDraws = 0;  // 2D pictures
};

// World position of field cell (x, y, z): the rules keep CubePos as
// (6 - 2x, 2y - 6, z - 1) for the default field; the screen shows it with the
// components exchanged, X = 2y - 6, Y = z - 1, Z = 6 - 2x.
D3DVECTOR CellWorldPosition(const GameState& s, int x, int y, int z);

// Digits of Value written with at least Width digits (leading zeros), as the
// HUD's fixed patterns show it; negative values show as 0.
std::string HudDigits(int Value, int Width);

class PlayRenderer final : public IGameEvents {
 public:
  // The background sway's three limits are drawn from random on the first
  // frame; blink times the name cursor.
  PlayRenderer(const GameState& state, GameAssets& assets, ISprite& sprite, IRandom& random,
               BlinkTimer& blink, const HudLayout& layout, const ScreenMode& mode);

  // Draws and presents one frame.
  void RenderFrame();
  // A game starts: the background texture's sway starts afresh.
  void ResetBackground();
  // A special cube's landing effect: every star animation starts at its first frame.
  void OnLandingEffect(CellKind Kind) override;
  // A line of capitals, digits and spaces above the name on the game-over panel; empty: none.
  void SetNotice(std::string text) { notice_ = std::move(text); }
  // A line across the top of every frame (the demonstration's); empty: none.
  void SetBanner(std::string text) { banner_ = std::move(text); }

  const FrameCounts& LastFrame() const { return last_; }
  // Sends the field's draws in their reference order and the stars one by
  // one as they come (see DrawOrder.h): the picture every frame must match,
  // for tests and the benchmark.
  void SetReferenceOrder(bool reference) { reference_ = reference; }
  // What the screen shows: the rules and the game loop change it through this.
  ScreenState& Screen() { return v_; }

 private:
  void Prologue();
  void FieldPass();
  void StartPass();
  void FieldSpinPass();
  void PiecePass();
  void TurnPass();
  void BackgroundPass();
  void EffectPass();
  void DrawStar(int star, const D3DVECTOR& at);
  void HudLayer();
  void ClearPopup();
  void LevelAnnouncement();
  void GameOverPanel();

  const LevelRec& LevelRow() const;
  // One cube of kind k: plain kinds plainly, special kinds spinning (when
  // spin) with the special box over them.
  void DrawCube(CellKind k, const D3DVECTOR& p, bool spin);
  // The same cube turned by TurnAngle about the world origin.
  void DrawTurnedCube(CellKind k, const D3DVECTOR& p);
  // The field's draws wait in a queue and go out in DrawOrder when the field's
  // passes end. kind: the cube kind whose see-through flag applies, Empty for
  // none; spinY: degrees about the vertical axis.
  void DrawMesh(XObject& object, int tex, CellKind kind, const D3DVECTOR& p, float spinY = 0);
  void DrawTurned(XObject& object, int tex, CellKind kind, float yaw, const D3DVECTOR& p);
  void FlushField();
  std::uint32_t Alpha(CellKind kind) const;
  void Counted(XObject& object);
  // Scaled by ScreenRatio both ways unless scaleY is given.
  void Sprite(ScreenObject& image, const RECT& source, float x, float y, std::uint32_t colour = 0xFFFFFFFF,
              std::optional<float> scaleY = std::nullopt);
  // Value drawn digit by digit: digit n (1-based) of HudDigits(value, width)
  // from table at position(n).
  template <typename Position>
  void Number(int value, int width, const std::array<RECT, 10>& table, Position position,
              std::uint32_t colour = 0xFFFFFFFF);

  bool Shown(Display part) const { return v_[part]; }
  // The HUD sheet's picture of a letter, digit or (for anything else) the space.
  const RECT& Glyph(int code) const;
  // Text in those pictures from (x, y), one 15-pixel step (scaled) a character.
  void Text(const std::string& text, float x, float y, std::uint32_t colour);
  void BannerLayer();

  const GameState& s_;
  ScreenState v_;
  GameAssets& a_;
  IDevice& device_;
  ISprite& sprite_;
  IRandom& random_;
  BlinkTimer& blink_;
  const HudLayout& layout_;
  ScreenMode mode_;
  FrameCounts counts_, last_;
  struct QueuedDraw {
    XObject* Object;
    XDraw Draw;  // a turned draw yaws Draw.AngleY about the world origin to Draw.Position
    bool Turned = false;
  };
  void Queue(const QueuedDraw& draw, const D3DMATRIX& world);
  void Send(const QueuedDraw& draw);
  std::vector<QueuedDraw> queue_;
  std::vector<OrderedDraw> order_;
  std::vector<const XObject*> groups_;  // the objects queued in this frame, by first draw
  bool reference_ = false;
  D3DMATRIX viewProjection_{};
  D3DMATRIX view_{};
  std::string notice_;
  std::string banner_;
};

}  // namespace quarnix
