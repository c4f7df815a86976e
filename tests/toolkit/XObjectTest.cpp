#include <cmath>
#include <numeric>

#include "ToolkitTestUtil.h"
#include "platform/D3DXMath.h"
#include "platform/NullGraphics.h"
#include "toolkit/CamObject.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {
using Bytes = std::vector<std::uint8_t>;
using Colour = std::array<int, 4>;
using namespace test;
using namespace ::testing;

void ExpectMaps(const D3DMATRIX& world, D3DVECTOR from, D3DVECTOR to) {
  const D3DVECTOR got = D3DXVec3TransformCoord(from, world);
  for (auto [g, w] : {std::pair{got.x, to.x}, {got.y, to.y}, {got.z, to.z}})
    EXPECT_NEAR(g, w, 1e-5) << from.x << " " << from.y << " " << from.z;
}
Bytes Part(const Bytes& b, std::ptrdiff_t from, std::ptrdiff_t count) {
  const auto start = b.begin() + (from < 0 ? std::ssize(b) + from : from);
  return Bytes(start, start + count);
}

class XObjectTest : public ::testing::Test {
 protected:
  XObjectTest() {
    device_.BeginScene();  // draws belong in a scene
    resources_.RegisterCopy("STAR", test::Bmp24(2, 2, {0x000000, 0xFFFF00, 0xFFFF00, 0x000000}));
    object_.LoadXFile(WriteMesh(folder_ / "cube.car", CubeMesh(1)), 1, "", 0, 0, 4);
  }
  std::unique_ptr<XObject> Cube(int materialCount, int textureCount, const std::string& texture = "",
                                D3DCOLOR key = 0) {
    auto object = std::make_unique<XObject>(device_, resources_);
    object->LoadXFile(
        WriteMesh(folder_ / ("cube" + std::to_string(materialCount) + ".car"), CubeMesh(materialCount)), 1,
        texture, key, 0, textureCount);
    return object;
  }
  static std::array<float, 3> Angles(const XObject& o) { return {o.AngleX(), o.AngleY(), o.AngleZ()}; }
  std::vector<int> DrawnSlots(XObject& object, int frames = 1, int texIndex = 0, std::uint32_t blend = 0) {
    device_.EndScene();
    device_.BeginScene();
    for (int frame = 0; frame < frames; ++frame) object.DisplayXfile(texIndex, blend, 1, 0, 0, 0, 0, 0, 0, 0);
    std::vector<int> slots;
    for (const auto& draw : device_.MeshDraws()) {
      slots.push_back(-1);
      for (int i = 0; i < object.TextureSlots(); ++i)
        if (draw.texture != nullptr && object.Textures(i) == draw.texture) slots.back() = i;
    }
    return slots;
  }
  static std::vector<D3DVERTEX> MeshVertices(XObject& object) {
    const auto v = object.Mesh()->LockVertexBuffer();
    std::vector<D3DVERTEX> copy(v.begin(), v.end());
    object.Mesh()->UnlockVertexBuffer();
    return copy;
  }
  NullDevice device_{640, 480};
  BitmapResources resources_;
  test::TempFolder folder_;
  XObject object_{device_, resources_};
  ScreenObject screen_{device_, resources_};
};

