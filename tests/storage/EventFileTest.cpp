#include "storage/EventFile.h"

#include "StoreRig.h"

using namespace quarnix;
using namespace quarnix::test;

static int LogEnds(const std::filesystem::path& folder, std::string_view message) {
  return ExitCodeOf([&] { LogEvent(folder, message); });
}

TEST(LogEvent, TheFileHoldsExactlyTheLastMessageUnderItsOwnNameAndTheProgramEnds) {
  TempFolder dir;
  EXPECT_NE(EventExitCode, 0);
  EXPECT_EQ(LogEnds(dir.Path(), "Control File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Control File Reading Error.");
  // One character shorter: no stale "." of the earlier message may remain.
  EXPECT_EQ(LogEnds(dir.Path(), "Scores File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Scores File Reading Error.");
  // A file of another case is replaced, not joined by a second one.
  std::filesystem::rename(dir / "Event.dat", dir / "EVENT.DAT");
  LogEnds(dir.Path(), "Control File Reading Error.");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"EVENT.DAT"});
  EXPECT_EQ(ReadText(dir / "EVENT.DAT"), "Control File Reading Error.");
}

TEST(LogEvent, EndsEvenWhenTheFileCannotBeWritten) {
  TempFolder dir;
  WriteText(dir / "not-a-folder", "x");
  testing::internal::CaptureStderr();
  EXPECT_EQ(LogEnds(dir / "not-a-folder", "Control File Reading Error."), EventExitCode);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Control File Reading Error."), std::string::npos);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"not-a-folder"});
}
