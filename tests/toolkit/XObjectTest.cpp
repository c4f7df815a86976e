// The mesh object on the null device: loading and its failures, the three
// draw operations with their world matrices, the texture slots and the
// texture animation.

#include <gtest/gtest.h>

#include <cmath>

#include "ToolkitTestUtil.h"
#include "platform/D3DXMath.h"
#include "platform/NullGraphics.h"
#include "toolkit/XObject.h"

namespace quarnix {
namespace {

using test::CubeMesh;
using test::EndMessage;
using test::TempFolder;
using test::WriteMesh;

// Where world maps a model point.
D3DVECTOR Apply(const D3DMATRIX& world, D3DVECTOR p) { return D3DXVec3TransformCoord(p, world); }

void ExpectNear(D3DVECTOR got, D3DVECTOR want) {
  EXPECT_NEAR(got.x, want.x, 1e-5);
  EXPECT_NEAR(got.y, want.y, 1e-5);
  EXPECT_NEAR(got.z, want.z, 1e-5);
}

class XObjectTest : public ::testing::Test {
 protected:
  XObjectTest() {
    device_.BeginScene();  // draws belong in a scene
    resources_.RegisterCopy("STAR", test::Bmp24(2, 2, {0x000000, 0xFFFF00, 0xFFFF00, 0x000000}));
    resources_.RegisterCopy("Plain", test::Bmp24(1, 1, {0x102030}));
  }

  // A cube of materialCount materials with textureCount slots, textures from the registry.
  std::unique_ptr<XObject> Cube(int materialCount, int textureCount, const std::string& texture = "",
                                D3DCOLOR key = 0) {
    auto object = std::make_unique<XObject>(device_, resources_);
    const auto path =
        WriteMesh(folder_ / ("cube" + std::to_string(materialCount) + ".car"), CubeMesh(materialCount));
    object->LoadXFile(path, 1, texture, key, 0, textureCount);
    return object;
  }
  // Fills every slot with its own texture so that draws can tell them apart.
  static void FillSlots(XObject& object) {
    for (int i = 0; i < object.TextureSlots(); ++i) object.CreateEmptyTexture(i, 1, 0);
  }
  // Starts recording draws afresh.
  void NewScene() {
    device_.EndScene();
    device_.BeginScene();
  }
  // The slot each recorded draw used.
  std::vector<int> DrawnSlots(const XObject& object) {
    std::vector<int> slots;
    for (const auto& draw : device_.MeshDraws()) {
      int found = -1;
      for (int i = 0; i < object.TextureSlots(); ++i)
        if (draw.texture != nullptr && object.Textures(i) == draw.texture) found = i;
      slots.push_back(found);
    }
    return slots;
  }

  NullDevice device_{640, 480};
  BitmapResources resources_;
  TempFolder folder_;
};

TEST_F(XObjectTest, LoadKeepsMaterialsWithAmbientFromDiffuseAndSlotsAsAsked) {
  const auto object = Cube(2, 5, "star");
  EXPECT_EQ(object->MaterialCount(), 2);
  for (int i = 0; i < 2; ++i) {
    const D3DMATERIAL8& m = object->Materials(i);
    EXPECT_NEAR(m.Diffuse.r, 0.1f * (i + 1), 1e-6);
    EXPECT_EQ(m.Ambient, m.Diffuse);
    EXPECT_NEAR(m.Specular.r, 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(m.Power, 8);
  }
  EXPECT_EQ(object->Materials(2), D3DMATERIAL8{});
  EXPECT_THROW(object->Materials(3), std::out_of_range);

  // Slots 0..5; each material got the picture in its own slot, the rest are empty.
  EXPECT_EQ(object->TextureSlots(), 6);
  EXPECT_EQ(object->MaxTexture(), 4);
  ASSERT_NE(object->Textures(0), nullptr);
  ASSERT_NE(object->Textures(1), nullptr);
  EXPECT_NE(object->Textures(0), object->Textures(1));
  for (int i = 2; i <= 5; ++i) EXPECT_EQ(object->Textures(i), nullptr);
  EXPECT_EQ(object->Textures(0)->Width(), 2);

  // The vertex copy has one spare entry and stays zero until asked for.
  EXPECT_EQ(object->NumVertices(), 24);
  ASSERT_EQ(object->Vertices().size(), 25u);
  for (const auto& v : object->Vertices()) EXPECT_EQ(v, D3DVERTEX{});
}

TEST_F(XObjectTest, EmptyTextureNameLeavesEverySlotEmptyAndDrawsWithoutTexture) {
  const auto object = Cube(1, 3);
  for (int i = 0; i < object->TextureSlots(); ++i) EXPECT_EQ(object->Textures(i), nullptr);
  device_.SetTexture(0, object->Textures(0));  // something else may have been bound before
  NewScene();
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(device_.MeshDraws().size(), 1u);
  EXPECT_EQ(device_.MeshDraws()[0].texture, nullptr);
  EXPECT_EQ(device_.MeshDraws()[0].material.Ambient, object->Materials(0).Diffuse);
}

TEST_F(XObjectTest, ColourKeyFromTheLoaderMatchesTheSlotLoader) {
  const auto object = Cube(1, 2, "Star", 0xFF000000);
  object->LoadResourceTexture(1, "STAR", 0xFF000000, 0);
  for (int slot = 0; slot < 2; ++slot) {
    ITexture* t = object->Textures(slot);
    const auto bytes = t->LockRect();
    // Black corners turned transparent black; yellow stays opaque (B, G, R, A).
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 8),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 255, 255, 255}))
        << "slot " << slot;
    EXPECT_EQ(bytes[12 + 3], 0);
    t->UnlockRect();
  }
}

