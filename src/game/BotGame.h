#pragma once
// Whole games played headless by the greedy bot through the real rules and the
// real landing sequence, on a virtual clock, with the game's invariants checked
// after every pass. The simulator command, the whole-game tests and the
// benchmark run games through here.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "game/FrameStep.h"
#include "game/GameRules.h"
#include "game/GameState.h"

namespace quarnix {

struct SimStats {
  std::int64_t Games = 0;
  std::int64_t Pieces = 0;        // pieces the bot placed
  std::int64_t Landings = 0;      // pieces that came to rest and were searched
  std::int64_t ClearPasses = 0;   // passes that turned marked cubes into clearing cubes
  std::int64_t ChainPasses = 0;   // clear passes after the first of one landing
  std::int64_t CubesCleared = 0;  // clearing cubes seen in the field
  std::int64_t FieldTurns = 0;
  std::int64_t Showers = 0;
  std::array<std::int64_t, 5> Specials{};  // landings of the special kinds FourColor .. Tund
  int MaxLevel = 0;
  std::int64_t GameOvers = 0;
  std::int64_t InvariantViolations = 0;
  std::vector<std::string> Violations;  // the first few, for the report

  void Add(const SimStats& other);
};

// The rules a field must keep between passes. HeightsFresh: HeightArray was
// just recounted (it lags behind while a piece falls). Returns what is broken.
std::vector<std::string> CheckFieldInvariants(const GameState& state, bool HeightsFresh);

// Counts what a bot game does and checks the invariants after every landing
// step. The headless game below and the simulator's games through the game
// loop both report through it; it also watches the rules' field turns and showers.
class SimRecorder final : public IGameEvents {
 public:
  explicit SimRecorder(std::uint64_t GameSeed);
  // After the LandingStep of a pass; SpecialBefore is SpecialKind before it ran.
  void AfterLandingStep(const GameState& state, const LandingResult& step, CellKind SpecialBefore);
  void PiecePlaced() { ++stats_.Pieces; }
  void GameOver() { ++stats_.GameOvers; }
  // A check made elsewhere (per frame, at game end) that found something broken.
  void Report(const std::vector<std::string>& broken, const char* when);
  void OnFieldTurn() override { ++stats_.FieldTurns; }
  void OnCubeShower(int) override { ++stats_.Showers; }
  const SimStats& Stats() const { return stats_; }

 private:
  SimStats stats_;
  std::uint64_t gameSeed_;
};

struct BotGameOptions {
  std::uint64_t GameSeed = 1;  // the game's random source
  std::uint64_t BotSeed = 2;   // the bot's look-ahead source
  int MaxPieces = 1000;        // the game stops (without game over) after this many pieces
  int DeviceKind = 2;
};

// Plays one game from the start pause to game over or MaxPieces.
SimStats PlayBotGame(const BotGameOptions& options);

}  // namespace quarnix
