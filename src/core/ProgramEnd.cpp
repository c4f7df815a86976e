#include "core/ProgramEnd.h"

#include <cstdlib>

namespace quarnix {

namespace {
EndHook& Hook() {
  static EndHook hook;
  return hook;
}
}  // namespace

EndHook SetEndHook(EndHook hook) {
  EndHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

void EndProgram(int exitCode) {
  if (Hook()) {
    Hook()(exitCode);
  } else {
    std::exit(exitCode);
  }
  throw ProgramEndRequested(exitCode);
}

ScopedEndHookThrows::ScopedEndHookThrows() : previous_(SetEndHook([](int) {})) {}
ScopedEndHookThrows::~ScopedEndHookThrows() { SetEndHook(std::move(previous_)); }

}  // namespace quarnix