TEST_F(XObjectTest, LoadKeepsMaterialsAndSlotsKeysLikeTheSlotLoaderFindsNamesInAnyCaseAndFailsWithAMessage) {
  const auto object = Cube(2, 5, "star", 0xFF000000);
  EXPECT_TRUE(object->MaterialCount() == 2 && object->TextureSlots() == 6 && object->MaxTexture() == 4);
  for (int i = 0; i < 2; ++i) {
    D3DMATERIAL8 want = CubeMesh(2).Materials[i].D3DMaterial();
    want.Ambient = want.Diffuse;  // ambient follows diffuse
    EXPECT_EQ(object->Materials(i), want);
  }
  EXPECT_EQ(object->Materials(2), D3DMATERIAL8{});
  EXPECT_THROW(object->Materials(3), std::out_of_range);
  ASSERT_TRUE(object->Textures(0) && object->Textures(1) && object->Textures(0) != object->Textures(1));
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(object->Textures(i), nullptr);
  EXPECT_TRUE(object->Textures(0)->Width() == 2 && object->NumVertices() == 24);
  object->LoadResourceTexture(2, "STAR", 0xFF000000, 0);
  for (int slot = 0; slot < 3; ++slot)
    EXPECT_THAT(Stored(object->Textures(slot)),
                ElementsAre(0, 0, 0, 0, 0, 255, 255, 255, _, _, _, _, _, _, _, 0));
  const auto plain = Cube(1, 3);
  for (int i = 0; i < plain->TextureSlots(); ++i) EXPECT_EQ(plain->Textures(i), nullptr);
  device_.SetTexture(0, object->Textures(0));  // something else may have been bound before
  EXPECT_EQ(DrawnSlots(*plain), std::vector<int>{-1});
  EXPECT_TRUE(device_.MeshDraws()[0].texture == nullptr &&
              device_.MeshDraws()[0].material.Ambient == plain->Materials(0).Diffuse);
  // Loading again replaces mesh, materials and slots but keeps the animation.
  object->SetAutoTexture(true, 1, 3, true);
  object->DisplayXfile(0, 0, 1, 7, 8, 9, 0, 0, 0, 0);
  object->LoadXFile(WriteMesh(folder_ / "one.car", CubeMesh(1)), 1, "", 0, 0, 2);
  EXPECT_TRUE(object->MaterialCount() == 1 && object->TextureSlots() == 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(object->Textures(i), nullptr);
  EXPECT_EQ(std::tuple(object->PosX(), object->PosZ(), object->AutoTexture(), object->StartNumber(),
                       object->DelayCount()),
            std::tuple(0.0f, 0.0f, true, 1, 3));
  WriteMesh(folder_ / "BOX.CAR", CubeMesh(1));
  std::filesystem::create_directory(folder_ / "Pics");
  const auto red = test::Bmp24(1, 1, {0xFF0000});
  test::WriteText(folder_ / "Pics" / "RED.BMP", std::string(red.begin(), red.end()));
  object->LoadXFile(folder_ / "box.car", 0, (folder_ / "pics" / "red.bmp").string(), 0, 0, 1);
  ASSERT_NE(object->Textures(0), nullptr);
  EXPECT_EQ(Stored(object->Textures(0))[2], 255);  // red, in the third byte
  XObject failed(device_, resources_);
  const auto missing = folder_ / "NoSuch.CAR", damaged = folder_ / "Damaged.CAR",
             noMesh = folder_ / "NoMesh.CAR";
  WriteText(damaged, "xof 0303txt 0032\nMesh { 3; 0.0; 0.0;");
  WriteText(noMesh, "xof 0303txt 0032\nMaterial { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n");
  const auto good = folder_ / "cube.car", two = folder_ / "cube2.car";  // written above
  // file, from the bitmap registry, texture, slots, message
  const std::tuple<std::filesystem::path, int, std::string, int, std::string> cases[] = {
      {missing, 1, "", 1, "Error loading Obj-File: \"" + missing.string() + "\""},
      {damaged, 1, "", 1, "Error loading Obj-File: \"" + damaged.string() + "\""},
      {damaged, 1, "", 1, damaged.string() + ": line 2: file ends inside Mesh"},  // the reason, on stderr
      {noMesh, 1, "", 1, "Error loading Mesh-File: \"" + noMesh.string() + "\""},
      {good, 1, "NoSuchBitmap", 1, "Error loading Obj-File: "},
      {good, 0, (folder_ / "none.bmp").string(), 1, "Error loading Obj-File: "},
      {two, 1, "Star", 0, "Error loading Obj-File: "},
  };
  for (const auto& [file, fromResource, texture, slots, message] : cases)
    EXPECT_THAT(EndMessage([&] { failed.LoadXFile(file, fromResource, texture, 0, 0, slots); }),
                ::testing::HasSubstr(message))
        << texture;
  EXPECT_TRUE(failed.Mesh() == nullptr && !failed.GetMeshVertex());
  EXPECT_THROW(failed.SaveXFile(folder_ / "x.x", 0), std::logic_error);
}

TEST_F(XObjectTest, DrawsTurnMoveAndScaleQuaternionDrawsTurnAboutTheCentreAndAutoDrawsAddTheirAngles) {
  const auto object = Cube(1, 1), reference = Cube(1, 1);
  // scale, position, angles, axis; a model point and where it lands
  const std::tuple<float, D3DVECTOR, D3DVECTOR, int, D3DVECTOR, D3DVECTOR> draws[] = {
      {0.5f, {4, 2, 0}, {}, 0, {2, 0, 0}, {3, 1, 0}},        // the scale applies after the move
      {1, {}, {90, 80, 70}, 0, {1, 0, 0}, {1, 0, 0}},        // axis 0: angles stored, not used
      {1, {}, {90, 45, 30}, 1, {0, 1, 0}, {0, 0, 1}},        // about x: y goes to z
      {1, {}, {45, 90, 30}, 2, {1, 0, 0}, {0, 0, -1}},       // about y: x goes to -z
      {1, {}, {45, 30, 90}, 3, {1, 0, 0}, {0, 1, 0}},        // about z: x goes to y
      {2, {1, 0, 0}, {0, 0, 90}, 3, {1, 0, 0}, {2, 2, 0}}};  // turned about its own origin, then moved
  for (const auto& [scale, pos, angle, axis, from, to] : draws) {
    object->DisplayXfile(0, 0, scale, pos.x, pos.y, pos.z, angle.x, angle.y, angle.z, axis);
    ExpectMaps(object->WorldMatrix(), from, to);
    EXPECT_EQ(Angles(*object), (std::array{angle.x, angle.y, angle.z}));
  }
  EXPECT_TRUE(object->PosX() == 1 && device_.GetTransform(D3DTS_WORLD) == object->WorldMatrix());
  // scale, yaw pitch roll, centre, position; a model point and where it lands
  const std::tuple<float, D3DVECTOR, D3DVECTOR, D3DVECTOR, D3DVECTOR, D3DVECTOR> turns[] = {
      {1, {90, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 0, 0}, {1, 5, 1}},
      {1, {90, 0, 0}, {1, 0, 0}, {0, 5, 0}, {1, 0, 0}, {1, 5, 0}},
      {1, {0, 90, 0}, {}, {}, {0, 1, 0}, {0, 0, 1}},
      {1, {90, 0, 90}, {}, {}, {1, 0, 0}, {0, 1, 0}},
      {2, {}, {1, 1, 1}, {}, {1, 0, 0}, {2, 0, 0}}};
  for (const auto& [scale, angle, centre, pos, from, to] : turns) {
    object->QDisplayXfile(0, 0, scale, angle.x, angle.y, angle.z, centre, pos);
    ExpectMaps(object->WorldMatrix(), from, to);
    EXPECT_TRUE(Angles(*object) == (std::array{angle.x, angle.y, angle.z}) && object->PosY() == pos.y);
  }
  object->QDisplayXfile(0, 0, 1, 30, 0, 0, {}, {1, 2, 3});
  object->AutoDisplayXfile(0, 0, 1, 10, 0, 0, {}, {1, 2, 3});
  object->AutoDisplayXfile(0, 0, 1, 10, 0, 0, {}, {1, 2, 3});  // 30 + 10 + 10
  reference->QDisplayXfile(0, 0, 1, 50, 0, 0, {}, {1, 2, 3});
  EXPECT_EQ(object->WorldMatrix(), reference->WorldMatrix());
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 350, 5, 0, 0);
  object->AutoDisplayXfile(0, 0, 1, 20, 1, 2, {}, {});
  EXPECT_EQ(Angles(*object), (std::array<float, 3>{370, 6, 2}));
}

