#pragma once
// Ending the program from deep inside a loader or a file reader (a damaged
// data file, a missing mesh). The end goes through a hook so that tests can
// observe it instead of losing the test process.

#include <functional>
#include <stdexcept>
#include <string>

namespace quarnix {

using EndHook = std::function<void(int exitCode)>;

// Installs a hook and returns the previous one. An empty hook restores the default (std::exit).
EndHook SetEndHook(EndHook hook);

// Ends the program through the hook. If the hook returns, ProgramEndRequested is
// thrown, so the caller never carries on after asking for the end.
[[noreturn]] void EndProgram(int exitCode);

struct ProgramEndRequested : std::runtime_error {
  explicit ProgramEndRequested(int code)
      : std::runtime_error("program end requested with code " + std::to_string(code)), exitCode(code) {}
  int exitCode;
};

// For tests: while alive, EndProgram throws ProgramEndRequested instead of exiting.
class ScopedEndHookThrows {
 public:
  ScopedEndHookThrows();
  ~ScopedEndHookThrows();
  ScopedEndHookThrows(const ScopedEndHookThrows&) = delete;
  ScopedEndHookThrows& operator=(const ScopedEndHookThrows&) = delete;

 private:
  EndHook previous_;
};

}  // namespace quarnix
