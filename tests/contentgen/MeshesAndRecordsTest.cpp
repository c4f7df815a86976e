#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "../storage/TempFolder.h"
#include "content/GameFiles.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "core/Random.h"
#include "presentation/BuiltinMeshData.h"
#include "storage/Controls.h"
#include "storage/Scores.h"
#include "toolkit/XFile.h"

namespace fs = std::filesystem;
using namespace ::testing;

namespace quarnix {
namespace {

// Every file under Dir by its path relative to Dir.
std::map<std::string, std::string> Tree(const fs::path& Dir) {
  std::map<std::string, std::string> Files;
  for (const auto& e : fs::recursive_directory_iterator(Dir))
    if (e.is_regular_file()) Files[fs::relative(e.path(), Dir).string()] = test::ReadText(e.path());
  return Files;
}

// The 18 meshes: the game's file, the authoring name, the built-in mesh number (0: the marker).
using Stem = std::tuple<std::string, std::string, int>;
std::vector<Stem> Stems() {
  std::vector<Stem> s{{std::string(MeshFile(SelectAreaMesh).Stem()), std::string(SelectAreaFileStem), 0}};
  for (int n = 1; n <= BuiltinMeshCount; ++n)
    s.push_back({std::string(MeshFile(BuiltinMesh(n).File).Stem()), std::string(BuiltinMesh(n).FileStem), n});
  return s;
}

int Generate(const std::string& Args) {
  return std::system((std::string(QUARNIX_CONTENTGEN) + " " + Args + " 2>/dev/null").c_str());
}

// catches: a file the game reads missing, data the table does not list; meshes unlike the built-in ones.
TEST(GameFolder, HoldsEveryListedFileAndNoOtherDataAndMeshesReadBackWithTheBuiltInVertices) {
  const fs::path game = QUARNIX_GAME_DIR;
  std::set<fs::path> listed;  // as found, whatever the case of their names
  for (const GameFile& f : GameFiles) {
    const auto found = FindFile(game / f.Path());
    EXPECT_TRUE(found) << f.Path() << " is missing";
    if (found) listed.insert(*found);
  }
  EXPECT_EQ(listed.size(), std::size(GameFiles)) << "two rows name one file";
  for (std::string_view folder : {DataFolder, WaveFolder})
    for (const auto& e : fs::directory_iterator(game / folder))
      EXPECT_TRUE(listed.count(e.path())) << e.path() << " is not in the file table";
  for (const auto& [Resource, Authoring, Builtin] : Stems()) {
    SCOPED_TRACE(Resource);
    const XFileContent Content = LoadXFileContent(game / "Data" / (Resource + ".CAR"));
    const XMesh& m = Content.Mesh;
    ASSERT_EQ(std::tuple(Content.Header.FormatTag, Content.MeshCount, m.Materials.size()),
              std::tuple("bin ", 1, 1u));
    EXPECT_TRUE(m.Materials[0].TextureFileName.empty());
    EXPECT_THAT(m.Attributes, Each(0u));
    EXPECT_THAT(m.Vertices, ElementsAreArray(Builtin ? BuiltinVertices(Builtin) : SelectAreaVertices()));
    EXPECT_THAT(m.Indices, ElementsAreArray(Builtin ? BuiltinTriangles(Builtin) : SelectAreaTriangles()));
    const XMaterial& Mat = m.Materials[0];
    if (Builtin)  // white, so the picture shows its own colours
      EXPECT_EQ(Mat.Diffuse, (XColor{1, 1, 1, 1}));
    else  // the marker has no picture: it must shine by itself
      EXPECT_TRUE(Mat.Emissive.r + Mat.Emissive.g + Mat.Emissive.b > 1.5f && Mat.Diffuse.a == 1.0f);
  }
}

// catches: run-dependent output; misnamed authoring files; records unread, replaced, doubled; bad arguments.
TEST(Generated, RunsRepeatThemselvesNameAuthoringFilesKeepPlayersRecordsAndRefuseBadArguments) {
  test::TempFolder Tmp;
  const fs::path Root = Tmp.Path(), Fresh = Root / "fresh", Again = Root / "again", Player = Root / "player";
  for (const char* Out : {"a", "b"})
    ASSERT_EQ(Generate((Root / Out).string() + " --authoring " + (Root / Out / "authoring").string()), 0);
  auto A = Tree(Root / "a"), B = Tree(Root / "b");
  EXPECT_EQ(A.size(), 7u + 1u + 146u + 18u + 18u);  // sheets, pack, bitmaps, meshes twice; no records
  EXPECT_TRUE(A == B) << "the runs differ";
  for (const auto& [Resource, Authoring, Builtin] : Stems())
    EXPECT_EQ(A.at("Data/" + Resource + ".CAR"), A.at("authoring/" + Authoring + ".CAR")) << Authoring;
  for (const char* Name :
       {"CubeRed", "CubeYellow", "4Color", "2x2x2", "ClearLayer", "Diamond", "Tund", "FallCube", "CubeClear",
        "SpecialBox", "Buildplan1", "Buildplan7", "Star01", "Star30", "4A1", "4K4", "8A4"})
    EXPECT_EQ(A["authoring/" + std::string(Name) + ".BMP"].size(), 54u + 64 * 64 * 3) << Name;
  EXPECT_EQ(A["authoring/GREENBG.BMP"].size(), 54u + 256 * 256 * 3);
  EXPECT_FALSE(A.count("authoring/BG.BMP"));
  fs::create_directories(Fresh);
  ASSERT_EQ(Generate("--records " + Fresh.string()), 0);
  EXPECT_EQ(std::pair(fs::file_size(Fresh / "CT.dat"), fs::file_size(Fresh / "RD.dat")),
            std::pair(400ul, 2648ul));
  ScopedEndHookThrows NoExit;
  Rng Random(7);
  GameKeys Keys;
  ReadControls(Fresh / ControlsFileName, Keys, Random);
  EXPECT_EQ(Keys, DefaultGameKeys());
  ScoreBook Book;
  Book.ScoreList(1).Name = "SENTINEL";
  ReadScores(Fresh / ScoresFileName, Book, Random);
  for (int r = 1; r <= TableLength; ++r) EXPECT_EQ(Book.ScoreList(r), (ScoreRec{StoredName(""), 0, 0, r}));
  const auto Files = Tree(Fresh);
  EXPECT_EQ(Files.size(), 2u);  // no event message: the files were whole
  fs::create_directories(Again);
  ASSERT_EQ(Generate("--records " + Again.string()), 0);
  EXPECT_EQ(Tree(Again), Files);
  fs::create_directories(Player);  // the player's records under an older build's spelling
  EnterResult(Player / "RD.DAT", Book, "ALICE", 420, 7, Random);
  Keys(5) = 'X';
  SaveControls(Player / "CT.DAT", Keys, Random);
  const auto Before = Tree(Player);
  ASSERT_EQ(Before.size(), 2u);
  for (int Build = 0; Build < 2; ++Build) ASSERT_EQ(Generate("--records " + Player.string()), 0);
  EXPECT_EQ(Tree(Player), Before);
  fs::remove(Player / "RD.DAT");  // only the missing one is written
  ASSERT_EQ(Generate("--records " + Player.string()), 0);
  const auto After = Tree(Player);
  EXPECT_THAT(After, ElementsAre(Pair("CT.DAT", Before.at("CT.DAT")), Pair("RD.dat", Files.at("RD.dat"))));
  ASSERT_EQ(Generate("--records " + Player.string()), 0);
  EXPECT_EQ(Tree(Player), After);
  std::ofstream(Root / "file") << "x";
  for (const std::string& Args :
       {Root.string() + " --preview", Root.string() + " --colour red", std::string(),
        std::string("--records"), "--records " + Root.string() + " extra",
        "--records " + (Root / "file").string()})
    EXPECT_NE(Generate(Args), 0) << Args;
  EXPECT_EQ(test::ReadText(Root / "file"), "x");
}

}  // namespace
}  // namespace quarnix
