// The built-in vertices written over the loaded meshes, the mesh-source text,
// clearing the meshes and saving them as the files the game loads.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "AssetsTestUtil.h"
#include "core/Files.h"
#include "platform/NullGraphics.h"
#include "presentation/BuiltinMeshData.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/GameAssets.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using Vertices = std::vector<D3DVERTEX>;

// The vertices the object's mesh holds now (not its editable copy).
Vertices MeshVertices(XObject& x) {
  EXPECT_TRUE(x.GetMeshVertex());
  return {x.Vertices().begin(), x.Vertices().begin() + x.NumVertices()};
}
Vertices Builtin(int n) {
  const auto v = BuiltinVertices(n);
  return {v.begin(), v.end()};
}
Vertices Head(Vertices v, std::size_t n) {
  v.resize(std::min(v.size(), n));
  return v;
}

// A mesh of one vertex (and one degenerate triangle), for the export's exact lines.
fs::path OneVertexMesh(const fs::path& path, const D3DVERTEX& v) {
  XMesh m = test::SquareMesh();
  m.Vertices = {v};
  m.Indices = {0, 0, 0};
  m.Attributes = {0};
  return test::WriteMesh(path, m);
}

// The text's lines, each of which must end in CR LF.
std::vector<std::string> Lines(const fs::path& file) {
  const auto bytes = ReadFileBytes(file);
  const std::string text(bytes.begin(), bytes.end());
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(end == std::string::npos ? text.substr(start) + "<no CR LF>"
                                             : text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

class BuiltinMeshes : public ::testing::Test {
 protected:
  BuiltinMeshes() { RegisterEmbeddedBitmaps(resources_); }
  void LoadGame(GameAssets& a, const fs::path& dir = test::GameDir()) {
    LoadResourceAssets(a, GameFolders::In(dir));
  }

  NullDevice device_{640, 480};
  BitmapResources resources_;
};

TEST_F(BuiltinMeshes, BuildWritesEveryMeshsBuiltInVerticesAndResetClearsThemButNotTheMarker) {
  GameAssets a(device_, resources_);
  LoadGame(a);
  XObject* objects[17] = {&a.XBuildPlan, &a.XBackGround};
  for (int k = 1; k <= 12; ++k) objects[k + 1] = &a.XCube(k);
  for (int s = 1; s <= 3; ++s) objects[s + 13] = &a.XStar(s);
  const Vertices marker = MeshVertices(a.XSelectArea);
  BuildMeshes(a);
  for (int n = 1; n <= 17; ++n) {
    EXPECT_EQ(&BuiltinMeshObject(a, n), objects[n - 1]) << n;
    EXPECT_EQ(Head(MeshVertices(*objects[n - 1]), Builtin(n).size()), Builtin(n)) << BuiltinMesh(n).Object;
  }
  EXPECT_EQ(MeshVertices(a.XSelectArea), marker);
  ResetAllMeshes(a);
  for (int n = 1; n <= 17; ++n) {
    const Vertices v = MeshVertices(*objects[n - 1]);
    EXPECT_EQ(v, Vertices(v.size(), D3DVERTEX{})) << n;
  }
  EXPECT_EQ(MeshVertices(a.XSelectArea), marker);
}

TEST_F(BuiltinMeshes, AMeshTooSmallForItsShapeIsRefusedBeforeAnythingChanges) {
  test::TempFolder folder;
  GameAssets a(device_, resources_);
  LoadGame(a);
  a.XBuildPlan.ResetMesh();
  a.XBuildPlan.SetMeshVertex();  // all zero: BuildMeshes would change it
  // 23 vertices where 24 are built in: one short, which the spare record of
  // the vertex copy would otherwise take.
  XMesh small = test::CubeMesh();
  small.Vertices.resize(23);
  for (auto& i : small.Indices) i = std::min(i, 22u);
  a.XCube(10).LoadXFile(test::WriteMesh(folder / "small.x", small), 0, "", 0, 0, 1);
  try {
    BuildMeshes(a);
    FAIL() << "a short mesh was written";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("XCube(10)"), std::string::npos) << e.what();
  }
  const Vertices plan = MeshVertices(a.XBuildPlan);
  EXPECT_EQ(plan, Vertices(plan.size(), D3DVERTEX{}));
}

TEST_F(BuiltinMeshes, ExportPrintsEachVertexAsStatementsInTheFixedOrder) {
  test::TempFolder folder;
  GameAssets a(device_, resources_);
  const fs::path one = OneVertexMesh(folder / "one.x", {1, 2, 3, 0, 1, 0, 0.5f, 0.25f});
  a.XBuildPlan.LoadXFile(one, 0, "", 0, 0, 1);
  a.XCube(1).LoadXFile(OneVertexMesh(folder / "neg.x", {-1.5f, 0, 12345.5f, 0, 0, -1, 1, 0.125f}), 0, "", 0,
                       0, 1);
  a.XStar(3).LoadXFile(one, 0, "", 0, 0, 1);
  a.XSelectArea.LoadXFile(OneVertexMesh(folder / "sel.x", {7, 7, 7, 0, 1, 0, 0, 0}), 0, "", 0, 0, 1);
  // The export prints the editable copy: fill it from the meshes.
  for (XObject* x : {&a.XBuildPlan, &a.XCube(1), &a.XStar(3), &a.XSelectArea}) x->GetMeshVertex();

  // An older file is replaced, not appended to.
  WriteFileAtomic(folder / "ObjMeshProgramText.txt", std::vector<std::uint8_t>(5000, 'x'));
  ExportMeshSource(a, folder.Path());
  std::vector<std::string> want = {
      "Dim vv as D3DVERTEX",
      "vv.nx=0000.00000000 : vv.ny=0001.00000000 : vv.nz=0000.00000000 : vv.tu=0000.50000000 : "
      "vv.tv=0000.25000000 : vv.x=0001.00000000 : vv.y=0002.00000000 : vv.z=0003.00000000",
      "Call XBuildPlan.Set1MeshVertexValue( 0,vv)",
      "XBuildPlan.SetMeshVertex",
      "XBackGround.SetMeshVertex",  // no vertices: the closing line only
      "vv.nx=0000.00000000 : vv.ny=0000.00000000 : vv.nz=-0001.00000000 : vv.tu=0001.00000000 : "
      "vv.tv=0000.12500000 : vv.x=-0001.50000000 : vv.y=0000.00000000 : vv.z=12345.50000000",
      "Call XCube( 1).Set1MeshVertexValue( 0,vv)",
      "XCube( 1).SetMeshVertex"};
  for (int k = 2; k <= 12; ++k) want.push_back("XCube( " + std::to_string(k) + ").SetMeshVertex");
  want.insert(want.end(), {"XStar( 1).SetMeshVertex", "XStar( 2).SetMeshVertex", want[1],
                           "Call XStar( 3).Set1MeshVertexValue( 0,vv)", "XStar( 3).SetMeshVertex"});
  EXPECT_EQ(Lines(folder / "ObjMeshProgramText.txt"), want);
  EXPECT_THROW(ExportMeshSource(a, folder / "no such folder"), std::runtime_error);

  // Numbers read back as the same single; indices padded for positives only.
  for (float v : {-1.005556f, 0.002381f, -2.00873f, 86.6f, 1.270517f, -20.0f})
    EXPECT_EQ(std::stof(MeshSourceNumber(v)), v) << MeshSourceNumber(v);
  EXPECT_EQ(MeshSourceNumber(-20.0f), "-0020.00000000");
  EXPECT_EQ(MeshSourceIndex(12) + MeshSourceIndex(-3), " 12-3");
}

TEST_F(BuiltinMeshes, SavedMeshFilesLoadBackThroughTheResourceRoute) {
  test::TempFolder game;
  fs::create_directories(game / "Data");
  // An upper-case file is replaced, not joined by a second spelling.
  WriteFileAtomic(game / "Data" / "C05.CAR", std::vector<std::uint8_t>{'x'});
  GameAssets a(device_, resources_);
  LoadGame(a);
  BuildMeshes(a);
  a.XCube(5).Set1MeshVertexValue(3, {9, 8, 7, 0, 1, 0, 0.5f, 0.5f});
  a.XCube(5).SetMeshVertex();
  SaveCarFiles(a, game / "Data");

  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(game / "Data")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  const std::vector<std::string> want = {"C01.car", "C02.car", "C03.car", "C04.car", "C05.CAR", "C06.car",
                                         "C07.car", "C08.car", "C09.car", "C10.car", "C11.car", "C12.car",
                                         "M1.car",  "M2.car",  "M3.car",  "S1.car",  "S2.car",  "S3.car"};
  EXPECT_EQ(names, want);

  GameAssets b(device_, resources_);
  LoadGame(b, game.Path());  // no BuildMeshes: the files' own vertices
  for (int n = 1; n <= 17; ++n)
    EXPECT_EQ(MeshVertices(BuiltinMeshObject(b, n)), MeshVertices(BuiltinMeshObject(a, n))) << n;
  EXPECT_EQ(MeshVertices(b.XCube(5))[3], (D3DVERTEX{9, 8, 7, 0, 1, 0, 0.5f, 0.5f}));
  EXPECT_EQ(b.XSelectArea.NumVertices(), a.XSelectArea.NumVertices());
  EXPECT_EQ(b.XCube(1).MaterialCount(), a.XCube(1).MaterialCount());
}

}  // namespace
}  // namespace quarnix
