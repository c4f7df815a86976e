// quarnix-tool COMMAND [ARGS...]: authoring and diagnostics for the game folder.

#include <algorithm>
#include <exception>
#include <iostream>

#include "Command.h"

namespace quarnix::tool {
std::vector<ToolCommand>& Commands() {
  static std::vector<ToolCommand> commands;
  return commands;
}
}  // namespace quarnix::tool

using namespace quarnix::tool;

static int Usage(std::ostream& out, int status) {
  std::vector<ToolCommand> sorted = Commands();
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  out << "usage: quarnix-tool COMMAND [ARGS...]\n\ncommands:\n";
  for (const auto& c : sorted) out << "  " << c.name << " " << c.usage << "\n";
  return status;
}

int main(int argc, char** argv) {
  if (argc < 2) return Usage(std::cerr, 2);
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return Usage(std::cout, 0);
  Args args(argv + 2, argv + argc);
  for (const auto& c : Commands()) {
    if (c.name != name) continue;
    try {
      return c.run(args);
    } catch (const std::exception& e) {
      std::cerr << "quarnix-tool " << name << ": " << e.what() << "\n";
      return 1;
    }
  }
  std::cerr << "quarnix-tool: unknown command '" << name << "'\n";
  return Usage(std::cerr, 2);
}
