#pragma once
// The one random source of the game. Rules draw fresh uniform numbers r in
// [0, 1) in a fixed order; tests inject a scripted source to control them.

#include <array>
#include <cstdint>
#include <deque>
#include <initializer_list>

namespace quarnix {

class IRandom {
 public:
  virtual ~IRandom() = default;
  // A fresh uniform number in [0, 1).
  virtual float Next() = 0;
};

// floor(r * n) + 1 for a fresh r: a number 1 .. n, each equally likely.
int DrawOneTo(IRandom& random, int n);
// floor(r * n) for a fresh r: a number 0 .. n - 1.
int DrawBelow(IRandom& random, int n);

// Deterministic generator (xoshiro128**), seeded explicitly.
class Rng final : public IRandom {
 public:
  explicit Rng(std::uint64_t seed);
  // The generator's whole state: a game's replay starts it where the game did.
  using StateWords = std::array<std::uint32_t, 4>;
  static Rng FromState(const StateWords& state);
  StateWords State() const { return {s_[0], s_[1], s_[2], s_[3]}; }
  float Next() override;

 private:
  std::uint32_t NextBits();
  std::uint32_t s_[4];
};

// A seed taken from the wall clock, for a player's run.
std::uint64_t ClockSeed();

// Hands out a scripted list of numbers, then falls back to a generator (or
// throws std::logic_error when none was given) so a test sees every extra draw.
class ScriptedRandom final : public IRandom {
 public:
  ScriptedRandom() = default;
  ScriptedRandom(std::initializer_list<float> values) : values_(values) {}
  void Push(float value) { values_.push_back(value); }
  void SetFallback(IRandom* fallback) { fallback_ = fallback; }
  float Next() override;
  int Drawn() const { return drawn_; }
  std::size_t Remaining() const { return values_.size(); }

 private:
  std::deque<float> values_;
  IRandom* fallback_ = nullptr;
  int drawn_ = 0;
};

}  // namespace quarnix
