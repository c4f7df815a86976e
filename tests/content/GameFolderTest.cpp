// The built game folder against the file table: every file the game reads is
// there, and its data folders hold nothing the table does not list.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

#include "content/GameFiles.h"
#include "core/Files.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

TEST(GameFolder, HoldsEveryListedFileAndNoOtherData) {
  const fs::path game = QUARNIX_GAME_DIR;
  std::set<std::string> listed;  // names are found without regard to case
  for (const GameFile& f : GameFiles) {
    EXPECT_TRUE(FindFile(game / f.Path())) << f.Path() << " is missing";
    listed.insert(Upper(f.Path().generic_string()));
  }
  EXPECT_EQ(listed.size(), std::size(GameFiles)) << "two rows name one file";
  for (std::string_view folder : {DataFolder, WaveFolder})
    for (const auto& e : fs::directory_iterator(game / folder)) {
      const fs::path file = fs::path(folder) / e.path().filename();
      EXPECT_TRUE(listed.count(Upper(file.generic_string()))) << file << " is not in the file table";
    }
}

}  // namespace
}  // namespace quarnix
