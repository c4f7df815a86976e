#pragma once
// The game loop on a virtual clock with scripted keys, recorded sounds and a scores file; a probe per frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <numeric>
#include <set>
#include <string>

#include "../storage/TempFolder.h"
#include "app/GameLoop.h"
#include "app/GameRecording.h"
#include "core/SoundBuffer.h"

namespace quarnix::test {

// Default bindings: Left, Right, Up, Down, Space, "Z", "A".
inline constexpr int KeyLeft = 37, KeyRight = 39, KeyUp = 38, KeyDown = 40, KeySpace = 32, KeyZ = 90,
                     KeyA = 65, KeyEnter = 13, KeyEscape = 27, KeyY = 89, KeyN = 78, KeyBack = 8;

inline std::string Padded(const std::string& s) { return s + std::string(GameNameLength - s.size(), ' '); }

using Cells = std::set<std::pair<int, int>>;  // the falling piece's
inline Cells PieceCells(const GameState& s) {
  Cells cells;
  for (int x = 1; x <= MaxFieldX; ++x)
    for (int y = 1; y <= MaxFieldY; ++y)
      if (IsCube(s.NowCube(x, y))) cells.insert({x, y});
  return cells;
}
inline Cells Shifted(const Cells& cells, int dx, int dy) {
  Cells out;
  for (auto [x, y] : cells) out.insert({x + dx, y + dy});
  return out;
}

struct Probe final : IPlayObserver {
  void OnFrame() override { onFrame ? onFrame() : void(); }
  void AfterLandingStep(const LandingResult& r, CellKind k) override { onLanding ? onLanding(r, k) : void(); }
  std::function<void()> onFrame;
  std::function<void(const LandingResult&, CellKind)> onLanding;
};

struct RecordedSound {
  RecordedSound() {
    for (int i = 1; i <= EffectCount; ++i) sound.WaveBuffer(i) = &waves(i);
    for (int i = 1; i <= MusicCount; ++i) sound.MusicBuffer(i) = &music(i);
    sound.SoundOn = 1;
  }
  int TracksPlaying() const {
    return int(std::count_if(music.begin(), music.end(), [](auto& m) { return m.Playing(); }));
  }
  int EffectPlays() const {
    return std::accumulate(waves.begin(), waves.end(), 0, [](int n, auto& w) { return n + w.Plays(); });
  }
  FixedArray<RecordingSoundBuffer, EffectCount> waves;
  FixedArray<RecordingSoundBuffer, MusicCount> music;
  SoundPlayer sound;
};

struct LoopRig : RecordedSound {
  explicit LoopRig(IKeyStateSource* keySource = nullptr, IEventPump* pump = nullptr, std::uint64_t seed = 11,
                   bool record = false)
      : s(*state),
        random(seed),
        rules(s, random, sound),
        keys(keySource ? *keySource
             : record  ? recorder.KeySource()
                       : source),
        scores(book, file, random),
        loop(rules, sound, keys, gameKey, record ? recorder.Clock() : clock,
             {renderer, camera,
              pump     ? *pump
              : record ? recorder.Events()
                       : events,
              record ? static_cast<IScoreStore&>(kept) : scores, shown}) {
    keys.InitKeyTable();
    rules.InitCubePos();
    if (record) recorder.Attach(random, keys, gameKey, s, 2), loop.AddObserver(&recorder);
    ReadScores(file, book, random);  // no file yet: an empty table is written
    loop.AddObserver(&probe);
    events.QuitAtPump = 1'000'000;  // a game that never ends fails instead of hanging
  }

  void TapKeys() {
    if (held != 0 && keys.KeyTable(held).KeyLatch()) source.Release(std::exchange(held, 0));
    if (held == 0 && !taps.empty() && !keys.KeyTable(taps.front()).KeyLatch()) {
      source.Press(held = taps.front());
      taps.pop_front();
    }
  }
  void Tap(std::initializer_list<int> vks) { taps.insert(taps.end(), vks); }
  bool Idle() const { return taps.empty() && held == 0; }
  bool NormalPlay() const {
    return shown[Display::PieceShow] && !shown[Display::LevelShow] && !s.QuitShow && !s.GameOverShow &&
           !shown[Display::TurnShow] && !s.DropFlag && !s.LandFlag && !s.MatchFlag && !s.ClearFlag;
  }
  void CloseWindow() { events.Quit = true; }  // PlayGame ends with QuitRequest
  ScoreBook ReadBack() {
    ScoreBook back;
    ReadScores(file, back, random);
    return back;
  }

  TempFolder dir{TempFolder::InMemory};
  std::filesystem::path file = dir / "RD.dat";
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  GameState& s;
  Rng random;
  GameRules rules;
  VirtualClock clock;
  ScriptedKeySource source;
  ScriptedEventPump events;
  GameRecorder recorder{clock, source, events};
  Keys keys;
  ScoreBook book;
  FileScoreStore scores;
  ReplayKeepingScores kept{scores, recorder, ReplaysFolderFor(file)};
  NullPlayRenderer renderer;
  RecordingCamera camera;
  DisplayFlags shown;
  GameKeys gameKey = DefaultGameKeys();
  GameLoop loop;
  Probe probe;
  std::deque<int> taps;
  int held = 0;
};

struct LoopTest : ::testing::Test, LoopRig {
  using LoopRig::LoopRig;
};

}  // namespace quarnix::test