TEST_F(XObjectTest, SubsetsDrawWithTheirMaterialsBlendOnlyForTheDrawAndAnimateThroughTheSlots) {
  const auto object = Cube(3, 6);
  ASSERT_EQ(DrawnSlots(*object, 1, 0, 1), (std::vector<int>{-1, -1, -1}));
  const auto& d = device_.MeshDraws();
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(d[i].subset == i && d[i].material == object->Materials(i) && d[i].alphaBlend == 1u);
  EXPECT_EQ(device_.GetRenderState(D3DRS_ALPHABLENDENABLE), 0u);
  for (int i = 0; i < object->TextureSlots(); ++i) object->CreateEmptyTexture(i, 1, 0);
  EXPECT_EQ(DrawnSlots(*object, 1, 1), (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(DrawnSlots(*object, 1, 7), (std::vector<int>{5, 5, 5}));  // the last usable slot
  object->QDisplayXfile(6, 0, 1, 0, 0, 0, {}, {});
  EXPECT_EQ(device_.MeshDraws().back().texture, object->Textures(5));
  EXPECT_THROW(object->DisplayXfile(-1, 0, 1, 0, 0, 0, 0, 0, 0, 0), std::out_of_range);
  // Each slot shows for delay + 1 draws; the last one stays unless the animation repeats.
  for (int i = 0; i < object_.TextureSlots(); ++i) object_.CreateEmptyTexture(i, 1, 0);
  for (const bool repeat : {true, false}) {
    object_.SetAutoTexture(true, 0, 2, repeat);
    const int last = repeat ? 0 : 3;
    EXPECT_EQ(DrawnSlots(object_, 15, 9),
              (std::vector<int>{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, last, last, last}));
  }
  object->SetAutoTexture(true, 1, 0, true);
  EXPECT_EQ(DrawnSlots(*object, 2), (std::vector<int>{1, 2, 3, 4, 5, 1}));
  object->SetAutoTexture(true, 0, 1, false);
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{0, 0, 1}));
  object->ResetAutoTextureCurrentNumber(4);
  EXPECT_EQ(object->FrameCount(), 1);  // the frame count runs on
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{4, 5, 5}));
  object->SetAutoTexture(false, 0, 0, false);
  EXPECT_EQ(DrawnSlots(*object, 1, 2), (std::vector<int>{2, 2, 2}));
}

