#include "core/Files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

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
