#include "core/Random.h"

#include <chrono>
#include <cmath>
#include <stdexcept>

namespace quarnix {

int DrawBelow(IRandom& random, int n) {
  // The product in double: a float r just below 1 times n must not round up to n.
  const double r = random.Next();
  return static_cast<int>(std::floor(r * n));
}

int DrawOneTo(IRandom& random, int n) { return DrawBelow(random, n) + 1; }

namespace {
std::uint64_t SplitMix(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
std::uint32_t Rotl(std::uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }
}  // namespace

Rng::Rng(std::uint64_t seed) {
  std::uint64_t x = seed;
  const std::uint64_t a = SplitMix(x), b = SplitMix(x);
  s_[0] = static_cast<std::uint32_t>(a);
  s_[1] = static_cast<std::uint32_t>(a >> 32);
  s_[2] = static_cast<std::uint32_t>(b);
  s_[3] = static_cast<std::uint32_t>(b >> 32);
}

Rng Rng::FromState(const StateWords& state) {
  Rng r(0);
  for (std::size_t i = 0; i < 4; ++i) r.s_[i] = state[i];
  return r;
}

std::uint32_t Rng::NextBits() {
  const std::uint32_t result = Rotl(s_[1] * 5, 7) * 9;
  const std::uint32_t t = s_[1] << 9;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 11);
  return result;
}

float Rng::Next() {
  // 24 random bits: exactly representable, always below 1.
  return static_cast<float>(NextBits() >> 8) * (1.0f / 16777216.0f);
}

std::uint64_t ClockSeed() {
  return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

float ScriptedRandom::Next() {
  ++drawn_;
  if (!values_.empty()) {
    const float v = values_.front();
    values_.pop_front();
    return v;
  }
  if (fallback_) return fallback_->Next();
  throw std::logic_error("ScriptedRandom: draw " + std::to_string(drawn_) + " was not scripted");
}

}  // namespace quarnix
