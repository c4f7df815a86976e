#include "Effects.h"

#include <cmath>
#include <functional>
#include <stdexcept>

#include "Instruments.h"

namespace quarnix::soundgen {

namespace {

using Curve = std::function<double(double)>;  // a value over time in seconds

// An oscillator whose pitch and level follow curves.
Signal Tone(Wave wave, double seconds, const Curve& hz, const Curve& level, double pulseWidth = 0.5) {
  Signal out(static_cast<std::size_t>(Samples(seconds)));
  Oscillator osc;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    out[i] = static_cast<float>(osc.Next(wave, hz(t), pulseWidth) * level(t));
  }
  FadeEdges(out, 0, Samples(0.003));  // whatever is still sounding ends without a click
  return out;
}

enum class Band { Low, Pass, High };

// Noise through a filter whose cutoff and whose output level follow curves.
Signal NoiseBand(std::uint64_t seed, double seconds, Band band, const Curve& hz, double q,
                 const Curve& level) {
  Signal out(static_cast<std::size_t>(Samples(seconds)));
  Noise noise(seed);
  Svf filter;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    if (i % 16 == 0) filter.Set(hz(t), q);
    const Svf::Out o = filter.Process(noise.Next());
    const double v = band == Band::Low ? o.Low : band == Band::Pass ? o.Band : o.High;
    out[i] = static_cast<float>(v * level(t));
  }
  FadeEdges(out, 0, Samples(0.003));
  return out;
}

// A struck bell: inharmonic sine partials, the higher ones dying sooner.
Signal Bell(double hz, double decay, double seconds) {
  static constexpr double Ratio[] = {1.0, 2.0, 2.76, 4.07, 5.4};
  static constexpr double Level[] = {1.0, 0.5, 0.45, 0.25, 0.15};
  Signal out(static_cast<std::size_t>(Samples(seconds)));
  for (int p = 0; p < 5; ++p) {
    const double f = hz * Ratio[p];
    if (f > SampleRate * 0.45) continue;
    const double d = decay / (1.0 + 0.6 * p);
    for (std::size_t i = 0; i < out.size(); ++i) {
      const double t = static_cast<double>(i) / SampleRate;
      out[i] += static_cast<float>(Level[p] * std::sin(2.0 * Pi * f * t) * std::exp(-t / d));
    }
  }
  // A two-millisecond strike instead of an instant step, and a damped end
  // instead of a cut.
  FadeEdges(out, Samples(0.002), Samples(std::min(0.15, seconds / 3)));
  return out;
}

Curve Decay(double tau) {
  return [tau](double t) { return std::exp(-t / tau); };
}
Curve Constant(double v) {
  return [v](double) { return v; };
}
// From a to b exponentially over the span, then held.
Curve Glide(double a, double b, double span) {
  return [=](double t) { return a * std::pow(b / a, std::min(t / span, 1.0)); };
}

Signal LowPassed(const Signal& in, double hz) {
  Signal out(in.size());
  OnePole a, b;
  a.Set(hz);
  b.Set(hz);
  for (std::size_t i = 0; i < in.size(); ++i) out[i] = static_cast<float>(b.Process(a.Process(in[i])));
  return out;
}

// ------------------------------------------------------------ the effects

// A refusal: two low, buzzing notes falling a step ("uh-uh").
Signal NoWay() {
  Signal out(static_cast<std::size_t>(Samples(0.38)));
  const auto buzz = [](double hz) {
    const Curve level = [](double t) {
      const double attack = std::min(t / 0.006, 1.0);
      const double release = t > 0.11 ? std::max(0.0, 1.0 - (t - 0.11) / 0.03) : 1.0;
      // A fast flutter makes it rasp.
      return attack * release * (0.75 + 0.25 * std::sin(2.0 * Pi * 35.0 * t));
    };
    Signal a = Tone(Wave::Saw, 0.15, Constant(hz), level);
    MixInto(a, 0, Tone(Wave::Square, 0.15, Constant(hz * 1.01), level), 0.6);
    return LowPassed(a, 1800.0);
  };
  MixInto(out, 0, buzz(116.5));
  MixInto(out, Samples(0.2), buzz(98.0));
  return out;
}

// The piece turns: a short ratchet of two clicks with a rising chirp.
Signal CubeRotate() {
  Signal out(static_cast<std::size_t>(Samples(0.16)));
  const auto click = [](std::uint64_t seed) {
    return NoiseBand(seed, 0.03, Band::Pass, Constant(3200.0), 1.5, Decay(0.004));
  };
  MixInto(out, 0, click(11), 1.0);
  MixInto(out, Samples(0.05), click(12), 0.7);
  MixInto(out, 0, Tone(Wave::Sine, 0.14, Glide(900.0, 1600.0, 0.06), Decay(0.025)), 0.6);
  return out;
}

