// The synthesiser's building blocks and the composer, tested on their own.

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <stdexcept>

#include "Effects.h"
#include "Music.h"
#include "Synth.h"
#include "WavFile.h"
#include "WavReader.h"

using namespace quarnix::soundgen;

TEST(SoundSynth, LoopBufferCarriesWhatPassesTheEndToTheStart) {
  LoopBuffer loop(10);
  loop.Add(8, Signal{1, 2, 3, 4}, 0.5);
  loop.Add(-1, Signal{7});  // before the start is the end
  const Signal expected{1.5f, 2, 0, 0, 0, 0, 0, 0, 0.5f, 8};
  EXPECT_EQ(loop.Data(), expected);

  Signal plain(3, 0.0f);
  MixInto(plain, 1, Signal{1, 2, 3});
  EXPECT_EQ(plain, (Signal{0, 1, 2}));
}

TEST(SoundSynth, CircularEchoRepeatsAcrossTheSeam) {
  Signal in(100, 0.0f);
  in[90] = 1.0f;
  const Signal out = CircularEcho(in, 20, 0.5, 2);
  EXPECT_FLOAT_EQ(out[90], 1.0f);
  EXPECT_FLOAT_EQ(out[10], 0.5f);   // 90 + 20 wraps to 10
  EXPECT_FLOAT_EQ(out[30], 0.25f);  // and again
  EXPECT_FLOAT_EQ(out[50], 0.0f);   // only two repeats
}

TEST(SoundSynth, RoomReflectionsWrapRoundAndFade) {
  Signal in(SampleRate, 0.0f);  // one second
  const long click = SampleRate - Samples(0.01);
  in[click] = 1.0f;
  const Signal room = CircularRoom(in);
  double before = 0.0, wrapped = 0.0, late = 0.0;
  for (long i = 0; i < click; ++i) {
    const double v = std::abs(room[i]);
    if (i < Samples(0.2))
      wrapped += v;
    else
      before += v;
  }
  for (long i = click; i < SampleRate; ++i) late += std::abs(room[i]);
  // The click lies 10 ms before the end: every reflection (the first after
  // about 20 ms) lands past the seam, at the start, within a fifth of a second.
  EXPECT_GT(wrapped, 0.1);
  EXPECT_LT(before, 1e-3 * wrapped);
  EXPECT_LT(late, 1e-3 * wrapped);
  EXPECT_LT(Peak(room), 0.5);  // reflections are quieter than the sound
}

TEST(SoundSynth, EnvelopeRisesHoldsAndFallsToSilence) {
  const Envelope e{0.01, 0.05, 0.5, 0.2};
  EXPECT_DOUBLE_EQ(e.At(0.0, 1.0), 0.0);
  EXPECT_NEAR(e.At(0.01, 1.0), 1.0, 1e-9);
  EXPECT_NEAR(e.At(0.9, 1.0), 0.5, 1e-3);  // settled on the sustain level
  // The release starts where the held level was: no jump at the key's release.
  EXPECT_NEAR(e.At(1.0 - 1e-6, 1.0), e.At(1.0, 1.0), 1e-4);
  EXPECT_LT(e.At(1.1, 1.0), e.At(1.0, 1.0));
  EXPECT_NEAR(e.At(1.2, 1.0), 0.0, 1e-12);
  EXPECT_DOUBLE_EQ(e.Length(1.0), 1.2);
}

TEST(SoundSynth, OscillatorsPlayTheAskedPitchWithoutOffset) {
  for (Wave w : {Wave::Sine, Wave::Triangle, Wave::Saw, Wave::Square}) {
    Oscillator osc(0.25);
    const int n = SampleRate;  // one second
    int crossings = 0;
    double sum = 0, prev = osc.Next(w, 441.0);
    for (int i = 1; i < n; ++i) {
      const double v = osc.Next(w, 441.0);
      if ((prev < 0) != (v < 0)) ++crossings;
      sum += v;
      prev = v;
    }
    EXPECT_NEAR(crossings, 2 * 441, 4) << static_cast<int>(w);
    EXPECT_NEAR(sum / n, 0.0, 0.01) << static_cast<int>(w);
  }
}

// The period (in samples) between 30 and 300 that best matches the signal
// with itself one period later.
int Period(const Signal& s, long from, long to) {
  int best = 0;
  double bestScore = -1e300;
  for (int lag = 30; lag <= 300; ++lag) {
    double score = 0.0, energy = 0.0;
    for (long i = from; i < to; ++i) {
      score += s[i] * s[i + lag];
      energy += s[i + lag] * s[i + lag];
    }
    score /= std::sqrt(energy + 1e-12);
    if (score > bestScore) bestScore = score, best = lag;
  }
  return best;
}

