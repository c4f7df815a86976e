#include "app/GameRecording.h"

#include <ctime>
#include <iostream>
#include <sstream>

#include "app/GameLoop.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"

#ifndef QUARNIX_GAME_VERSION
#define QUARNIX_GAME_VERSION "unknown"
#endif

namespace quarnix {

// --- Recording.

class GameRecorder::Adapters final : public IClock, public IKeyStateSource, public IEventPump {
 public:
  Adapters(GameRecorder& owner, IClock& clock, IKeyStateSource& keys, IEventPump& events)
      : owner_(owner), clock_(clock), keys_(keys), events_(events) {}

  std::uint32_t Ticks() override {
    const std::uint32_t t = clock_.Ticks();
    if (owner_.recording_) {
      owner_.replay_.Ticks.push_back(t);
      ++owner_.replay_.Frames.back().Ticks;
    }
    return t;
  }
  void WaitUntil(std::uint32_t tick) override { clock_.WaitUntil(tick); }

  int Query(int vk) override {
    const int state = keys_.Query(vk);
    if (owner_.recording_) {
      owner_.replay_.Keys.push_back(state);
      ++owner_.replay_.Frames.back().Keys;
    }
    return state;
  }

  void PumpEvents() override { events_.PumpEvents(); }
  bool QuitRequested() const override { return events_.QuitRequested(); }
  void SetScreen(InputScreen screen) override { events_.SetScreen(screen); }
  bool TakePauseRequest() override {
    const bool pause = events_.TakePauseRequest();
    if (owner_.recording_) {
      owner_.replay_.Pauses.push_back(pause ? 1 : 0);
      ++owner_.replay_.Frames.back().Pauses;
    }
    return pause;
  }
  std::uint64_t InputCount() const override { return events_.InputCount(); }

 private:
  GameRecorder& owner_;
  IClock& clock_;
  IKeyStateSource& keys_;
  IEventPump& events_;
};

GameRecorder::GameRecorder(IClock& clock, IKeyStateSource& keys, IEventPump& events)
    : adapters_(std::make_unique<Adapters>(*this, clock, keys, events)) {}
GameRecorder::~GameRecorder() = default;

IClock& GameRecorder::Clock() { return *adapters_; }
IKeyStateSource& GameRecorder::KeySource() { return *adapters_; }
IEventPump& GameRecorder::Events() { return *adapters_; }

void GameRecorder::Attach(Rng& random, Keys& keys, const GameKeys& GameKey, const GameState& state,
                          int screenMode) {
  random_ = &random;
  keys_ = &keys;
  gameKey_ = &GameKey;
  state_ = &state;
  screenMode_ = screenMode;
}

void GameRecorder::OnGameStart() {
  if (!random_) return;  // not attached: nothing to record with
  replay_ = Replay{};
  ReplayHeader& h = replay_.Header;
  h.GameVersion = QUARNIX_GAME_VERSION;
  h.ScreenMode = screenMode_;
  h.Date = static_cast<std::int64_t>(std::time(nullptr));
  h.DeviceKind = state_->DeviceKind;
  h.RandomState = random_->State();
  replay_.Bindings = *gameKey_;
  // A key held down from the menu into the game is no fresh press there.
  for (int code = FirstKeyCode; code <= LastKeyCode; ++code)
    if (keys_->KeyTable(code).KeyLatch()) replay_.LatchedKeys.push_back(code);
  replay_.Frames.emplace_back();
  recording_ = true;
  done_ = false;
}

void GameRecorder::OnFrame() {
  if (recording_) replay_.Frames.emplace_back();
}

void GameRecorder::OnGameOver() {
  if (recording_) Finish(ReplayEnd::GameOver);
}

void GameRecorder::Stop() {
  if (recording_) Finish(ReplayEnd::Stopped);
}

void GameRecorder::Finish(ReplayEnd end) {
  ReplayHeader& h = replay_.Header;
  h.Score = state_->GameScore;
  h.Bonus = state_->ChainScore;
  h.Level = state_->GameLevel;
  h.WellHash = WellHash(*state_);
  h.End = end;
  recording_ = false;
  done_ = true;
}

// --- Playing back.

class ReplayPlayer::Adapters final : public IClock, public IKeyStateSource, public IEventPump {
 public:
  Adapters(ReplayPlayer& owner, IEventPump& window) : p_(owner), window_(window) {}

  std::uint32_t Ticks() override {
    if (!p_.started_ || p_.tick_ - p_.frameTick_ >= p_.replay_.Frames[p_.frame_].Ticks)
      p_.OutOfStep("the clock was read more often than the recording says");
    return p_.replay_.Ticks[p_.tick_++];
  }
  void WaitUntil(std::uint32_t tick) override {
    if (!p_.pace_) return;
    // The recorded time from the first tick on, sped up, on the real clock.
    if (!p_.paced_) {
      p_.paced_ = true;
      p_.paceStart_ = p_.pace_->Ticks();
      p_.recordedStart_ = tick;
    }
    const auto elapsed = static_cast<std::int32_t>(tick - p_.recordedStart_);
    if (elapsed > 0)
      p_.pace_->WaitUntil(p_.paceStart_ +
                          static_cast<std::uint32_t>(elapsed) / static_cast<std::uint32_t>(p_.speed_));
  }

  int Query(int /*vk*/) override {
    if (!p_.started_ || p_.key_ - p_.frameKey_ >= p_.replay_.Frames[p_.frame_].Keys)
      p_.OutOfStep("the keys were read more often than the recording says");
    return p_.replay_.Keys[p_.key_++];
  }

