#pragma once
// Milliseconds since start, and waits. The game keeps its timing floors
// (15 ms frames, 20 ms menu frames, pauses) by waiting on a clock: the real
// one sleeps and lets the window handle its events; the virtual one jumps, so a
// whole game runs in milliseconds of real time with exact timings.

#include <cstdint>

namespace quarnix {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual std::uint32_t Ticks() = 0;
  // Returns once Ticks() has reached tick (at once when it already has). The
  // ticks wrap at 2^32: a tick up to 2^31 ms behind Ticks() counts as reached.
  virtual void WaitUntil(std::uint32_t tick) = 0;
};

class VirtualClock final : public IClock {
 public:
  explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
  std::uint32_t Ticks() override { return now_; }
  void WaitUntil(std::uint32_t tick) override {
    if (static_cast<std::int32_t>(tick - now_) > 0) now_ = tick;
  }
  void Advance(std::uint32_t ms) { now_ += ms; }

 private:
  std::uint32_t now_;
};

}  // namespace quarnix
