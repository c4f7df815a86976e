// The built-in vertices written over the loaded meshes, the mesh-source text,
// clearing the meshes and saving them as the files the game loads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
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

void ExpectVertex(const D3DVERTEX& v, const D3DVERTEX& want) {
  EXPECT_FLOAT_EQ(v.x, want.x);
  EXPECT_FLOAT_EQ(v.y, want.y);
  EXPECT_FLOAT_EQ(v.z, want.z);
  EXPECT_FLOAT_EQ(v.nx, want.nx);
  EXPECT_FLOAT_EQ(v.ny, want.ny);
  EXPECT_FLOAT_EQ(v.nz, want.nz);
  EXPECT_FLOAT_EQ(v.tu, want.tu);
  EXPECT_FLOAT_EQ(v.tv, want.tv);
}

// As read back from text with eight decimals.
void ExpectVertexNear(const D3DVERTEX& v, const D3DVERTEX& want) {
  const float got[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv};
  const float was[8] = {want.x, want.y, want.z, want.nx, want.ny, want.nz, want.tu, want.tv};
  for (int i = 0; i < 8; ++i) EXPECT_NEAR(got[i], was[i], 1e-6 * std::max(1.0f, std::fabs(was[i]))) << i;
}

// The vertices the object's mesh holds now (not its editable copy).
std::vector<D3DVERTEX> MeshVertices(XObject& x) {
  EXPECT_TRUE(x.GetMeshVertex());
  return {x.Vertices().begin(), x.Vertices().begin() + x.NumVertices()};
}

