#include "core/ProgramEnd.h"

#include <gtest/gtest.h>

using namespace quarnix;

TEST(ProgramEnd, HookSeesTheCodeAndTheCallerNeverContinues) {
  int seen = -1;
  EndHook previous = SetEndHook([&](int code) { seen = code; });
  bool continued = false;
  try {
    EndProgram(3);
    continued = true;
  } catch (const ProgramEndRequested& e) {
    EXPECT_EQ(e.exitCode, 3);
  }
  SetEndHook(std::move(previous));
  EXPECT_EQ(seen, 3);
  EXPECT_FALSE(continued);
}

TEST(ProgramEnd, ScopedHookThrowsAndRestores) {
  {
    ScopedEndHookThrows guard;
    EXPECT_THROW(EndProgram(1), ProgramEndRequested);
  }
  // The default hook (exit) is back: prove it in a child process.
  EXPECT_EXIT(EndProgram(4), testing::ExitedWithCode(4), "");
}
