#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "../storage/TempFolder.h"
#include "content/GameFolder.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::TempFolder;
using test::WriteText;

// Sets an environment variable (nullptr: unsets it) for one test.
struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};

// catches: an unset, empty or relative XDG_DATA_HOME taken as the records' folder.
TEST(UserRecordFolder, FollowsXdgDataHomeElseHome) {
  struct Case {
    const char *xdg, *home, *expected;
  };
  for (const Case& c : {Case{"/x/data", "/home/ann", "/x/data/quarnix"},
                        Case{nullptr, "/home/ann", "/home/ann/.local/share/quarnix"},
                        Case{"", "/home/ann", "/home/ann/.local/share/quarnix"},
                        Case{"relative/data", "/home/ann", "/home/ann/.local/share/quarnix"}}) {
    ScopedEnv xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
    EXPECT_EQ(UserRecordFolder(), fs::path(c.expected)) << (c.xdg ? c.xdg : "(unset)");
  }
}

class LocateGameTest : public ::testing::Test {
 protected:
  void Make(const std::string& folder) { fs::create_directories(root_ / folder); }
  fs::path At(const std::string& folder) const { return root_ / folder; }
  TempFolder root_;
  ScopedEnv xdg_{"XDG_DATA_HOME", (root_.Path() / "user").c_str()};
};

// catches: the wrong layout chosen (portable beside the program first, then the installed tree).
TEST_F(LocateGameTest, FindsDataBesideTheProgramOrInTheInstalledTree) {
  // "build/data": a data folder's name in another case
  for (const char* f : {"build/data", "usr/bin", "usr/share/quarnix/Data", "both/bin/Data",
                        "both/share/quarnix/Data", "none/bin"})
    Make(f);
  struct Case {
    const char* program;
    fs::path data, records;
  };
  const fs::path user = At("user/quarnix");
  for (const Case& c :
       {Case{"build", At("build"), At("build")}, Case{"usr/bin", At("usr/share/quarnix"), user},
        Case{"both/bin", At("both/bin"), At("both/bin")}, Case{"none/bin", At("none/bin"), At("none/bin")}}) {
    const GameLocation w = LocateGame(At(c.program));
    EXPECT_EQ(std::tuple(w.ProgramFolder, w.AppPath, w.RecordPath),
              std::tuple(At(c.program), c.data, c.records));
    EXPECT_EQ(FindDataFolder(At(c.program)), c.data) << c.program;
  }
}

// catches: records written into a read-only portable folder.
TEST_F(LocateGameTest, AReadOnlyPortableFolderKeepsNoRecords) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  Make("cd/Data");
  fs::permissions(At("cd"), fs::perms::owner_write, fs::perm_options::remove);
  const GameLocation where = LocateGame(At("cd"));
  fs::permissions(At("cd"), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(where.AppPath, At("cd"));
  EXPECT_EQ(where.RecordPath, At("user/quarnix"));
}

// catches: defaults copied over a player's file, or beside it under another spelling.
TEST_F(LocateGameTest, CopiesTheDefaultsOnceAndNeverOverAPlayersFile) {
  Make("share/Data");
  WriteText(At("share/CT.DAT"), "default keys");
  WriteText(At("share/RD.dat"), "empty table");
  const GameLocation where{At("bin"), At("share"), At("home/records")};

  PrepareRecords(where);
  EXPECT_EQ(ReadText(where.PathOf(FileRole::Controls)), "default keys");
  EXPECT_EQ(ReadText(where.PathOf(FileRole::Scores)), "empty table");

  WriteText(where.PathOf(FileRole::Scores), "the player's table");
  fs::remove(where.PathOf(FileRole::Controls));
  WriteText(At("home/records/ct.dat"), "the player's keys");  // their spelling of the name
  PrepareRecords(where);
  EXPECT_EQ(ReadText(where.PathOf(FileRole::Scores)), "the player's table");
  EXPECT_FALSE(fs::exists(where.PathOf(FileRole::Controls))) << "a second key file beside the player's";
  EXPECT_EQ(ReadText(At("share/CT.DAT")), "default keys");
  EXPECT_EQ(ReadText(At("share/RD.dat")), "empty table");
}

}  // namespace
}  // namespace quarnix
