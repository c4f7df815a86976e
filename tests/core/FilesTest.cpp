#include "core/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "../storage/TempFolder.h"

using namespace quarnix;
using quarnix::test::ReadText;
using quarnix::test::TempFolder;
using quarnix::test::WriteText;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Removes the fault hook however a test ends.
struct FaultHookGuard {
  explicit FaultHookGuard(WriteFaultHook hook) { previous = SetWriteFaultHook(std::move(hook)); }
  ~FaultHookGuard() { SetWriteFaultHook(std::move(previous)); }
  WriteFaultHook previous;
};

}  // namespace

TEST(FindFile, ExactElseCaseInsensitiveInEachFolderFirstInByteOrder) {
  TempFolder dir;
  fs::create_directory(dir / "Data");
  WriteText(dir / "Data" / "Cube1.CAR", "x");
  for (const char* name : {"rd.dat", "RD.DAT", "Rd.dat"}) WriteText(dir / name, name);

  EXPECT_EQ(FindFile(dir / "DATA" / "cube1.car"), dir / "Data" / "Cube1.CAR");
  EXPECT_EQ(FindFile(dir / "Rd.dat"), dir / "Rd.dat");
  EXPECT_EQ(FindFile(dir / "rD.dAt"), dir / "RD.DAT");  // "RD.DAT" < "Rd.dat" < "rd.dat"
  EXPECT_EQ(ResolveFile(dir / "rD.dAt"), dir / "RD.DAT");
  EXPECT_EQ(ResolveFile(dir / "new.dat"), dir / "new.dat");
  EXPECT_TRUE(FileExist(dir / "data" / "CUBE1.car"));
  for (const fs::path& missing : {dir / "CT.dat", dir / "RD.da", dir / "Nowhere" / "RD.dat", fs::path()})
    EXPECT_FALSE(FindFile(missing)) << missing;
  // A folder is not a file, under any case, nor a file a folder.
  EXPECT_FALSE(FileExist(dir / "Data"));
  EXPECT_FALSE(FileExist(dir / "data"));
  EXPECT_EQ(FindFolder(dir / "dAtA"), dir / "Data");
  EXPECT_FALSE(FindFolder(dir / "RD.DAT"));

  // The game names its files relative to the game folder, its current directory.
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  const auto scores = FindFile("RD.dat"), mesh = FindFile("data/cube1.car");
  fs::current_path(previous);
  EXPECT_EQ(scores, fs::path("RD.DAT"));
  EXPECT_EQ(mesh, fs::path("Data") / "Cube1.CAR");
}

