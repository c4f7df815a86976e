#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>
#include <stdexcept>

#include "Effects.h"
#include "Music.h"
#include "Synth.h"

using namespace quarnix::soundgen;

// catches: what crosses a loop's seam dropped or misplaced; loud reflections; normalising past its limits.
TEST(SoundSynth, LoopsEchoesAndReflectionsCrossTheSeamAndNormalisingKeepsItsLimits) {
  LoopBuffer loop(10);
  loop.Add(8, Signal{1, 2, 3, 4}, 0.5);
  loop.Add(-1, Signal{7});  // before the start is the end
  EXPECT_EQ(loop.Data(), (Signal{1.5f, 2, 0, 0, 0, 0, 0, 0, 0.5f, 8}));
  Signal plain(3, 0.0f);
  MixInto(plain, 1, Signal{1, 2, 3});
  MixInto(plain, -1, Signal{10, 20});  // what falls before the start is dropped
  EXPECT_EQ(plain, (Signal{20, 1, 2}));
  Signal in(100, 0.0f);
  in[90] = 1.0f;
  const Signal out = CircularEcho(in, 20, 0.5, 2);
  EXPECT_EQ((Signal{out[90], out[10], out[30], out[50]}), (Signal{1.0f, 0.5f, 0.25f, 0.0f}));  // wraps twice
  Signal second(SampleRate, 0.0f);
  const long click = SampleRate - Samples(0.01);
  second[click] = 1.0f;
  const Signal room = CircularRoom(second);
  double before = 0.0, wrapped = 0.0, late = 0.0;
  for (long i = 0; i < SampleRate; ++i)
    (i >= click ? late : i < Samples(0.2) ? wrapped : before) += std::abs(room[i]);
  EXPECT_GT(wrapped, 0.1);
  EXPECT_LT(std::max(before, late), 1e-3 * wrapped);
  EXPECT_LT(Peak(room), 0.5);  // reflections are quieter than the sound
}

// The period (in samples, 30 to 300) that best matches the signal with itself one period later.
int Period(const Signal& s, long from, long to) {
  int best = 0;
  double bestScore = -1e300;
  for (int lag = 30; lag <= 300; ++lag) {
    double score = 0.0, energy = 1e-12;
    for (long i = from; i < to; ++i) score += s[i] * s[i + lag], energy += s[i + lag] * s[i + lag];
    score /= std::sqrt(energy);
    if (score > bestScore) bestScore = score, best = lag;
  }
  return best;
}

// catches: envelopes that jump or never end; oscillators or instruments off pitch, offset or never silent.
TEST(SoundSynth, EnvelopesFallToSilenceOscillatorsAndNotesSoundAtTheirPitchWithoutOffset) {
  const Envelope e{0.01, 0.05, 0.5, 0.2};
  EXPECT_DOUBLE_EQ(e.At(0.0, 1.0), 0.0);
  EXPECT_NEAR(e.At(0.01, 1.0), 1.0, 1e-9);
  EXPECT_NEAR(e.At(0.9, 1.0), 0.5, 1e-3);                    // settled on the sustain level
  EXPECT_NEAR(e.At(1.0 - 1e-6, 1.0), e.At(1.0, 1.0), 1e-4);  // no jump at the release
  EXPECT_LT(e.At(1.1, 1.0), e.At(1.0, 1.0));
  EXPECT_NEAR(e.At(1.2, 1.0), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(e.Length(1.0), 1.2);
  for (Wave w : {Wave::Sine, Wave::Triangle, Wave::Saw, Wave::Square}) {
    Oscillator osc(0.25);
    Signal s(SampleRate);  // one second
    for (float& v : s) v = static_cast<float>(osc.Next(w, 441.0));
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
    EXPECT_NEAR(crossings, 2 * 441, 4) << static_cast<int>(w);
    EXPECT_NEAR(std::accumulate(s.begin(), s.end(), 0.0) / SampleRate, 0.0, 0.01) << static_cast<int>(w);
  }
  using E = Instrument::Engine;  // Instrument{}: the default, two oscillators through a low pass
  for (const Instrument& in :
       {Instrument{.Kind = E::Pluck, .Amp = {0.001, 1.0, 1.0, 0.05}, .PluckDamping = 0.1},
        Instrument{.Kind = E::Fm, .Amp = {}, .FmIndex = 2.0}, Instrument{.Kind = E::Organ, .Amp = {}},
        Instrument{}}) {
    SCOPED_TRACE(static_cast<int>(in.Kind));
    const Signal s = RenderNote(in, 57.0, 0.5, 1.0, 3);  // A3, 220 Hz
    EXPECT_NEAR(static_cast<double>(SampleRate) / Period(s, Samples(0.1), Samples(0.3)), 220.0, 2.5);
    EXPECT_TRUE(std::abs(s.back()) <= 1e-3 && Peak(s) > 0.1);
  }
  Signal s(1000);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = (i % 100 == 0) ? 5.0f : 0.01f * std::sin(0.1f * i);
  NormaliseLoudness(s, -10.0, -1.5);
  EXPECT_LT(Peak(s), DbGain(-1.5));
  Signal t{0.5f, -2.0f, 1.0f};
  NormalisePeak(t, -6.0);
  EXPECT_NEAR(t[1], -DbGain(-6.0), 1e-6);
  EXPECT_NEAR(t[0], DbGain(-6.0) / 4, 1e-6);
}

// catches: loops of partial bars, notes outside the key or the loop, missing parts, equal tempos.
TEST(SoundComposer, LoopsAreWholeBarsOfNotesInTheKey) {
  std::set<double> tempos;
  for (int track = 1; track <= MenuTrack; ++track) {
    SCOPED_TRACE(track);
    const TrackStyle style = MakeStyle(track);
    const Song song = Compose(style);
    EXPECT_TRUE(track == MenuTrack || (style.Tempo >= 100.0 && style.Tempo <= 150.0)) << style.Tempo;
    tempos.insert(style.Tempo);
    EXPECT_EQ(song.Bars % BarsPerPhrase, 0);
    EXPECT_EQ(song.Length, song.Bars * StepsPerBar * song.StepSamples);
    std::set<int> scale;
    for (int d = 0; d < 7; ++d) scale.insert(((DegreeNote(style, d) % 12) + 12) % 12);
    std::set<PartKind> parts;
    for (const NoteEvent& n : song.Notes) {
      ASSERT_TRUE(n.Start >= 0 && n.Start < song.Length) << n.Start;
      EXPECT_TRUE(scale.count(static_cast<int>(n.Note) % 12)) << n.Note;
      parts.insert(n.Part);
    }
    EXPECT_EQ(parts.count(PartKind::Lead) + parts.count(PartKind::Bass) + parts.count(PartKind::Chords), 3u);
    EXPECT_FALSE(song.Hits.empty());
    for (const DrumHit& h : song.Hits) ASSERT_LT(h.Start, song.Length);
  }
  EXPECT_LT(MakeStyle(MenuTrack).Tempo, 100.0);
  EXPECT_EQ(tempos.size(), static_cast<std::size_t>(GameTrackCount) + 1);  // every track its own tempo
  for (int track : {0, MenuTrack + 1}) EXPECT_THROW(MakeStyle(track), std::out_of_range);
  EXPECT_THROW(MakeEffect(static_cast<quarnix::Effect>(quarnix::EffectCount + 1)), std::invalid_argument);
}
