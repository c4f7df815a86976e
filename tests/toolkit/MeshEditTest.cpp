// Vertex editing through the mesh object's copy, raw vertex files, X-file
// saving and the two texture-coordinate effects, on the null device.

#include <gtest/gtest.h>

#include <cstring>

#include "ToolkitTestUtil.h"
#include "core/Files.h"
#include "platform/NullGraphics.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {

using test::CubeMesh;
using test::EndMessage;
using test::TempFolder;

class MeshEditTest : public ::testing::Test {
 protected:
  MeshEditTest() {
    source_ = CubeMesh(2);
    object_.LoadXFile(test::WriteMesh(folder_ / "cube.car", source_), 1, "", 0, 0, 1);
  }
  // The vertices the mesh itself holds now.
  std::vector<D3DVERTEX> MeshVertices() {
    const auto v = object_.Mesh()->LockVertexBuffer();
    std::vector<D3DVERTEX> copy(v.begin(), v.end());
    object_.Mesh()->UnlockVertexBuffer();
    return copy;
  }
  std::vector<std::uint8_t> FileBytes(const std::string& name) { return ReadFileBytes(folder_ / name); }

  TempFolder folder_;
  NullDevice device_{64, 64};
  XObject object_{device_};
  XMesh source_;
};

TEST_F(MeshEditTest, TheCopyIsFilledOnRequestAndWrittenBackOnRequest) {
  ASSERT_EQ(object_.NumVertices(), 24);
  EXPECT_EQ(object_.Get1MeshVertexValue(5), D3DVERTEX{});
  ASSERT_TRUE(object_.GetMeshVertex());
  const auto original = MeshVertices();
  for (int i = 0; i < 24; ++i) EXPECT_EQ(object_.Get1MeshVertexValue(i), original[i]);
  EXPECT_EQ(object_.Get1MeshVertexValue(24), D3DVERTEX{});  // the spare entry is not touched

  object_.SetMeshUV(5, 0.5f, 0.25f);
  D3DVERTEX want = original[5];
  want.tu = 0.5f;
  want.tv = 0.25f;
  EXPECT_EQ(object_.Get1MeshVertexValue(5), want);
  EXPECT_EQ(MeshVertices(), original);  // nothing reaches the mesh yet

  object_.SetMeshXYZ(0, 7, 8, 9);
  object_.SetMeshNormal(1, 0, 1, 0);
  object_.Set1MeshVertexValue(2, D3DVERTEX{1, 2, 3, 4, 5, 6, 7, 8});
  ASSERT_TRUE(object_.SetMeshVertex());
  const auto edited = MeshVertices();
  EXPECT_EQ(edited[5], want);
  EXPECT_EQ(
      (D3DVERTEX{7, 8, 9, original[0].nx, original[0].ny, original[0].nz, original[0].tu, original[0].tv}),
      edited[0]);
  EXPECT_EQ((D3DVERTEX{original[1].x, original[1].y, original[1].z, 0, 1, 0, original[1].tu, original[1].tv}),
            edited[1]);
  EXPECT_EQ(edited[2], (D3DVERTEX{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(edited[3], original[3]);
}

TEST_F(MeshEditTest, IndicesOutsideTheCopyAreRefused) {
  EXPECT_NO_THROW(object_.SetMeshXYZ(24, 1, 1, 1));
  EXPECT_THROW(object_.SetMeshXYZ(25, 1, 1, 1), std::out_of_range);
  EXPECT_THROW(object_.SetMeshUV(-1, 0, 0), std::out_of_range);
  EXPECT_THROW(object_.SetMeshNormal(1000, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(object_.Get1MeshVertexValue(25), std::out_of_range);
  EXPECT_THROW(object_.Set1MeshVertexValue(INT32_MIN, D3DVERTEX{}), std::out_of_range);
}

TEST_F(MeshEditTest, ResetCollapsesTheMeshOnlyAfterItIsWrittenBack) {
  ASSERT_TRUE(object_.GetMeshVertex());
  const auto original = MeshVertices();
  object_.SetMeshXYZ(24, 3, 3, 3);
  object_.ResetMesh();
  EXPECT_EQ(MeshVertices(), original);
  EXPECT_EQ(object_.Get1MeshVertexValue(24).x, 3);  // the spare entry keeps its value
  ASSERT_TRUE(object_.SetMeshVertex());
  for (const auto& v : MeshVertices()) EXPECT_EQ(v, D3DVERTEX{});
}

TEST_F(MeshEditTest, SavedVertexFileHoldsEveryRecordOfTheCopy) {
  object_.SaveMesh(folder_ / "fresh.dat");
  const auto fresh = FileBytes("fresh.dat");
  EXPECT_EQ(fresh, std::vector<std::uint8_t>(800, 0));

  ASSERT_TRUE(object_.GetMeshVertex());
  object_.SetMeshUV(24, 1.5f, -2.0f);
  object_.SaveMesh(folder_ / "full.dat");
  const auto full = FileBytes("full.dat");
  ASSERT_EQ(full.size(), 800u);
  // Records back to back, members as 32-bit little-endian floats in order.
  EXPECT_EQ(std::memcmp(full.data(), object_.Vertices().data(), 800), 0);
  EXPECT_EQ(full[24 * 32 + 27], 0x3F);  // 1.5f = 0x3FC00000, high byte last

  // Saving over a longer file leaves no stale bytes behind.
  test::WriteText(folder_ / "old.dat", std::string(1000, 'x'));
  object_.SaveMesh(folder_ / "old.dat");
  EXPECT_EQ(FileBytes("old.dat"), full);
}

TEST_F(MeshEditTest, VertexFileRoundTripLeavesTheMeshUnchanged) {
  ASSERT_TRUE(object_.GetMeshVertex());
  const auto original = MeshVertices();
  object_.SaveMesh(folder_ / "round.dat");
  object_.ResetMesh();
  object_.LoadMesh(folder_ / "ROUND.DAT");
  EXPECT_EQ(object_.Vertices().size(), 25u);
  ASSERT_TRUE(object_.SetMeshVertex());
  EXPECT_EQ(MeshVertices(), original);
}

TEST_F(MeshEditTest, LoadedVertexFileSetsTheCopysLength) {
  std::vector<D3DVERTEX> longer(30);
  for (int i = 0; i < 30; ++i) longer[i] = D3DVERTEX{float(i), 0, 0, 0, 0, 0, 0, float(-i)};
  std::string bytes(reinterpret_cast<const char*>(longer.data()), 30 * 32);
  test::WriteText(folder_ / "longer.dat", bytes + "abc");  // a partial record at the end is ignored
  object_.LoadMesh(folder_ / "longer.dat");
  ASSERT_EQ(object_.Vertices().size(), 30u);
  EXPECT_EQ(object_.Get1MeshVertexValue(29), longer[29]);
  ASSERT_TRUE(object_.SetMeshVertex());
  EXPECT_EQ(MeshVertices()[23], longer[23]);
}

TEST_F(MeshEditTest, ShortOrMissingVertexFilesEndTheProgramAndKeepTheCopy) {
  ASSERT_TRUE(object_.GetMeshVertex());
  const std::vector<D3DVERTEX> before(object_.Vertices().begin(), object_.Vertices().end());
  test::WriteText(folder_ / "short.dat", std::string(23 * 32 + 31, '\0'));
  const auto shortFile = folder_ / "short.dat";
  EXPECT_NE(EndMessage([&] {
              object_.LoadMesh(shortFile);
            }).find("Error loading Obj-Data-File: \"" + shortFile.string() + "\""),
            std::string::npos);
  const auto missing = folder_ / "missing.dat";
  EXPECT_NE(EndMessage([&] {
              object_.LoadMesh(missing);
            }).find("Error loading Obj-Data-File: \"" + missing.string()),
            std::string::npos);
  EXPECT_EQ(std::vector<D3DVERTEX>(object_.Vertices().begin(), object_.Vertices().end()), before);
}

TEST_F(MeshEditTest, SavedXFileHoldsTheEditedMeshWithOneMaterialInEachFormat) {
  ASSERT_TRUE(object_.GetMeshVertex());
  object_.SetMeshXYZ(3, 10, 20, 30);
  ASSERT_TRUE(object_.SetMeshVertex());
  const auto vertices = MeshVertices();
  const char* tags[] = {"bin ", "txt ", "bzip"};
  for (int format = 0; format < 3; ++format) {
    const auto path = folder_ / ("saved" + std::to_string(format) + ".x");
    object_.SaveXFile(path, format);
    const XFileContent read = LoadXFileContent(path);
    EXPECT_EQ(read.Header.FormatTag, tags[format]);
    EXPECT_EQ(read.Mesh.Vertices, vertices);
    EXPECT_EQ(read.Mesh.Indices.size(), 36u);
    ASSERT_EQ(read.Mesh.Materials.size(), 1u);
    const XMaterial& m = read.Mesh.Materials[0];
    EXPECT_EQ(m.Diffuse, source_.Materials[0].Diffuse);
    EXPECT_EQ(m.Specular, source_.Materials[0].Specular);
    EXPECT_TRUE(m.TextureFileName.empty());
    for (auto a : read.Mesh.Attributes) EXPECT_EQ(a, 0u);
  }
  EXPECT_THROW(object_.SaveXFile(folder_ / "bad.x", 3), std::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.x"));
}

// --- Texture coordinate effects ---

TEST_F(MeshEditTest, DriftAddsItsDeltaToEveryCoordinateEachCall) {
  const auto original = MeshVertices();
  for (int i = 0; i < 3; ++i) object_.EffectMoveTextureA(0.5f, 0);
  const auto moved = MeshVertices();
  for (int i = 0; i < 24; ++i) {
    EXPECT_FLOAT_EQ(moved[i].tu, original[i].tu + 1.5f);
    EXPECT_FLOAT_EQ(moved[i].tv, original[i].tv);
    EXPECT_EQ(moved[i].x, original[i].x);
  }
}

TEST_F(MeshEditTest, DriftStartsOverWhenUGrowsHuge) {
  ASSERT_TRUE(object_.GetMeshVertex());
  object_.SetMeshUV(0, 1.0e7f, 2.0e7f);  // u passes the limit: both start over
  object_.SetMeshUV(1, 0, 2.0e7f);       // only v is huge: nothing starts over
  object_.SetMeshUV(2, 1.0e7f, 5);       // u starts over, v keeps going
  ASSERT_TRUE(object_.SetMeshVertex());
  object_.EffectMoveTextureA(1, 1);
  const auto v = MeshVertices();
  EXPECT_EQ(v[0].tu, 0);
  EXPECT_EQ(v[0].tv, 0);
  EXPECT_EQ(v[1].tu, 1);
  EXPECT_EQ(v[1].tv, 2.0e7f + 1);
  EXPECT_EQ(v[2].tu, 0);
  EXPECT_EQ(v[2].tv, 6);
}

TEST_F(MeshEditTest, SwayStartsRightAndDownAndAccumulatesInTheMesh) {
  const auto original = MeshVertices();
  object_.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
  EXPECT_NEAR(object_.MoveU(), 0.000101, 1e-9);
  EXPECT_NEAR(object_.MoveV(), -0.000102, 1e-9);
  object_.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
  EXPECT_NEAR(object_.MoveU(), 0.000102, 1e-9);
  EXPECT_NEAR(object_.MoveV(), -0.000104, 1e-9);
  const auto moved = MeshVertices();
  for (int i = 0; i < 24; ++i) {
    EXPECT_NEAR(moved[i].tu, original[i].tu + 0.000101 + 0.000102, 1e-6);
    EXPECT_NEAR(moved[i].tv, original[i].tv - 0.000102 - 0.000104, 1e-6);
  }
}

TEST_F(MeshEditTest, SwayTurnsAtItsLimits) {
  int uTurn = 0, vTurn = 0;
  float lastU = 0, lastV = 0;
  float highU = 0, lowV = 0;
  for (int call = 1; call <= 6000; ++call) {
    object_.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
    if (!uTurn && call > 1 && object_.MoveU() < lastU) uTurn = call;
    if (!vTurn && call > 1 && object_.MoveV() > lastV) vTurn = call;
    highU = std::max(highU, object_.MoveU());
    lowV = std::min(lowV, object_.MoveV());
    lastU = object_.MoveU();
    lastV = object_.MoveV();
  }
  // u climbs by 0.000001 from 0.0001 to 0.003 (2900 calls) and turns on the next;
  // v falls by 0.000002 from -0.0001 to -0.005 (2450 calls).
  EXPECT_NEAR(uTurn, 2901, 2);
  EXPECT_NEAR(vTurn, 2451, 2);
  EXPECT_NEAR(highU, 0.003, 2e-6);
  EXPECT_NEAR(lowV, -0.005, 3e-6);
  // Both keep swinging between their limits.
  EXPECT_GE(object_.MoveU(), -0.003 - 2e-6);
  EXPECT_LE(object_.MoveU(), 0.003 + 2e-6);
}

TEST_F(MeshEditTest, SwayResetZeroesTheOffsetsButKeepsTheDirections) {
  for (int call = 0; call < 2905; ++call) object_.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
  ASSERT_EQ(object_.MoveDirU(), 1);
  ASSERT_EQ(object_.MoveDirV(), 1);
  const auto before = MeshVertices();
  object_.EffectMoveTextureB(true, 0.0001f, 0.000001f, 0.000002f);
  EXPECT_EQ(object_.MoveU(), 0);
  EXPECT_EQ(object_.MoveV(), 0);
  EXPECT_EQ(MeshVertices(), before);  // a reset does not touch the mesh
  object_.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
  // From (Start, -Start), u now going down and v going up.
  EXPECT_NEAR(object_.MoveU(), 0.000099, 1e-9);
  EXPECT_NEAR(object_.MoveV(), -0.000098, 1e-9);
}

}  // namespace
}  // namespace quarnix
