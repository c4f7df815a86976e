#include "storage/Controls.h"
#include "storage/EventFile.h"

#include <algorithm>
#include <tuple>

#include "StoreRig.h"
#include "input/Keys.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

using ControlsImage = CodedArray<100>;
constexpr int BindingAt[] = {12, 23, 45, 51, 68, 79, 91};

GameKeys Keys7(std::initializer_list<int> codes) {
  GameKeys keys;
  std::ranges::copy(codes, keys.begin());
  return keys;
}
const GameKeys Wasd = Keys7({65, 68, 87, 83, 32, 81, 69});

struct ControlsTest : RecordFileTest<GameKeys, ReadControls> {
  ControlsTest() : RecordFileTest("CT.dat") {}
};

}  // namespace

TEST_F(ControlsTest, AMissingFileGivesTheDefaultsAnyCaseIsFoundAndASaveRefusedOrInterruptedKeepsTheOld) {
  const GameKeys defaults = Keys7({37, 39, 38, 40, 32, 90, 65});
  EXPECT_EQ(DefaultGameKeys(), defaults);
  EXPECT_EQ(Read(), defaults);
  const ControlsImage image = ReadImage<100>(file);
  for (int i = 1; i <= 7; ++i) EXPECT_EQ(DecodeChar(image(BindingAt[i - 1])), static_cast<char>(defaults(i)));
  EXPECT_EQ(Read(), defaults);
  EXPECT_FALSE(std::filesystem::exists(dir / "Event.dat"));
  std::filesystem::rename(file, dir / "ct.DAT");
  SaveControls(file, Wasd, random);
  EXPECT_EQ(Read(), Wasd);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ct.DAT"});
  std::filesystem::rename(dir / "ct.DAT", file);
  const std::string before = ReadText(file);
  for (const GameKeys& bad : {Keys7({112, 68, 87, 83, 32, 81, 69}), Keys7({65, 68, 87, 83, 32, 81, 65}),
                              Keys7({65, 68, 87, 83, 32, 81, 0}), Keys7({65, 68, 87, 83, 32, 81, 1000})}) {
    EXPECT_THROW(SaveControls(file, bad, random), std::invalid_argument);
    EXPECT_EQ(ReadText(file), before);
  }
  {
    WriteFault fault(WriteStage::PartWritten);
    EXPECT_THROW(SaveControls(file, DefaultGameKeys(), random), std::runtime_error);
  }
  EXPECT_EQ(Read(), Wasd);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"CT.dat"});
}

TEST_F(ControlsTest, BindingsComeBackTwoSavesDifferUnusableOnesGiveTheDefaultsAndOtherDamageEndsTheProgram) {
  const GameKeys keys = Keys7({8, 106, 96, 46, 48, 18, 111});  // BackSpace, NumPad *, NumPad 0, ...
  SaveControls(file, keys, random);
  const std::string first = ReadText(file);
  SaveControls(file, keys, random);
  EXPECT_NE(ReadText(file), first);
  EXPECT_EQ(Read(), keys);
  WriteText(file, first);
  EXPECT_EQ(Read(), keys);
  for (int i = 1; i <= 99; ++i)  // the filler between the bindings: codes 32..127
    EXPECT_TRUE(std::ranges::count(BindingAt, i) ||
                static_cast<signed char>(DecodeChar(ReadImage<100>(file)(i))) >= 32)
        << i;
  // Element 1: filler draw 0 (code 32), R draw; element 2: the largest filler draw (code 127), R = 0 again.
  Rng rest(3);
  ScriptedRandom scripted{0.0f, 0.0f, 0.99999994f, 0.0f};
  scripted.SetFallback(&rest);
  SaveControls(file, DefaultGameKeys(), scripted);
  const ControlsImage image = ReadImage<100>(file);
  EXPECT_EQ(std::tuple(scripted.Drawn(), image(1), DecodeChar(image(2)), image(2) % 10),
            std::tuple(2 * 100 + 7, 100010, '\x7f', 0));
  SaveControls(file, Wasd, random);
  const ControlsImage good = ReadImage<100>(file);
  auto coded = [&](int code) { return EncodeChar(std::string(1, static_cast<char>(code)), random); };
  const std::pair<int, std::int32_t> cases[] = {
      {1, 0},           // codes no character at all
      {3, coded(112)},  // F1: in the table, but has no name
      {5, coded(200)},  // outside the key table
      {7, coded(5)},    // outside the key table
      {2, coded(65)},   // the same key as binding 1
  };
  for (auto [binding, value] : cases) {
    SCOPED_TRACE(binding);
    ControlsImage bad = good;
    bad(BindingAt[binding - 1]) = value;
    bad(100) = CodedSum(bad, 99);
    WriteText(file, Text(bad));
    GameKeys keys = Keys7({1, 2, 3, 4, 5, 6, 7});
    EXPECT_FALSE(ReadEnds(keys));
    EXPECT_EQ(keys, DefaultGameKeys());
    SaveControls(file, keys, random);
    EXPECT_EQ(ReadText(dir / "CT.dat.damaged"), Text(bad));
    EXPECT_EQ(Read(), DefaultGameKeys());
    std::filesystem::remove(dir / "CT.dat.damaged");
  }
  SaveControls(file, DefaultGameKeys(), random);
  const std::string text = ReadText(file);
  for (const std::string& damaged : Damaged<100>(text, 1, {text + '\0', text + text})) {
    WriteText(file, damaged);
    WriteText(dir / "Event.dat", "an earlier, longer message that must not show through");
    GameKeys keys = Keys7({1, 2, 3, 4, 5, 6, 7});
    EXPECT_TRUE(ReadEnds(keys)) << damaged.size();
    EXPECT_EQ(ReadText(dir / "Event.dat"), "Control File Reading Error.");
    EXPECT_EQ(ReadText(file), damaged) << "the reader must not touch the damaged file";
  }
}

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