TEST(ReadFileBytes, ReadsUpToTheLimitAndNamesTheFileOnFailure) {
  TempFolder dir;
  WriteText(dir / "a.bin", std::string("ab\0cd", 5));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin"), Bytes(std::string("ab\0cd", 5)));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 3), Bytes(std::string("ab\0", 3)));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 0), Bytes(""));
  try {
    ReadFileBytes(dir / "missing.bin");
    FAIL() << "no error for a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ReadFileBytes(dir.Path()), std::runtime_error);
}

TEST(ReadWholeFile, RefusesWhatIsNoRegularFileOrTooLongBeforeReadingIt) {
  TempFolder dir;
  WriteText(dir / "small", "12345");
  EXPECT_EQ(ReadWholeFile(dir / "small", 5, "a test file"), Bytes("12345"));
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  // A sparse file: refused by its length, not after a gigabyte was read.
  { std::ofstream(dir / "huge"); }
  fs::resize_file(dir / "huge", std::uintmax_t{1} << 30);
  fs::create_symlink("/dev/zero", dir / "zero");
  const struct {
    fs::path file;
    const char* says;
  } cases[] = {
      {dir / "small", "5 bytes, more than the 4 bytes a test file can be"},
      {dir / "huge", "1073741824 bytes, more than the 4 bytes"},
      {dir / "fifo", "is a fifo, not a regular file"},  // would block without a writer
      {dir / "zero", "is a character device"},          // would never end
      {dir.Path(), "is a folder"},
  };
  for (const auto& c : cases) {
    try {
      ReadWholeFile(c.file, 4, "a test file");
      ADD_FAILURE() << c.file << " was read";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.file.string()), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(WriteFileAtomic, CreatesAndReplacesKeepingThePermissionsAndNoTemporaryFiles) {
  TempFolder dir;
  WriteFileAtomic(dir / "f.dat", Bytes("first, longer content"));
  EXPECT_EQ(ReadText(dir / "f.dat"), "first, longer content");
  ASSERT_EQ(::chmod((dir / "f.dat").c_str(), 0640), 0);
  for (const char* text : {"second", ""}) {
    WriteFileAtomic(dir / "f.dat", Bytes(text));
    EXPECT_EQ(ReadText(dir / "f.dat"), text);
  }
  struct stat st {};
  ASSERT_EQ(::stat((dir / "f.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"f.dat"});
  EXPECT_THROW(WriteFileAtomic(dir / "no" / "f.dat", Bytes("x")), std::runtime_error);
}

TEST(WriteFileAtomic, AFailedSaveLeavesTheOldFileWhole) {
  for (WriteStage failAt : {WriteStage::PartWritten, WriteStage::Flushed}) {
    TempFolder dir;
    WriteText(dir / "f.dat", "the old content");
    fs::path seenTemporary;
    {
      FaultHookGuard guard([&](WriteStage stage, const fs::path& temporary) {
        if (stage != failAt) return;
        seenTemporary = temporary;
        // The bytes really are on their way into the temporary file, not the target.
        EXPECT_TRUE(fs::exists(temporary));
        EXPECT_EQ(temporary.parent_path(), dir.Path());
        throw std::runtime_error("disk full");
      });
      EXPECT_THROW(WriteFileAtomic(dir / "f.dat", Bytes("the new content that never lands")),
                   std::runtime_error);
    }
    EXPECT_FALSE(seenTemporary.empty());
    EXPECT_EQ(ReadText(dir / "f.dat"), "the old content");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"f.dat"});
  }
}

TEST(WriteFileAtomicDeathTest, AProcessKilledMidSaveLeavesTheOldFileWhole) {
  TempFolder dir;
  WriteText(dir / "f.dat", "the old content");
  EXPECT_EXIT(
      {
        SetWriteFaultHook([](WriteStage stage, const fs::path&) {
          if (stage == WriteStage::PartWritten) std::_Exit(9);
        });
        WriteFileAtomic(dir / "f.dat", Bytes("the new content that never lands"));
      },
      testing::ExitedWithCode(9), "");
  EXPECT_EQ(ReadText(dir / "f.dat"), "the old content");
  // The next save succeeds despite the leftover temporary file.
  WriteFileAtomic(dir / "f.dat", Bytes("saved"));
  EXPECT_EQ(ReadText(dir / "f.dat"), "saved");
}

TEST(WriteFileAtomic, WritesThroughLinksAndReplacesOnlyRegularFiles) {
  TempFolder dir;
  fs::create_directory(dir / "elsewhere");
  WriteText(dir / "elsewhere" / "RD.DAT", "old");
  fs::create_symlink(fs::path("elsewhere") / "RD.DAT", dir / "RD.DAT");
  WriteFileAtomic(dir / "RD.DAT", Bytes("new"));
  EXPECT_TRUE(fs::is_symlink(dir / "RD.DAT"));
  EXPECT_EQ(ReadText(dir / "elsewhere" / "RD.DAT"), "new");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"RD.DAT", "elsewhere"}));

  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir / "to-fifo");
  fs::create_directory(dir / "folder");
  for (const std::string name : {"fifo", "to-fifo", "folder"}) {
    try {
      WriteFileAtomic(dir / name, Bytes("x"));
      ADD_FAILURE() << name << " was replaced";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(name == "folder" ? "is a folder" : "is a fifo"), std::string::npos)
          << e.what();
    }
  }
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "fifo")));
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

TEST(WriteFileAtomic, RemovesTemporariesOfEndedSavesOfTheSameFileOnly) {
  TempFolder dir;
  const pid_t ended = ::fork();
  if (ended == 0) std::_Exit(0);
  ASSERT_GT(ended, 0);
  ::waitpid(ended, nullptr, 0);
  const std::string dead = std::to_string(ended), alive = std::to_string(::getppid());
  const std::vector<std::string> kept{".CT.DAT.tmp" + dead + "-0",   // another file's
                                      ".RD.DAT.tmp" + alive + "-3",  // a save still running
                                      ".RD.DAT.tmpx-1", "RD.DAT.tmp" + dead + "-1"};
  for (const auto& name : kept) WriteText(dir / name, "x");
  WriteText(dir / (".RD.DAT.tmp" + dead + "-0"), "left by a killed save");
  WriteText(dir / (".RD.DAT.tmp" + dead + "-17"), "and another");
  WriteFileAtomic(dir / "RD.DAT", Bytes("table"));
  std::vector<std::string> expected = kept;
  expected.push_back("RD.DAT");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir.Names(), expected);
}

TEST(MoveAside, NeverOverAnEarlierCopy) {
  TempFolder dir;
  for (const char* content : {"first", "second", "third"}) {
    WriteText(dir / "RD.DAT", content);
    MoveAside(dir / "RD.DAT", ".damaged");
  }
  EXPECT_EQ(ReadText(dir / "RD.DAT.damaged"), "first");
  EXPECT_EQ(ReadText(dir / "RD.DAT.damaged-2"), "second");
  EXPECT_EQ(ReadText(dir / "RD.DAT.damaged-3"), "third");
  EXPECT_THROW(MoveAside(dir / "RD.DAT", ".damaged"), std::runtime_error);
}
