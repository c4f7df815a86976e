#pragma once
// A game state wired to the rules for tests: every random draw must be
// scripted, every sound is recorded, and frames run on a virtual clock.

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>

#include "Board.h"
#include "core/Clock.h"
#include "core/Random.h"
#include "core/SoundBuffer.h"
#include "game/GameRules.h"
#include "game/PlayView.h"
#include "game/SoundPlayer.h"

namespace quarnix::test {

// What the rules showed: the flags, and the last landing effect with its stars.
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
    // The tables come from any draws; the draws a test cares about are scripted after.
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
  // Number of times effect n was started.
  int Played(Effect n) const { return waves(n).Plays(); }

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
