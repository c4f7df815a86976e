#include "storage/EventFile.h"

#include "StoreRig.h"

using namespace quarnix;
using namespace quarnix::test;

TEST(LogEvent, TheFileHoldsExactlyTheLastMessageUnderItsOwnNameAndTheProgramEndsEvenWithoutIt) {
  TempFolder dir;
  auto logEnds = [](const std::filesystem::path& folder, std::string_view message) {
    return ExitCodeOf([&] { LogEvent(folder, message); });
  };
  EXPECT_NE(EventExitCode, 0);
  EXPECT_EQ(logEnds(dir.Path(), "Control File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Control File Reading Error.");
  // One character shorter: no stale "." of the earlier message may remain.
  EXPECT_EQ(logEnds(dir.Path(), "Scores File Reading Error."), EventExitCode);
  EXPECT_EQ(ReadText(dir / "Event.dat"), "Scores File Reading Error.");
  // A file of another case is replaced, not joined by a second one.
  std::filesystem::rename(dir / "Event.dat", dir / "EVENT.DAT");
  logEnds(dir.Path(), "Control File Reading Error.");
  EXPECT_EQ(std::pair(dir.Names(), ReadText(dir / "EVENT.DAT")),
            std::pair(std::vector<std::string>{"EVENT.DAT"}, std::string("Control File Reading Error.")));
  // Where the file cannot be written the message goes to stderr.
  testing::internal::CaptureStderr();
  EXPECT_EQ(logEnds(dir / "EVENT.DAT", "Scores File Reading Error."), EventExitCode);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Scores File Reading Error."), std::string::npos);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"EVENT.DAT"});
}
