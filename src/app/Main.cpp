// The quarnix executable. It finds its meshes, screen images and sounds from
// where it lies, whatever the working directory (content/GameFolder.h).

#include <exception>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/Demo.h"
#include "app/PlayDriver.h"

namespace {
constexpr const char* Usage =
    "usage: quarnix [--windowed]\n"
    "  The start dialog, then the game full screen (--windowed: in a window).\n";
}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || (args.size() == 1 && args[0] == "--windowed")) {
    try {
      return quarnix::RunStartGame(quarnix::StartOptions{!args.empty()});
    } catch (const std::exception& e) {
      std::cerr << "quarnix: " << e.what() << '\n';
      return 1;
    }
  }
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << Usage << quarnix::DemoUsage() << quarnix::ReplayUsage();
    return 0;
  }
  const bool replay = args[0] == "--replay";
  if ((args[0] != "--demo" && !replay) || (replay && args.size() < 2)) {
    std::cerr << Usage << quarnix::DemoUsage() << quarnix::ReplayUsage();
    return 2;
  }
  std::string error;
  const auto options = quarnix::ParseDemoOptions(std::span(args).subspan(replay ? 2 : 1), error);
  if (options && replay) {
    // The recording decides the game: the bot's options have no say in it.
    for (std::size_t i = 2; i < args.size(); ++i)
      if (args[i] == "--seed" || args[i] == "--pieces" || args[i] == "--record")
        error = args[i] + " is no option of --replay";
  } else if (options && options->Speed != 1) {
    error = "--speed is an option of --replay";
  }
  if (!options || !error.empty()) {
    std::cerr << "quarnix: " << error << '\n' << (replay ? quarnix::ReplayUsage() : quarnix::DemoUsage());
    return 2;
  }
  try {
    return replay ? quarnix::RunReplay(*options, args[1]) : quarnix::RunDemo(*options);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: " << e.what() << '\n';
    return 1;
  }
}
