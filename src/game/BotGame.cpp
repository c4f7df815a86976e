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
  const CellKind maxKind = s.ClearFlag ? CellKind::CubeClear : CellKind::FallCube;
  // The whole table: cells outside the field's size must stay empty too.
  for (int x = 1; x <= MaxFieldX; ++x)
    for (int y = 1; y <= MaxFieldY; ++y) {
      int count = 0;
      bool emptyBelow = false;
      for (int z = 1; z <= MaxFieldZ; ++z) {
        const CellKind kind = s.CubeArray(x, y, z);
        if (kind < CellKind::Empty || kind > maxKind)
          broken.push_back("kind " + std::to_string(Index(kind)) + " at " + cell(x, y, z));
        if (!IsCube(kind)) {
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

int CountKind(const GameState& s, CellKind kind) {
  int n = 0;
  for (CellKind v : s.CubeArray) n += v == kind;
  return n;
}

}  // namespace

SimRecorder::SimRecorder(std::uint64_t GameSeed) : gameSeed_(GameSeed) { stats_.Games = 1; }

void SimRecorder::Report(const std::vector<std::string>& broken, const char* when) {
  for (const auto& b : broken) {
    ++stats_.InvariantViolations;
    if (stats_.Violations.size() < 10)
      stats_.Violations.push_back("game seed " + std::to_string(gameSeed_) + ", piece " +
                                  std::to_string(stats_.Pieces) + ", " + when + ": " + b);
  }
}

void SimRecorder::AfterLandingStep(const GameState& s, const LandingResult& step, CellKind special) {
  if (s.GameLevel > stats_.MaxLevel) stats_.MaxLevel = s.GameLevel;
  if (step.Checked && !step.Removed) {
    ++stats_.Landings;
    if (special >= CellKind::FourColor && special <= CellKind::Tund)
      ++stats_.Specials[static_cast<std::size_t>(Index(special) - Index(CellKind::FourColor))];
  }
  if (step.Marked) {
    ++stats_.ClearPasses;
    if (s.ChainCount > 1) ++stats_.ChainPasses;
    stats_.CubesCleared += CountKind(s, CellKind::CubeClear);
  }
  Report(CheckFieldInvariants(s, step.Checked), step.Marked ? "clear pass" : "landing pass");
  if (step.Removed && CountKind(s, CellKind::CubeClear) > 0)
    Report({"clearing cube left after removal"}, "removal");
  if (s.GameScore != stats_.CubesCleared)
    Report({"GameScore " + std::to_string(s.GameScore) + " but " + std::to_string(stats_.CubesCleared) +
            " cubes cleared"},
           "score");
}

SimStats PlayBotGame(const BotGameOptions& options) {
  auto state = std::make_unique<GameState>();
  GameState& s = *state;
  s.DeviceKind = options.DeviceKind;
  Rng random(options.GameSeed);
  SoundPlayer sound;  // no device: quiet, as a player without sound hears it
  GameRules rules(s, random, sound);
  VirtualClock clock;
  HeadlessFrameStep frame(rules, clock);
  SimRecorder recorder(options.GameSeed);
  rules.SetFrameStep(&frame, &clock);
  rules.SetEvents(&recorder);
  GreedyBot bot(options.BotSeed);

  // Start of a game, as the game loop runs it.
  rules.InitCubePos();
  rules.NewGame();
  sound.PlayWave(Effect::OkBuildMove, PlayFlag::Once, -200);
  rules.Pause(2000);
  s.LastDropTime = s.FrameTime = clock.Ticks();
  s.GameLevel = 0;  // the first pass announces level 1

  for (;;) {
    rules.LevelStep();
    const CellKind special = s.SpecialKind;
    const LandingResult step = rules.LandingStep();
    recorder.AfterLandingStep(s, step, special);
    if (step.GameOver) {
      recorder.GameOver();
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
      if (recorder.Stats().Pieces >= options.MaxPieces) break;
      recorder.PiecePlaced();
      GreedyBot::Apply(rules, bot.Choose(s));
      rules.PressDrop();
    }
    frame.FrameStep();
  }
  sound.StopMusicNow();
  return recorder.Stats();
}

}  // namespace quarnix