TEST_F(XObjectTest, AMovedObjectTakesItsMeshSlotsAndLockAlong) {
  auto source = Cube(1, 2, "Star");
  ITexture* slot0 = source->Textures(0);
  ASSERT_GT(source->LockTexture(2, 0), 0);
  std::vector<XObject> objects;
  XObject& moved = objects.emplace_back(std::move(*source));
  EXPECT_EQ(moved.Textures(0), slot0);
  moved.ChangeTextureColor(0, 1, 2, 3, 4);
  EXPECT_TRUE(moved.UnLockTexture(2, 0) && !slot0->IsLocked());
  moved.DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(device_.MeshDraws().size(), 1u);
  EXPECT_EQ(source->Mesh(), nullptr);  // the moved-from object refuses to draw
  EXPECT_THROW(source->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0), std::logic_error);
  EXPECT_THROW(source->UnLockTexture(2, 0), std::logic_error);
}

TEST_F(XObjectTest, TheVertexCopyIsWrittenBackOnRequestChecksItsIndicesAndVertexAndXFilesHoldIt) {
  const auto object = Cube(2, 1);
  XObject& o = *object;
  o.SaveMesh(folder_ / "fresh.dat");
  EXPECT_EQ(ReadFileBytes(folder_ / "fresh.dat"), std::vector<std::uint8_t>(800, 0));  // a zeroed copy
  ASSERT_TRUE(o.GetMeshVertex());
  const auto original = MeshVertices(o);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(o.Get1MeshVertexValue(i), original[i]);
  EXPECT_EQ(o.Get1MeshVertexValue(24), D3DVERTEX{});  // the spare entry is not touched
  auto expected = original;                           // only the edited members change
  expected[5].tu = 0.5f, expected[5].tv = 0.25f;
  o.SetMeshUV(5, 0.5f, 0.25f);
  EXPECT_EQ(o.Get1MeshVertexValue(5), expected[5]);
  EXPECT_EQ(MeshVertices(o), original);  // nothing reaches the mesh yet
  o.SetMeshXYZ(0, 7, 8, 9);
  o.SetMeshNormal(1, 0, 1, 0);
  o.Set1MeshVertexValue(2, expected[2] = D3DVERTEX{1, 2, 3, 4, 5, 6, 7, 8});
  expected[0].x = 7, expected[0].y = 8, expected[0].z = 9, expected[1].nx = 0, expected[1].ny = 1,
  expected[1].nz = 0;
  ASSERT_TRUE(o.SetMeshVertex());
  const auto edited = MeshVertices(o);
  EXPECT_EQ(edited, expected);
  const XMaterial first = CubeMesh(2).Materials[0];  // saved as the only material
  for (int format = 0; format < 3; ++format) {
    o.SaveXFile(folder_ / "saved.x", format);
    const auto [header, count, read] = LoadXFileContent(folder_ / "saved.x");
    EXPECT_EQ(header.FormatTag, (std::array{"bin ", "txt ", "bzip"}[format]));
    EXPECT_TRUE(read.Vertices == edited && read.Indices.size() == 36u &&
                read.Attributes == std::vector<std::uint32_t>(12, 0));
    ASSERT_EQ(read.Materials.size(), 1u);
    EXPECT_TRUE(read.Materials[0].Diffuse == first.Diffuse && read.Materials[0].Specular == first.Specular);
  }
  EXPECT_THROW(o.SaveXFile(folder_ / "bad.x", 3), std::invalid_argument);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "bad.x"));
  o.SetMeshUV(24, 1.5f, -2.0f);  // vertex files hold every record of the copy, the spare too
  test::WriteText(folder_ / "full.dat", std::string(1000, 'x'));
  o.SaveMesh(folder_ / "full.dat");
  const auto full = ReadFileBytes(folder_ / "full.dat");
  ASSERT_EQ(full.size(), 800u);
  EXPECT_EQ(std::memcmp(full.data(), o.Vertices().data(), 800), 0);
  EXPECT_EQ(full[24 * 32 + 27], 0x3F);  // 1.5f = 0x3FC00000, high byte last
  o.ResetMesh();
  o.LoadMesh(folder_ / "FULL.DAT");
  ASSERT_TRUE(o.Vertices().size() == 25u && o.SetMeshVertex());
  EXPECT_EQ(MeshVertices(o), edited);
  EXPECT_NO_THROW(o.SetMeshXYZ(24, 3, 3, 3));
  EXPECT_THROW(o.SetMeshXYZ(25, 1, 1, 1), std::out_of_range);
  EXPECT_THROW(o.SetMeshUV(-1, 0, 0), std::out_of_range);
  EXPECT_THROW(o.SetMeshNormal(1000, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(o.Get1MeshVertexValue(25), std::out_of_range);
  EXPECT_THROW(o.Set1MeshVertexValue(INT32_MIN, D3DVERTEX{}), std::out_of_range);
  o.ResetMesh();
  EXPECT_TRUE(MeshVertices(o) == edited && o.Get1MeshVertexValue(24).x == 3);
  ASSERT_TRUE(o.SetMeshVertex());
  EXPECT_EQ(MeshVertices(o), std::vector<D3DVERTEX>(24));
  std::vector<D3DVERTEX> longer(30);
  for (int i = 0; i < 30; ++i) longer[i] = D3DVERTEX{float(i), 0, 0, 0, 0, 0, 0, float(-i)};
  test::WriteText(folder_ / "longer.dat",  // a partial record at the end is ignored
                  std::string(reinterpret_cast<const char*>(longer.data()), 30 * 32) + "abc");
  o.LoadMesh(folder_ / "longer.dat");
  ASSERT_TRUE(o.Vertices().size() == 30u && o.Get1MeshVertexValue(29) == longer[29] && o.SetMeshVertex());
  EXPECT_EQ(MeshVertices(o)[23], longer[23]);
  test::WriteText(folder_ / "short.dat", std::string(23 * 32 + 31, '\0'));
  for (const auto& file : {folder_ / "short.dat", folder_ / "missing.dat"}) {
    EXPECT_THAT(EndMessage([&] { o.LoadMesh(file); }),
                ::testing::HasSubstr("Error loading Obj-Data-File: \"" + file.string() + "\""));
    EXPECT_EQ(o.Get1MeshVertexValue(29), longer[29]);
  }
}

TEST_F(XObjectTest, DriftAndSwayMoveEveryCoordinateSwayTurnsAtItsLimitsAndDriftStartsOverWhenUGrowsHuge) {
  XObject& o = object_;
  const auto original = MeshVertices(o);
  auto step = [&] { o.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f); };
  step(), step();  // right and down first
  EXPECT_TRUE(std::abs(o.MoveU() - 0.000102) < 1e-9 && std::abs(o.MoveV() + 0.000104) < 1e-9);
  for (int i = 0; i < 3; ++i) o.EffectMoveTextureA(0.5f, 0);
  const auto moved = MeshVertices(o);  // both accumulate in the mesh
  for (int i = 0; i < 24; ++i)
    EXPECT_TRUE(std::abs(moved[i].tu - original[i].tu - 1.500203) < 2e-6 &&
                std::abs(moved[i].tv - original[i].tv + 0.000206) < 1e-6 && moved[i].x == original[i].x)
        << i;
  int uTurn = 0, vTurn = 0;
  float highU = 0, lowV = 0;
  for (int call = 3; call <= 2905; ++call) {
    step();
    uTurn = uTurn ? uTurn : o.MoveDirU() * call, vTurn = vTurn ? vTurn : o.MoveDirV() * call;
    highU = std::max(highU, o.MoveU()), lowV = std::min(lowV, o.MoveV());
    EXPECT_TRUE(o.MoveU() >= -0.003 - 2e-6 && o.MoveU() <= 0.003 + 2e-6) << call;
  }
  EXPECT_TRUE(std::abs(uTurn - 2900) <= 2 && std::abs(vTurn - 2450) <= 2) << uTurn << " " << vTurn;
  EXPECT_TRUE(std::abs(highU - 0.003) <= 2e-6 && std::abs(lowV + 0.005) <= 3e-6) << highU << " " << lowV;
  // After both turned: a reset zeroes the offsets, keeps the directions and leaves the mesh alone.
  const auto before = MeshVertices(o);
  o.EffectMoveTextureB(true, 0.0001f, 0.000001f, 0.000002f);
  EXPECT_TRUE(o.MoveU() == 0 && o.MoveV() == 0 && MeshVertices(o) == before);
  step();
  EXPECT_TRUE(std::abs(o.MoveU() - 0.000099) < 1e-9 && std::abs(o.MoveV() + 0.000098) < 1e-9);
  ASSERT_TRUE(o.GetMeshVertex());
  o.SetMeshUV(0, 1.0e7f, 2.0e7f);  // u passes the limit: both start over
  o.SetMeshUV(1, 0, 2.0e7f);       // only v is huge: nothing starts over
  o.SetMeshUV(2, 1.0e7f, 5);       // u starts over, v keeps going
  ASSERT_TRUE(o.SetMeshVertex());
  o.EffectMoveTextureA(1, 1);
  const auto v = MeshVertices(o);
  EXPECT_EQ((std::vector<float>{v[0].tu, v[0].tv, v[1].tu, v[1].tv, v[2].tu, v[2].tv}),
            (std::vector<float>{0, 0, 1, 2.0e7f + 1, 0, 6}));
}

