#pragma once
// The game loop wired for tests: a virtual clock, scripted keys, recorded
// sounds, the null screen and a recording camera, and a scores file in a
// temporary folder. A probe runs the test's own code at the end of every frame.

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <functional>
#include <memory>

#include "../storage/TempFolder.h"
#include "app/GameLoop.h"
#include "app/PlayParts.h"
#include "core/Clock.h"
#include "core/KeySource.h"
#include "core/Random.h"
#include "core/SoundBuffer.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"
#include "input/Keys.h"
#include "storage/Controls.h"
#include "storage/Scores.h"

namespace quarnix::test {

// Default bindings: Left, Right, Up, Down, Space, "Z", "A".
inline constexpr int KeyLeft = 37, KeyRight = 39, KeyUp = 38, KeyDown = 40, KeySpace = 32, KeyZ = 90,
                     KeyA = 65, KeyEnter = 13, KeyEscape = 27, KeyY = 89, KeyN = 78, KeyBack = 8;

class Probe final : public IPlayObserver {
 public:
  void OnFrame() override {
    if (onFrame) onFrame();
  }
  void AfterLandingStep(const LandingResult& step, CellKind special) override {
    if (onLanding) onLanding(step, special);
  }
  std::function<void()> onFrame;
  std::function<void(const LandingResult&, CellKind)> onLanding;
};

class LoopTest : public ::testing::Test {
 protected:
  // Keys from another source and events from another pump when given (SDL's own).
  explicit LoopTest(IKeyStateSource* keySource = nullptr, IEventPump* pump = nullptr)
      : s(*state),
        rules(s, random, sound),
        keys(keySource ? *keySource : source),
        scores(book, file, random),
        loop(rules, sound, keys, gameKey, clock, {renderer, camera, pump ? *pump : events, scores, shown}) {
    for (int i = 1; i <= EffectCount; ++i) sound.WaveBuffer(i) = &waves(i);
    for (int i = 1; i <= MusicCount; ++i) sound.MusicBuffer(i) = &music(i);
    sound.SoundOn = 1;
    keys.InitKeyTable();
    rules.InitCubePos();
    ReadScores(file, book, random);  // no file yet: an empty table is written
    loop.AddObserver(&probe);
    events.QuitAtPump = 1'000'000;  // a game that never ends fails instead of hanging
  }

  // Holds vk down until the loop has read it, then lets it go (called each frame).
  void TapKeys() {
    if (held != 0 && keys.KeyTable(held).KeyLatch()) {
      source.Release(held);
      held = 0;
    }
    if (held == 0 && !taps.empty() && !keys.KeyTable(taps.front()).KeyLatch()) {
      held = taps.front();
      taps.pop_front();
      source.Press(held);
    }
  }
  void Tap(std::initializer_list<int> vks) { taps.insert(taps.end(), vks); }
  // Normal play at the end of a frame: the next pass reads the keys.
  bool NormalPlay() const {
    return shown[Display::PieceShow] && !shown[Display::LevelShow] && !s.QuitShow && !s.GameOverShow &&
           !shown[Display::TurnShow] && !s.DropFlag && !s.LandFlag && !s.MatchFlag && !s.ClearFlag;
  }
  // The program is asked to close at the next frame: PlayGame ends with QuitRequest.
  void CloseWindow() { events.Quit = true; }

  TempFolder dir{TempFolder::InMemory};
  std::filesystem::path file = dir / "RD.dat";
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  GameState& s;
  Rng random{11};
  SoundPlayer sound;
  FixedArray<RecordingSoundBuffer, EffectCount> waves;
  FixedArray<RecordingSoundBuffer, MusicCount> music;
  GameRules rules;
  VirtualClock clock;
  ScriptedKeySource source;
  Keys keys;
  ScoreBook book;
  FileScoreStore scores;
  NullPlayRenderer renderer;
  RecordingCamera camera;
  ScriptedEventPump events;
  DisplayFlags shown;
  GameKeys gameKey = DefaultGameKeys();
  GameLoop loop;
  Probe probe;
  std::deque<int> taps;
  int held = 0;
};

}  // namespace quarnix::test
