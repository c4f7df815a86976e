#include "game/BotGame.h"

#include <memory>

#include "core/Clock.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "game/GreedyBot.h"
#include "game/SoundPlayer.h"

namespace quarnix {

void SimStats::Add(const SimStats& o) {
  Games += o.Games;
  Pieces += o.Pieces;
  Landings += o.Landings;
  ClearPasses += o.ClearPasses;
  ChainPasses += o.ChainPasses;
  CubesCleared += o.CubesCleared;
  FieldTurns += o.FieldTurns;
  Showers += o.Showers;
  for (std::size_t i = 0; i < Specials.size(); ++i) Specials[i] += o.Specials[i];
  if (o.MaxLevel > MaxLevel) MaxLevel = o.MaxLevel;
  GameOvers += o.GameOvers;
  InvariantViolations += o.InvariantViolations;
  for (const auto& v : o.Violations)
    if (Violations.size() < 10) Violations.push_back(v);
}

std::vector<std::string> CheckFieldInvariants(const GameState& s, bool HeightsFresh) {
  std::vector<std::string> broken;
  auto cell = [](int x, int y, int z) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) + ")";
  };
  // Clearing cubes exist only while they are shown.
  const int maxKind = s.ClearFlag ? CellKind::CubeClear : CellKind::FallCube;
  // The whole table: cells outside the field's size must stay empty too.
  for (int x = 1; x <= MaxFieldX; ++x)
    for (int y = 1; y <= MaxFieldY; ++y) {
      int count = 0;
      bool emptyBelow = false;
      for (int z = 1; z <= MaxFieldZ; ++z) {
        const int kind = s.CubeArray(x, y, z);
        if (kind < 0 || kind > maxKind)
          broken.push_back("kind " + std::to_string(kind) + " at " + cell(x, y, z));
        if (kind == 0) {
          emptyBelow = true;
          continue;
        }
        if (emptyBelow) broken.push_back("gap below " + cell(x, y, z));
        if (x > s.FieldSizeX || y > s.FieldSizeY || z > s.FieldSizeZ)
          broken.push_back("cube outside the field at " + cell(x, y, z));
        ++count;
      }
      if (HeightsFresh && x <= s.FieldSizeX && y <= s.FieldSizeY && s.HeightArray(x, y) != count)
        broken.push_back("HeightArray(" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                         std::to_string(s.HeightArray(x, y)) + ", column holds " + std::to_string(count));
    }
  return broken;
}

namespace {

class Counter final : public IGameEvents {
 public:
  void OnFieldTurn() override { ++turns; }
  void OnCubeShower(int) override { ++showers; }
  std::int64_t turns = 0, showers = 0;
};

int CountKind(const GameState& s, int kind) {
  int n = 0;
  for (int v : s.CubeArray) n += v == kind;
  return n;
}

}  // namespace

SimStats PlayBotGame(const BotGameOptions& options) {
  SimStats stats;
  stats.Games = 1;
  auto state = std::make_unique<GameState>();
  GameState& s = *state;
  s.DeviceKind = options.DeviceKind;
  Rng random(options.GameSeed);
  SoundPlayer sound;  // no device: quiet, as a player without sound hears it
  GameRules rules(s, random, sound);
  VirtualClock clock;
  HeadlessFrameStep frame(rules, clock);
  Counter counter;
  rules.SetFrameStep(&frame, &clock);
  rules.SetEvents(&counter);
  GreedyBot bot(options.BotSeed);

  auto report = [&](std::vector<std::string> broken, const char* when) {
    for (auto& b : broken) {
      ++stats.InvariantViolations;
      if (stats.Violations.size() < 10)
        stats.Violations.push_back("game seed " + std::to_string(options.GameSeed) + ", piece " +
                                   std::to_string(stats.Pieces) + ", " + when + ": " + b);
    }
  };

  // Start of a game, as the game loop runs it.
  rules.InitCubePos();
  rules.NewGame();
  sound.PlayWave(Effect::OkBuildMove, 0, -200);
  rules.Pause(2000);
  s.LastDropTime = s.FrameTime = clock.Ticks();
  s.GameLevel = 0;  // the first pass announces level 1

  for (;;) {
    rules.LevelStep();
    if (s.GameLevel > stats.MaxLevel) stats.MaxLevel = s.GameLevel;

    const int special = s.SpecialKind;
    const LandingResult step = rules.LandingStep();
    if (step.Checked && !step.Removed) {
      ++stats.Landings;
      if (special >= CellKind::FourColor && special <= CellKind::Tund) ++stats.Specials[special - 5];
    }
    if (step.Marked) {
      ++stats.ClearPasses;
      if (s.ChainCount > 1) ++stats.ChainPasses;
      stats.CubesCleared += CountKind(s, CellKind::CubeClear);
    }
    report(CheckFieldInvariants(s, step.Checked), step.Marked ? "clear pass" : "landing pass");
    if (step.Removed && CountKind(s, CellKind::CubeClear) > 0)
      report({"clearing cube left after removal"}, "removal");
    if (s.GameScore != stats.CubesCleared)
      report({"GameScore " + std::to_string(s.GameScore) + " but " + std::to_string(stats.CubesCleared) +
              " cubes cleared"},
             "score");
    if (step.GameOver) {
      ++stats.GameOvers;
      break;
    }

    const bool landing = s.LandFlag || s.MatchFlag || s.ClearFlag;
    if (s.DropFlag) {
      if (!landing) s.DropInterval = 0;  // a drop step every frame
      frame.FrameStep();
      continue;
    }
    if (!landing) {
      rules.ResumeNormalPlay();
      if (stats.Pieces >= options.MaxPieces) break;
      ++stats.Pieces;
      GreedyBot::Apply(rules, bot.Choose(s));
      rules.PressDrop();
    }
    frame.FrameStep();
  }
  if (sound.MusicNow >= 1) sound.StopMusic(sound.MusicNow);
  stats.FieldTurns = counter.turns;
  stats.Showers = counter.showers;
  return stats;
}

}  // namespace quarnix
