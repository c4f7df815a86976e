// The landing passes, the special cubes and their effects, particle bursts, the field turn, the shower.

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <tuple>
#include <vector>

#include "Rig.h"

using namespace quarnix;
using namespace quarnix::test;
using std::tuple;

namespace {

struct Watch final : IGameEvents {
  void OnLandingEffect(CellKind kind) override { kinds.push_back(kind); }
  void OnCubeShower(int placed) override { showered = placed; }
  std::vector<CellKind> kinds;
  int showered = -1;
};

class Landing : public RulesTest {
 protected:
  Landing() {
    random.SetFallback(&any);
    rules.SetEvents(&watch);
  }
  LandingResult Resolve() {  // runs the landing until the next piece is in play or the game is over
    for (int steps = 0; steps < 50; ++steps)
      if (const auto last = rules.LandingStep(); last.GameOver || !(s.LandFlag || s.MatchFlag || s.ClearFlag))
        return last;
    throw std::logic_error("landing does not end");
  }
  Rng any{17};
  Watch watch;
};
using Specials = Landing;

struct FrameLog final : IFrameStep {
  FrameLog(GameState& state, const DisplayFlags& shown) : s(state), shown(shown) {}
  void FrameStep() override {
    angles.push_back(s.TurnAngle);
    spinning.push_back(shown[Display::FieldSpinShow]);
  }
  GameState& s;
  const DisplayFlags& shown;
  std::vector<float> angles;
  std::vector<bool> spinning;
};

}  // namespace

