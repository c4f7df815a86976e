// How fast the rules resolve a landing, how long the bot takes per piece, and
// how many pieces per second whole bot games reach.

#include <benchmark/benchmark.h>

#include <memory>

#include "core/Random.h"
#include "game/BotGame.h"
#include "game/GameRules.h"
#include "game/GreedyBot.h"
#include "game/SoundPlayer.h"

using namespace quarnix;

namespace {

// A game part-way through: a few hundred pieces played by the bot.
std::unique_ptr<GameState> MidGame(int pieces) {
  auto state = std::make_unique<GameState>();
  Rng random(11);
  SoundPlayer sound;
  GameRules rules(*state, random, sound);
  GreedyBot bot(12);
  rules.InitCubePos();
  rules.NewGame();
  for (int i = 0; i < pieces; ++i) {
    rules.ResumeNormalPlay();
    GreedyBot::Apply(rules, bot.Choose(*state));
    rules.PressDrop();
    while (!state->LandFlag) rules.DropStep();
    bool over = false;
    do over = rules.LandingStep().GameOver;
    while (!over && (state->LandFlag || state->MatchFlag || state->ClearFlag));
    if (over) break;
  }
  return state;
}

// One landing with a two-pass chain, through the landing step (no frames).
void BM_LandingSequence(benchmark::State& st) {
  GameState state;
  Rng random(3);
  SoundPlayer sound;
  GameRules rules(state, random, sound);
  rules.InitLevelTable();
  rules.InitShapeTable();
  state.GameLevel = 1;
  rules.MakeNextCube(3);
  for (auto _ : st) {
    rules.ClearGameArrays(ArrayGroup::Field);
    // Red line on the floor under a green column piece: clears, sinks, clears again.
    state.CubeArray(1, 1, 1) = state.CubeArray(1, 2, 1) = CellKind::Red;
    state.CubeArray(1, 3, 1) = CellKind::Red;
    state.CubeArray(1, 1, 2) = state.CubeArray(2, 1, 1) = CellKind::Green;
    state.CubeArray(3, 1, 1) = CellKind::Green;
    state.CubeArray(4, 4, 1) = CellKind::Blue;
    state.LandFlag = true;
    state.MatchFlag = state.ClearFlag = false;
    state.SpecialKind = CellKind::Empty;
    state.ChainCount = 0;
    int passes = 0;
    do {
      rules.LandingStep();
      ++passes;
    } while (state.LandFlag || state.MatchFlag || state.ClearFlag);
    benchmark::DoNotOptimize(passes);
  }
}
BENCHMARK(BM_LandingSequence);

void BM_BotChoose(benchmark::State& st) {
  auto state = MidGame(static_cast<int>(st.range(0)));
  GreedyBot bot(5);
  int tried = 0;
  for (auto _ : st) {
    const Placement p = bot.Choose(*state);
    tried = p.Tried;
    benchmark::DoNotOptimize(p);
  }
  st.counters["placements"] = tried;
}
BENCHMARK(BM_BotChoose)->Arg(0)->Arg(200)->Arg(800);

// Whole games on the virtual clock, bot included: the simulator's speed.
void BM_BotGame(benchmark::State& st) {
  std::int64_t pieces = 0;
  std::uint64_t seed = 1;
  for (auto _ : st) {
    BotGameOptions options;
    options.GameSeed = seed++;
    options.BotSeed = seed++;
    options.MaxPieces = 300;
    pieces += PlayBotGame(options).Pieces;
  }
  st.counters["pieces_per_second"] =
      benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BotGame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