TEST(SoundSynth, NotesSoundAtTheirPitchAndEndInSilence) {
  Instrument pluck;
  pluck.Kind = Instrument::Engine::Pluck;
  pluck.PluckDamping = 0.1;
  pluck.Amp = {0.001, 1.0, 1.0, 0.05};
  Instrument fm;
  fm.Kind = Instrument::Engine::Fm;
  fm.FmIndex = 2.0;
  Instrument organ;
  organ.Kind = Instrument::Engine::Organ;
  Instrument saw;  // the default: two oscillators through a low pass
  for (const Instrument& in : {pluck, fm, organ, saw}) {
    SCOPED_TRACE(static_cast<int>(in.Kind));
    const Signal s = RenderNote(in, 57.0, 0.5, 1.0, 3);  // A3, 220 Hz
    EXPECT_NEAR(static_cast<double>(SampleRate) / Period(s, Samples(0.1), Samples(0.3)), 220.0, 2.5);
    EXPECT_NEAR(s.back(), 0.0f, 1e-3);
    EXPECT_GT(Peak(s), 0.1);
  }
}

TEST(SoundSynth, LoudnessNormalisingNeverPassesThePeakLimit) {
  Signal s(1000);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = (i % 100 == 0) ? 5.0f : 0.01f * std::sin(0.1f * i);
  NormaliseLoudness(s, -10.0, -1.5);
  EXPECT_LT(Peak(s), DbGain(-1.5));
  Signal t{0.5f, -2.0f, 1.0f};
  NormalisePeak(t, -6.0);
  EXPECT_NEAR(t[1], -DbGain(-6.0), 1e-6);
  EXPECT_NEAR(t[0], DbGain(-6.0) / 4, 1e-6);
}

TEST(SoundComposer, LoopsAreWholeBarsOfNotesInTheKey) {
  std::set<double> tempos;
  for (int track = 1; track <= MenuTrack; ++track) {
    SCOPED_TRACE(track);
    const TrackStyle style = MakeStyle(track);
    const Song song = Compose(style);
    if (track != MenuTrack) {
      EXPECT_GE(style.Tempo, 100.0);
      EXPECT_LE(style.Tempo, 150.0);
      tempos.insert(style.Tempo);
    }
    EXPECT_EQ(song.Bars % BarsPerPhrase, 0);
    EXPECT_EQ(song.Length, song.Bars * StepsPerBar * song.StepSamples);
    EXPECT_GE(song.Length, 30L * SampleRate);
    std::set<int> scale;
    for (int d = 0; d < 7; ++d) scale.insert(((DegreeNote(style, d) % 12) + 12) % 12);
    std::set<PartKind> parts;
    for (const NoteEvent& n : song.Notes) {
      ASSERT_GE(n.Start, 0);
      ASSERT_LT(n.Start, song.Length);
      // Walking basslines may approach a chord from a scale step; every note,
      // passing notes included, stays in the key.
      EXPECT_TRUE(scale.count(static_cast<int>(n.Note) % 12)) << n.Note;
      parts.insert(n.Part);
    }
    EXPECT_TRUE(parts.count(PartKind::Lead) && parts.count(PartKind::Bass) && parts.count(PartKind::Chords));
    EXPECT_FALSE(song.Hits.empty());
    for (const DrumHit& h : song.Hits) ASSERT_LT(h.Start, song.Length);
  }
  EXPECT_EQ(tempos.size(), static_cast<std::size_t>(GameTrackCount));
  EXPECT_LT(MakeStyle(MenuTrack).Tempo, 100.0);
  EXPECT_THROW(MakeStyle(0), std::out_of_range);
  EXPECT_THROW(MakeStyle(MenuTrack + 1), std::out_of_range);
}

TEST(SoundWavFile, WritesSixteenBitPcmThatReadsBack) {
  const auto path = std::filesystem::temp_directory_path() / "quarnix-soundgen-writer-test.WAV";
  WriteWav(path, Signal{0.0f, 0.5f, -0.5f, 2.0f, -2.0f});
  const auto wav = quarnix::soundtest::ReadWav(path);
  EXPECT_EQ(std::filesystem::file_size(path), 44u + 2u * 5u);
  EXPECT_EQ(wav.Channels, 1);
  EXPECT_EQ(wav.Rate, 44100);
  ASSERT_EQ(wav.Mono.size(), 5u);
  EXPECT_NEAR(wav.Mono[1], 0.5, 1.0 / 32768);
  EXPECT_NEAR(wav.Mono[2], -0.5, 1.0 / 32768);
  EXPECT_NEAR(wav.Mono[3], 32767.0 / 32768, 1e-9);  // clamped, not wrapped round
  EXPECT_NEAR(wav.Mono[4], -32767.0 / 32768, 1e-9);
  std::filesystem::remove(path);
  EXPECT_THROW(WriteWav("/nonexistent-folder/x.WAV", Signal{0.0f}), std::runtime_error);
}

TEST(SoundEffects, UnknownNumbersAreRefused) {
  EXPECT_THROW(MakeEffect(static_cast<quarnix::Effect>(quarnix::EffectCount + 1)), std::invalid_argument);
}