TEST_F(Landing, ALineClearsThenTheSunkCubesClearInAChain) {
  random.SetFallback(nullptr);
  SetField(s, "z=1 R.... RGG.. R.... z=2 ..... G....");
  Landed();
  LandingResult step = rules.LandingStep();
  EXPECT_TRUE(step.Checked && !step.Marked && s.MatchFlag);
  EXPECT_EQ(s.MarkArray(1, 1, 1) + s.MarkArray(1, 2, 1) + s.MarkArray(1, 3, 1), 3 * Index(CellKind::Red));
  const auto before = clock.Ticks();
  step = rules.LandingStep();  // shown as clearing cubes for a second, scored
  EXPECT_TRUE(step.Marked);
  EXPECT_EQ(FieldText(s), "z=1 *.... *GG.. *.... z=2 ..... G....");
  EXPECT_TRUE(clock.Ticks() - before >= 1000u && clock.Ticks() - before < 1015u + 15u);
  EXPECT_FALSE(shown[Display::ClearShow]);
  EXPECT_EQ(tuple(s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(3, 0, 1));
  step = rules.LandingStep();  // removed; the green sinks into a line
  EXPECT_TRUE(step.Removed && step.Checked && s.MatchFlag);
  EXPECT_EQ(FieldText(s), "z=1 ..... GGG..");
  EXPECT_EQ(s.PendingDropInterval, 2000 - 15);  // 5 ms per point in level 1
  rules.LandingStep();                          // the chain pass counts twice
  EXPECT_EQ(tuple(s.ChainCount, s.GameScore, s.ChainScore, Played(Effect::CubeCross)), tuple(2, 6, 3, 2));
  Script({0.5f, 0.5f, 0.0f, 0.0f, 0.3f, 0.6f});  // the new next piece: shape 1 (the diagonal), R, G, B
  s.NextCube.Fill(CellKind::Empty);
  s.NextCube(2, 1) = CellKind::Yellow;
  step = rules.LandingStep();
  EXPECT_TRUE(step.Removed && step.Checked && !step.GameOver && !(s.LandFlag || s.MatchFlag || s.ClearFlag));
  EXPECT_EQ(tuple(FieldText(s), s.NowCubeZ, s.PendingDropInterval, LayerText(s.NowCube)),
            tuple("", 10, 2000 - 30, "..... ..Y.."));
  EXPECT_EQ(tuple(s.NextCube(1, 1), s.NextCube(2, 2), s.NextCube(3, 3)),
            tuple(CellKind::Red, CellKind::Green, CellKind::Blue));
}

TEST_F(Landing, OnlyStraightTriplesOfOneColourMatchEachCubeCountedOnceAndTheRestSinks) {
  const char* boards[] = {
      "z=1 RRRR.", "z=1 BBB.. B.... B....", "z=1 ..Y.. z=2 ..Y.. z=3 ..Y..", "z=1 888..", "z=1 RR.R.",
      "z=1 RGR..", "z=1 R.... .R... ..R..", "z=1 R.... z=2 R.... z=3 G...."};
  const int cleared[] = {4, 5, 3, 0, 0, 0, 0, 0};  // cubes one search and clear take; none: the field stays
  for (int i = 0; i < 8; ++i) {
    SetField(s, boards[i]);
    rules.CountHeights();
    s.MatchFlag = false;
    rules.CheckLanding();
    if (s.MatchFlag) rules.MarkClearing();
    EXPECT_EQ(s.MatchFlag ? s.ClearCount : 0, cleared[i]) << boards[i];
    EXPECT_TRUE(cleared[i] || FieldText(s) == boards[i]) << boards[i];
  }
  SetField(s, "z=1 RRR.. z=2 GBY.. z=3 BYG..");  // removal sinks each cube by the cleared cubes below it
  Landed();
  for (int i = 0; i < 3; ++i) rules.LandingStep();
  EXPECT_EQ(FieldText(s), "z=1 GBY.. z=2 BYG..");
}

TEST_F(Landing, ALineMadeWithASpecialPieceClearsWithoutTheCrossSound) {
  SetField(s, "z=1 RRR.. .B... .B... z=2 8B...");
  Landed(CellKind::Diamond, 1, 1, 2);
  rules.LandingStep();
  rules.LandingStep();
  EXPECT_EQ(tuple(Played(Effect::CubeCross), s.SpecialKind), tuple(0, CellKind::Empty));
  EXPECT_FALSE(shown[Display::EffectShow]);
  rules.LandingStep();
  rules.LandingStep();  // the sunk blue's line: with the sound again
  EXPECT_EQ(tuple(s.ChainCount, Played(Effect::CubeCross), s.GameScore), tuple(2, 1, 3 + 3));
}

TEST_F(Landing, GameEndsOnlyWhenNothingMatchesAndTheTopIsOccupiedAndDamagedKindsAreReported) {
  std::string column;
  for (int z = 1; z <= 10; ++z) column += " z=" + std::to_string(z) + (z % 2 ? " R...." : " G....");
  for (int c : {0, 1, 2}) {  // the full column as it is, with a line on the floor, with its top cell empty
    SetField(s, column);
    if (c == 1) s.CubeArray(2, 1, 1) = s.CubeArray(3, 1, 1) = CellKind::Red;
    if (c == 2) s.CubeArray(1, 1, 10) = CellKind::Empty;
    Landed();
    const bool over = Resolve().GameOver;
    EXPECT_EQ(tuple(over, rules.IsFieldFull(), s.GameScore), tuple(c == 0, c == 0, c ? 3 : 0)) << c;
  }
  SetField(s, "z=1 R....");
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(13);
  Landed();
  EXPECT_THROW(rules.LandingStep(), std::invalid_argument);
  s.CubeArray(3, 3, 2) = static_cast<CellKind>(-1);
  EXPECT_THROW(rules.CountHeights(), std::invalid_argument);
  s.FieldSizeZ = 11;
  EXPECT_THROW(rules.CountHeights(), std::out_of_range);
}

TEST_F(Landing, FieldTurnsPastAMultipleOfFiftyAndANewLevelIsAnnouncedWithItsMusic) {
  auto removeAt = [&](int score, float previous) {
    SetField(s, "z=1 *....");
    rules.CountHeights();
    s.HeightArray(1, 1) = 1;
    s.MarkArray.Fill(0);
    s.GameScore = score;
    s.PreviousScoreStep = previous;
    s.MatchFlag = s.ClearFlag = true;
    s.LandFlag = false;
    return rules.LandingStep();
  };
  removeAt(52, 45 / 50.0f);
  EXPECT_EQ(tuple(Played(Effect::OkRotBuild), waves(Effect::OkRotBuild).Volume()), tuple(1, -1800));
  EXPECT_EQ(tuple(s.ScoreStep, s.PreviousScoreStep), tuple(0.0f, 0.0f));
  EXPECT_FALSE(shown[Display::FieldTurnShow]);
  removeAt(70, 10 / 50.0f);  // the remainder only grew: no turn
  EXPECT_EQ(Played(Effect::OkRotBuild), 1);
  EXPECT_FLOAT_EQ(s.PreviousScoreStep, 0.4f);
  s.GameLevel = s.GameScore = 0;
  sound.MusicNow.reset();
  const auto before = clock.Ticks();
  rules.LevelStep();
  EXPECT_GE(clock.Ticks() - before, 3000u);
  const Music track = s.LevelTable(1).MusicNo;
  EXPECT_EQ(tuple(s.GameLevel, shown[Display::LevelShow], sound.MusicNow, music(track).Looping(),
                  music(track).Volume()),
            tuple(1, false, std::optional(track), true, -800));
  EXPECT_TRUE(shown[Display::PieceShow] && shown[Display::PlayShow] && shown[Display::HudShow]);
  s.GameScore = 150;
  rules.LevelStep();
  EXPECT_EQ(tuple(s.GameLevel, music(track).Plays()), tuple(1, 1));
  s.GameScore = 200;
  rules.LevelStep();
  const Music next = s.LevelTable(2).MusicNo;
  EXPECT_EQ(tuple(s.GameLevel, music(track).Playing(), sound.MusicNow, music(next).Playing()),
            tuple(2, false, std::optional(next), true));
}

TEST_F(Specials, SpecialsClearTheirCubesOrRaiseTheirColumn) {
  // The field; after: the field once the cleared cubes are gone ("-": not checked); the special and where
  // it is; the cubes cleared; played: the effect's plays so far (checked with after).
  const tuple<const char*, const char*, CellKind, int, int, int, int, int, Effect> cases[] = {
      // All colours: its colour everywhere (three blues and itself); on a diamond, or the floor, only itself.
      {"z=1 B.R.. ..B.. ..... ....B z=2 5.... ..G..", "z=1 ..R.. ..G..", CellKind::FourColor, 1, 1, 2, 4, 1,
       Effect::SameColor},
      {"z=1 8.R.. ..B.. ..... ....B z=2 5.... ..G..", "-", CellKind::FourColor, 1, 1, 2, 1, 2,
       Effect::SameColor},
      {"z=1 5.B.. ..B..", "-", CellKind::FourColor, 1, 1, 1, 1, 3, Effect::SameColor},
      // Clear layer: (1..2, 1..2) of its layer, cut at the wall; (3, 1, 2) is outside.
      {"z=1 RGBY. GBYR. z=2 7RG.. BY... z=3 GY...", "z=1 RGBY. GBYR. z=2 GYG..", CellKind::ClearLayer, 1, 1,
       2, 4, 1, Effect::OkExpo},
      // Lightning: its whole column.
      {"z=1 ....R ..B.. z=2 ....G z=3 ....B z=4 ....Y z=5 ....R z=6 ....G z=7 ....9", "z=1 ..... ..B..",
       CellKind::Tund, 5, 1, 7, 7, 2, Effect::OkExpo},
  };
  for (const auto& [field, after, kind, x, y, z, cleared, played, effect] : cases) {
    SetField(s, field);
    Landed(kind, x, y, z);
    rules.LandingStep();
    const int before = s.GameScore;
    if (s.MatchFlag) rules.LandingStep();
    EXPECT_EQ(s.GameScore - before, cleared) << field;
    if (after[0] == '-') continue;
    EXPECT_EQ(tuple(Played(effect), Played(Effect::CubeCross)), tuple(played, 0)) << field;
    rules.LandingStep();
    EXPECT_EQ(FieldText(s), after) << field;
  }
  std::string column;
  for (int z = 1; z <= 7; ++z) column += " z=" + std::to_string(z) + (z % 2 ? " ..G.." : " ..B..");
  column += " z=8 ..6..";
  SetField(s, column);
  rules.CountHeights();
  Landed(CellKind::Stack, 3, 1, 8);
  Script({0.99f, 0.0f, 0.99f});  // one cube; it is red; the special becomes yellow
  const int drawn = random.Drawn();
  rules.CheckLanding();
  EXPECT_EQ(random.Drawn() - drawn, 3 + 6);  // then the next piece: a, b, shape, three cubes
  EXPECT_EQ(tuple(s.CubeArray(3, 1, 8), s.CubeArray(3, 1, 9), s.CubeArray(3, 1, 10)),
            tuple(CellKind::Yellow, CellKind::Red, CellKind::Empty));
  EXPECT_EQ(tuple(s.HeightArray(3, 1), s.MatchFlag), tuple(9, false));
  // On a lower column: up to 8 - h + 1 cubes, here 6, ending at 8.
  SetField(s, "z=1 R.... z=2 6....");
  rules.CountHeights();
  Landed(CellKind::Stack, 1, 1, 2);
  Script({0.99f, 0.3f, 0.6f, 0.3f, 0.6f, 0.3f, 0.6f, 0.3f});
  rules.CheckLanding();
  EXPECT_EQ(s.HeightArray(1, 1), 8);
  EXPECT_EQ(FieldText(s), "z=1 R.... z=2 G.... z=3 G.... z=4 B.... z=5 G.... z=6 B.... z=7 G.... z=8 B....");
}

TEST_F(Specials, LandingEffectsBurstSoundAndPauseAndParticlesDrawInFieldOrder) {
  const int sizes[] = {200, 200, 100, 66, 50};
  for (int kind = 1; kind <= 5; ++kind) {
    s.DeviceKind = kind;
    EXPECT_EQ(rules.BurstCount(200), sizes[kind - 1]) << kind;
  }
  s.DeviceKind = 3;  // halves every burst
  const tuple<CellKind, int, Effect, int, int> effects[] = {
      {CellKind::FourColor, 100, Effect::SameColor, -500, 1000},
      {CellKind::Stack, 50, Effect::Thund, -1100, 500},
      {CellKind::ClearLayer, 75, Effect::OkExpo, -300, 0},
      {CellKind::Tund, 50, Effect::OkExpo, -300, 0}};
  for (const auto& [kind, particles, effect, volume, pauseMs] : effects) {
    SetField(s, "z=1 R.... z=2 " + std::string(1, char('0' + Index(kind))) + "....");
    for (auto& w : waves) w.ClearCalls();
    Landed(kind, 1, 1, 2);
    shown.Show(Display::EffectShow, false);
    const auto before = clock.Ticks();
    rules.LandingStep();
    const auto waited = clock.Ticks() - before;
    SCOPED_TRACE(Index(kind));
    EXPECT_EQ(tuple(shown.EffectKind, shown[Display::EffectShow], shown.Stars.ParticleCount),
              tuple(kind, true, particles));
    EXPECT_EQ(waves(effect).Volume(), volume);
    EXPECT_TRUE(waited >= unsigned(pauseMs) && waited < unsigned(pauseMs) + 15u) << waited;
  }
  EXPECT_EQ(watch.kinds, (std::vector<CellKind>{CellKind::FourColor, CellKind::Stack, CellKind::ClearLayer,
                                                CellKind::Tund}));
  random.SetFallback(nullptr);
  // X: sign +, r .5; Y: r .5; Z: sign - (0.5 is not above 0.5), r .25; VY: r .5; Life: r .125.
  Script({0.9f, 0.5f, 0.5f, 0.5f, 0.25f, 0.5f, 0.125f});
  const ParticleBurst rise = rules.MakeParticleRise(1, 1, 7, 2, 10, 3, 4);
  const ParticleRec& p = rise.Particle(1);
  EXPECT_EQ(tuple(p.X, p.Y, p.Z, p.VX + p.VZ), tuple(6.0f, 1.5f, 1.0f, 0.0f));  // the Y argument is unused
  EXPECT_FLOAT_EQ(p.VY, 0.075f);
  EXPECT_EQ(tuple(p.Life, rise.ParticleCount, random.Remaining()),
            tuple(112, 1, 0u));  // 12.5 rounds to the even 12
  Script({0.9f, 0.1f, 0.1f, 0.2f, 0.9f, 0.4f, 0.1f, 0.2f, 0.9f, 0.6f, 0.375f});
  const ParticleRec blast = rules.MakeParticleBlast(1, 0, 5, 0, 1, 1, 1).Particle(1);
  const float got[] = {blast.X, blast.Y, blast.Z, blast.VX, blast.VZ},
              want[] = {0.1f, 4.8f, 0.4f, -0.07f, 0.21f};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << i;
  EXPECT_EQ(tuple(blast.Life, random.Remaining()), tuple(138, 0u));  // 37.5 rounds to 38
  Rng counted(1);
  random.SetFallback(&counted);
  int drawn = random.Drawn();
  const ParticleBurst drift = rules.MakeParticleDrift(3, 0, 0, 0, 1, 1, 1);
  EXPECT_EQ(random.Drawn() - drawn, 3 * 9);
  for (int i = 1; i <= 3; ++i)
    EXPECT_TRUE(drift.Particle(i).Life >= 100 && drift.Particle(i).Life <= 200 &&
                std::abs(drift.Particle(i).VY) < 0.1f)
        << i;
  drawn = random.Drawn();
  rules.MakeParticleBlast(2, 0, 0, 0, 1, 1, 1);
  EXPECT_EQ(random.Drawn() - drawn, 2 * 11);
  EXPECT_THROW(rules.MakeParticleRise(301, 0, 0, 0, 1, 1, 1), std::out_of_range);
}

TEST_F(Specials, ShowerDropsUpToTwoCubesPerRowAndTheFieldTurnEasesInFortyFrames) {
  // Columns (3, 3), (4, 3) and (5, 3) hold 8 cubes: nothing more goes there.
  std::string board;
  for (int z = 1; z <= 8; ++z)
    board +=
        " z=" + std::to_string(z) + " ..... ..... .." + (z % 2 ? "RGR" : "GRG") + (z == 1 ? " .Y..." : "");
  SetField(s, board);
  rules.CountHeights();
  random.SetFallback(nullptr);
  Script({
      0.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.5f,  // row 1: column 1 twice, the later colour (G) wins
      0.7f, 0.6f, 0.0f, 0.8f, 0.9f, 0.0f,  // row 2: B into column 2 (on the yellow), Y into column 5
      0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  // rows 3 to 5: the full columns
      0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  //
      0.5f, 0.0f, 0.0f, 0.5f, 0.0f, 0.0f,  //
  });
  rules.CubeShower();
  EXPECT_EQ(tuple(s.CubeArray(1, 1, 1), s.CubeArray(2, 4, 2), s.CubeArray(2, 5, 1)),
            tuple(CellKind::Green, CellKind::Blue, CellKind::Yellow));
  // Three cubes fell, none of them on the full columns; the heights wait for the landing that follows.
  EXPECT_EQ(tuple(std::ranges::count_if(s.CubeArray, IsCube), std::ranges::count_if(s.RainCube, IsCube),
                  Played(Effect::OkExCubeDown), watch.showered, s.HeightArray(1, 1), random.Remaining()),
            tuple(3 * 8 + 1 + 3, 0, 3, 3, 0, 0u));
  FrameLog log(s, shown);
  rules.SetFrameStep(&log, &clock);
  SetField(s, "z=1 RG... z=2 B....");
  rules.TurnField();
  ASSERT_EQ(log.angles.size(), 40u);
  EXPECT_FLOAT_EQ(log.angles.front(), 9.812f);
  EXPECT_EQ(std::ranges::adjacent_find(log.angles, std::greater_equal<>()), log.angles.end());  // rising
  EXPECT_EQ(tuple(log.angles[38] < 89.9f, log.angles[39], std::ranges::count(log.spinning, false)),
            tuple(true, 90.0f, 0));
  EXPECT_TRUE(!shown[Display::FieldSpinShow] && shown[Display::PlayShow]);
  // (x, y) goes to (y, 6 - x), as the piece turns; the heights follow.
  EXPECT_EQ(FieldText(s), "z=1 ..... ..... ..... G.... R.... z=2 ..... ..... ..... ..... B....");
  EXPECT_EQ(tuple(s.HeightArray(1, 5), s.HeightArray(1, 1)), tuple(2, 0));
  rules.TurnField();
  EXPECT_EQ(s.CubeArray(5, 5, 2), CellKind::Blue);  // two turns: (1, 1) to (5, 5)
  for (int i = 0; i < 2; ++i) rules.TurnField();
  EXPECT_EQ(FieldText(s), "z=1 RG... z=2 B....");
}
