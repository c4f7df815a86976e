// The 1-based arrays, the program-end hook, the random source and the file helpers.

#include <gmock/gmock.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>

#include "../storage/TempFolder.h"
#include "core/Files.h"
#include "core/FixedArray.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"

using namespace quarnix;
using namespace quarnix::test;
using namespace ::testing;
namespace fs = std::filesystem;

namespace {
std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }
}  // namespace

// catches: cells overlapping or off by one, no zeroing, Fill missing cells, no bounds check, a vague message.
TEST(FixedArray, CellsAreDistinctZeroedAndBoundsChecked) {
  FixedArray<int, 5, 5, 10> field;
  std::set<long> offsets;
  for (int x = 1; x <= 5; ++x)
    for (int y = 1; y <= 5; ++y)
      for (int z = 1; z <= 10; ++z) {
        EXPECT_EQ(field(x, y, z), 0);
        offsets.insert(&field(x, y, z) - &*field.begin());
      }
  EXPECT_TRUE(offsets.size() == 250u && *offsets.begin() == 0 && *offsets.rbegin() == 249);
  field.Fill(7);
  EXPECT_EQ(std::count(field.begin(), field.end(), 7), 250);
  for (auto [x, y] : {std::pair{0, 1}, {1, 6}, {6, 2}}) EXPECT_THROW(field(x, y, 1), std::out_of_range);
  EXPECT_THAT(([] { FixedArray<int, 5, 5>{}(6, 2); }),
              ThrowsMessage<std::out_of_range>("array index (6, 2) outside (1..5, 1..5)"));
}

// catches: a hook not called or given the wrong code, the caller running on, the default not exiting.
TEST(ProgramEnd, TheHookSeesTheCodeTheCallerNeverContinuesTheDefaultExits) {
  int seen = -1;
  EndHook previous = SetEndHook([&](int code) { seen = code; });
  try {
    EndProgram(3);
    ADD_FAILURE() << "continued after the end";
  } catch (const ProgramEndRequested& e) {
    EXPECT_EQ(e.exitCode, 3);
  }
  SetEndHook(std::move(previous));
  EXPECT_EQ(seen, 3);
  EXPECT_EXIT(EndProgram(4), testing::ExitedWithCode(4), "");
}

// catches: draws off the ends of the range, scripts running dry silently, seeds ignored, a skewed source.
TEST(Random, DrawsCoverTheRangeAndScriptsReportAnUnscriptedDraw) {
  ScriptedRandom r{0.0f, 0.9999999f, 0.5f, 0.25f};
  EXPECT_EQ(DrawOneTo(r, 13), 1);
  EXPECT_EQ(DrawOneTo(r, 13), 13);  // just below 1 must not round up to 14
  EXPECT_EQ(DrawBelow(r, 4), 2);
  EXPECT_EQ(r.Next(), 0.25f);
  EXPECT_THROW(r.Next(), std::logic_error);
  Rng fallback(1), a(7), b(7), c(8);
  r.SetFallback(&fallback);
  EXPECT_NO_THROW(r.Next());
  EXPECT_EQ(r.Drawn(), 6);
  bool differs = false;
  std::set<int> tenths;
  for (int i = 0; i < 10000; ++i) {
    const float x = a.Next();
    ASSERT_TRUE(x >= 0.0f && x < 1.0f) << x;
    ASSERT_EQ(x, b.Next());
    differs |= x != c.Next();
    tenths.insert(static_cast<int>(x * 10));
  }
  EXPECT_TRUE(differs && tenths.size() == 10u);
}