TEST_F(XObjectTest, TexturesComeFromTheRegistryOrFilesKeyedTheirPixelsAreEditedInLockedRowsAndFillsKeyBySum) {
  static const std::uint8_t linked[] = {1, 2, 3};
  resources_.Register("4COLOR", linked);
  resources_.RegisterCopy("2x2x2", Bytes{9});
  ASSERT_TRUE(resources_.Find("4Color") && resources_.Find("2X2X2") &&
              resources_.Find("4color")->data() == linked);
  EXPECT_TRUE((*resources_.Find("2X2X2"))[0] == 9 && !resources_.Find("4Colour"));
  resources_.RegisterCopy("4color", Bytes{7, 7});
  EXPECT_TRUE(resources_.Find("4COLOR")->size() == 2u && resources_.Count() == 3u);
  const Bytes bmp = test::Bmp24(2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  const Bytes want{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 255, 255, 255, 255};
  resources_.RegisterCopy("QUAD", bmp);
  object_.LoadResourceTexture(2, "Quad", 0, 0);
  EXPECT_EQ(Stored(object_.Textures(2)), want);
  test::WriteText(folder_ / "quad.bmp", std::string(bmp.begin(), bmp.end()));
  object_.LoadTexture(3, folder_ / "quad.bmp", 0, 0);
  EXPECT_EQ(Stored(object_.Textures(3)), want);
  object_.LoadTexture(1, folder_ / "QUAD.BMP", 0xFF00FF00, 0);
  EXPECT_EQ(Part(Stored(object_.Textures(1)), 0, 8), (Bytes{0, 0, 255, 255, 0, 0, 0, 0}));
  EXPECT_THROW(object_.LoadResourceTexture(0, "Missing", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "missing.bmp", 0, 0), std::runtime_error);
  test::WriteText(folder_ / "junk.bmp", "BM not a picture");
  EXPECT_THROW(object_.LoadTexture(0, folder_ / "junk.bmp", 0, 0), std::runtime_error);
  EXPECT_THROW(object_.LoadResourceTexture(5, "Quad", 0, 0), std::out_of_range);
  EXPECT_EQ(object_.Textures(0), nullptr);
  object_.CreateEmptyTexture(1, 4, 0);
  EXPECT_EQ(object_.LockTexture(4, 1), 16);
  for (auto [pixel, r, g, b, a] : {std::array{0, 256, 0, 0, 0}, {0, 0, -1, 0, 0}, {16, 0, 0, 0, 0}})
    EXPECT_THROW(object_.ChangeTextureColor(pixel, r, g, b, a), std::out_of_range);
  EXPECT_THROW(object_.ChangeSurfaceAlph(0, 300), std::out_of_range);
  EXPECT_THROW(object_.GetTextureColor(-1), std::out_of_range);
  EXPECT_EQ(object_.GetTextureColor(0), (Colour{0, 0, 0, 0}));  // nothing was written
  object_.ChangeTextureColor(0, 255, 0, 0, 255);
  EXPECT_EQ(object_.GetTextureColor(0), (Colour{0, 0, 255, 255}));
  object_.ChangeTextureColor(15, 1, 2, 3, 4);
  object_.ChangeSurfaceAlph(15, 200);
  EXPECT_EQ(object_.GetTextureColor(15), (Colour{3, 2, 1, 200}));
  EXPECT_TRUE(object_.UnLockTexture(4, 1));
  const Bytes stored = Stored(object_.Textures(1));
  EXPECT_TRUE(Part(stored, 0, 4) == (Bytes{0, 0, 255, 255}) && Part(stored, -4, 4) == (Bytes{3, 2, 1, 200}));
  // A lock copies only the rows asked for.
  object_.FillTexture(1, 2, Bytes{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}, 0, 3);
  EXPECT_TRUE(object_.LockTexture(1, 1) == 8 && object_.GetTextureColor(1) == (Colour{60, 50, 40, 255}));
  EXPECT_THROW(object_.GetTextureColor(2), std::out_of_range);
  object_.ChangeTextureColor(0, 0, 0, 0, 0);
  EXPECT_THROW(object_.UnLockTexture(1, 2), std::logic_error);  // not the locked slot
  EXPECT_TRUE(object_.UnLockTexture(1, 1));
  EXPECT_EQ(Stored(object_.Textures(1)),
            (Bytes{0, 0, 0, 0, 60, 50, 40, 255, 90, 80, 70, 255, 120, 110, 100, 255}));
  EXPECT_TRUE(object_.LockTexture(3, 1) == 0 && object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.LockTexture(1, 0), std::logic_error);  // one lock at a time
  EXPECT_FALSE(object_.UnLockTexture(3, 1) || object_.Textures(1)->IsLocked());
  EXPECT_THROW(object_.UnLockTexture(1, 1), std::logic_error);
  EXPECT_THROW(object_.LockTexture(1, 4), std::logic_error);  // an empty slot
  Bytes b(24);  // a fill takes the named triples into a fresh square
  std::iota(b.begin(), b.end(), 1);
  object_.FillTexture(3, 2, b, 4, 7);
  ITexture* t = object_.Textures(3);
  ASSERT_TRUE(t && t->Width() == 2 && t->Height() == 2);
  EXPECT_EQ(Stored(t), (Bytes{15, 14, 13, 255, 18, 17, 16, 255, 21, 20, 19, 255, 24, 23, 22, 255}));
  for (auto [slot, size, bytes, from, to] :
       {std::tuple{3, 2, b, 5, 8}, {3, 2, Bytes(60), 0, 4}, {3, 2, b, -1, 2}, {9, 2, b, 0, 3}})
    EXPECT_THROW(object_.FillTexture(slot, size, bytes, from, to), std::out_of_range);
  EXPECT_EQ(object_.Textures(3), t);
  object_.FillTexture(2, 2, b, 0, 1);
  EXPECT_EQ(Stored(object_.Textures(2)), (Bytes{3, 2, 1, 255, 6, 5, 4, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
  const Bytes pic{0, 0, 0, 10, 10, 10, 30, 0, 0, 10, 10, 11};
  auto alphas = [&] {
    const Bytes s = Stored(screen_.Texture());
    return std::vector<int>{s[3], s[7], s[11], s[15]};
  };
  for (auto [keySum, alpha, want] : {std::tuple{0, 255, std::vector<int>{0, 255, 255, 255}},
                                     {30, 255, {255, 0, 0, 255}},
                                     {-1, 128, {128, 128, 128, 128}}}) {
    screen_.FillTexture(2, pic, 0, 3, keySum, alpha);
    EXPECT_EQ(alphas(), want) << keySum;
  }
  EXPECT_EQ(Part(Stored(screen_.Texture()), 8, 4), (Bytes{0, 0, 30, 128}));
  ITexture* before = screen_.Texture();
  EXPECT_THROW(screen_.FillTexture(2, pic, 0, 3, 0, 256), std::out_of_range);
  EXPECT_THROW(screen_.FillTexture(1, pic, 0, 1, 0, 255), std::out_of_range);
  EXPECT_EQ(screen_.Texture(), before);
  std::vector<std::uint32_t> rgb(15);
  for (int i = 0; i < 15; ++i) rgb[i] = static_cast<std::uint32_t>(i * 0x110F03);
  const Bytes panel = test::Bmp24(5, 3, rgb);
  resources_.RegisterCopy("PANEL", panel);
  screen_.LoadResourceTexture("panel", 0, 0);
  ASSERT_TRUE(screen_.Texture()->Width() == 5 && screen_.Texture()->Height() == 3);
  EXPECT_EQ(screen_.LockTexture(3), 20);
  for (int i = 0; i < 15; ++i)
    EXPECT_EQ(screen_.GetTextureColor(i),
              (Colour{int(rgb[i] & 0xFF), int((rgb[i] >> 8) & 0xFF), int(rgb[i] >> 16), 255}))
        << i;
  screen_.ChangeTextureColor(14, 1, 2, 3, 4);
  EXPECT_TRUE(screen_.UnLockTexture(3));
  EXPECT_EQ(Part(Stored(screen_.Texture()), -4, 4), (Bytes{3, 2, 1, 4}));
  test::WriteText(folder_ / "Panel.panel", std::string(panel.begin(), panel.end()));
  screen_.LoadTexture(folder_ / "Panel.panel", 0xFF000000 | rgb[4], 0);
  const Bytes keyed = Stored(screen_.Texture());
  EXPECT_TRUE(keyed[4 * 4 + 3] == 0 && keyed[5 * 4 + 3] == 255);
  ScreenObject empty(device_, resources_);
  EXPECT_EQ(empty.Texture(), nullptr);
  EXPECT_THROW(empty.LockTexture(1), std::logic_error);
  empty.CreateEmptyTexture(8, 0);
  EXPECT_EQ(empty.Texture()->Width(), 8);
  EXPECT_THROW(empty.CreateEmptyTexture(0, 0), std::invalid_argument);
}

TEST(CamObject, PositionsCountFromOneAndSetCamLooksFromTheEyeAtThePointWithYUp) {
  NullDevice device(64, 64);
  CamObject cam(device);
  cam.SetNumStaticPosition(3);
  cam.SetCamStaticPosition(1, 0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  const D3DMATRIX viewBefore = device.GetTransform(D3DTS_VIEW);
  cam.SetCamStaticPosition(2, 1, 2, 3, 4, 5, 6, 7, 8, 9);
  EXPECT_TRUE(cam.GetNowStaticPosition() == 2 && cam.CamValue() == CamValues{});
  EXPECT_EQ(cam.StaticPosition(2), (CamPosition{{7, 8, 9}, {4, 5, 6}, {1, 2, 3}}));  // look-at, eye, angles
  cam.SetNowStaticPosition(1);
  EXPECT_TRUE(cam.GetNowStaticPosition() == 1 &&
              cam.CamValue() == (CamValues{0, 0, 0, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0}));
  EXPECT_EQ(device.GetTransform(D3DTS_VIEW), viewBefore);  // only SetCam installs it
  cam.SetCam();
  const D3DMATRIX view = device.GetTransform(D3DTS_VIEW);
  EXPECT_EQ(view, D3DXMatrixLookAtLH({2.0f, 15.0f, -8.5f}, {0, 3.5f, 0}, {0, 1, 0}));
  cam.SetCamValue(45, 45, 45, 2.0f, 15.0f, -8.5f, 0, 3.5f, 0);
  cam.SetCam();
  EXPECT_EQ(device.GetTransform(D3DTS_VIEW), view);
  cam.SetNumStaticPosition(2);
  EXPECT_TRUE(cam.GetNumStaticPosition() == 2 && cam.StaticPosition(1) == CamPosition{});
  cam.SetCamStaticPosition(3, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(cam.StaticPosition(3).Eye, (D3DVECTOR{1, 1, 1}));
  EXPECT_THROW(cam.SetCamStaticPosition(4, 0, 0, 0, 0, 0, 0, 0, 0, 0), std::out_of_range);
  EXPECT_THROW(cam.SetNowStaticPosition(0), std::out_of_range);
  EXPECT_EQ(cam.GetNowStaticPosition(), 3);  // a refused number changes nothing
  EXPECT_THROW(cam.SetNumStaticPosition(-1), std::out_of_range);
  CamObject fresh(device);
  EXPECT_TRUE(fresh.GetNumStaticPosition() == 0 && fresh.GetNowStaticPosition() == 1);
  EXPECT_THROW(fresh.SetNowStaticPosition(1), std::out_of_range);
}

}  // namespace
}  // namespace quarnix
