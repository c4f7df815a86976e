#pragma once
// Pitched instruments and the drum kit of the music tracks, each rendered one
// note (or hit) at a time into its own short signal.

#include <cstdint>

#include "Synth.h"

namespace quarnix::soundgen {

// A playable voice. Kind picks the sound engine; the other fields colour it.
struct Instrument {
  enum class Engine {
    Subtractive,  // one or two oscillators through a swept low pass
    Fm,           // a sine carrier phase-modulated by a sine
    Pluck,        // a plucked string (a noise burst in a damped delay loop)
    Organ,        // additive sines on the harmonics
  };
  Engine Kind = Engine::Subtractive;
  Wave Osc1 = Wave::Saw;
  Wave Osc2 = Wave::Saw;
  double Osc2Mix = 0.0;     // 0 = only the first oscillator
  double Osc2Detune = 0.0;  // cents
  int Osc2Octave = 0;
  double PulseWidth = 0.5;
  double PwmDepth = 0.0;  // swing of the pulse width
  double PwmRate = 0.0;   // Hz
  Envelope Amp;
  // Low pass: cutoff as a multiple of the note's frequency, opened further by
  // EnvOctaves at the note's start and closing with FilterDecay.
  double Cutoff = 6.0;
  double EnvOctaves = 0.0;
  double FilterDecay = 0.2;
  double Resonance = 0.8;
  double VibratoCents = 0.0;
  double VibratoRate = 5.0;
  double VibratoDelay = 0.25;
  double FmRatio = 2.0;
  double FmIndex = 0.0;
  double FmIndexDecay = 0.3;
  double Drawbars[5] = {1.0, 0.5, 0.3, 0.0, 0.0};  // harmonics 1, 2, 3, 4, 6
  double PluckDamping = 0.5;                       // 0 bright and long .. 1 dull and short
  double Gain = 1.0;
};

// One note: the pitch as a MIDI note, held for gate seconds, velocity 0..1.
// The result includes the release tail. seed varies the noise of plucks.
Signal RenderNote(const Instrument& instrument, double note, double gate, double velocity,
                  std::uint64_t seed);

// The colour of one track's drum kit.
struct DrumKit {
  double KickHigh = 150.0, KickLow = 48.0, KickDecay = 0.32, KickClick = 0.4;
  double SnareTone = 190.0, SnareNoise = 2800.0, SnareDecay = 0.16, SnareBody = 0.4;
  double HatHz = 8000.0, HatDecay = 0.045, OpenHatDecay = 0.28;
  double TomHz = 110.0;
  double CrashDecay = 1.1;
};

enum class Drum { Kick, Snare, Rim, ClosedHat, OpenHat, TomLow, TomMid, TomHigh, Crash, Shaker };

// One hit of the given drum; variant changes its noise so repeated hits are
// not sample-identical.
Signal RenderDrum(const DrumKit& kit, Drum drum, int variant);

}  // namespace quarnix::soundgen
