#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace quarnix::soundgen {

namespace {

double Vibrato(const Instrument& in, double t) {
  if (in.VibratoCents <= 0.0 || t < in.VibratoDelay) return 1.0;
  // Fades in over a quarter second after the delay, like a player's vibrato.
  const double depth = in.VibratoCents * std::min(1.0, (t - in.VibratoDelay) / 0.25);
  return std::exp2(depth * SineCycle(in.VibratoRate * t) / 1200.0);
}

Signal RenderSubtractive(const Instrument& in, double hz, double gate, long length) {
  Signal out(static_cast<std::size_t>(length));
  Oscillator osc1, osc2(0.37);
  Svf filter;
  const double hz2 = hz * std::pow(2.0, in.Osc2Octave + in.Osc2Detune / 1200.0);
  for (long i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    const double vib = Vibrato(in, t);
    const double pw = std::clamp(in.PulseWidth + in.PwmDepth * SineCycle(in.PwmRate * t), 0.05, 0.95);
    double v = (1.0 - in.Osc2Mix) * osc1.Next(in.Osc1, hz * vib, pw);
    if (in.Osc2Mix > 0.0) v += in.Osc2Mix * osc2.Next(in.Osc2, hz2 * vib, pw);
    if ((i & 15) == 0) {
      const double open = in.EnvOctaves * std::exp(-t / std::max(in.FilterDecay, 1e-3));
      filter.Set(hz * in.Cutoff * std::pow(2.0, open), in.Resonance);
    }
    out[static_cast<std::size_t>(i)] = static_cast<float>(filter.Process(v).Low * in.Amp.At(t, gate));
  }
  return out;
}

Signal RenderFm(const Instrument& in, double hz, double gate, long length) {
  Signal out(static_cast<std::size_t>(length));
  double carrier = 0.0, modulator = 0.0;
  for (long i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    const double f = hz * Vibrato(in, t);
    const double index = in.FmIndex * (0.25 + 0.75 * std::exp(-t / std::max(in.FmIndexDecay, 1e-3)));
    const double v = SineCycle(carrier + index * SineCycle(modulator) / (2.0 * Pi));
    carrier += f / SampleRate;
    modulator += f * in.FmRatio / SampleRate;
    carrier -= std::floor(carrier);
    modulator -= std::floor(modulator);
    out[static_cast<std::size_t>(i)] = static_cast<float>(v * in.Amp.At(t, gate));
  }
  return out;
}

Signal RenderPluck(const Instrument& in, double hz, double gate, long length, std::uint64_t seed) {
  Signal out(static_cast<std::size_t>(length));
  // The averaging in the loop adds half a sample of delay; take it off the line.
  const double period = std::max(SampleRate / hz - 0.5, 2.0);
  const std::size_t size = static_cast<std::size_t>(period) + 2;
  std::vector<double> line(size, 0.0);
  Noise noise(seed);
  // A low-passed burst: brighter plucks keep more of the noise's top.
  OnePole shape;
  shape.Set(hz * (12.0 - 9.0 * in.PluckDamping));
  for (std::size_t i = 0; i < size; ++i) line[i] = shape.Process(noise.Next());
  const double loss = 0.5 - 0.03 * in.PluckDamping;  // below 0.5 per tap: the string fades
  std::size_t write = 0;
  double prev = 0.0;
  const double frac = period - std::floor(period);
  for (long i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    // Read one period back, with linear interpolation for the fraction.
    const std::size_t a = (write + size - static_cast<std::size_t>(period)) % size;
    const std::size_t b = (a + size - 1) % size;
    const double delayed = line[a] * (1.0 - frac) + line[b] * frac;
    const double next = loss * (delayed + prev);
    prev = delayed;
    line[write] = next;
    write = (write + 1) % size;
    out[static_cast<std::size_t>(i)] = static_cast<float>(delayed * in.Amp.At(t, gate));
  }
  return out;
}

Signal RenderOrgan(const Instrument& in, double hz, double gate, long length) {
  static constexpr double Harmonics[5] = {1.0, 2.0, 3.0, 4.0, 6.0};
  Signal out(static_cast<std::size_t>(length));
  double phase[5] = {0.0, 0.1, 0.2, 0.3, 0.4};
  double total = 0.0;
  for (double d : in.Drawbars) total += d;
  total = std::max(total, 1e-3);
  for (long i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    const double f = hz * Vibrato(in, t);
    double v = 0.0;
    for (int h = 0; h < 5; ++h) {
      if (in.Drawbars[h] <= 0.0 || f * Harmonics[h] > SampleRate * 0.45) continue;
      v += in.Drawbars[h] * SineCycle(phase[h]);
      phase[h] += f * Harmonics[h] / SampleRate;
      phase[h] -= std::floor(phase[h]);
    }
    out[static_cast<std::size_t>(i)] = static_cast<float>(v / total * in.Amp.At(t, gate));
  }
  return out;
}

}  // namespace

