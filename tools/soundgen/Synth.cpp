#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace quarnix::soundgen {

long Samples(double seconds) { return std::lround(seconds * SampleRate); }

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double DbGain(double db) { return std::pow(10.0, db / 20.0); }

double SineCycle(double phase) {
  constexpr int Size = 4096;
  static const std::vector<double> table = [] {
    std::vector<double> t(Size + 1);
    for (int i = 0; i <= Size; ++i) t[static_cast<std::size_t>(i)] = std::sin(2.0 * Pi * i / Size);
    return t;
  }();
  const double x = (phase - std::floor(phase)) * Size;
  const std::size_t i = static_cast<std::size_t>(x);
  const double frac = x - static_cast<double>(i);
  return table[i] + frac * (table[i + 1] - table[i]);
}

namespace {
// Correction that rounds off a step of the naive waveform at phase 0, given
// the phase increment dt.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}
}  // namespace

double Oscillator::Next(Wave wave, double hz, double pulseWidth) {
  const double dt = std::min(hz / SampleRate, 0.5);
  const double t = phase_;
  double v = 0.0;
  switch (wave) {
    case Wave::Sine:
      v = SineCycle(t);
      break;
    case Wave::Triangle:
      v = 4.0 * std::abs(t - 0.5) - 1.0;
      break;
    case Wave::Saw:
      v = 2.0 * t - 1.0 - PolyBlep(t, dt);
      break;
    case Wave::Square: {
      v = t < pulseWidth ? 1.0 : -1.0;
      v += PolyBlep(t, dt);
      double t2 = t - pulseWidth;
      if (t2 < 0.0) t2 += 1.0;
      v -= PolyBlep(t2, dt);
      // Keep the average at zero for narrow pulses.
      v -= 2.0 * pulseWidth - 1.0;
      break;
    }
  }
  phase_ += dt;
  if (phase_ >= 1.0) phase_ -= 1.0;
  return v;
}

double Envelope::At(double t, double gate) const {
  if (t < 0.0) return 0.0;
  const auto held = [this](double u) {
    if (u < Attack) return u / Attack;
    return Sustain + (1.0 - Sustain) * std::exp(-(u - Attack) / std::max(Decay, 1e-4));
  };
  if (t < gate) return held(t);
  const double r = (t - gate) / std::max(Release, 1e-4);
  if (r >= 1.0) return 0.0;
  const double fall = 1.0 - r;
  return held(gate) * fall * fall * fall;
}

