#pragma once
// The rules of the game: building the tables, making and moving pieces, the
// landing passes (specials, lines, clearing, sinking, chains), score, levels and
// drop speed, the field turn and the cube shower. GameRules works on a
// GameState it does not own, draws every random number from one IRandom in a
// fixed order, plays sounds through a SoundPlayer, lets frames run through an
// IFrameStep during its pauses, and says what the screen shows through an
// IPlayView.
//
// One pass of the game loop, in order:
//   LevelStep();                         level from score, announcement, music
//   if (LandingStep().GameOver) ...      removal / clear pass / search after a landing
//   if (DropFlag) { DropInterval = 0 unless landing; a frame; next pass }
//   if (no landing flag) { ResumeNormalPlay(); keys: MoveNowCube, PressDrop, TurnNowCube ... }
//   a frame
// and the frame step calls AutoDropStep() after its 15 ms floor.

#include <cstdint>

#include "core/Clock.h"
#include "core/FixedArray.h"
#include "core/Random.h"
#include "game/FrameStep.h"
#include "game/GameState.h"
#include "game/PlayView.h"
#include "game/SoundPlayer.h"

namespace quarnix {

// Piece move directions, numbered as the game has always numbered them.
enum class Dir { XMinus = 1, XPlus = 2, YMinus = 3, YPlus = 4 };

// The groups of tables ClearGameArrays empties.
enum class ArrayGroup {
  Field = 1,  // CubeArray and HeightArray
  Marks = 2,  // MarkArray
  Piece = 3,  // NowCube and TurnArray
  Next = 4,   // NextCube
};

// What one call of LandingStep did.
struct LandingResult {
  bool Removed = false;   // cleared cubes were removed and the cubes above sank
  bool Marked = false;    // marked cubes became clearing cubes and were scored
  bool Checked = false;   // a landing was searched for specials and lines
  bool GameOver = false;  // the search found nothing and the top layer is occupied
};

class GameRules {
 public:
  GameRules(GameState& state, IRandom& random, SoundPlayer& sound);

  // Frames during pauses and animations. Without a frame step (look-ahead
  // copies) pauses take no time and animations run no frames.
  void SetFrameStep(IFrameStep* frameStep, IClock* clock);
  void SetEvents(IGameEvents* events) { events_ = events; }
  // The screen the rules show things on; without one (null) nothing is shown.
  void SetView(IPlayView* view);
  // Particle bursts cost many random draws; a look-ahead copy switches them
  // off. With them on, the draws are made whether or not a screen shows them.
  void SetParticles(bool on) { particles_ = on; }

  GameState& State() { return s_; }
  const GameState& State() const { return s_; }

  // --- Tables and game start.
  void ClearGameArrays(ArrayGroup Which);
  void InitShapeTable();
  void InitCubePos();
  void InitLevelTable();
  // A random order of 1..Count (Count 1..13) in List(1..Count); the rest is 0.
  FixedArray<int, 13> RandomOrder(int Count);
  // The state at the start of a game, up to the first piece and the next one.
  void NewGame();

  // --- The falling piece.
  void MakeNextCube(int CubeCount);
  void PutNextCube();
  // True when the piece can shift one cell in direction Dir at layer Layer.
  bool CanMove(Dir Direction, int Layer) const;
  void MoveNowCube(Dir Direction);
  void TurnNowCube();
  void DropStep();
  // The per-frame automatic drop: when the drop interval has passed since the
  // last one, a drop step unless a landing, the quit prompt or game over holds it.
  void AutoDropStep();

  // --- Landing.
  void CountHeights();
  void CheckLanding();
  void MarkClearing();
  void RemoveCleared();
  bool IsFieldFull() const;
  // Level whose score range holds GameScore; ScoreLevel when no row does.
  int LevelFromScore() const;
  // 2000 ms less the level row's speed rate times the points scored in the level.
  int DropIntervalForScore() const;

  // --- Steps of one pass of the game loop.
  // Level from score, and the announcement with its music when a new level is reached.
  void LevelStep();
  // The landing sequence: removal of shown clearing cubes (with a field turn
  // and shower when the score passed a multiple of 50), marking and scoring of
  // found cubes with their pause, and the search after a landing with the
  // special cube's effect. Runs what the flags call for; does nothing in normal play.
  LandingResult LandingStep();
  // Normal play resumes: what the loop resets before it reads keys.
  void ResumeNormalPlay();
  // The drop key: its sound, then a drop step every frame until the piece rests.
  void PressDrop();

  // --- Special cubes, field turn, shower.
  ParticleBurst MakeParticleRise(int Count, float X, float Y, float Z, float SX, float SY, float SZ);
  ParticleBurst MakeParticleBlast(int Count, float X, float Y, float Z, float SX, float SY, float SZ);
  ParticleBurst MakeParticleDrift(int Count, float X, float Y, float Z, float SX, float SY, float SZ);
  // Burst, sound and pause of the special cube that landed (FourColor, Stack,
  // ClearLayer, Tund; the others have none).
  void LandingEffect(CellKind Kind);
  // Burst size for this device class: the count divided by DeviceKind - 1.
  int BurstCount(int Count) const;
  void TurnField();
  void CubeShower();

  // Frames until Ms milliseconds have passed.
  void Pause(int Ms);

 private:
  void Frame();
  void Show(Display part, bool on) { view_->Show(part, on); }
  void RestCube(int x, int y, int z);
  void ApplySpecialRule();
  float Sign();
  const LevelRec& CurrentLevel() const;

  GameState& s_;
  IRandom& random_;
  SoundPlayer& sound_;
  IFrameStep* frameStep_ = nullptr;
  IClock* clock_ = nullptr;
  IGameEvents* events_ = nullptr;
  IPlayView* view_;
  bool particles_ = true;
};

// A frame step for headless play: takes the frame time, waits out the 15 ms
// floor on the clock, and runs the automatic drop. Tests and the simulator use
// it with a virtual clock.
class HeadlessFrameStep final : public IFrameStep {
 public:
  HeadlessFrameStep(GameRules& rules, IClock& clock) : rules_(rules), clock_(clock) {}
  void FrameStep() override;
  std::int64_t Frames() const { return frames_; }

 private:
  GameRules& rules_;
  IClock& clock_;
  std::int64_t frames_ = 0;
};

}  // namespace quarnix