Signal RenderNote(const Instrument& instrument, double note, double gate, double velocity,
                  std::uint64_t seed) {
  const double hz = NoteHz(note);
  const long length = Samples(instrument.Amp.Length(gate)) + 1;
  Signal out;
  switch (instrument.Kind) {
    case Instrument::Engine::Subtractive:
      out = RenderSubtractive(instrument, hz, gate, length);
      break;
    case Instrument::Engine::Fm:
      out = RenderFm(instrument, hz, gate, length);
      break;
    case Instrument::Engine::Pluck:
      out = RenderPluck(instrument, hz, gate, length, seed);
      break;
    case Instrument::Engine::Organ:
      out = RenderOrgan(instrument, hz, gate, length);
      break;
  }
  const double gain = instrument.Gain * velocity;
  for (float& v : out) v = static_cast<float>(v * gain);
  return out;
}

namespace {

// A sine whose pitch glides exponentially from high to low, with an
// exponential fall in level: kicks and toms.
Signal PitchDrop(double high, double low, double dropTime, double decay, double length) {
  const long n = Samples(length);
  Signal out(static_cast<std::size_t>(n));
  double phase = 0.0;
  for (long i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    const double hz = low + (high - low) * std::exp(-t / dropTime);
    phase += hz / SampleRate;
    phase -= std::floor(phase);
    out[static_cast<std::size_t>(i)] = static_cast<float>(SineCycle(phase) * std::exp(-t / decay));
  }
  return out;
}

// Noise through a filter, falling exponentially: snares, hats, cymbals.
enum class Pass { Low, Band, High };
Signal FilteredNoise(std::uint64_t seed, double hz, double q, Pass pass, double decay, double length) {
  const long n = Samples(length);
  Signal out(static_cast<std::size_t>(n));
  Noise noise(seed);
  Svf filter;
  filter.Set(hz, q);
  for (long i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    const Svf::Out o = filter.Process(noise.Next());
    const double v = pass == Pass::Low ? o.Low : pass == Pass::Band ? o.Band : o.High;
    out[static_cast<std::size_t>(i)] = static_cast<float>(v * std::exp(-t / decay));
  }
  return out;
}

}  // namespace

Signal RenderDrum(const DrumKit& kit, Drum drum, int variant) {
  const std::uint64_t seed =
      0xD2D2u + static_cast<std::uint64_t>(drum) * 131u + static_cast<std::uint64_t>(variant);
  Signal out;
  switch (drum) {
    case Drum::Kick: {
      out = PitchDrop(kit.KickHigh, kit.KickLow, 0.035, kit.KickDecay, kit.KickDecay * 4.0);
      // The beater's click: a few milliseconds of bright noise.
      MixInto(out, 0, FilteredNoise(seed, 3000.0, 0.7, Pass::Band, 0.004, 0.02), kit.KickClick);
      break;
    }
    case Drum::Snare: {
      out = PitchDrop(kit.SnareTone * 1.5, kit.SnareTone, 0.01, kit.SnareDecay * 0.5, kit.SnareDecay * 3.0);
      for (float& v : out) v = static_cast<float>(v * kit.SnareBody);
      MixInto(out, 0,
              FilteredNoise(seed, kit.SnareNoise, 0.6, Pass::Band, kit.SnareDecay, kit.SnareDecay * 5.0),
              1.4);
      break;
    }
    case Drum::Rim: {
      out = PitchDrop(kit.SnareTone * 4.0, kit.SnareTone * 3.0, 0.005, 0.012, 0.08);
      MixInto(out, 0, FilteredNoise(seed, 4500.0, 2.0, Pass::Band, 0.01, 0.06), 0.8);
      break;
    }
    case Drum::ClosedHat:
      out = FilteredNoise(seed, kit.HatHz, 0.7, Pass::High, kit.HatDecay, kit.HatDecay * 5.0);
      break;
    case Drum::OpenHat:
      out = FilteredNoise(seed, kit.HatHz * 0.9, 0.7, Pass::High, kit.OpenHatDecay, kit.OpenHatDecay * 4.0);
      break;
    case Drum::TomLow:
    case Drum::TomMid:
    case Drum::TomHigh: {
      const double ratio = drum == Drum::TomLow ? 1.0 : drum == Drum::TomMid ? 1.33 : 1.78;
      const double hz = kit.TomHz * ratio;
      out = PitchDrop(hz * 1.6, hz, 0.05, 0.18, 0.7);
      MixInto(out, 0, FilteredNoise(seed, hz * 4.0, 0.8, Pass::Band, 0.03, 0.15), 0.3);
      break;
    }
    case Drum::Crash:
      out = FilteredNoise(seed, 5500.0, 0.5, Pass::High, kit.CrashDecay, kit.CrashDecay * 3.5);
      MixInto(out, 0,
              FilteredNoise(seed + 1, 3200.0, 3.0, Pass::Band, kit.CrashDecay * 0.6, kit.CrashDecay * 2.0),
              0.6);
      break;
    case Drum::Shaker:
      out = FilteredNoise(seed, 6500.0, 1.2, Pass::Band, 0.03, 0.12);
      // A shaker swells in before it falls.
      for (std::size_t i = 0; i < out.size() && i < 400; ++i) out[i] *= static_cast<float>(i) / 400.0f;
      break;
  }
  // End every hit at exactly zero.
  FadeEdges(out, 0, std::min<long>(Samples(0.01), static_cast<long>(out.size())));
  return out;
}

}  // namespace quarnix::soundgen