  void PumpEvents() override { window_.PumpEvents(); }
  bool QuitRequested() const override {
    // A recording that stopped ends where the loop heard the request then.
    if (p_.started_ && p_.replay_.Header.End == ReplayEnd::Stopped &&
        p_.frame_ + 1 == p_.replay_.Frames.size()) {
      if (!p_.FrameDone()) p_.OutOfStep("the recording stopped before the frame's reads");
      p_.finished_ = true;
      return true;
    }
    return window_.QuitRequested();
  }
  void SetScreen(InputScreen screen) override { window_.SetScreen(screen); }
  bool TakePauseRequest() override {
    if (!p_.started_ || p_.pause_ - p_.framePause_ >= p_.replay_.Frames[p_.frame_].Pauses)
      p_.OutOfStep("play asked for pauses more often than the recording says");
    return p_.replay_.Pauses[p_.pause_++] != 0;
  }
  std::uint64_t InputCount() const override { return window_.InputCount(); }

 private:
  ReplayPlayer& p_;
  IEventPump& window_;
};

ReplayPlayer::ReplayPlayer(const Replay& replay, IEventPump& window, IClock* pace, int speed)
    : replay_(replay), adapters_(std::make_unique<Adapters>(*this, window)), pace_(pace), speed_(speed) {}
ReplayPlayer::~ReplayPlayer() = default;

IClock& ReplayPlayer::Clock() { return *adapters_; }
IKeyStateSource& ReplayPlayer::KeySource() { return *adapters_; }
IEventPump& ReplayPlayer::Events() { return *adapters_; }

void ReplayPlayer::Attach(Rng& random, Keys& keys, GameState& state) {
  random_ = &random;
  keys_ = &keys;
  state_ = &state;
}

void ReplayPlayer::OutOfStep(const std::string& what) const {
  throw ReplayError("the replay went out of step with its recording at frame " + std::to_string(frame_ + 1) +
                    ": " + what);
}

bool ReplayPlayer::FrameDone() const {
  const ReplayFrame& f = replay_.Frames[frame_];
  return tick_ - frameTick_ == f.Ticks && key_ - frameKey_ == f.Keys && pause_ - framePause_ == f.Pauses;
}

void ReplayPlayer::OnGameStart() {
  if (started_) OutOfStep("a second game started");
  if (replay_.Frames.empty()) OutOfStep("the recording holds no frame");
  *random_ = Rng::FromState(replay_.Header.RandomState);
  for (int code = FirstKeyCode; code <= LastKeyCode; ++code) keys_->KeyTable(code).SetKeyLatch(false);
  for (int code : replay_.LatchedKeys) keys_->KeyTable(code).SetKeyLatch(true);
  state_->DeviceKind = replay_.Header.DeviceKind;
  started_ = true;
}

void ReplayPlayer::OnFrame() {
  if (!started_) return;
  if (!FrameDone()) OutOfStep("the frame ended before its recorded reads");
  if (frame_ + 1 >= replay_.Frames.size()) OutOfStep("play went on past the end of the recording");
  ++frame_;
  frameTick_ = tick_;
  frameKey_ = key_;
  framePause_ = pause_;
}

void ReplayPlayer::OnGameOver() {
  if (!started_) return;
  if (replay_.Header.End != ReplayEnd::GameOver || frame_ + 1 != replay_.Frames.size() || !FrameDone())
    OutOfStep("the game ended where the recording goes on");
  finished_ = true;
  throw QuitRequest();
}

bool ReplayKeepingScores::Enter(std::string_view name, std::int32_t score, std::int32_t level) {
  if (!scores_.Enter(name, score, level)) return false;
  if (recorder_.Last() == nullptr) return true;
  try {
    const std::string stored = StoredName(name);
    recorder_.SetName(stored.substr(0, stored.find_last_not_of(' ') + 1));
    KeepReplay(folder_, *recorder_.Last(), stored, score, level);
    PruneReplays(folder_, scores_.Scores());
  } catch (const std::exception& e) {
    std::cerr << "quarnix: the game's replay could not be kept: " << e.what() << '\n';
  }
  return true;
}

ReplayOutcome CompareWithHeader(const Replay& replay, const GameState& s, std::int64_t frames) {
  const ReplayHeader& h = replay.Header;
  ReplayOutcome o{s.GameScore, s.ChainScore, s.GameLevel, WellHash(s), frames, {}};
  std::ostringstream diff;
  const auto check = [&](const char* what, auto got, auto want) {
    if (got != want)
      diff << (diff.tellp() > 0 ? ", " : "") << what << ' ' << got << " (recorded " << want << ')';
  };
  check("score", o.Score, h.Score);
  check("bonus", o.Bonus, h.Bonus);
  check("level", o.Level, h.Level);
  check("well hash", o.WellHash, h.WellHash);
  o.Mismatch = diff.str();
  return o;
}

ReplayOutcome PlayReplayHeadless(const Replay& replay) {
  auto state = std::make_unique<GameState>();
  Rng random(0);
  SoundPlayer sound;  // no device: quiet
  GameRules rules(*state, random, sound);
  rules.InitCubePos();
  ScriptedEventPump window;
  ReplayPlayer player(replay, window);
  Keys keys(player.KeySource());
  keys.InitKeyTable();
  player.Attach(random, keys, *state);
  NullPlayRenderer renderer;
  RecordingCamera camera;
  MemoryScoreStore scores;
  DisplayFlags shown;
  GameLoop loop(rules, sound, keys, replay.Bindings, player.Clock(),
                {renderer, camera, player.Events(), scores, shown});
  loop.AddObserver(&player);
  try {
    loop.PlayGame();
  } catch (const QuitRequest&) {
    if (!player.Finished()) throw;
  }
  if (!player.Finished()) throw ReplayError("the replay ended before its recording");
  return CompareWithHeader(replay, *state, loop.Frames());
}

}  // namespace quarnix
