// needs: quarnix_storage quarnix_input quarnix_content
// quarnix-tool controls [FILE] [--set a,b,c,d,e,f,g]: shows or writes the key
// bindings. Without FILE: the player's own, where the game keeps them.

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>

#include "Command.h"
#include "PlayerRecords.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"
#include "input/Keys.h"
#include "storage/Controls.h"
#include "storage/EventFile.h"

namespace quarnix::tool {
namespace {

const char* const Meaning[] = {"shift left", "shift right", "shift up", "shift down",
                               "drop",       "turn",        "camera"};

GameKeys ParseBindings(const std::string& list) {
  GameKeys keys;
  std::size_t at = 0;
  for (int i = 1; i <= 7; ++i) {
    const std::size_t comma = list.find(',', at);
    const std::string item = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    int code = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), code);
    if (error != std::errc() || end != item.data() + item.size())
      throw std::invalid_argument("binding " + std::to_string(i) + ": '" + item + "' is not a key code");
    keys(i) = code;
    if ((comma == std::string::npos) != (i == 7))
      throw std::invalid_argument("seven key codes are needed, separated by commas");
    at = comma + 1;
  }
  return keys;
}

int Run(const Args& all) {
  const auto [named, args] = RecordFileArgument(all, "--set", FileRole::Controls);
  if (!args.empty() && !(args.size() == 2 && args[0] == "--set"))
    throw std::invalid_argument("usage: controls [FILE] [--set a,b,c,d,e,f,g]");
  const std::filesystem::path file = ResolveFile(named);
  Rng random(ClockSeed());
  GameKeys keys;
  if (!args.empty()) {
    keys = ParseBindings(args[1]);
    SaveControls(file, keys, random);  // refuses keys without a name, or one key twice
  } else {
    if (!FileExist(file)) throw std::runtime_error(file.string() + ": no such file");
    // A damaged file ends the game through the event file; here it is reported instead.
    ScopedEndHookThrows endHook;
    try {
      ReadControls(file, keys, random);
    } catch (const ProgramEndRequested&) {
      std::cerr << "quarnix-tool controls: " << file.string()
                << " is damaged: " << LastEvent(ResolveFile(file).parent_path()) << "\n";
      return 1;
    }
  }
  std::printf("controls file: %s\n", file.c_str());
  for (int i = 1; i <= 7; ++i)
    std::printf("%d  %-11s  %3d  %s\n", i, Meaning[i - 1], keys(i), KeyName(keys(i)).c_str());
  return 0;
}

const RegisterCommand registered({"controls",
                                  "[FILE] [--set a,b,c,d,e,f,g]: show or write the seven key bindings (the "
                                  "player's own without FILE)",
                                  Run});

}  // namespace
}  // namespace quarnix::tool