// A mesh of one vertex (and one degenerate triangle), for the export's exact lines.
fs::path OneVertexMesh(const fs::path& path, const D3DVERTEX& v) {
  XMesh m = test::SquareMesh();
  m.Vertices = {v};
  m.Indices = {0, 0, 0};
  m.Attributes = {0};
  return test::WriteMesh(path, m);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
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

TEST_F(BuiltinMeshes, EveryMeshFileHoldsTheBuiltInCountAndBuildMeshesWritesTheTellingRows) {
  GameAssets a(device_, resources_);
  LoadGame(a);
  const XObject* objects[17] = {&a.XBuildPlan, &a.XBackGround};
  for (int k = 1; k <= 12; ++k) objects[k + 1] = &a.XCube(k);
  for (int s = 1; s <= 3; ++s) objects[s + 13] = &a.XStar(s);
  for (int n = 1; n <= 17; ++n) {
    EXPECT_EQ(&BuiltinMeshObject(a, n), objects[n - 1]) << n;
    EXPECT_GE(objects[n - 1]->NumVertices(), BuiltinMesh(n).VertexCount) << BuiltinMesh(n).Object;
  }
  const std::vector<D3DVERTEX> selectArea = MeshVertices(a.XSelectArea);

  BuildMeshes(a);
  const auto plan = MeshVertices(a.XBuildPlan);
  ExpectVertex(plan[0], {-1.005556f, 0.002381f, -1.007937f, 0, 0, -1, 0, 0});
  ExpectVertex(plan[1], {-1.005556f, -2.00873f, -1.007937f, 0, 0, -1, 0, 1});
  ExpectVertex(plan[2], {1.005556f, 0.002381f, -1.007937f, 0, 0, -1, 1, 0});
  ExpectVertex(plan[3], {1.005556f, -2.00873f, -1.007937f, 0, 0, -1, 1, 1});
  const auto star = MeshVertices(a.XStar(1));
  ExpectVertex(star[0], {1.25638f, -1.264369f, 0, 0, 0, -1, 1, 1});
  ExpectVertex(star[1], {1.25638f, 1.270517f, 0, 0, 0, -1, 1, 0});
  ExpectVertex(star[2], {-1.254362f, 1.270517f, 0, 0, 0, -1, 0, 0});
  ExpectVertex(star[3], {-1.254362f, -1.264369f, 0, 0, 0, -1, 0, 1});
  // Every mesh now holds exactly its built-in vertices; the marker keeps its file's.
  for (int n = 1; n <= 17; ++n) {
    const auto got = MeshVertices(BuiltinMeshObject(a, n));
    const auto want = BuiltinVertices(n);
    for (std::size_t i = 0; i < want.size(); ++i) {
      SCOPED_TRACE(std::string(BuiltinMesh(n).Object) + " vertex " + std::to_string(i));
      ExpectVertex(got[i], want[i]);
    }
  }
  const auto marker = MeshVertices(a.XSelectArea);
  ASSERT_EQ(marker.size(), selectArea.size());
  for (std::size_t i = 0; i < marker.size(); ++i) ExpectVertex(marker[i], selectArea[i]);
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
  for (const D3DVERTEX& v : MeshVertices(a.XBuildPlan)) ExpectVertex(v, {});
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
  const auto bytes = ReadFileBytes(folder / "ObjMeshProgramText.txt");
  const std::vector<std::string> lines = Lines(std::string(bytes.begin(), bytes.end()));

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
  want.push_back("XStar( 1).SetMeshVertex");
  want.push_back("XStar( 2).SetMeshVertex");
  want.push_back(want[1]);
  want.push_back("Call XStar( 3).Set1MeshVertexValue( 0,vv)");
  want.push_back("XStar( 3).SetMeshVertex");
  EXPECT_EQ(lines, want);
  // A file that cannot be made is an error, not silence.
  EXPECT_THROW(ExportMeshSource(a, folder / "no such folder"), std::runtime_error);
}

TEST(MeshSourceNumbers, PadSignAndRound) {
  EXPECT_EQ(MeshSourceNumber(-1.5f), "-0001.50000000");
  EXPECT_EQ(MeshSourceNumber(0.5f), "0000.50000000");
  EXPECT_EQ(MeshSourceNumber(0.0f), "0000.00000000");
  EXPECT_EQ(MeshSourceNumber(-20.0f), "-0020.00000000");
  // Read back, the text gives the same single.
  for (float v : {-1.005556f, 0.002381f, -2.00873f, 86.6f, 1.270517f})
    EXPECT_EQ(std::stof(MeshSourceNumber(v)), v) << MeshSourceNumber(v);
  EXPECT_EQ(MeshSourceIndex(0), " 0");
  EXPECT_EQ(MeshSourceIndex(12), " 12");
  EXPECT_EQ(MeshSourceIndex(-3), "-3");
}

TEST_F(BuiltinMeshes, ExportOfTheBuiltMeshesSpellsOutWhatBuildMeshesDoes) {
  test::TempFolder folder;
  GameAssets a(device_, resources_);
  LoadGame(a);
  BuildMeshes(a);
  ExportMeshSource(a, folder.Path());
  const auto bytes = ReadFileBytes(folder / "ObjMeshProgramText.txt");
  const std::vector<std::string> lines = Lines(std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(lines.size(), 1u + 2u * 587u + 17u);
  // Run the text back: every value line, read as numbers, is the built-in vertex of its call.
  std::size_t at = 1;
  for (int n = 1; n <= 17; ++n) {
    const auto want = BuiltinVertices(n);
    for (std::size_t i = 0; i < want.size(); ++i, at += 2) {
      D3DVERTEX v{};
      ASSERT_EQ(
          std::sscanf(lines[at].c_str(),
                      "vv.nx=%f : vv.ny=%f : vv.nz=%f : vv.tu=%f : vv.tv=%f : vv.x=%f : vv.y=%f : vv.z=%f",
                      &v.nx, &v.ny, &v.nz, &v.tu, &v.tv, &v.x, &v.y, &v.z),
          8)
          << lines[at];
      ExpectVertexNear(v, want[i]);
      EXPECT_NE(lines[at + 1].find(".Set1MeshVertexValue(" + MeshSourceIndex(static_cast<int>(i)) + ",vv)"),
                std::string::npos);
    }
    EXPECT_NE(lines[at].find(".SetMeshVertex"), std::string::npos) << lines[at];
    ++at;
  }
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("XSelectArea"), std::string::npos);
}

TEST_F(BuiltinMeshes, ResetClearsTheSeventeenMeshesAndLeavesTheMarker) {
  GameAssets a(device_, resources_);
  LoadGame(a);
  BuildMeshes(a);
  const auto marker = MeshVertices(a.XSelectArea);
  ResetAllMeshes(a);
  for (int n = 1; n <= 17; ++n)
    for (const D3DVERTEX& v : MeshVertices(BuiltinMeshObject(a, n))) ExpectVertex(v, {});
  const auto after = MeshVertices(a.XSelectArea);
  ASSERT_EQ(after.size(), marker.size());
  for (std::size_t i = 0; i < after.size(); ++i) ExpectVertex(after[i], marker[i]);
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
  for (int n = 1; n <= 17; ++n) {
    const auto got = MeshVertices(BuiltinMeshObject(b, n));
    const auto was = MeshVertices(BuiltinMeshObject(a, n));
    ASSERT_EQ(got.size(), was.size());
    for (std::size_t i = 0; i < got.size(); ++i) ExpectVertex(got[i], was[i]);
  }
  ExpectVertex(MeshVertices(b.XCube(5))[3], {9, 8, 7, 0, 1, 0, 0.5f, 0.5f});
  EXPECT_EQ(b.XSelectArea.NumVertices(), a.XSelectArea.NumVertices());
  EXPECT_EQ(b.XCube(1).MaterialCount(), a.XCube(1).MaterialCount());
}

}  // namespace
}  // namespace quarnix
