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
    std::cout << Usage << quarnix::DemoUsage();
    return 0;
  }
  if (args[0] != "--demo") {
    std::cerr << Usage << quarnix::DemoUsage();
    return 2;
  }
  std::string error;
  const auto options = quarnix::ParseDemoOptions(std::span(args).subspan(1), error);
  if (!options) {
    std::cerr << "quarnix: " << error << '\n' << quarnix::DemoUsage();
    return 2;
  }
  try {
    return quarnix::RunDemo(*options);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: " << e.what() << '\n';
    return 1;
  }
}