// Thunder: a bright crack, crackles, then a long rolling rumble.
Signal Thund() {
  const double length = 1.9;
  Signal out(static_cast<std::size_t>(Samples(length)));
  MixInto(out, 0, NoiseBand(21, 0.4, Band::High, Constant(1500.0), 0.7, Decay(0.06)), 1.0);
  // Crackles: short bursts at irregular times in the first few tenths.
  Noise when(22);
  for (int i = 0; i < 14; ++i) {
    const double t = 0.02 + 0.35 * when.Uniform() * when.Uniform();
    MixInto(
        out, Samples(t),
        NoiseBand(30 + static_cast<std::uint64_t>(i), 0.05, Band::Pass, Constant(2500.0), 1.0, Decay(0.008)),
        0.5 * (1.0 - t));
  }
  // The rumble: low noise whose level rolls with slow, unevenly spaced swells.
  const Curve roll = [](double t) {
    const double swell =
        0.6 + 0.25 * std::sin(2.0 * Pi * 2.3 * t + 0.4) + 0.15 * std::sin(2.0 * Pi * 5.1 * t + 1.3);
    const double rise = std::min(t / 0.08, 1.0);
    const double end = std::min((1.85 - t) / 0.4, 1.0);  // dies away before the file ends
    return rise * std::max(end, 0.0) * swell * std::exp(-t / 1.0);
  };
  Signal rumble = NoiseBand(23, length, Band::Low, Glide(700.0, 160.0, 1.4), 0.9, roll);
  MixInto(out, Samples(0.03), LowPassed(rumble, 900.0), 7.0);
  return out;
}

// The piece drops: a deep thud with a muffled knock.
Signal CubeDown() {
  Signal out = Tone(Wave::Sine, 0.35, Glide(150.0, 48.0, 0.07), Decay(0.09));
  MixInto(out, 0, NoiseBand(41, 0.1, Band::Low, Constant(500.0), 0.8, Decay(0.02)), 1.2);
  return out;
}

// Cubes clear: a rising chime of bells on a major chord.
Signal CubeCross() {
  Signal out(static_cast<std::size_t>(Samples(1.2)));
  static constexpr double Notes[] = {84.0, 88.0, 91.0, 96.0};  // C6 E6 G6 C7
  for (int i = 0; i < 4; ++i)
    MixInto(out, Samples(0.07 * i), Bell(NoteHz(Notes[i]), 0.45, 0.9), 1.0 - 0.12 * i);
  return out;
}

// Menu cursor: a tiny square blip.
Signal OkMenuSelect() {
  const Curve level = [](double t) { return std::min(t / 0.002, 1.0) * std::exp(-t / 0.02); };
  return LowPassed(Tone(Wave::Square, 0.08, Constant(NoteHz(88.0)), level), 6000.0);
}

// A game begins: a whoosh that swells up and falls away, over a low hum.
Signal OkBuildMove() {
  const double length = 1.3;
  const Curve centre = [](double t) {
    return t < 0.6 ? 300.0 * std::pow(10.0, t / 0.6) : 3000.0 * std::pow(0.2, (t - 0.6) / 0.7);
  };
  const Curve swell = [length](double t) { return std::pow(std::sin(Pi * t / length), 2.0); };
  Signal out = NoiseBand(71, length, Band::Pass, centre, 1.8, swell);
  MixInto(out, 0, Tone(Wave::Triangle, length, Glide(70.0, 140.0, 0.6), swell), 0.15);
  return out;
}

// An explosion: a low boom, a roar that darkens as it fades, and crackle.
Signal OkExpo() {
  const double length = 1.7;
  Signal out = Tone(Wave::Sine, length, Glide(95.0, 30.0, 0.4), Decay(0.35));
  MixInto(out, 0, NoiseBand(81, length, Band::Low, Glide(6000.0, 150.0, 1.2), 0.7, Decay(0.4)), 1.4);
  Noise when(82);
  for (int i = 0; i < 24; ++i) {
    const double t = 0.05 + 0.8 * when.Uniform();
    MixInto(
        out, Samples(t),
        NoiseBand(90 + static_cast<std::uint64_t>(i), 0.03, Band::High, Constant(3000.0), 0.7, Decay(0.004)),
        0.35 * std::exp(-t / 0.5));
  }
  return out;
}

// Every cube of one colour goes: a shimmering cascade of bells falling down a
// pentatonic scale.
Signal SameColor() {
  Signal out(static_cast<std::size_t>(Samples(1.5)));
  static constexpr int Scale[] = {0, 2, 4, 7, 9};
  for (int i = 0; i < 14; ++i) {
    const int step = 13 - i;  // from D7 down to G4
    const double note = 67.0 + 12.0 * (step / 5) + Scale[step % 5];
    MixInto(out, Samples(0.06 * i), Bell(NoteHz(note), 0.3, 0.6), 0.5 + 0.03 * i);
  }
  // The shimmer: a quick tremolo over the whole cascade.
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] *= static_cast<float>(0.8 + 0.2 * std::sin(2.0 * Pi * 14.0 * static_cast<double>(i) / SampleRate));
  return out;
}