TEST_F(XObjectTest, LoadFailuresShowTheirMessageAndEndTheProgram) {
  XObject object(device_, resources_);
  const auto missing = folder_ / "NoSuch.CAR";
  EXPECT_NE(EndMessage([&] {
              object.LoadXFile(missing, 1, "", 0, 0, 1);
            }).find("Error loading Obj-File: \"" + missing.string() + "\""),
            std::string::npos);

  // The box keeps its text; the reader's reason (file, position, what) is on stderr.
  const auto damaged = folder_ / "Damaged.CAR";
  test::WriteText(damaged, "xof 0303txt 0032\nMesh { 3; 0.0; 0.0;");
  const std::string said = EndMessage([&] { object.LoadXFile(damaged, 1, "", 0, 0, 1); });
  EXPECT_NE(said.find("Error loading Obj-File: \"" + damaged.string() + "\""), std::string::npos) << said;
  EXPECT_NE(said.find(damaged.string() + ": line 2: file ends inside Mesh"), std::string::npos) << said;

  const auto noMesh = folder_ / "NoMesh.CAR";
  test::WriteText(noMesh,
                  "xof 0303txt 0032\nMaterial { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n");
  EXPECT_NE(EndMessage([&] {
              object.LoadXFile(noMesh, 1, "", 0, 0, 1);
            }).find("Error loading Mesh-File: \"" + noMesh.string() + "\""),
            std::string::npos);

  // A texture that cannot be loaded fails the whole load.
  const auto good = WriteMesh(folder_ / "Good.CAR", CubeMesh(1));
  EXPECT_NE(EndMessage([&] { object.LoadXFile(good, 1, "NoSuchBitmap", 0, 0, 1); }).find("Obj-File"),
            std::string::npos);
  EXPECT_NE(EndMessage([&] {
              object.LoadXFile(good, 0, (folder_ / "none.bmp").string(), 0, 0, 1);
            }).find("Obj-File"),
            std::string::npos);
  // More materials than slots: the picture of material 1 has no slot.
  const auto two = WriteMesh(folder_ / "Two.CAR", CubeMesh(2));
  EXPECT_NE(EndMessage([&] { object.LoadXFile(two, 1, "Star", 0, 0, 0); }).find("Obj-File"),
            std::string::npos);
  // None of the failed loads left a half-made object behind.
  EXPECT_EQ(object.Mesh(), nullptr);
}

