#pragma once
// The music: a style per track (tempo, key, mode, progressions, instruments,
// groove), a composer that turns a style into notes and drum hits on a
// sixteenth-note grid, and a renderer that plays them into a seamless loop.

#include <array>
#include <vector>

#include "Instruments.h"
#include "content/SoundNumbers.h"

namespace quarnix::soundgen {

constexpr int GameTrackCount = LevelTrackCount;
constexpr int MenuTrack = static_cast<int>(Music::Menu);
constexpr int StepsPerBar = 16;
constexpr int BarsPerPhrase = 4;

enum class PartKind { Lead, Bass, Chords, Arp };

struct NoteEvent {
  PartKind Part;
  long Start;       // sample
  double Gate;      // seconds held
  double Note;      // MIDI note
  double Velocity;  // 0..1
};

struct DrumHit {
  Drum Kind;
  long Start;
  double Velocity;
};

struct TrackStyle {
  int Track = 1;
  double Tempo = 120.0;           // beats (quarter notes) a minute
  int Tonic = 60;                 // MIDI note of the key's tonic in the melody's octave
  std::array<int, 7> Mode{};      // semitones of the seven scale degrees above the tonic
  bool Pentatonic = false;        // the melody leaves out the two tense degrees
  std::vector<int> VerseChords;   // scale degree (0-based) of the chord of each bar
  std::vector<int> BridgeChords;  // the contrasting phrase
  int Density = 1;                // melody: 0 sparse .. 2 busy
  double Swing = 0.0;             // delay of the off sixteenths, as a share of a step
  int Groove = 0;
  int BassStyle = 0;
  int ChordStyle = 0;
  bool Calm = false;  // the menu: soft drums, no crashes or fills
  Instrument Lead, Bass, Chords, Arp;
  DrumKit Kit;
  double DrumLevel = 1.0;
  double EchoFeedback = 0.3;
  double LoudnessDb = -16.0;
};

struct Song {
  TrackStyle Style;
  int Bars = 0;
  long StepSamples = 0;
  long Length = 0;  // samples: Bars whole bars
  std::vector<NoteEvent> Notes;
  std::vector<DrumHit> Hits;
};

// The style of track 1..13 ("okPlayGame1".."okPlayGame13") or 14 ("okMenu").
TrackStyle MakeStyle(int track);
// Notes and hits of a whole loop, at least 30 seconds of whole phrases.
Song Compose(const TrackStyle& style);
// The mono mix of the loop, normalised; its last sample runs on into its first.
Signal RenderSong(const Song& song);
// All three together.
Signal MakeMusicTrack(int track);

// MIDI note of a scale degree (0 = tonic; 7 = the tonic an octave up).
int DegreeNote(const TrackStyle& style, int degree);

}  // namespace quarnix::soundgen