// A shower cube lands: a small wooden tick.
Signal OkExCubeDown() {
  Signal out = Tone(Wave::Sine, 0.08, Glide(750.0, 350.0, 0.02), Decay(0.015));
  MixInto(out, 0, NoiseBand(101, 0.02, Band::Pass, Constant(2000.0), 1.2, Decay(0.003)), 0.6);
  return out;
}

// The intro's opening: a brass fanfare rising to a held major chord.
Signal OkOpen() {
  Instrument brass;
  brass.Osc1 = brass.Osc2 = Wave::Saw;
  brass.Osc2Mix = 0.5, brass.Osc2Detune = 8.0;
  brass.Amp = {0.03, 0.3, 0.8, 0.3};
  brass.Cutoff = 2.0, brass.EnvOctaves = 1.5, brass.FilterDecay = 0.25, brass.Resonance = 0.9;
  brass.VibratoCents = 8.0, brass.VibratoRate = 5.5, brass.VibratoDelay = 0.3;
  Signal out(static_cast<std::size_t>(Samples(1.9)));
  static constexpr double Pickup[] = {67.0, 72.0, 76.0};  // G4 C5 E5
  for (int i = 0; i < 3; ++i) MixInto(out, Samples(0.13 * i), RenderNote(brass, Pickup[i], 0.09, 0.8, 0));
  static constexpr double Chord[] = {48.0, 60.0, 67.0, 72.0, 76.0, 79.0};  // C3 C4 G4 C5 E5 G5
  for (double note : Chord) MixInto(out, Samples(0.39), RenderNote(brass, note, 1.15, 0.6, 0));
  return out;
}

// The whole field turns: a rising sweep of two saws a fifth apart and wind.
Signal OkRotBuild() {
  const double length = 1.4;
  const Curve shape = [length](double t) {
    return std::min(t / 0.1, 1.0) * (t > length - 0.3 ? std::max(0.0, (length - t) / 0.3) : 1.0);
  };
  const Curve pitch = Glide(110.0, 880.0, 1.2);
  Signal saws = Tone(Wave::Saw, length, pitch, shape);
  MixInto(saws, 0,
          Tone(
              Wave::Saw, length, [&](double t) { return pitch(t) * 1.5; }, shape),
          0.5);
  // Follow the pitch with a low pass so the sweep opens as it climbs.
  Signal out(saws.size());
  Svf filter;
  for (std::size_t i = 0; i < saws.size(); ++i) {
    const double t = static_cast<double>(i) / SampleRate;
    if (i % 16 == 0) filter.Set(pitch(t) * 3.0, 1.5);
    out[i] = static_cast<float>(filter.Process(saws[i]).Low);
  }
  MixInto(out, 0, NoiseBand(121, length, Band::Pass, Glide(400.0, 5000.0, 1.2), 2.0, shape), 0.6);
  return out;
}

// A key binding is accepted: two quick rising notes.
Signal OkMenuDefKey() {
  const Curve level = [](double t) { return std::min(t / 0.002, 1.0) * std::exp(-t / 0.03); };
  Signal out(static_cast<std::size_t>(Samples(0.2)));
  MixInto(out, 0, Tone(Wave::Square, 0.07, Constant(NoteHz(81.0)), level, 0.3));
  MixInto(out, Samples(0.075), Tone(Wave::Square, 0.12, Constant(NoteHz(88.0)), level, 0.3));
  return LowPassed(out, 7000.0);
}

struct EffectMaker {
  Effect Number;
  Signal (*Make)();
};

constexpr EffectMaker Makers[] = {
    {Effect::NoWay, NoWay},
    {Effect::CubeRotate, CubeRotate},
    {Effect::Thund, Thund},
    {Effect::CubeDown, CubeDown},
    {Effect::CubeCross, CubeCross},
    {Effect::OkMenuSelect, OkMenuSelect},
    {Effect::OkBuildMove, OkBuildMove},
    {Effect::OkExpo, OkExpo},
    {Effect::SameColor, SameColor},
    {Effect::OkExCubeDown, OkExCubeDown},
    {Effect::OkOpen, OkOpen},
    {Effect::OkRotBuild, OkRotBuild},
    {Effect::OkMenuDefKey, OkMenuDefKey},
};

}  // namespace

Signal MakeEffect(Effect Number) {
  for (const EffectMaker& m : Makers) {
    if (Number != m.Number) continue;
    Signal s = m.Make();
    FadeEdges(s, Samples(0.0005), Samples(0.015));
    NormalisePeak(s, -1.5);
    return s;
  }
  throw std::invalid_argument("no sound effect " + std::to_string(static_cast<int>(Number)));
}

}  // namespace quarnix::soundgen
