#pragma once
// Recording a game as the loop plays it, and playing a recording back through
// the same loop. Both stand between the loop and what it reads from outside:
// the clock, the key-state source (keyboard and pads alike) and the window's
// pause requests. The recorder passes every answer on and writes it down; the
// player gives the written answers back in the same order, so the rules see
// the same game whatever screen (or none) shows it. Only the loop's reads go
// through them: the screen's own clock (the name cursor's blink) and its own
// random source stay outside, and nothing it does changes the game.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/PlayParts.h"
#include "app/Replay.h"
#include "core/Clock.h"
#include "core/KeySource.h"
#include "core/Random.h"
#include "input/Keys.h"

namespace quarnix {

class GameRecorder final : public IPlayObserver {
 public:
  // The loop's real clock, key source and window events.
  GameRecorder(IClock& clock, IKeyStateSource& keys, IEventPump& events);
  ~GameRecorder() override;

  // What the loop and its Keys read through.
  IClock& Clock();
  IKeyStateSource& KeySource();
  IEventPump& Events();
  // The game's random source, the Keys made on KeySource(), the bindings in
  // force, the game state and the screen mode, before the first game.
  void Attach(Rng& random, Keys& keys, const GameKeys& GameKey, const GameState& state, int screenMode);

  void OnGameStart() override;
  void OnFrame() override;
  void OnGameOver() override;
  // Play stopped before its game-over (the program was asked to close): the
  // game so far is the recording.
  void Stop();

  // The last game recorded, once it ended; null before.
  const Replay* Last() const { return done_ ? &replay_ : nullptr; }
  void SetName(std::string name) { replay_.Header.Name = std::move(name); }

 private:
  class Adapters;
  void Finish(ReplayEnd end);

  std::unique_ptr<Adapters> adapters_;
  Rng* random_ = nullptr;
  Keys* keys_ = nullptr;
  const GameKeys* gameKey_ = nullptr;
  const GameState* state_ = nullptr;
  int screenMode_ = 0;
  Replay replay_;
  bool recording_ = false;
  bool done_ = false;
};

class ReplayPlayer final : public IPlayObserver {
 public:
  // window: the real window's events (a close request still closes), the
  // player's presses counted. pace: the clock that paces a watched replay,
  // speed times as fast as it was played; null: as fast as it goes.
  ReplayPlayer(const Replay& replay, IEventPump& window, IClock* pace = nullptr, int speed = 1);
  ~ReplayPlayer() override;

  IClock& Clock();
  IKeyStateSource& KeySource();
  IEventPump& Events();
  // The random source the rules draw from, the Keys made on KeySource() and
  // the game state: the recording's start is restored into them.
  void Attach(Rng& random, Keys& keys, GameState& state);

  void OnGameStart() override;
  void OnFrame() override;
  // Ends the replay: throws QuitRequest with Finished() true.
  void OnGameOver() override;

  // The recording was played to its end (the loop then ends with QuitRequest).
  bool Finished() const { return finished_; }

 private:
  class Adapters;
  friend class Adapters;
  [[noreturn]] void OutOfStep(const std::string& what) const;
  bool FrameDone() const;

  const Replay& replay_;
  std::unique_ptr<Adapters> adapters_;
  IClock* pace_;
  int speed_;
  Rng* random_ = nullptr;
  Keys* keys_ = nullptr;
  GameState* state_ = nullptr;
  std::size_t frame_ = 0, tick_ = 0, key_ = 0, pause_ = 0;
  std::size_t frameTick_ = 0, frameKey_ = 0, framePause_ = 0;  // where the frame's reads start
  bool started_ = false, finished_ = false;
  bool paced_ = false;
  std::uint32_t paceStart_ = 0, recordedStart_ = 0;
};

// The table of best results, keeping the replay of every result that enters
// it in a folder (the Replays folder beside the scores file) and deleting
// the replays of rows that leave it. A replay that cannot be kept costs the
// result nothing: the reason goes to stderr.
class ReplayKeepingScores final : public IScoreStore {
 public:
  ReplayKeepingScores(IScoreStore& scores, GameRecorder& recorder, std::filesystem::path folder)
      : scores_(scores), recorder_(recorder), folder_(std::move(folder)) {}
  const ScoreTable& Scores() const override { return scores_.Scores(); }
  bool Enter(std::string_view name, std::int32_t score, std::int32_t level) override;
  const std::filesystem::path& Folder() const { return folder_; }

 private:
  IScoreStore& scores_;
  GameRecorder& recorder_;
  std::filesystem::path folder_;
};

// The result of a replay played headless.
struct ReplayOutcome {
  std::int32_t Score = 0, Bonus = 0, Level = 0;
  std::uint64_t WellHash = 0;
  std::int64_t Frames = 0;
  // What differs from the header; empty when score, bonus, level and the
  // well's hash all match.
  std::string Mismatch;
};

// Plays the replay through the game loop with no screen, no sound and no
// window. Throws ReplayError when the game leaves the recording's steps.
ReplayOutcome PlayReplayHeadless(const Replay& replay);

// What the game-over of a replayed game left: compares it with the header.
ReplayOutcome CompareWithHeader(const Replay& replay, const GameState& s, std::int64_t frames);

}  // namespace quarnix