TEST_F(XObjectTest, FileNamesAndTexturesAreFoundWithoutRegardToCase) {
  WriteMesh(folder_ / "CUBE.CAR", CubeMesh(1));
  std::filesystem::create_directory(folder_ / "Pics");
  const auto bmp = test::Bmp24(1, 1, {0xFF0000});
  std::ofstream(folder_ / "Pics" / "RED.BMP", std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  XObject object(device_, resources_);
  object.LoadXFile(folder_ / "cube.car", 0, (folder_ / "pics" / "red.bmp").string(), 0, 0, 1);
  ASSERT_NE(object.Textures(0), nullptr);
  const auto bytes = object.Textures(0)->LockRect();
  EXPECT_EQ(bytes[2], 255);  // red, in the third byte
  object.Textures(0)->UnlockRect();
}

TEST_F(XObjectTest, LoadingAgainReplacesMeshMaterialsAndSlotsButKeepsTheAnimation) {
  auto object = Cube(2, 4, "Star");
  object->SetAutoTexture(true, 1, 3, true);
  object->DisplayXfile(0, 0, 1, 7, 8, 9, 0, 0, 0, 0);
  const auto path = WriteMesh(folder_ / "one.car", CubeMesh(1));
  object->LoadXFile(path, 1, "", 0, 0, 2);
  EXPECT_EQ(object->MaterialCount(), 1);
  EXPECT_EQ(object->TextureSlots(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(object->Textures(i), nullptr);
  EXPECT_EQ(object->PosX(), 0);
  EXPECT_EQ(object->PosZ(), 0);
  EXPECT_TRUE(object->AutoTexture());
  EXPECT_EQ(object->StartNumber(), 1);
  EXPECT_EQ(object->DelayCount(), 3);
}

TEST_F(XObjectTest, DisplayRotatesAboutOneAxisThenMovesThenScalesAboutTheOrigin) {
  const auto object = Cube(1, 1);
  // Scaling after the move scales the position too.
  object->DisplayXfile(0, 0, 0.5f, 4, 2, 0, 0, 0, 0, 0);
  ExpectNear(Apply(object->WorldMatrix(), {0, 0, 0}), {2, 1, 0});
  ExpectNear(Apply(object->WorldMatrix(), {2, 0, 0}), {3, 1, 0});

  // RotAxis 0: the angles are stored but not used.
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 90, 90, 90, 0);
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {1, 0, 0});
  EXPECT_EQ(object->AngleX(), 90);
  EXPECT_EQ(object->AngleY(), 90);
  EXPECT_EQ(object->AngleZ(), 90);

  // Each axis takes its own angle, in degrees; the other two are ignored.
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 90, 45, 30, 1);  // about x: y goes to z
  ExpectNear(Apply(object->WorldMatrix(), {0, 1, 0}), {0, 0, 1});
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 45, 90, 30, 2);  // about y: x goes to -z
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {0, 0, -1});
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 45, 30, 90, 3);  // about z: x goes to y
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {0, 1, 0});

  // Rotation comes before the move: the object turns about its own origin.
  object->DisplayXfile(0, 0, 2, 1, 0, 0, 0, 0, 90, 3);
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {2, 2, 0});
  EXPECT_EQ(object->PosX(), 1);
  EXPECT_EQ(device_.GetTransform(D3DTS_WORLD), object->WorldMatrix());
}

TEST_F(XObjectTest, DrawSetsEachSubsetsMaterialAndTheBlendFlagOnlyForTheDraw) {
  const auto object = Cube(3, 3);
  NewScene();
  object->DisplayXfile(0, 1, 1, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(device_.MeshDraws().size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(device_.MeshDraws()[i].subset, i);
    EXPECT_EQ(device_.MeshDraws()[i].material, object->Materials(i));
    EXPECT_EQ(device_.MeshDraws()[i].alphaBlend, 1u);
  }
  EXPECT_EQ(device_.GetRenderState(D3DRS_ALPHABLENDENABLE), 0u);
}

TEST_F(XObjectTest, TexIndexAboveMaxTextureDrawsTheLastUsableSlot) {
  const auto object = Cube(1, 3);
  FillSlots(*object);
  NewScene();
  object->DisplayXfile(1, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  object->DisplayXfile(7, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  object->QDisplayXfile(3, 0, 1, 0, 0, 0, {}, {});
  // Slot 3 exists (slots run to TextureCount) but the draws stop at MaxTexture = 2.
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{1, 2, 2}));
  EXPECT_THROW(object->DisplayXfile(-1, 0, 1, 0, 0, 0, 0, 0, 0, 0), std::out_of_range);
}

TEST_F(XObjectTest, QuaternionDrawTurnsAboutTheCentreAndStoresItsAngles) {
  const auto object = Cube(1, 1);
  // Yaw 90 about the centre (1, 0, 0): the origin goes to (1, 0, 1), then moves by (0, 5, 0).
  object->QDisplayXfile(0, 0, 1, 90, 0, 0, {1, 0, 0}, {0, 5, 0});
  ExpectNear(Apply(object->WorldMatrix(), {0, 0, 0}), {1, 5, 1});
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {1, 5, 0});
  EXPECT_EQ(object->PosY(), 5);
  EXPECT_EQ(object->AngleX(), 90);
  // Pitch turns about x, roll about z; roll applies first.
  object->QDisplayXfile(0, 0, 1, 0, 90, 0, {}, {});
  ExpectNear(Apply(object->WorldMatrix(), {0, 1, 0}), {0, 0, 1});
  object->QDisplayXfile(0, 0, 1, 90, 0, 90, {}, {});
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {0, 1, 0});
  EXPECT_EQ(object->AngleY(), 0);
  EXPECT_EQ(object->AngleZ(), 90);
  // The scale is about the origin, not the centre.
  object->QDisplayXfile(0, 0, 2, 0, 0, 0, {1, 1, 1}, {});
  ExpectNear(Apply(object->WorldMatrix(), {1, 0, 0}), {2, 0, 0});
}

