// The null back end, pictures into textures, which meshes are convex solids whose insides may be dropped.

#include <limits>

#include "PlatformTestUtil.h"
#include "platform/D3DXMath.h"
#include "platform/MeshData.h"
#include "platform/NullGraphics.h"

namespace quarnix {
namespace {

using test::Box;
using test::Faces;

std::vector<D3DVERTEX> Corners(int n) {
  std::vector<D3DVERTEX> v(n);
  for (int i = 0; i < n; ++i) v[i].x = static_cast<float>(i);
  return v;
}

TEST(NullGraphics, DevicesStartInTheGamesStateTexturesKeepBytesMeshesGroupBySubsetDrawsAreRecordedWithState) {
  NullGraphics graphics;
  ASSERT_TRUE(graphics.InitD3D());
  EXPECT_EQ(graphics.InitDevice(800, 600, 1, 0x505050), DeviceKindSoftware);
  IDevice& d = *graphics.Device();
  const std::pair<D3DRENDERSTATETYPE, std::uint32_t> states[] = {
      {D3DRS_LIGHTING, 1u},           {D3DRS_AMBIENT, 0x505050u},
      {D3DRS_SRCBLEND, D3DBLEND_ONE}, {D3DRS_DESTBLEND, D3DBLEND_ONE},
      {D3DRS_ALPHABLENDENABLE, 0u},   {D3DRS_CULLMODE, D3DCULL_NONE},
      {D3DRS_ZWRITEENABLE, 1u}};
  for (auto [state, value] : states) EXPECT_EQ(d.GetRenderState(state), value) << state;
  EXPECT_TRUE(d.GetTextureStageState(0, D3DTSS_MAGFILTER) == D3DTEXF_LINEAR &&
              d.GetTextureStageState(0, D3DTSS_ALPHAOP) == D3DTOP_MODULATE);
  EXPECT_THROW(d.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), std::out_of_range);
  NullGraphics none(DeviceKindNone);
  EXPECT_TRUE(none.InitDevice(640, 480, 1, 0) == DeviceKindNone && none.Device() == nullptr);
  d.SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(1, 2, 3));
  SetProjection(d, 60);  // its matrix shows in the drawn pictures; here only the world it resets
  EXPECT_EQ(d.GetTransform(D3DTS_WORLD), D3DXMatrixIdentity());
  graphics.InitDevice(64, 64, 1, 0);  // what locks keep is read back by the loader and drift tests
  IDevice& e = *graphics.Device();
  auto texture = e.CreateTexture(3, 2);
  EXPECT_EQ(std::pair(texture->Pitch(), texture->LockRect().size()), std::pair(12, std::size_t{24}));
  EXPECT_THROW(texture->LockRect(), std::logic_error);
  texture->UnlockRect();
  EXPECT_THROW(texture->UnlockRect(), std::logic_error);
  auto mesh = e.CreateMesh(Corners(3), {0, 1, 2}, {0});
  e.SetTexture(0, texture.get());
  graphics.InitDevice(64, 64, 1, 0);  // the first device is released
  EXPECT_THROW(mesh->DrawSubset(0), std::logic_error);
  NullDevice& n = *graphics.Null();  // draws are recorded on the next device
  // Faces with attributes 1, 0, 1: subset 0 holds the second face, subset 1 the first and the third.
  auto grouped = n.CreateMesh(Corners(5), {0, 1, 2, 1, 2, 3, 2, 3, 4}, {1, 0, 1});
  EXPECT_EQ(std::pair(grouped->GetNumFaces(), grouped->GetNumSubsets()), std::pair(3, 2));
  EXPECT_EQ(std::vector<std::uint32_t>(grouped->Indices().begin(), grouped->Indices().end()),
            (std::vector<std::uint32_t>{1, 2, 3, 0, 1, 2, 2, 3, 4}));
  EXPECT_THROW(n.CreateMesh(Corners(3), {0, 1, 3}, {0}), std::invalid_argument);
  EXPECT_THROW(n.CreateMesh(Corners(3), {0, 1}, {0}), std::invalid_argument);
  EXPECT_THROW(n.CreateMesh(Corners(3), {0, 1, 2}, {0xFFFFFFFF}), std::invalid_argument);
  auto gapped = n.CreateMesh(Corners(4), {0, 1, 2, 1, 2, 3}, {0, 2});
  auto bound = n.CreateTexture(4, 4);
  EXPECT_THROW(gapped->DrawSubset(0), std::logic_error);  // outside a scene
  n.BeginScene();
  n.SetTexture(0, bound.get());
  for (int subset : {0, 1, 2}) gapped->DrawSubset(subset);  // subset 1 has no faces: nothing drawn
  n.EndScene();
  // The state each draw records is read by the toolkit and scene tests.
  ASSERT_EQ(n.MeshDraws().size(), 2u);
  EXPECT_TRUE(n.MeshDraws()[1].subset == 2 && n.MeshDraws()[0].texture == bound.get());
  bound.reset();  // a texture that goes away is no longer set on the device
  EXPECT_EQ(n.Texture(), nullptr);
  EXPECT_THROW(n.EndScene(), std::logic_error);
  auto sprite = n.CreateSprite();  // what sprites and text record is read by the frame and menu tests
  n.BeginScene();
  EXPECT_TRUE(n.MeshDraws().empty());
  EXPECT_THROW(sprite->Draw(n.CreateTexture(8, 8).get(), nullptr, nullptr, nullptr, 0, nullptr, 0xFFFFFFFF),
               std::logic_error);
}