void Svf::Set(double cutoffHz, double q) {
  cutoffHz = std::clamp(cutoffHz, 10.0, SampleRate * 0.45);
  const double g = std::tan(Pi * cutoffHz / SampleRate);
  k_ = 1.0 / std::max(q, 0.05);
  a1_ = 1.0 / (1.0 + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

Svf::Out Svf::Process(double x) {
  const double v3 = x - ic2_;
  const double v1 = a1_ * ic1_ + a2_ * v3;
  const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  return {v2, v1, x - k_ * v1 - v2};
}

void OnePole::Set(double cutoffHz) {
  coeff_ = 1.0 - std::exp(-2.0 * Pi * std::clamp(cutoffHz, 1.0, SampleRate * 0.45) / SampleRate);
}

LoopBuffer::LoopBuffer(long length) : data_(static_cast<std::size_t>(std::max(length, 1L)), 0.0f) {}

void LoopBuffer::Add(long start, const Signal& sound, double gain) {
  const long n = Length();
  long at = ((start % n) + n) % n;
  for (float v : sound) {
    data_[static_cast<std::size_t>(at)] += static_cast<float>(v * gain);
    if (++at == n) at = 0;
  }
}

void MixInto(Signal& target, long start, const Signal& sound, double gain) {
  const long n = static_cast<long>(target.size());
  for (std::size_t i = 0; i < sound.size(); ++i) {
    const long at = start + static_cast<long>(i);
    if (at < 0) continue;
    if (at >= n) break;
    target[static_cast<std::size_t>(at)] += static_cast<float>(sound[i] * gain);
  }
}

Signal CircularEcho(const Signal& in, long delaySamples, double feedback, int repeats) {
  const long n = static_cast<long>(in.size());
  Signal out(in);
  double gain = 1.0;
  for (int r = 1; r <= repeats; ++r) {
    gain *= feedback;
    const long shift = (delaySamples * r) % n;
    for (long i = 0; i < n; ++i) {
      long from = i - shift;
      if (from < 0) from += n;
      out[static_cast<std::size_t>(i)] += static_cast<float>(gain * in[static_cast<std::size_t>(from)]);
    }
  }
  return out;
}

Signal CircularChorus(const Signal& in, double delayMs, double depthMs, int cycles) {
  const long n = static_cast<long>(in.size());
  Signal out(in.size());
  const double base = delayMs * SampleRate / 1000.0;
  const double depth = depthMs * SampleRate / 1000.0;
  for (long i = 0; i < n; ++i) {
    const double d = base + depth * SineCycle(cycles * static_cast<double>(i) / static_cast<double>(n));
    double pos = static_cast<double>(i) - d;
    while (pos < 0.0) pos += static_cast<double>(n);
    const long a = static_cast<long>(pos);
    const double frac = pos - static_cast<double>(a);
    const long b = (a + 1) % n;
    const double delayed =
        in[static_cast<std::size_t>(a % n)] * (1.0 - frac) + in[static_cast<std::size_t>(b)] * frac;
    out[static_cast<std::size_t>(i)] =
        static_cast<float>(0.7 * in[static_cast<std::size_t>(i)] + 0.5 * delayed);
  }
  return out;
}

Signal CircularRoom(const Signal& in) {
  static constexpr double DelaysMs[] = {19.0, 31.0, 43.0, 59.0, 73.0, 97.0, 127.0, 163.0};
  const long n = static_cast<long>(in.size());
  // Reflections lose their top: a gentle low pass on the send first, run
  // twice round the loop so that its state at the seam is the settled one.
  Signal dark(in.size());
  OnePole tone;
  tone.Set(3500.0);
  for (int pass = 0; pass < 2; ++pass)
    for (long i = 0; i < n; ++i)
      dark[static_cast<std::size_t>(i)] = static_cast<float>(tone.Process(in[static_cast<std::size_t>(i)]));
  Signal out(in.size(), 0.0f);
  double gain = 0.35;
  int sign = 1;
  for (double ms : DelaysMs) {
    const long shift = std::lround(ms * SampleRate / 1000.0) % n;
    for (long i = 0; i < n; ++i) {
      long from = i - shift;
      if (from < 0) from += n;
      out[static_cast<std::size_t>(i)] +=
          static_cast<float>(sign * gain * dark[static_cast<std::size_t>(from)]);
    }
    gain *= 0.8;
    sign = -sign;
  }
  return out;
}

double Peak(const Signal& s) {
  double p = 0.0;
  for (float v : s) p = std::max(p, static_cast<double>(std::abs(v)));
  return p;
}

double Rms(const Signal& s) {
  if (s.empty()) return 0.0;
  double sum = 0.0;
  for (float v : s) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(s.size()));
}

void NormalisePeak(Signal& s, double peakDb) {
  const double peak = Peak(s);
  if (peak <= 0.0) return;
  const double gain = DbGain(peakDb) / peak;
  for (float& v : s) v = static_cast<float>(v * gain);
}

void NormaliseLoudness(Signal& s, double rmsDb, double peakDb) {
  const double rms = Rms(s);
  if (rms <= 0.0) return;
  const double gain = DbGain(rmsDb) / rms;
  const double limit = DbGain(peakDb);
  // Below the knee the curve is straight; above it, it bends smoothly towards
  // the limit without ever reaching it, so only the loudest drum peaks bend.
  const double knee = 0.7 * limit;
  for (float& v : s) {
    const double x = v * gain;
    const double a = std::abs(x);
    double y = a;
    if (a > knee) y = knee + (limit - knee) * std::tanh((a - knee) / (limit - knee));
    v = static_cast<float>(x < 0 ? -y : y);
  }
}

void FadeEdges(Signal& s, long fadeIn, long fadeOut) {
  const long n = static_cast<long>(s.size());
  fadeIn = std::min(fadeIn, n);
  fadeOut = std::min(fadeOut, n);
  for (long i = 0; i < fadeIn; ++i) s[static_cast<std::size_t>(i)] *= static_cast<float>(i) / fadeIn;
  for (long i = 0; i < fadeOut; ++i)
    s[static_cast<std::size_t>(n - 1 - i)] *= static_cast<float>(i) / fadeOut;
}

}  // namespace quarnix::soundgen
