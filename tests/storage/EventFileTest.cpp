#include "storage/EventFile.h"

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "core/ProgramEnd.h"

using namespace quarnix;
using quarnix::test::ReadText;
using quarnix::test::TempFolder;
using quarnix::test::WriteText;

namespace {

int ExitCodeOf(const std::filesystem::path& folder, std::string_view message) {
  ScopedEndHookThrows hook;
  try {
    LogEvent(folder, message);
  } catch (const ProgramEndRequested& e) {
    return e.exitCode;
  }
  return -1;  // it returned
}

}  // namespace

TEST(LogEvent, TheFileHoldsExactlyTheLastMessageUnderItsOwnNameAndTheProgramEnds) {
  TempFolder dir;
  EXPECT_EQ(ExitCodeOf(dir.Path(), "Control File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Control File Reading Error.");
  // One character shorter: no stale "." of the earlier message may remain.
  EXPECT_EQ(ExitCodeOf(dir.Path(), "Scores File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Scores File Reading Error.");
  EXPECT_NE(EventExitCode, 0);
  // A file of another case is replaced, not joined by a second one.
  std::filesystem::rename(dir / "Event.dat", dir / "EVENT.DAT");
  ExitCodeOf(dir.Path(), "Control File Reading Error.");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"EVENT.DAT"});
  EXPECT_EQ(ReadText(dir / "EVENT.DAT"), "Control File Reading Error.");
}

TEST(LogEvent, EndsEvenWhenTheFileCannotBeWritten) {
  TempFolder dir;
  WriteText(dir / "not-a-folder", "x");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ExitCodeOf(dir / "not-a-folder", "Control File Reading Error."), EventExitCode);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Control File Reading Error."), std::string::npos);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"not-a-folder"});
}
