// The quarnix executable. It runs from the game folder (meshes, screen images
// and sounds are found relative to it).

#include <exception>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/Demo.h"
#include "app/PlayDriver.h"

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
  if (args[0] != "--demo") {
    std::cerr << "usage: quarnix [--windowed]\n" << quarnix::DemoUsage();
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
