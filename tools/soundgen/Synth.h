#pragma once
// The small synthesiser behind the game's sounds: oscillators, envelopes,
// filters, noise, and a loop buffer whose end runs on into its start so that
// music tracks loop without a seam.

#include <cstdint>
#include <vector>

#include "core/Random.h"

namespace quarnix::soundgen {

constexpr int SampleRate = 44100;
constexpr double Pi = 3.14159265358979323846;

using Signal = std::vector<float>;

// Whole samples in a span of seconds.
long Samples(double seconds);
// Frequency of a MIDI note number (69 = A 440 Hz); fractional notes bend.
double NoteHz(double note);
// Linear gain of a level in decibels.
double DbGain(double db);

// sin(2 pi phase) for a phase in cycles, from a table with linear
// interpolation (error below -120 dB): organs and FM need many of them.
double SineCycle(double phase);

enum class Wave { Sine, Triangle, Saw, Square };

// A phase-accumulating oscillator. Saw and square are band-limited with
// polynomial corrections at their edges, so high notes do not alias harshly.
class Oscillator {
 public:
  explicit Oscillator(double startPhase = 0.0) : phase_(startPhase) {}
  // One sample at the given frequency; pulseWidth shapes the square wave.
  double Next(Wave wave, double hz, double pulseWidth = 0.5);

 private:
  double phase_;
};

// Attack, decay to a sustain level while the key is held, release after it.
// Times in seconds; the decay is exponential, the release a smooth fall to 0.
struct Envelope {
  double Attack = 0.005;
  double Decay = 0.2;
  double Sustain = 0.7;
  double Release = 0.1;

  // The level at time t of a note held for gate seconds.
  double At(double t, double gate) const;
  // How long a note held for gate seconds sounds, release included.
  double Length(double gate) const { return gate + Release; }
};

// Two-pole state-variable filter (trapezoidal form: stable under fast cutoff
// sweeps). One call gives the low-, band- and high-pass outputs together.
class Svf {
 public:
  struct Out {
    double Low, Band, High;
  };
  void Set(double cutoffHz, double q);
  Out Process(double x);

 private:
  double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1;
  double ic1_ = 0, ic2_ = 0;
};

// One-pole low pass, for gentle darkening and smoothing.
class OnePole {
 public:
  void Set(double cutoffHz);
  double Process(double x) { return state_ += coeff_ * (x - state_); }

 private:
  double coeff_ = 1.0;
  double state_ = 0.0;
};

// White noise in [-1, 1) from the game's deterministic generator.
class Noise {
 public:
  explicit Noise(std::uint64_t seed) : rng_(seed) {}
  double Next() { return 2.0 * rng_.Next() - 1.0; }
  // A fresh uniform number in [0, 1), for choices made while rendering.
  double Uniform() { return rng_.Next(); }

 private:
  Rng rng_;
};

// A buffer of fixed length that wraps: whatever is added past its end lands at
// its start. Rendering a looping track into it makes the note tails and echoes
// that cross the seam continue at the beginning, as they will when it loops.
class LoopBuffer {
 public:
  explicit LoopBuffer(long length);
  long Length() const { return static_cast<long>(data_.size()); }
  void Add(long start, const Signal& sound, double gain = 1.0);
  const Signal& Data() const { return data_; }
  Signal& Data() { return data_; }

 private:
  Signal data_;
};

// Adds sound into target from start on; whatever passes the end is dropped.
void MixInto(Signal& target, long start, const Signal& sound, double gain = 1.0);

// Circular effects for loop buffers: sample n reads samples before it modulo
// the length, so the loop stays seamless.
// Echo: repeats delaySamples apart, each feedback times the previous one.
Signal CircularEcho(const Signal& in, long delaySamples, double feedback, int repeats);
// Chorus: adds a copy read through a delay swept by a sine that makes a whole
// number of cycles over the buffer.
Signal CircularChorus(const Signal& in, double delayMs, double depthMs, int cycles);

// A small room: a handful of early reflections at unevenly spaced delays,
// each darker and quieter than the last; returns only the reflections.
Signal CircularRoom(const Signal& in);

// Largest absolute sample.
double Peak(const Signal& s);
// Root mean square level.
double Rms(const Signal& s);
// Scales the signal so that its peak sits at peakDb (decibels below full scale).
void NormalisePeak(Signal& s, double peakDb);
// Brings a music mix to a loudness (RMS in dB), with a gentle memoryless
// limiter so that no peak passes peakDb.
void NormaliseLoudness(Signal& s, double rmsDb, double peakDb);
// Linear fades over the first and last samples, so one-shot sounds neither
// start nor stop with a click.
void FadeEdges(Signal& s, long fadeIn, long fadeOut);

}  // namespace quarnix::soundgen