TEST_F(XObjectTest, AutoDisplayAddsItsAnglesToThoseOfTheLastDraw) {
  const auto object = Cube(1, 1);
  const auto reference = Cube(1, 1);
  object->QDisplayXfile(0, 0, 1, 30, 0, 0, {}, {1, 2, 3});
  object->AutoDisplayXfile(0, 0, 1, 10, 0, 0, {}, {1, 2, 3});
  EXPECT_EQ(object->AngleX(), 40);
  object->AutoDisplayXfile(0, 0, 1, 10, 0, 0, {}, {1, 2, 3});
  EXPECT_EQ(object->AngleX(), 50);
  reference->QDisplayXfile(0, 0, 1, 50, 0, 0, {}, {1, 2, 3});
  EXPECT_EQ(object->WorldMatrix(), reference->WorldMatrix());

  // A plain draw sets the starting point; sums are not wrapped at 360.
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 350, 5, 0, 0);
  object->AutoDisplayXfile(0, 0, 1, 20, 1, 2, {}, {});
  EXPECT_EQ(object->AngleX(), 370);
  EXPECT_EQ(object->AngleY(), 6);
  EXPECT_EQ(object->AngleZ(), 2);
}

TEST_F(XObjectTest, AnimationShowsEachSlotDelayPlusOneDrawsAndWrapsOnlyWithRepeat) {
  for (const bool repeat : {true, false}) {
    const auto object = Cube(1, 4);
    FillSlots(*object);
    object->SetAutoTexture(true, 0, 2, repeat);
    NewScene();
    for (int frame = 0; frame < 15; ++frame) object->DisplayXfile(9, 0, 1, 0, 0, 0, 0, 0, 0, 0);
    const std::vector<int> wrapped{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 0, 0, 0};
    const std::vector<int> stays{0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3};
    EXPECT_EQ(DrawnSlots(*object), repeat ? wrapped : stays) << "repeat " << repeat;
  }
}

TEST_F(XObjectTest, AnimationStepsOncePerSubsetAndResumesFromAResetNumber) {
  const auto object = Cube(3, 6);
  FillSlots(*object);
  object->SetAutoTexture(true, 1, 0, true);
  NewScene();
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{1, 2, 3}));
  // The wrap goes back to the start slot, not to 0.
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{1, 2, 3, 4, 5, 1}));

  // A new number takes over at once; the frame count is kept.
  object->SetAutoTexture(true, 0, 1, false);
  NewScene();
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);  // 0, 0, 1: ends with FrameCount 1 on slot 1
  EXPECT_EQ(object->FrameCount(), 1);
  object->ResetAutoTextureCurrentNumber(4);
  EXPECT_EQ(object->FrameCount(), 1);
  object->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{0, 0, 1, 4, 5, 5}));

  // Switching the animation off gives TexIndex back.
  object->SetAutoTexture(false, 0, 0, false);
  NewScene();
  object->DisplayXfile(2, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(DrawnSlots(*object), (std::vector<int>{2, 2, 2}));
}

TEST_F(XObjectTest, MovedObjectTakesItsMeshSlotsAndLockAlong) {
  auto source = Cube(1, 2, "Star");
  ITexture* slot0 = source->Textures(0);
  ASSERT_GT(source->LockTexture(2, 0), 0);
  std::vector<XObject> objects;
  objects.push_back(std::move(*source));
  XObject& moved = objects[0];
  EXPECT_EQ(moved.Textures(0), slot0);
  moved.ChangeTextureColor(0, 1, 2, 3, 4);
  EXPECT_TRUE(moved.UnLockTexture(2, 0));
  EXPECT_FALSE(slot0->IsLocked());
  moved.DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(device_.MeshDraws().size(), 1u);
  // The moved-from object owns nothing and refuses to draw.
  EXPECT_EQ(source->Mesh(), nullptr);
  EXPECT_THROW(source->DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0), std::logic_error);
  EXPECT_THROW(source->UnLockTexture(2, 0), std::logic_error);
}

TEST_F(XObjectTest, DrawingBeforeLoadingIsRefused) {
  XObject object(device_, resources_);
  EXPECT_THROW(object.DisplayXfile(0, 0, 1, 0, 0, 0, 0, 0, 0, 0), std::logic_error);
  EXPECT_FALSE(object.GetMeshVertex());
  EXPECT_THROW(object.SaveXFile(folder_ / "x.x", 0), std::logic_error);
}

}  // namespace
}  // namespace quarnix
