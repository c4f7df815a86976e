#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "content/GameFiles.h"
#include "core/Files.h"

namespace quarnix {
namespace {

// catches: a file the game reads missing from the build, or data the table does not list.
TEST(GameFolder, HoldsEveryListedFileAndNoOtherData) {
  const std::filesystem::path game = QUARNIX_GAME_DIR;
  std::set<std::filesystem::path> listed;  // as found, whatever the case of their names
  for (const GameFile& f : GameFiles) {
    const auto found = FindFile(game / f.Path());
    EXPECT_TRUE(found) << f.Path() << " is missing";
    if (found) listed.insert(*found);
  }
  EXPECT_EQ(listed.size(), std::size(GameFiles)) << "two rows name one file";
  for (std::string_view folder : {DataFolder, WaveFolder})
    for (const auto& e : std::filesystem::directory_iterator(game / folder))
      EXPECT_TRUE(listed.count(e.path())) << e.path() << " is not in the file table";
}

}  // namespace
}  // namespace quarnix
