#pragma once
// Subcommands of quarnix-tool register themselves with a static RegisterCommand.

#include <string>
#include <vector>

namespace quarnix::tool {

using Args = std::vector<std::string>;

struct ToolCommand {
  std::string name;
  std::string usage;  // one line: arguments and what it does
  int (*run)(const Args& args);
};

std::vector<ToolCommand>& Commands();

struct RegisterCommand {
  explicit RegisterCommand(ToolCommand command) { Commands().push_back(std::move(command)); }
};

}  // namespace quarnix::tool