// catches: case-blind misses, a non-byte-order pick, folders as files, lost relative names, bad read limits.
TEST(FindFile, ExactElseCaseInsensitiveFirstInByteOrderAndReadsRefuseWhatIsNoRegularFileOrTooLong) {
  TempFolder dir;
  fs::create_directory(dir / "Data");
  WriteText(dir / "Data" / "Cube1.CAR", "x");
  for (const char* name : {"rd.dat", "RD.DAT", "Rd.dat"}) WriteText(dir / name, name);
  EXPECT_EQ(FindFile(dir / "DATA" / "cube1.car"), dir / "Data" / "Cube1.CAR");
  EXPECT_EQ(FindFile(dir / "Rd.dat"), dir / "Rd.dat");
  EXPECT_EQ(FindFile(dir / "rD.dAt"), dir / "RD.DAT");  // "RD.DAT" < "Rd.dat" < "rd.dat"
  EXPECT_TRUE(ResolveFile(dir / "rD.dAt") == dir / "RD.DAT" &&
              ResolveFile(dir / "new.dat") == dir / "new.dat");
  EXPECT_TRUE(FileExist(dir / "data" / "CUBE1.car"));
  for (const fs::path& missing : {dir / "CT.dat", dir / "RD.da", dir / "Nowhere" / "RD.dat", fs::path()})
    EXPECT_FALSE(FindFile(missing)) << missing;
  EXPECT_FALSE(FileExist(dir / "Data") || FileExist(dir / "data"));
  EXPECT_TRUE(FindFolder(dir / "dAtA") == dir / "Data" && !FindFolder(dir / "RD.DAT"));
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  const auto scores = FindFile("RD.dat"), mesh = FindFile("data/cube1.car");
  fs::current_path(previous);
  EXPECT_TRUE(scores == fs::path("RD.DAT") && mesh == fs::path("Data") / "Cube1.CAR");
  WriteText(dir / "a.bin", std::string("ab\0cd", 5));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin"), Bytes(std::string("ab\0cd", 5)));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 3), Bytes(std::string("ab\0", 3)));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 0), Bytes(""));
  EXPECT_THAT([&] { ReadFileBytes(dir / "missing.bin"); },
              ThrowsMessage<std::runtime_error>(HasSubstr("missing.bin")));
  EXPECT_THROW(ReadFileBytes(dir.Path()), std::runtime_error);
  WriteText(dir / "small", "12345");
  EXPECT_EQ(ReadWholeFile(dir / "small", 5, "a test file"), Bytes("12345"));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  { std::ofstream(dir / "huge"); }
  fs::resize_file(dir / "huge", std::uintmax_t{1} << 30);  // sparse: refused by its length, not once read
  fs::create_symlink("/dev/zero", dir / "zero");
  for (auto [file, says] : {std::pair{dir / "small", "5 bytes, more than the 4 bytes a test file can be"},
                            {dir / "huge", "1073741824 bytes, more than the 4 bytes"},
                            {dir / "fifo", "is a fifo, not a regular file"},  // would block without a writer
                            {dir / "zero", "is a character device"},          // would never end
                            {dir.Path(), "is a folder"}})
    EXPECT_THAT([&] { ReadWholeFile(file, 4, "a test file"); },
                ThrowsMessage<std::runtime_error>(AllOf(HasSubstr(file.string()), HasSubstr(says))));
}

