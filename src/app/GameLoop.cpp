#include "app/GameLoop.h"

namespace quarnix {

GameLoop::GameLoop(GameRules& rules, SoundPlayer& sound, Keys& keys, const GameKeys& GameKey, IClock& clock,
                   PlayParts parts)
    : rules_(rules), sound_(sound), keys_(keys), gameKey_(GameKey), clock_(clock), parts_(parts) {
  rules_.SetFrameStep(this, &clock_);
  rules_.SetEvents(parts_.GameEvents);
  rules_.SetView(&parts_.View);
}

GameLoop::~GameLoop() {
  // The rules may outlive the loop: their pauses must not call into it then.
  rules_.SetFrameStep(nullptr, nullptr);
  rules_.SetEvents(nullptr);
  rules_.SetView(nullptr);
}

void GameLoop::FrameStep() {
  GameState& s = State();
  s.FrameTime = clock_.Ticks();
  parts_.Renderer.RenderFrame();
  clock_.WaitUntil(s.FrameTime + 15);  // a frame lasts at least 15 ms
  parts_.Events.PumpEvents();
  ++frames_;
  if (parts_.Events.QuitRequested()) throw QuitRequest();
  rules_.AutoDropStep();
  for (IPlayObserver* o : observers_) o->OnFrame();
}

void GameLoop::StartGame() {
  GameState& s = State();
  parts_.Events.SetScreen(InputScreen::Play);
  rules_.NewGame();  // tables, counters, the first piece and the next, display flags
  parts_.Renderer.ResetBackground();
  sound_.PlayWave(Effect::OkBuildMove, PlayFlag::Once, -200);
  rules_.Pause(2000);
  s.LastDropTime = s.FrameTime = clock_.Ticks();
  s.GameLevel = 0;  // the first pass announces level 1
}

GameEnd GameLoop::PlayGame() {
  GameState& s = State();
  StartGame();
  for (;;) {
    rules_.LevelStep();
    const CellKind special = s.SpecialKind;
    const LandingResult step = rules_.LandingStep();
    for (IPlayObserver* o : observers_) o->AfterLandingStep(step, special);
    if (step.GameOver) break;

    const bool landing = s.LandFlag || s.MatchFlag || s.ClearFlag;
    if (s.DropFlag) {
      if (!landing) s.DropInterval = 0;  // a drop step every frame; no keys meanwhile
      FrameStep();
      continue;
    }
    if (!landing) {
      rules_.ResumeNormalPlay();
      if (ReadPlayKeys()) return GameEnd::Quit;
    }
    FrameStep();
  }
  sound_.StopMusicNow();
  GameOverEntry();
  return GameEnd::FieldFull;
}

bool GameLoop::ReadPlayKeys() {
  // Each key is tested on its own, in this order: up and down move the piece
  // along x, left and right along y (the screen shows the field turned).
  if (Pressed(Binding::Up)) rules_.MoveNowCube(Dir::XMinus);
  if (Pressed(Binding::Down)) rules_.MoveNowCube(Dir::XPlus);
  if (Pressed(Binding::Left)) rules_.MoveNowCube(Dir::YMinus);
  if (Pressed(Binding::Right)) rules_.MoveNowCube(Dir::YPlus);
  if (Pressed(Binding::Drop)) rules_.PressDrop();
  if (Pressed(Binding::Turn)) TurnPiece();
  if (Pressed(Binding::Camera)) SwitchCamera();
  // Losing the window's focus, or the pad in use, stops play as Escape does.
  const bool escape = Pressed(PlayKey::Escape);
  const bool paused = parts_.Events.TakePauseRequest();
  if ((escape || paused) && QuitPrompt()) {
    GameOverEntry();
    return true;
  }
  return false;
}

void GameLoop::TurnPiece() {
  GameState& s = State();
  Show(Display::PieceShow, false);
  Show(Display::TurnShow, true);
  // Six frames of the turn, at 1, 16, ..., 76 degrees; the piece turns after them.
  for (s.TurnAngle = 1.0f; s.TurnAngle <= 90.0f; s.TurnAngle += 15.0f) FrameStep();
  Show(Display::PieceShow, true);
  Show(Display::TurnShow, false);
  rules_.TurnNowCube();
}

void GameLoop::SwitchCamera() {
  ICameraControl& cam = parts_.Camera;
  const int now = cam.GetNowStaticPosition();
  cam.SetNowStaticPosition(now == cam.GetNumStaticPosition() ? 1 : now + 1);
  cam.SetCam();
}

bool GameLoop::QuitPrompt() {
  GameState& s = State();
  s.QuitShow = true;
  parts_.Events.SetScreen(InputScreen::QuitPrompt);
  enum class Answer { None, Quit, Play } answer = Answer::None;
  while (answer == Answer::None) {
    FrameStep();
    // All three are read every frame; a later one overrides an earlier one.
    if (Pressed(PlayKey::Yes)) answer = Answer::Quit;
    if (Pressed(PlayKey::No)) answer = Answer::Play;
    if (Pressed(PlayKey::Escape)) answer = Answer::Play;
  }
  s.QuitShow = false;
  if (answer == Answer::Play) parts_.Events.SetScreen(InputScreen::Play);
  return answer == Answer::Quit;
}

}  // namespace quarnix