// Decoding bitmaps and keying are checked through the texture loaders (toolkit tests) and the drawn pictures.
TEST(TextureImage, PicturesPadOrStretchIntoALargerTexturePngsKeepTheirAlphaMissingFilesAreRefused) {
  EXPECT_THROW(LoadImageFile("/nonexistent/picture.bmp"), std::runtime_error);
  // No filter pads a larger texture with transparent black; linear stretches.
  const Image one{1, 1, {0xFF405060}};
  EXPECT_EQ(TexturePixels(one, D3DX_FILTER_NONE, 0, 2, 2),
            (std::vector<std::uint8_t>{0x60, 0x50, 0x40, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  const auto stretched = TexturePixels(one, D3DX_FILTER_LINEAR, 0, 2, 2);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(stretched[4 * p + 2], 0x40) << p;
  const auto path = std::filesystem::temp_directory_path() / "quarnix-platform-roundtrip.png";
  const std::vector<std::uint8_t> rgba{255, 0, 0, 255, 0, 0, 255, 128};
  WritePng(path.string(), 2, 1, rgba);
  const Image back = LoadImageFile(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(back.Argb, (std::vector<std::uint32_t>{0xFFFF0000, 0x800000FF}));
  EXPECT_THROW(WritePng("/nonexistent/dir/x.png", 2, 1, rgba), std::runtime_error);
}

D3DCULL Inside(const Faces& f) { return ConvexSolidInsideFaces(f.vertices, f.indices); }

TEST(MeshShape, ClosedConvexSolidsTellWhichFacesAreInsideAnythingElseHasNone) {
  Faces tetra;  // of shared vertices
  tetra.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  tetra.indices = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
  for (Faces f : {Box({-1, -1, -1}, {1, 1, 1}), Box({100, 5, 7}, {101, 5.25f, 9}), tetra}) {
    EXPECT_EQ(Inside(f), D3DCULL_CCW);
    f.Reverse();
    EXPECT_EQ(Inside(f), D3DCULL_CW);
  }
  const Faces cube = Box({-1, -1, -1}, {1, 1, 1});
  Faces mixed = cube, pair = Box({0, 0, 0}, {1, 1, 1}), flat, cracked = cube, broken = cube;
  std::swap(mixed.indices[1], mixed.indices[2]);  // one face turned the wrong way
  std::swap(mixed.indices[4], mixed.indices[5]);
  const Faces other = Box({3, 0, 0}, {4, 1, 1});  // side by side: together no convex solid
  const auto base = static_cast<std::uint32_t>(pair.vertices.size());
  pair.vertices.insert(pair.vertices.end(), other.vertices.begin(), other.vertices.end());
  for (std::uint32_t i : other.indices) pair.indices.push_back(base + i);
  flat.Quad({{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}}});  // closed edge-wise, but with no inside
  flat.Quad({{{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}}});
  cracked.vertices[16].x += 0.01f;  // one corner of the lid moved off the walls
  broken.vertices[0].y = std::numeric_limits<float>::quiet_NaN();
  for (const Faces& f : {Box({-1, -1, -1}, {1, 1, 1}, false), mixed, pair, flat, cracked, broken, Faces{}})
    EXPECT_EQ(Inside(f), D3DCULL_NONE);
}

}  // namespace
}  // namespace quarnix