// catches: partial writes, lost permissions, links/fifos/folders replaced, wrong temporaries, copies lost.
TEST(WriteFileAtomic, ReplacesRegularFilesOnlyKeepingPermissionsLinksAndTheOldFileWholeWhenASaveFails) {
  TempFolder dir;
  for (const char* text : {"first, longer content", "second", ""}) {
    WriteFileAtomic(dir / "f.dat", Bytes(text));
    EXPECT_EQ(ReadText(dir / "f.dat"), text);
    if (*text == 'f') ::chmod((dir / "f.dat").c_str(), 0640);
  }
  EXPECT_EQ(fs::status(dir / "f.dat").permissions(), fs::perms{0640});
  EXPECT_THROW(WriteFileAtomic(dir / "no" / "f.dat", Bytes("x")), std::runtime_error);
  fs::create_directory(dir / "elsewhere");
  WriteText(dir / "elsewhere" / "RD.DAT", "old");
  fs::create_symlink(fs::path("elsewhere") / "RD.DAT", dir / "RD.DAT");
  WriteFileAtomic(dir / "RD.DAT", Bytes("new"));
  EXPECT_TRUE(fs::is_symlink(dir / "RD.DAT") && ReadText(dir / "elsewhere" / "RD.DAT") == "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"RD.DAT", "elsewhere", "f.dat"}));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir / "to-fifo");
  fs::create_directory(dir / "folder");
  for (const std::string name : {"fifo", "to-fifo", "folder"})
    EXPECT_THAT([&] { WriteFileAtomic(dir / name, Bytes("x")); },
                ThrowsMessage<std::runtime_error>(HasSubstr(name == "folder" ? "is a folder" : "is a fifo")));
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "fifo")) && fs::is_directory(dir / "folder"));
  TempFolder saves;
  WriteText(saves / "f.dat", "the old content");
  for (WriteStage failAt : {WriteStage::PartWritten, WriteStage::Flushed}) {
    fs::path seenTemporary;
    WriteFaultHook previous = SetWriteFaultHook([&](WriteStage stage, const fs::path& temporary) {
      if (stage != failAt) return;
      seenTemporary = temporary;
      EXPECT_TRUE(fs::exists(temporary) && temporary.parent_path() == saves.Path());
      throw std::runtime_error("disk full");
    });
    EXPECT_THROW(WriteFileAtomic(saves / "f.dat", Bytes("the new content that never lands")),
                 std::runtime_error);
    SetWriteFaultHook(std::move(previous));
    EXPECT_TRUE(!seenTemporary.empty() && ReadText(saves / "f.dat") == "the old content");
    EXPECT_EQ(saves.Names(), std::vector<std::string>{"f.dat"});
  }
  EXPECT_EXIT(
      {
        SetWriteFaultHook([](WriteStage stage, const fs::path&) {
          if (stage == WriteStage::PartWritten) std::_Exit(9);
        });
        WriteFileAtomic(saves / "f.dat", Bytes("the new content that never lands"));
      },
      testing::ExitedWithCode(9), "");
  EXPECT_EQ(ReadText(saves / "f.dat"), "the old content");
  WriteFileAtomic(saves / "f.dat", Bytes("saved"));
  EXPECT_EQ(ReadText(saves / "f.dat"), "saved");
  const pid_t ended = ::fork();
  if (ended == 0) std::_Exit(0);
  ASSERT_GT(ended, 0);
  ::waitpid(ended, nullptr, 0);
  const std::string dead = std::to_string(ended), alive = std::to_string(::getppid());
  std::vector<std::string> kept{".CT.DAT.tmp" + dead + "-0",   // another file's
                                ".RD.DAT.tmp" + alive + "-3",  // a save still running
                                ".RD.DAT.tmpx-1", "RD.DAT.tmp" + dead + "-1"};
  for (const auto& name : kept) WriteText(saves / name, "x");
  for (const char* n : {"-0", "-17"}) WriteText(saves / (".RD.DAT.tmp" + dead + n), "left by a killed save");
  WriteFileAtomic(saves / "RD.DAT", Bytes("table"));
  kept.insert(kept.end(), {"RD.DAT", "f.dat"});
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(saves.Names(), kept);
  for (const char* content : {"first", "second", "third"}) {
    WriteText(saves / "RD.DAT", content);
    MoveAside(saves / "RD.DAT", ".damaged");
  }
  for (auto [suffix, content] : {std::pair{"", "first"}, {"-2", "second"}, {"-3", "third"}})
    EXPECT_EQ(ReadText(saves / ("RD.DAT.damaged" + std::string(suffix))), content);
  EXPECT_THROW(MoveAside(saves / "RD.DAT", ".damaged"), std::runtime_error);
}
