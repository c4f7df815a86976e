#pragma once
// Rules over a game state: scripted draws, recorded sounds, a virtual clock; fields as small boards.

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "core/Random.h"
#include "core/SoundBuffer.h"
#include "game/GameRules.h"
#include "game/PlayView.h"
#include "game/SoundPlayer.h"

namespace quarnix::test {

// Boards: "z=N" then up to five rows y = 1..5 of cells x = 1..5, e.g. "z=1 R.... .GG.. z=3 ..B..".
// '.' empty, RGBY colours 1..4, 5..9 specials, 'F' 10, '*' clearing (11).
void SetField(GameState& state, std::string_view board);  // empties the field first
std::string FieldText(const GameState& state);            // every non-empty layer, bottom first, as a board
void SetLayer(FieldLayer& layer, std::string_view rows);  // one 5 x 5 layer, rows without a header
std::string LayerText(const FieldLayer& layer);           // its rows, as SetLayer takes them

struct ShownScreen final : DisplayFlags {
  void StartEffect(CellKind kind, const ParticleBurst& stars) override {
    EffectKind = kind;
    Stars = stars;
  }
  CellKind EffectKind = CellKind::Empty;
  ParticleBurst Stars;
};

class RulesTest : public ::testing::Test {
 protected:
  RulesTest() : rules(s, random, sound), frame(rules, clock) {
    for (int i = 1; i <= EffectCount; ++i) sound.WaveBuffer(i) = &waves(i);
    for (int i = 1; i <= MusicCount; ++i) sound.MusicBuffer(i) = &music(i);
    sound.SoundOn = 1;
    rules.SetFrameStep(&frame, &clock);
    rules.SetView(&shown);
    Rng tables(99);
    random.SetFallback(&tables);
    rules.InitLevelTable();
    random.SetFallback(nullptr);
    rules.InitShapeTable();
    rules.InitCubePos();
    s.GameLevel = s.ScoreLevel = 1;
  }
  void Script(std::initializer_list<float> draws) {
    for (float r : draws) random.Push(r);
  }
  int Played(Effect n) const { return waves(n).Plays(); }
  // A piece has just come to rest, its special (if any) at (x, y, z).
  void Landed(CellKind special = CellKind::Empty, int x = 0, int y = 0, int z = 0) {
    s.LandFlag = true;
    s.MatchFlag = s.ClearFlag = s.DropFlag = false;
    s.SpecialKind = special;
    s.SpecialX = x, s.SpecialY = y, s.SpecialZ = z;
    s.ChainCount = 0;
  }
  GameState s;
  ScriptedRandom random;
  SoundPlayer sound;
  FixedArray<RecordingSoundBuffer, EffectCount> waves;
  FixedArray<RecordingSoundBuffer, MusicCount> music;
  GameRules rules;
  ShownScreen shown;
  VirtualClock clock;
  HeadlessFrameStep frame;
};

}  // namespace quarnix::test
