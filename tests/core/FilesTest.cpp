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

TEST(FindFile, ExactOrCaseInsensitiveInEachFolder) {
  TempFolder dir;
  fs::create_directory(dir / "Data");
  WriteText(dir / "Data" / "Cube1.CAR", "x");
  WriteText(dir / "CT.dat", "x");

  EXPECT_EQ(FindFile(dir / "CT.dat"), dir / "CT.dat");
  EXPECT_EQ(FindFile(dir / "ct.DAT"), dir / "CT.dat");
  EXPECT_EQ(FindFile(dir / "DATA" / "cube1.car"), dir / "Data" / "Cube1.CAR");
  EXPECT_TRUE(FileExist(dir / "data" / "CUBE1.car"));

  EXPECT_FALSE(FindFile(dir / "RD.dat"));
  EXPECT_FALSE(FindFile(dir / "CT.da"));
  EXPECT_FALSE(FindFile(dir / "Nowhere" / "CT.dat"));
  EXPECT_FALSE(FindFile(fs::path()));
  // A folder is not a file, under any case.
  EXPECT_FALSE(FileExist(dir / "Data"));
  EXPECT_FALSE(FileExist(dir / "data"));
  EXPECT_EQ(FindFolder(dir / "dAtA"), dir / "Data");
  EXPECT_FALSE(FindFolder(dir / "CT.dat"));
}

TEST(FindFile, RelativeNamesAreFoundFromTheCurrentFolder) {
  // The game names its files relative to the game folder, its current directory.
  TempFolder dir;
  fs::create_directory(dir / "Wave");
  WriteText(dir / "Wave" / "Drop.WAV", "x");
  WriteText(dir / "RD.dat", "x");
  const fs::path previous = fs::current_path();
  fs::current_path(dir.Path());
  const auto scores = FindFile("rd.DAT");
  const auto wave = FindFile("wave/drop.wav");
  const bool missing = FileExist("CT.dat");
  fs::current_path(previous);
  EXPECT_EQ(scores, fs::path("RD.dat"));
  EXPECT_EQ(wave, fs::path("Wave") / "Drop.WAV");
  EXPECT_FALSE(missing);
}

TEST(FindFile, PrefersTheExactNameThenTheFirstInByteOrder) {
  TempFolder dir;
  for (const char* name : {"rd.dat", "RD.DAT", "Rd.dat"}) WriteText(dir / name, name);
  EXPECT_EQ(FindFile(dir / "Rd.dat"), dir / "Rd.dat");
  // "RD.DAT" < "Rd.dat" < "rd.dat" in byte order.
  EXPECT_EQ(FindFile(dir / "rD.dAt"), dir / "RD.DAT");
  EXPECT_EQ(ResolveFile(dir / "rD.dAt"), dir / "RD.DAT");
  EXPECT_EQ(ResolveFile(dir / "new.dat"), dir / "new.dat");
}

TEST(ReadFileBytes, ReadsUpToTheLimitAndNamesTheFileOnFailure) {
  TempFolder dir;
  WriteText(dir / "a.bin", std::string("ab\0cd", 5));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin"), Bytes(std::string("ab\0cd", 5)));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 3), Bytes("ab" + std::string(1, '\0')));
  EXPECT_EQ(ReadFileBytes(dir / "a.bin", 0), Bytes(""));

  try {
    ReadFileBytes(dir / "missing.bin");
    FAIL() << "no error for a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("missing.bin"), std::string::npos) << e.what();
  }
  EXPECT_THROW(ReadFileBytes(dir.Path()), std::runtime_error);
}

TEST(WriteFileAtomic, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
  TempFolder dir;
  WriteFileAtomic(dir / "f.dat", Bytes("first, longer content"));
  EXPECT_EQ(ReadText(dir / "f.dat"), "first, longer content");
  WriteFileAtomic(dir / "f.dat", Bytes("second"));
  EXPECT_EQ(ReadText(dir / "f.dat"), "second");
  WriteFileAtomic(dir / "f.dat", Bytes(""));
  EXPECT_EQ(ReadText(dir / "f.dat"), "");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"f.dat"});
}

TEST(WriteFileAtomic, KeepsThePermissionsOfTheReplacedFile) {
  TempFolder dir;
  WriteText(dir / "f.dat", "old");
  ASSERT_EQ(::chmod((dir / "f.dat").c_str(), 0640), 0);
  WriteFileAtomic(dir / "f.dat", Bytes("new"));
  struct stat st {};
  ASSERT_EQ(::stat((dir / "f.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
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

TEST(WriteFileAtomic, AMissingFolderIsAnError) {
  TempFolder dir;
  EXPECT_THROW(WriteFileAtomic(dir / "no" / "f.dat", Bytes("x")), std::runtime_error);
}
