// needs: quarnix_app_core quarnix_game quarnix_input quarnix_storage
// quarnix-tool sim: whole games played headless by the greedy bot at the
// keyboard through the real game loop on a virtual clock, with statistics and
// the game's invariants checked every pass and every frame.

#include <chrono>
#include <cstdint>
#include <iomanip>
#include <iostream>
#include <stdexcept>
#include <string>

#include "Command.h"
#include "app/LoopBotGame.h"
#include "app/PlayParts.h"

namespace quarnix::tool {
namespace {

std::int64_t ParseCount(const std::string& option, const std::string& text, std::int64_t min) {
  std::size_t used = 0;
  std::int64_t value = 0;
  try {
    value = std::stoll(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || text.empty() || value < min)
    throw std::invalid_argument(option + " needs a whole number of at least " + std::to_string(min) +
                                ", not '" + text + "'");
  return value;
}

int RunSim(const Args& args) {
  std::int64_t games = 100, seed = 1, maxPieces = 1000;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option != "--games" && option != "--seed" && option != "--max-pieces")
      throw std::invalid_argument("unknown option '" + option + "'");
    if (i + 1 >= args.size()) throw std::invalid_argument(option + " needs a value");
    const std::string& value = args[++i];
    if (option == "--games")
      games = ParseCount(option, value, 1);
    else if (option == "--seed")
      seed = ParseCount(option, value, 0);
    else
      maxPieces = ParseCount(option, value, 1);
  }

  SimStats total;
  std::int64_t frames = 0, virtualMs = 0;
  MemoryScoreStore scores;  // the bot's own table: a player's file is never touched
  const auto start = std::chrono::steady_clock::now();
  for (std::int64_t g = 0; g < games; ++g) {
    BotGameOptions options;
    // Each game and each bot gets its own stream, all fixed by the seed.
    options.GameSeed = static_cast<std::uint64_t>(seed) * 1000003u + static_cast<std::uint64_t>(g) * 2 + 1;
    options.BotSeed = options.GameSeed + 1;
    options.MaxPieces = static_cast<int>(maxPieces);
    const LoopGameResult game = PlayLoopBotGame(options, scores);
    total.Add(game.Stats);
    frames += game.Frames;
    virtualMs += game.VirtualMs;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::cout << "games: " << total.Games << "\n"
            << "pieces: " << total.Pieces << "\n"
            << "landings: " << total.Landings << "\n"
            << "clear_passes: " << total.ClearPasses << "\n"
            << "chain_passes: " << total.ChainPasses << "\n"
            << "cubes_cleared: " << total.CubesCleared << "\n"
            << "field_turns: " << total.FieldTurns << "\n"
            << "showers: " << total.Showers << "\n";
  for (int kind = 5; kind <= 9; ++kind)
    std::cout << "specials_" << kind << ": " << total.Specials[kind - 5] << "\n";
  std::cout << "max_level: " << total.MaxLevel << "\n"
            << "game_overs: " << total.GameOvers << "\n"
            << "invariant_violations: " << total.InvariantViolations << "\n"
            << "frames: " << frames << "\n"
            << "virtual_seconds: " << virtualMs / 1000 << "." << std::setw(3) << std::setfill('0')
            << virtualMs % 1000 << "\n"
            << "pieces_per_second: "
            << static_cast<std::int64_t>(seconds > 0 ? static_cast<double>(total.Pieces) / seconds : 0)
            << "\n";
  for (const auto& v : total.Violations) std::cerr << "violation: " << v << "\n";
  return total.InvariantViolations == 0 ? 0 : 1;
}

const RegisterCommand registered{{"sim",
                                  "[--games N] [--seed S] [--max-pieces P]: bot games at the keyboard "
                                  "through the game loop, with statistics",
                                  RunSim}};

}  // namespace
}  // namespace quarnix::tool
