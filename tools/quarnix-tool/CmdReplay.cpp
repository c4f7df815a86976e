// needs: quarnix_app_core quarnix_game quarnix_input quarnix_storage
// quarnix-tool replay info|verify FILE: a replay's header, or the replay
// played headless and its end held against the header.

#include <iostream>
#include <stdexcept>

#include "Command.h"
#include "app/GameRecording.h"
#include "app/Replay.h"

namespace quarnix::tool {
namespace {

int Run(const Args& args) {
  if (args.size() != 2 || (args[0] != "info" && args[0] != "verify"))
    throw std::invalid_argument("expected: replay info FILE | replay verify FILE");
  const Replay replay = ReadReplay(args[1]);
  if (args[0] == "info") {
    std::cout << DescribeReplay(replay);
    return 0;
  }
  ReplayOutcome o;
  try {
    o = PlayReplayHeadless(replay);
  } catch (const ReplayError& e) {
    throw ReplayError(args[1] + ": " + e.what());
  }
  std::cout << "score " << o.Score << ", bonus " << o.Bonus << ", level " << o.Level << ", " << o.Frames
            << " frames\n";
  if (!o.Mismatch.empty()) {
    std::cerr << "quarnix-tool replay: " << args[1]
              << ": the replay does not give its recorded game: " << o.Mismatch << '\n';
    return 1;
  }
  std::cout << "verified: score, bonus, level and well match the recording\n";
  return 0;
}

const RegisterCommand registered(
    {"replay", "info|verify FILE: show a replay's header, or play it headless and check its result", Run});

}  // namespace
}  // namespace quarnix::tool
