// Play's content loaded from a game folder on the null device, as the start of
// play and the demo load it.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "../storage/TempFolder.h"
#include "app/PlaySetup.h"
#include "platform/NullGraphics.h"
#include "presentation/BuiltinMeshData.h"
#include "toolkit/XFile.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;

TEST(PlaySetup, TheMeshesGetTheirBuiltInVerticesWhateverTheFilesHold) {
  test::TempFolder game;
  fs::copy(fs::path(QUARNIX_GAME_DIR) / "Data", game / "Data", fs::copy_options::recursive);
  // A cube whose file holds other vertices: every one a layer higher.
  const fs::path file = game / "Data" / "C05.CAR";
  XFileContent cube = LoadXFileContent(file);
  for (D3DVERTEX& v : cube.Mesh.Vertices) v.y += 1;
  SaveXFileMesh(file, cube.Mesh, XFileFormat::Binary);

  NullDevice device(640, 480);
  GameAssets assets(device);
  LoadPlayContent(assets, GameFolders::In(game.Path()));
  ASSERT_TRUE(assets.XCube(5).GetMeshVertex());
  const auto want = BuiltinVertices(CubeMeshNumber(5));
  EXPECT_TRUE(std::equal(want.begin(), want.end(), assets.XCube(5).Vertices().begin()));
}

}  // namespace
}  // namespace quarnix
