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

// catches: a bad XDG_DATA_HOME followed; the wrong layout; read-only records; a player's records replaced.
TEST(GameLocation, FindsTheFoldersAndCopiesTheDefaultRecordsOnceNeverOverAPlayersFile) {
  TempFolder root;
  const auto At = [&](const std::string& folder) { return root / folder; };
  ScopedEnv userData("XDG_DATA_HOME", At("user").c_str());
  for (auto [xdg, expected] : {std::pair<const char*, const char*>{"/x/data", "/x/data/quarnix"},
                               {nullptr, "/home/ann/.local/share/quarnix"},
                               {"", "/home/ann/.local/share/quarnix"},
                               {"relative/data", "/home/ann/.local/share/quarnix"}}) {
    ScopedEnv x("XDG_DATA_HOME", xdg), home("HOME", "/home/ann");
    EXPECT_EQ(UserRecordFolder(), fs::path(expected)) << (xdg ? xdg : "(unset)");
  }
  for (const char* f : {"build/data",  // a data folder's name in another case
                        "usr/bin", "usr/share/quarnix/Data", "both/bin/Data", "both/share/quarnix/Data",
                        "none/bin", "cd/Data"})
    fs::create_directories(At(f));
  const bool superuser = geteuid() == 0;  // root writes into read-only folders
  fs::permissions(At("cd"), fs::perms::owner_write, fs::perm_options::remove);
  const fs::path user = At("user/quarnix");
  for (auto [program, data, records] : {std::tuple{"build", At("build"), At("build")},
                                        {"usr/bin", At("usr/share/quarnix"), user},
                                        {"both/bin", At("both/bin"), At("both/bin")},
                                        {"none/bin", At("none/bin"), At("none/bin")},
                                        {"cd", At("cd"), user}}) {
    if (superuser && program == std::string("cd")) continue;
    const GameLocation w = LocateGame(At(program));
    EXPECT_EQ(std::tuple(w.ProgramFolder, w.AppPath, w.RecordPath), std::tuple(At(program), data, records));
    EXPECT_EQ(FindDataFolder(At(program)), data) << program;
  }
  fs::permissions(At("cd"), fs::perms::owner_write, fs::perm_options::add);
  fs::create_directories(At("share/Data"));
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
