#include "Music.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace quarnix::soundgen {

namespace {

// ---------------------------------------------------------------- presets

Instrument LeadPreset(int n) {
  Instrument in;
  in.Gain = 1.0;
  switch (n) {
    case 0:  // soft square with a touch of detune
      in.Osc1 = in.Osc2 = Wave::Square;
      in.Osc2Mix = 0.3, in.Osc2Detune = 7.0;
      in.Amp = {0.005, 0.3, 0.6, 0.12};
      in.Cutoff = 5.0, in.EnvOctaves = 1.5, in.FilterDecay = 0.15, in.Resonance = 1.0;
      in.VibratoCents = 12.0, in.VibratoRate = 5.5, in.VibratoDelay = 0.2;
      break;
    case 1:  // bright detuned saws
      in.Osc1 = in.Osc2 = Wave::Saw;
      in.Osc2Mix = 0.5, in.Osc2Detune = 10.0;
      in.Amp = {0.01, 0.4, 0.7, 0.15};
      in.Cutoff = 4.0, in.EnvOctaves = 2.0, in.FilterDecay = 0.2, in.Resonance = 1.2;
      in.VibratoCents = 15.0, in.VibratoRate = 5.0;
      in.Gain = 0.8;
      break;
    case 2:  // flute: triangle with a breath of octave
      in.Osc1 = Wave::Triangle, in.Osc2 = Wave::Sine;
      in.Osc2Mix = 0.15, in.Osc2Octave = 1;
      in.Amp = {0.04, 0.3, 0.8, 0.15};
      in.Cutoff = 8.0;
      in.VibratoCents = 20.0, in.VibratoRate = 5.0, in.VibratoDelay = 0.15;
      in.Gain = 1.3;
      break;
    case 3:  // electric piano (two-operator FM)
      in.Kind = Instrument::Engine::Fm;
      in.FmRatio = 1.0, in.FmIndex = 2.5, in.FmIndexDecay = 0.25;
      in.Amp = {0.003, 0.5, 0.4, 0.25};
      in.Gain = 1.1;
      break;
    case 4:  // pulse with a slowly swinging width
      in.Osc1 = Wave::Square;
      in.PulseWidth = 0.3, in.PwmDepth = 0.15, in.PwmRate = 3.0;
      in.Amp = {0.01, 0.3, 0.7, 0.1};
      in.Cutoff = 6.0, in.EnvOctaves = 1.0, in.FilterDecay = 0.2;
      in.VibratoCents = 10.0, in.VibratoRate = 6.0;
      break;
    case 5:  // plucked string
      in.Kind = Instrument::Engine::Pluck;
      in.PluckDamping = 0.3;
      in.Amp = {0.001, 1.0, 1.0, 0.08};
      in.Gain = 1.4;
      break;
    case 6:  // organ
      in.Kind = Instrument::Engine::Organ;
      in.Drawbars[0] = 1.0, in.Drawbars[1] = 0.6, in.Drawbars[2] = 0.4, in.Drawbars[3] = 0.3,
      in.Drawbars[4] = 0.2;
      in.Amp = {0.01, 0.2, 0.9, 0.08};
      in.VibratoCents = 8.0, in.VibratoRate = 6.5, in.VibratoDelay = 0.0;
      break;
    default:  // chip-tune: narrow pulse, quick decay, wide vibrato
      in.Osc1 = Wave::Square;
      in.PulseWidth = 0.25;
      in.Amp = {0.002, 0.15, 0.5, 0.05};
      in.Cutoff = 20.0;
      in.VibratoCents = 25.0, in.VibratoRate = 6.0, in.VibratoDelay = 0.15;
      in.Gain = 0.7;
      break;
  }
  return in;
}
constexpr int LeadPresetCount = 8;

Instrument BassPreset(int n) {
  Instrument in;
  switch (n) {
    case 0:  // saw and sub square, snappy filter
      in.Osc1 = Wave::Saw, in.Osc2 = Wave::Square;
      in.Osc2Mix = 0.4, in.Osc2Octave = -1;
      in.Amp = {0.003, 0.25, 0.6, 0.06};
      in.Cutoff = 3.0, in.EnvOctaves = 2.5, in.FilterDecay = 0.12, in.Resonance = 1.4;
      break;
    case 1:  // square with a sine underneath
      in.Osc1 = Wave::Square, in.Osc2 = Wave::Sine;
      in.Osc2Mix = 0.5;
      in.Amp = {0.005, 0.3, 0.8, 0.06};
      in.Cutoff = 4.0, in.EnvOctaves = 1.0, in.FilterDecay = 0.1;
      break;
    case 2:  // FM bass
      in.Kind = Instrument::Engine::Fm;
      in.FmRatio = 1.0, in.FmIndex = 3.0, in.FmIndexDecay = 0.1;
      in.Amp = {0.002, 0.3, 0.5, 0.05};
      break;
    case 3:  // plucked bass
      in.Kind = Instrument::Engine::Pluck;
      in.PluckDamping = 0.7;
      in.Amp = {0.001, 1.0, 1.0, 0.05};
      in.Gain = 1.6;
      break;
    default:  // round: triangle and sine
      in.Osc1 = Wave::Triangle, in.Osc2 = Wave::Sine;
      in.Osc2Mix = 0.5;
      in.Amp = {0.01, 0.4, 0.8, 0.08};
      in.Cutoff = 6.0;
      in.Gain = 1.3;
      break;
  }
  return in;
}
constexpr int BassPresetCount = 5;

Instrument ChordPreset(int n) {
  Instrument in;
  switch (n) {
    case 0:  // warm saw pad
      in.Osc1 = in.Osc2 = Wave::Saw;
      in.Osc2Mix = 0.5, in.Osc2Detune = 12.0;
      in.Amp = {0.25, 1.0, 0.8, 0.5};
      in.Cutoff = 3.0, in.EnvOctaves = 0.5, in.FilterDecay = 0.5, in.Resonance = 0.7;
      in.Gain = 0.8;
      break;
    case 1:  // organ chords
      in.Kind = Instrument::Engine::Organ;
      in.Drawbars[0] = 1.0, in.Drawbars[1] = 0.8, in.Drawbars[2] = 0.5, in.Drawbars[3] = 0.0,
      in.Drawbars[4] = 0.2;
      in.Amp = {0.02, 0.3, 0.9, 0.1};
      break;
    case 2:  // soft square pad
      in.Osc1 = Wave::Square, in.Osc2 = Wave::Triangle;
      in.Osc2Mix = 0.5;
      in.Amp = {0.1, 0.5, 0.7, 0.3};
      in.Cutoff = 2.5;
      break;
    case 3:  // electric piano
      in.Kind = Instrument::Engine::Fm;
      in.FmRatio = 1.0, in.FmIndex = 1.5, in.FmIndexDecay = 0.4;
      in.Amp = {0.003, 0.8, 0.3, 0.3};
      in.Gain = 1.2;
      break;
    default:  // strings
      in.Osc1 = in.Osc2 = Wave::Saw;
      in.Osc2Mix = 0.5, in.Osc2Detune = 15.0;
      in.Amp = {0.3, 1.0, 0.9, 0.6};
      in.Cutoff = 2.0;
      in.VibratoCents = 6.0, in.VibratoRate = 5.0, in.VibratoDelay = 0.3;
      in.Gain = 0.8;
      break;
  }
  return in;
}
constexpr int ChordPresetCount = 5;

Instrument ArpPreset(int n) {
  Instrument in;
  switch (n) {
    case 0:  // bell
      in.Kind = Instrument::Engine::Fm;
      in.FmRatio = 3.5, in.FmIndex = 2.0, in.FmIndexDecay = 0.15;
      in.Amp = {0.002, 0.25, 0.0, 0.2};
      break;
    case 1:  // bright pluck
      in.Kind = Instrument::Engine::Pluck;
      in.PluckDamping = 0.2;
      in.Amp = {0.001, 1.0, 1.0, 0.06};
      in.Gain = 1.3;
      break;
    default:  // square blip
      in.Osc1 = Wave::Square;
      in.PulseWidth = 0.25;
      in.Amp = {0.002, 0.08, 0.2, 0.05};
      in.Cutoff = 6.0;
      in.Gain = 0.8;
      break;
  }
  return in;
}
constexpr int ArpPresetCount = 3;

// ---------------------------------------------------------------- harmony

constexpr std::array<int, 7> Major{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> Minor{0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> Dorian{0, 2, 3, 5, 7, 9, 10};
constexpr std::array<int, 7> Mixolydian{0, 2, 4, 5, 7, 9, 10};
constexpr std::array<int, 7> HarmonicMinor{0, 2, 3, 5, 7, 8, 11};
constexpr std::array<int, 7> Lydian{0, 2, 4, 6, 7, 9, 11};

bool IsMinor(const TrackStyle& s) { return s.Mode[2] == 3; }

const std::vector<std::vector<int>>& MajorProgressions() {
  static const std::vector<std::vector<int>> list{
      {0, 4, 5, 3}, {0, 5, 3, 4}, {0, 3, 4, 3}, {5, 3, 0, 4}, {0, 3, 0, 4},
      {0, 2, 3, 4}, {0, 1, 3, 4}, {3, 4, 0, 5}, {0, 6, 3, 0}, {0, 1, 0, 1},
      {3, 0, 4, 5}, {0, 4, 3, 4}, {0, 1, 5, 4}, {5, 4, 1, 0}, {0, 4, 1, 4},
  };
  return list;
}

const std::vector<std::vector<int>>& MinorProgressions() {
  static const std::vector<std::vector<int>> list{
      {0, 5, 2, 6}, {0, 3, 4, 0}, {0, 6, 5, 6}, {0, 5, 3, 4}, {0, 3, 6, 2}, {0, 2, 6, 3}, {0, 3, 0, 4},
      {0, 6, 5, 4}, {5, 6, 0, 0}, {0, 3, 5, 4}, {3, 4, 0, 0}, {5, 3, 0, 6}, {0, 3, 0, 3}, {0, 6, 0, 3},
  };
  return list;
}

int Wrap7(int d) { return ((d % 7) + 7) % 7; }

// A plain major or minor triad: no diminished or augmented chords, which the
// generated melodies handle badly.
bool PlainTriad(const std::array<int, 7>& mode, int degree) {
  const auto semis = [&](int d) {
    return mode[static_cast<std::size_t>(Wrap7(d))] + 12 * ((d - Wrap7(d)) / 7);
  };
  const int fifth = semis(degree + 4) - semis(degree);
  return fifth == 7;
}

bool PlainProgression(const std::array<int, 7>& mode, const std::vector<int>& chords) {
  return std::all_of(chords.begin(), chords.end(), [&](int c) { return PlainTriad(mode, c); });
}

// A fixed shuffle of 0..n-1: decks from which the tracks take their
// ingredients, so that neighbouring tracks never share all of them.
std::vector<int> Deck(int n, std::uint64_t seed) {
  std::vector<int> deck(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) deck[static_cast<std::size_t>(i)] = i;
  Rng rng(seed);
  for (int i = n - 1; i > 0; --i)
    std::swap(deck[static_cast<std::size_t>(i)], deck[static_cast<std::size_t>(DrawBelow(rng, i + 1))]);
  return deck;
}

int FromDeck(int n, std::uint64_t seed, int track) {
  const std::vector<int> deck = Deck(n, seed);
  return deck[static_cast<std::size_t>((track - 1) % n)];
}

double Between(Rng& rng, double lo, double hi) { return lo + (hi - lo) * rng.Next(); }

}  // namespace

int DegreeNote(const TrackStyle& style, int degree) {
  const int w = Wrap7(degree);
  return style.Tonic + 12 * ((degree - w) / 7) + style.Mode[static_cast<std::size_t>(w)];
}

TrackStyle MakeStyle(int track) {
  if (track < 1 || track > MenuTrack) throw std::out_of_range("music track " + std::to_string(track));
  TrackStyle s;
  s.Track = track;
  Rng rng(0x51A7u + 7919u * static_cast<std::uint64_t>(track));

  if (track == MenuTrack) {
    // The menu: slow, soft and airy, so it sits behind the player's choices.
    s.Tempo = 84.0;
    s.Tonic = 65;  // F
    s.Mode = Lydian;
    s.Pentatonic = true;
    s.VerseChords = {0, 1, 0, 4};
    s.BridgeChords = {5, 3, 0, 4};
    s.Density = 0;
    s.Groove = 0;
    s.BassStyle = 4;
    s.ChordStyle = 0;
    s.Calm = true;
    s.Lead = LeadPreset(2);
    s.Bass = BassPreset(4);
    s.Chords = ChordPreset(4);
    s.Arp = ArpPreset(0);
    s.Kit.KickHigh = 110.0, s.Kit.KickDecay = 0.25, s.Kit.KickClick = 0.1;
    s.DrumLevel = 0.3;
    s.EchoFeedback = 0.4;
    s.LoudnessDb = -20.0;
    return s;
  }

  // Tempos 100..148 in steps of 4, one per track, in a shuffled order.
  s.Tempo = 100.0 + 4.0 * FromDeck(GameTrackCount, 0x7E0, track);
  const int pitchClass = FromDeck(12, 0xC1A, track);
  s.Tonic = 60 + pitchClass;
  if (s.Tonic > 69) s.Tonic -= 12;  // keep the melody between roughly G3 and C6
  static constexpr std::array<std::array<int, 7>, 6> Modes{Major,      Minor,         Dorian,
                                                           Mixolydian, HarmonicMinor, Lydian};
  s.Mode = Modes[static_cast<std::size_t>(FromDeck(6, 0x30D, track))];
  s.Pentatonic = rng.Next() < 0.4;

  // Verse and bridge progressions: the first plain ones of a shuffled list.
  const auto& progressions = IsMinor(s) ? MinorProgressions() : MajorProgressions();
  const std::vector<int> order =
      Deck(static_cast<int>(progressions.size()), 0x960u + static_cast<std::uint64_t>(track));
  for (int i : order) {
    const auto& p = progressions[static_cast<std::size_t>(i)];
    if (!PlainProgression(s.Mode, p)) continue;
    if (s.VerseChords.empty()) {
      s.VerseChords = p;
    } else if (p != s.VerseChords) {
      s.BridgeChords = p;
      break;
    }
  }
  if (s.BridgeChords.empty()) s.BridgeChords = s.VerseChords;

  s.Density = s.Tempo > 136.0 ? 1 : 1 + DrawBelow(rng, 2);
  s.Swing = rng.Next() < 0.25 ? Between(rng, 0.12, 0.25) : 0.0;
  s.Groove = FromDeck(7, 0x6A0, track);
  s.BassStyle = FromDeck(5, 0xBA5, track);
  s.ChordStyle = FromDeck(4, 0xC40, track);
  s.Lead = LeadPreset(FromDeck(LeadPresetCount, 0x1EAD, track));
  s.Bass = BassPreset(FromDeck(BassPresetCount, 0xBA55, track));
  s.Chords = ChordPreset(FromDeck(ChordPresetCount, 0xC0D, track));
  s.Arp = ArpPreset(FromDeck(ArpPresetCount, 0xA29, track));
  // A sustained pad keeps its own preset; short chord styles want a quick attack.
  if (s.ChordStyle != 0) s.Chords.Amp = {0.005, 0.25, 0.5, 0.12};

  s.Kit.KickHigh = Between(rng, 120.0, 180.0);
  s.Kit.KickLow = Between(rng, 42.0, 55.0);
  s.Kit.KickDecay = Between(rng, 0.25, 0.4);
  s.Kit.KickClick = Between(rng, 0.2, 0.6);
  s.Kit.SnareTone = Between(rng, 170.0, 230.0);
  s.Kit.SnareNoise = Between(rng, 2000.0, 4000.0);
  s.Kit.SnareDecay = Between(rng, 0.12, 0.2);
  s.Kit.SnareBody = Between(rng, 0.2, 0.6);
  s.Kit.HatHz = Between(rng, 6500.0, 9500.0);
  s.Kit.HatDecay = Between(rng, 0.03, 0.06);
  s.Kit.TomHz = Between(rng, 90.0, 130.0);
  s.EchoFeedback = Between(rng, 0.2, 0.4);
  return s;
}

// ---------------------------------------------------------------- composing

namespace {

struct Hit {
  int Step, Length;
};
using Cell = std::vector<Hit>;  // the rhythm of half a bar (8 steps)

const std::vector<Cell>& Cells(int density) {
  static const std::vector<Cell> sparse{
      {{0, 8}}, {{0, 4}, {4, 4}}, {{0, 6}, {6, 2}}, {{0, 4}}, {{0, 3}, {3, 5}}};
  static const std::vector<Cell> medium{{{0, 2}, {2, 2}, {4, 4}}, {{0, 3}, {3, 3}, {6, 2}},
                                        {{0, 4}, {4, 2}, {6, 2}}, {{0, 2}, {2, 4}, {6, 2}},
                                        {{0, 6}, {6, 2}},         {{0, 4}, {4, 4}}};
  static const std::vector<Cell> busy{
      {{0, 2}, {2, 2}, {4, 2}, {6, 2}}, {{0, 1}, {1, 1}, {2, 2}, {4, 2}, {6, 2}},
      {{0, 3}, {3, 3}, {6, 2}},         {{0, 2}, {2, 1}, {3, 1}, {4, 4}},
      {{2, 2}, {4, 2}, {6, 2}},         {{0, 2}, {2, 2}, {4, 4}}};
  return density <= 0 ? sparse : density == 1 ? medium : busy;
}

// One note of a melody phrase: the step within the phrase, its length in
// steps and its pitch as a scale degree above the phrase's base.
struct MotifNote {
  int Step, Length, Degree;
};
using Motif = std::vector<MotifNote>;

// A melodic step: mostly by seconds, sometimes by thirds, rarely wider,
// leaning back towards the middle of the range.
int NextDegree(Rng& rng, int degree) {
  static constexpr int Moves[] = {0, 1, -1, 1, -1, 2, -2, 1, -1, 3, -3, 4};
  int move = Moves[DrawBelow(rng, 12)];
  if (degree > 6 && move > 0) move = -move;
  if (degree < -1 && move < 0) move = -move;
  return degree + move;
}

// Rhythm and contour for halfBars half-bars from half-bar startHalf on: a
// random rhythm cell for each, and a melodic walk from startDegree.
Motif MakeMotif(Rng& rng, int density, int halfBars, int startDegree, int startHalf = 0) {
  Motif m;
  int degree = startDegree;
  const auto& cells = Cells(density);
  for (int h = startHalf; h < startHalf + halfBars; ++h) {
    const Cell& cell = cells[static_cast<std::size_t>(DrawBelow(rng, static_cast<int>(cells.size())))];
    for (const Hit& hit : cell) {
      m.push_back({h * 8 + hit.Step, hit.Length, degree});
      degree = NextDegree(rng, degree);
    }
  }
  return m;
}

// Four bars: a two-bar call, then an answer that begins like the call and
// comes to rest on a long note.
Motif MakePhraseMelody(Rng& rng, int density, int startDegree) {
  Motif call = MakeMotif(rng, density, 4, startDegree);
  Motif phrase = call;
  // The answer's first bar repeats the call's, moved up or down a step.
  const int shift = DrawBelow(rng, 3) - 1;
  for (const MotifNote& n : call)
    if (n.Step < 16) phrase.push_back({n.Step + 32, n.Length, n.Degree + shift});
  int last = phrase.back().Degree;
  Motif third = MakeMotif(rng, density, 1, last, 6);
  phrase.insert(phrase.end(), third.begin(), third.end());
  // The closing long note, on the chord's root (snapped when realised).
  phrase.push_back({56, 6 + DrawBelow(rng, 2) * 2, 0});
  return phrase;
}

int SnapToChord(int degree, int chordRoot) {
  for (int d = 0; d <= 3; ++d) {
    for (int sign : {-1, 1}) {
      const int c = degree + sign * d;
      const int rel = Wrap7(c - chordRoot);
      if (rel == 0 || rel == 2 || rel == 4) return c;
    }
  }
  return degree;
}

int SnapToRoot(int degree, int chordRoot) {
  int best = chordRoot;
  for (int c = chordRoot - 14; c <= chordRoot + 14; c += 7)
    if (std::abs(c - degree) < std::abs(best - degree)) best = c;
  return best;
}

int SnapToPentatonic(const TrackStyle& s, int degree) {
  // The two degrees left out are the ones a semitone from a neighbour.
  const bool minor = IsMinor(s);
  const auto allowed = [&](int d) {
    const int w = Wrap7(d);
    return minor ? (w != 1 && w != 5) : (w != 3 && w != 6);
  };
  if (allowed(degree)) return degree;
  return allowed(degree + 1) ? degree + 1 : degree - 1;
}

// Places a chord's three notes in the octave above low, choosing the low end
// that moves least from the previous chord.
std::array<int, 3> Voice(const TrackStyle& s, int chordRoot, const std::array<int, 3>& previous) {
  std::array<int, 3> best{};
  int bestCost = 1 << 30;
  for (int low = 52; low <= 62; ++low) {
    std::array<int, 3> v{};
    for (int i = 0; i < 3; ++i) {
      int note = DegreeNote(s, chordRoot + 2 * i);
      while (note < low) note += 12;
      while (note >= low + 12) note -= 12;
      v[static_cast<std::size_t>(i)] = note;
    }
    std::sort(v.begin(), v.end());
    int cost = 0;
    for (int i = 0; i < 3; ++i)
      cost += std::abs(v[static_cast<std::size_t>(i)] - previous[static_cast<std::size_t>(i)]);
    if (cost < bestCost) bestCost = cost, best = v;
  }
  return best;
}

struct Groove {
  const char* Kick;
  const char* Snare;
  const char* Hat;  // x closed, O open, o soft closed
};

// Grooves on sixteen steps: X accent, x normal, o ghost.
const Groove& GrooveOf(int n) {
  static const Groove grooves[] = {
      {"X.....x.X.......", "....X.......X...", "x.x.x.x.x.x.x.x."},  // rock
      {"X...X...X...X...", "....X.......X...", "x.O.x.O.x.O.x.O."},  // four on the floor
      {"X......X..X.....", "....X.......X..o", "x.xox.x.x.xox.x."},  // broken beat
      {"X.........x.....", "........X.......", "x.x.x.x.x.x.x.x."},  // half time
      {"X...X...X...X...", "....X.......X...", "oxOxoxOxoxOxoxOx"},  // disco
      {"X..x..X...X..x..", "....X..o.o..X...", "x.x.x.x.x.x.x.x."},  // funk
      {"X..X..X...X.....", "....X.......X...", "x.xxx.xxx.xxx.xx"},  // bounce
  };
  return grooves[n % 7];
}

double Accent(char c) { return c == 'X' || c == 'O' ? 1.0 : c == 'x' ? 0.8 : c == 'o' ? 0.45 : 0.0; }

}  // namespace

Song Compose(const TrackStyle& style) {
  Song song;
  song.Style = style;
  // A whole number of samples per step, so every bar, and the loop, is exact.
  song.StepSamples = std::lround(SampleRate * 60.0 / style.Tempo / 4.0);
  const long phraseSamples = song.StepSamples * StepsPerBar * BarsPerPhrase;
  const long minimum = 30L * SampleRate;
  const int phrases = static_cast<int>((minimum + phraseSamples - 1) / phraseSamples);
  song.Bars = phrases * BarsPerPhrase;
  song.Length = song.StepSamples * StepsPerBar * song.Bars;
  const double stepSeconds = static_cast<double>(song.StepSamples) / SampleRate;

  Rng rng(0x5EEDu + 104729u * static_cast<std::uint64_t>(style.Track));
  const auto start = [&](int bar, double step) {
    double s = step;
    if (static_cast<int>(step) % 2 == 1) s += style.Swing;
    return static_cast<long>(bar) * StepsPerBar * song.StepSamples + std::lround(s * song.StepSamples);
  };
  const auto jitter = [&](double v) { return std::clamp(v + 0.08 * (rng.Next() - 0.5), 0.05, 1.0); };

  // Verse (A) and bridge (B) phrases in a plan that returns to the verse.
  std::vector<char> plan;
  if (phrases <= 3) {
    plan = {'A', 'B', 'A'};
  } else {
    plan = {'A', 'A', 'B'};
    while (static_cast<int>(plan.size()) < phrases - 1) plan.push_back(plan.size() % 2 ? 'B' : 'A');
    plan.push_back('A');
  }
  plan.resize(static_cast<std::size_t>(phrases));

  const Motif verse = MakePhraseMelody(rng, style.Density, 0);
  const Motif verseAgain = MakePhraseMelody(rng, style.Density, 0);
  const Motif bridge = MakePhraseMelody(rng, std::min(style.Density + 1, 2), 2);
  // The second verse keeps the first's call and takes a new answer.
  Motif verse2;
  for (const MotifNote& n : verse)
    if (n.Step < 32) verse2.push_back(n);
  for (const MotifNote& n : verseAgain)
    if (n.Step >= 32) verse2.push_back(n);

  const double articulation = style.Calm ? 0.95 : 0.85;
  std::array<int, 3> voicing{55, 60, 64};
  int verseCount = 0;
  for (int p = 0; p < phrases; ++p) {
    const bool isBridge = plan[static_cast<std::size_t>(p)] == 'B';
    const std::vector<int>& chords = isBridge ? style.BridgeChords : style.VerseChords;
    const Motif& melody = isBridge ? bridge : (verseCount++ % 2 == 0 ? verse : verse2);
    const int firstBar = p * BarsPerPhrase;
    const bool arpOn = !style.Calm ? (isBridge || verseCount > 1) : isBridge;

    // Melody.
    for (std::size_t i = 0; i < melody.size(); ++i) {
      const MotifNote& n = melody[i];
      const int barInPhrase = n.Step / StepsPerBar;
      const int chordRoot = chords[static_cast<std::size_t>(barInPhrase % chords.size())];
      int degree = n.Degree;
      if (i + 1 == melody.size()) {
        degree = SnapToRoot(degree, chordRoot);
      } else if (n.Step % 8 == 0) {
        degree = SnapToChord(degree, chordRoot);
      } else if (style.Pentatonic) {
        degree = SnapToPentatonic(style, degree);
      }
      const double velocity = n.Step % 4 == 0 ? 0.9 : 0.75;
      song.Notes.push_back({PartKind::Lead, start(firstBar + barInPhrase, n.Step % StepsPerBar),
                            n.Length * stepSeconds * articulation,
                            static_cast<double>(DegreeNote(style, degree)), jitter(velocity)});
    }

    for (int b = 0; b < BarsPerPhrase; ++b) {
      const int bar = firstBar + b;
      const int chordRoot = chords[static_cast<std::size_t>(b % chords.size())];
      const int nextRoot = chords[static_cast<std::size_t>((b + 1) % chords.size())];
      const int bassBase = -14;  // two octaves below the melody: about A#1 to A2 for the tonic
      const auto bassNote = [&](int degree) {
        return static_cast<double>(DegreeNote(style, bassBase + chordRoot + degree));
      };

      // Bass.
      struct BassHit {
        int Step, Length, Degree;
      };
      std::vector<BassHit> bass;
      switch (style.BassStyle) {
        case 0:
          for (int s = 0; s < 16; s += 2) bass.push_back({s, 2, s == 14 ? 4 : 0});
          break;
        case 1:
          for (int s = 0; s < 16; s += 2) bass.push_back({s, 2, (s / 2) % 2 ? 7 : 0});
          break;
        case 2:
          bass = {{0, 3, 0}, {3, 3, 0}, {6, 2, 4}, {8, 3, 0}, {11, 3, 0}, {14, 2, 7}};
          break;
        case 3:
          bass = {{0, 4, 0},
                  {4, 4, 2},
                  {8, 4, 4},
                  {12, 4, nextRoot - chordRoot + (nextRoot > chordRoot ? -1 : 1)}};
          break;
        default:
          bass = {{0, 8, 0}, {8, 6, 4}, {14, 2, 7}};
          break;
      }
      for (const BassHit& h : bass)
        song.Notes.push_back({PartKind::Bass, start(bar, h.Step), h.Length * stepSeconds * 0.8,
                              bassNote(h.Degree), jitter(h.Step % 4 == 0 ? 0.95 : 0.8)});

      // Chords.
      voicing = Voice(style, chordRoot, voicing);
      std::vector<Hit> comp;
      switch (style.ChordStyle) {
        case 0:
          comp = {{0, 16}};
          break;
        case 1:
          comp = {{2, 1}, {6, 1}, {10, 1}, {14, 1}};
          break;
        case 2:
          comp = {{0, 2}, {3, 2}, {6, 2}, {10, 2}, {12, 2}};
          break;
        default:
          comp = {{0, 3}, {4, 3}, {8, 3}, {12, 3}};
          break;
      }
      for (const Hit& h : comp)
        for (int note : voicing)
          song.Notes.push_back({PartKind::Chords, start(bar, h.Step),
                                h.Length * stepSeconds * (h.Length >= 16 ? 0.98 : 0.8),
                                static_cast<double>(note), jitter(0.7)});

      // Arpeggio over the chord, up and down through two octaves.
      if (arpOn) {
        const int rate = style.Tempo > 132.0 || style.Calm ? 2 : 1;
        static constexpr int Order[] = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5};
        for (int s = 0, i = 0; s < 16; s += rate, ++i) {
          const int k = Order[i % 16];
          const int note = voicing[static_cast<std::size_t>(k % 3)] + 12 + 12 * (k / 3);
          song.Notes.push_back({PartKind::Arp, start(bar, s), rate * stepSeconds * 0.8,
                                static_cast<double>(note), jitter(s % 4 == 0 ? 0.8 : 0.6)});
        }
      }

      // Drums.
      const auto hit = [&](Drum d, int step, double velocity) {
        if (velocity > 0.0) song.Hits.push_back({d, start(bar, step), jitter(velocity)});
      };
      if (style.Calm) {
        hit(Drum::Kick, 0, 0.8);
        hit(Drum::Kick, 8, 0.6);
        hit(Drum::Rim, 4, 0.5);
        hit(Drum::Rim, 12, 0.5);
        for (int s = 0; s < 16; s += 2) hit(Drum::Shaker, s, s % 4 == 0 ? 0.7 : 0.45);
        continue;
      }
      const Groove& g = GrooveOf(style.Groove);
      const bool fill = b == BarsPerPhrase - 1;
      for (int s = 0; s < 16; ++s) {
        if (fill && s >= 12) break;
        hit(Drum::Kick, s, Accent(g.Kick[s]));
        hit(Drum::Snare, s, Accent(g.Snare[s]));
        const char h = g.Hat[s];
        if (isBridge && h == '.') {
          hit(Drum::ClosedHat, s, 0.35);  // the bridge runs on sixteenths
        } else {
          hit(h == 'O' ? Drum::OpenHat : Drum::ClosedHat, s, Accent(h));
        }
      }
      if (b == 0) hit(Drum::Crash, 0, p == 0 || isBridge ? 0.9 : 0.6);
      if (fill) {
        // A fill into the next phrase (and, at the end, into the loop's start).
        static constexpr Drum Toms[] = {Drum::TomHigh, Drum::TomMid, Drum::TomLow, Drum::Snare};
        const int pick = DrawBelow(rng, 2);
        for (int s = 12; s < 16; ++s) {
          const double v = 0.6 + 0.1 * (s - 12);
          hit(pick == 0 ? Toms[s - 12] : Drum::Snare, s, v);
        }
        hit(Drum::Kick, 12, 0.9);
      }
    }
  }
  return song;
}

Signal RenderSong(const Song& song) {
  const TrackStyle& style = song.Style;
  LoopBuffer lead(song.Length), bass(song.Length), chords(song.Length), arp(song.Length), drums(song.Length);
  for (std::size_t i = 0; i < song.Notes.size(); ++i) {
    const NoteEvent& n = song.Notes[i];
    const std::uint64_t seed = 0x9E37u * static_cast<std::uint64_t>(style.Track) + i;
    switch (n.Part) {
      case PartKind::Lead:
        lead.Add(n.Start, RenderNote(style.Lead, n.Note, n.Gate, n.Velocity, seed));
        break;
      case PartKind::Bass:
        bass.Add(n.Start, RenderNote(style.Bass, n.Note, n.Gate, n.Velocity, seed));
        break;
      case PartKind::Chords:
        chords.Add(n.Start, RenderNote(style.Chords, n.Note, n.Gate, n.Velocity, seed));
        break;
      case PartKind::Arp:
        arp.Add(n.Start, RenderNote(style.Arp, n.Note, n.Gate, n.Velocity, seed));
        break;
    }
  }

  // Each drum in three variants, rendered once.
  constexpr int Variants = 3;
  constexpr int DrumKinds = static_cast<int>(Drum::Shaker) + 1;
  std::vector<Signal> kit(DrumKinds * Variants);
  for (int d = 0; d < DrumKinds; ++d)
    for (int v = 0; v < Variants; ++v)
      kit[static_cast<std::size_t>(d * Variants + v)] = RenderDrum(style.Kit, static_cast<Drum>(d), v);
  static constexpr double DrumMix[DrumKinds] = {1.0, 0.7, 0.5, 0.22, 0.2, 0.6, 0.6, 0.6, 0.25, 0.3};
  for (std::size_t i = 0; i < song.Hits.size(); ++i) {
    const DrumHit& h = song.Hits[i];
    const int d = static_cast<int>(h.Kind);
    drums.Add(h.Start, kit[static_cast<std::size_t>(d * Variants + static_cast<int>(i % Variants))],
              DrumMix[d] * h.Velocity);
  }

  // Each part is brought to its own level first, so that the balance holds
  // whatever the presets' raw loudness: drums and bass carry the groove, the
  // lead sits on top, chords and arpeggio stay behind it.
  const auto level = [](Signal& part, double rms) {
    const double now = Rms(part);
    if (now > 0.0)
      for (float& v : part) v = static_cast<float>(v * rms / now);
  };
  level(drums.Data(), 0.3 * style.DrumLevel);
  level(bass.Data(), 0.2);
  level(lead.Data(), 0.18);
  level(chords.Data(), style.Calm ? 0.13 : 0.1);
  level(arp.Data(), 0.05);

  // The lead echoes a dotted eighth later; the chords get a gentle chorus
  // whose sweep makes one cycle a bar.
  const Signal leadWet = CircularEcho(lead.Data(), 3 * song.StepSamples, style.EchoFeedback, 3);
  const Signal arpWet = CircularEcho(arp.Data(), 2 * song.StepSamples, style.EchoFeedback, 2);
  const Signal chordWet = CircularChorus(chords.Data(), 14.0, 3.0, song.Bars);

  Signal mix(static_cast<std::size_t>(song.Length));
  for (std::size_t i = 0; i < mix.size(); ++i)
    mix[i] = drums.Data()[i] + bass.Data()[i] + chordWet[i] + leadWet[i] + arpWet[i];
  // Everything but the bass goes into the room a little, so the parts sound
  // as if they were played together.
  Signal send(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i) send[i] = mix[i] - bass.Data()[i];
  const Signal room = CircularRoom(send);
  for (std::size_t i = 0; i < mix.size(); ++i) mix[i] += room[i];
  NormaliseLoudness(mix, style.LoudnessDb, -1.5);
  return mix;
}

Signal MakeMusicTrack(int track) { return RenderSong(Compose(MakeStyle(track))); }

}  // namespace quarnix::soundgen
