// The start-up file check and the way play's set-up steps report errors.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>

#include "app/PlayParts.h"
#include "app/StartUp.h"
#include "core/ProgramEnd.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;

class CheckFilesTest : public ::testing::Test {
 protected:
  CheckFilesTest() {
    folder_ = fs::temp_directory_path() / ("quarnix-check-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    // The game folder as the build makes it: names in mixed case.
    for (const auto& name : RequiredFiles()) {
      std::string file = name.filename().string();
      std::transform(file.begin() + 1, file.end(), file.begin() + 1, ::tolower);
      const fs::path path = folder_ / name.parent_path() / file;
      fs::create_directories(path.parent_path());
      std::ofstream(path) << "x";
    }
  }
  ~CheckFilesTest() override { fs::remove_all(folder_); }
  GameLocation Here() const { return {folder_, folder_, folder_}; }
  void Remove(const std::string& name) {
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      std::string f = entry.path().filename().string();
      std::transform(f.begin(), f.end(), f.begin(), ::toupper);
      if (f == name) {
        fs::remove(entry.path());
        return;
      }
    }
    FAIL() << name << " not in the folder";
  }
  fs::path folder_;
};

TEST_F(CheckFilesTest, FindsNamesWhateverTheirCase) { EXPECT_TRUE(CheckFiles(Here()).empty()); }

TEST_F(CheckFilesTest, ReportsEveryMissingFile) {
  Remove("QUARNIX");
  Remove("C07.CAR");
  Remove("THUND.WAV");
  const auto missing = CheckFiles(Here());
  ASSERT_EQ(missing.size(), 3u);
  EXPECT_EQ(missing[0], folder_ / "quarnix");
  EXPECT_EQ(missing[1], folder_ / "Data/C07.CAR");
  EXPECT_EQ(missing[2], folder_ / "Wave/Thund.WAV");
}

// An installed game: the program, the data and the records in three folders.
TEST_F(CheckFilesTest, LooksForEachFileInTheFolderOfItsKind) {
  const GameLocation split{folder_ / "bin", folder_, folder_ / "records"};
  for (const fs::path& folder : {split.ProgramFolder, split.RecordPath}) fs::create_directory(folder);
  fs::rename(folder_ / "quarnix", split.ProgramFolder / "quarnix");
  fs::rename(folder_ / "Ct.dat", split.RecordPath / "Ct.dat");
  fs::rename(folder_ / "Rd.dat", split.RecordPath / "Rd.dat");
  EXPECT_TRUE(CheckFiles(split).empty());
  const auto missing = CheckFiles(Here());  // each file where the others are
  EXPECT_EQ(missing, (std::vector<fs::path>{folder_ / "quarnix", folder_ / "CT.dat", folder_ / "RD.dat"}));
}

TEST(RunStepTest, AnErrorIsReportedAndTheNextStepRuns) {
  std::ostringstream err;
  auto* old = std::cerr.rdbuf(err.rdbuf());
  int ran = 0;
  RunStep("textures", [] { throw std::runtime_error("no such bitmap"); });
  RunStep("sounds", [&] { ++ran; });
  std::cerr.rdbuf(old);
  EXPECT_EQ(ran, 1);
  EXPECT_NE(err.str().find("textures: no such bitmap"), std::string::npos);
}

TEST(RunStepTest, CloseAndEndRequestsPassThrough) {
  EXPECT_THROW(RunStep("menu", [] { throw QuitRequest(); }), QuitRequest);
  ScopedEndHookThrows ends;
  EXPECT_THROW(RunStep("scores", [] { EndProgram(3); }), ProgramEndRequested);
}

}  // namespace
}  // namespace quarnix
