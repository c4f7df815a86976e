#include <cmath>

#include "ToolkitTestUtil.h"
#include "toolkit/XFileMszip.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {
using Ints = std::vector<std::uint32_t>;

Ints Part(const Ints& v, std::size_t from, std::size_t count) {
  return Ints(v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(from + count));
}
}  // namespace

TEST(XFileSamples, MayaCubeInAnIdentityFrameCubesSwappingYAndZInEachFormatAndAThreeMaterialBox) {
  const XFileContent c = ReadXFile(Sample("test.x"));
  EXPECT_TRUE(c.Header.FormatTag == "txt " && c.Header.FloatBits == 32 && c.MeshCount == 1);
  ASSERT_TRUE(c.Mesh.Vertices.size() == 24u && c.Mesh.TriangleCount() == 12u && c.Mesh.Materials.size() == 1);
  ExpectNear(c.Mesh.Vertices[0], {-0.820374f, -0.680440f, -0.820374f, 0, 0, -1, 0.047652f, -0.358017f});
  ExpectNear(c.Mesh.Vertices[23], {-0.820374f, 0.960307f, 0.820374f, -1, 0, 0, 0.371893f, -0.965625f});
  EXPECT_EQ(Part(c.Mesh.Indices, 0, 6), (Ints{0, 3, 1, 1, 3, 2}));
  EXPECT_EQ(Part(c.Mesh.Indices, 33, 3), (Ints{21, 23, 22}));
  const XMaterial& maya = c.Mesh.Materials[0];  // ".\\test.png" in the file
  EXPECT_EQ(maya,
            (XMaterial{{0.8f, 0.8f, 0.8f, 1}, {}, {0, 0, 0, 1}, maya.Emissive, maya.Power, ".\\test.png"}));
  // The cubes' root frame swaps y and z.
  const XMesh m = ReadXFile(Sample("test_cube_text.x")).Mesh;
  ASSERT_EQ(m.Vertices.size(), 24u);
  ExpectNear(m.Vertices[0], {-1, 1, -1, 0, 0, -1, 0, 0});
  ExpectNear(m.Vertices[4], {0.999999f, -1.000001f, 1, 0, 0, 1, 0, 0});
  ExpectNear(m.Vertices[8], {1, -1, -1, -1, 0, 0, 0, 0});
  EXPECT_EQ(Part(m.Indices, 0, 6), (Ints{0, 2, 1, 0, 1, 3}));
  ASSERT_EQ(m.Materials.size(), 1u);
  EXPECT_NEAR(m.Materials[0].Diffuse.r, 0.639216f, 1e-6);
  EXPECT_EQ(m.Materials[0].Diffuse.a, 1.0f);
  EXPECT_NEAR(m.Materials[0].Power, 96.078430f, 1e-4);
  EXPECT_NEAR(m.Materials[0].Specular.b, 0.498039f, 1e-6);
  EXPECT_EQ(m.Materials[0].Emissive, (XColor{0, 0, 0, 1}));
  const XFileContent binary = ReadXFile(Sample("test_cube_binary.x"));
  const XFileContent packed = ReadXFile(Sample("test_cube_compressed.x"));
  EXPECT_TRUE(binary.Header.FormatTag == "bin " && packed.Header.FormatTag == "bzip");
  EXPECT_TRUE(packed.Header.IsCompressed() && packed.Header.IsBinary() && !binary.Header.IsCompressed());
  for (std::size_t i = 0; i < 24; ++i) {
    const auto& v = m.Vertices[i];
    ExpectNear(binary.Mesh.Vertices.at(i), {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv});
  }
  EXPECT_EQ(binary.Mesh.Indices, m.Indices);
  EXPECT_NEAR(binary.Mesh.Materials.at(0).Power, m.Materials[0].Power, 1e-4);
  ExpectSame(packed.Mesh, binary.Mesh);
  ExpectSame(ReadXFile(Sample("malformed_skinweights_oob.x")).Mesh, m);  // bad skin weights are skipped
  // Three materials, vertex colours and DeclData.
  const XMesh box = ReadXFile(Sample("kwxport_test_cubewithvcolors.x")).Mesh;
  ASSERT_TRUE(box.Vertices.size() == 24u && box.TriangleCount() == 12u && box.Materials.size() == 3u);
  ExpectNear(box.Vertices[0], {-0.492126f, -0.492126f, -0.492126f, 0, -1, 0, 0, 0});
  ExpectNear(box.Vertices[4], {-0.492126f, 0.492126f, -0.492126f, 0, 1, 0, 0, 1});
  EXPECT_EQ(box.Attributes, (Ints{0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(box.Materials[2].TextureFileName,
            "C:\\code\\sourceforge\\kwxport\\trunkMerged\\test\\data\\updown.tga");
  EXPECT_NEAR(box.Materials[1].Power, 52.999996f, 1e-5);
  EXPECT_NEAR(box.Materials[1].Diffuse.g, 0.588235f, 1e-6);
  EXPECT_NEAR(box.Materials[2].Specular.r, 0.7f, 1e-6);
  EXPECT_EQ(box.Subsets(), (std::vector<XSubset>{{0, 0, 2, 0, 4}, {1, 2, 2, 4, 4}, {2, 4, 8, 8, 16}}));
}

TEST(XFileReader, FacesAreFanTriangulatedAndAPositionWithTwoNormalsIsCopied) {
  const XMesh fan = ReadTextFile(R"(
Mesh {
  6; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;5;;
  3; 5;0,1,2,3,4;, 4;4,3,1,5;, 2;0,1;;
})")
                        .Mesh;
  EXPECT_EQ(fan.Indices, (Ints{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 3, 1, 4, 1, 5}));
  EXPECT_EQ(fan.Attributes, Ints(5, 0));
  EXPECT_TRUE(fan.Materials.empty());
  ExpectNear(fan.Vertices.at(2), {2, 1, 0, 0, 0, 0, 0, 0});  // no normals, no uv: zeros
  const XMesh m = ReadTextFile(R"(
Mesh {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  3; 3;0,1,2;, 3;0,2,3;, 3;0,1,2;;
  MeshNormals {
    3; 0;0;1;, 0;1;0;, 0;0;1;;
    3; 3;0,0,0;, 3;1,1,1;, 3;2,0,2;;
  }
  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }
})")
                      .Mesh;
  ASSERT_EQ(m.Vertices.size(), 6u);
  EXPECT_EQ(m.Indices, (Ints{0, 1, 2, 4, 5, 3, 0, 1, 2}));
  ExpectNear(m.Vertices[2], {1, 1, 0, 0, 0, 1, 1, 1});
  ExpectNear(m.Vertices[3], {0, 1, 0, 0, 1, 0, 0, 1});
  ExpectNear(m.Vertices[4], {0, 0, 0, 0, 1, 0, 0, 0});
  ExpectNear(m.Vertices[5], {1, 1, 0, 0, 1, 0, 1, 1});
}

TEST(XFileReader, MeshesAreMovedByTheirFramesMergedAndGroupedByMaterial) {
  const XFileContent c = ReadTextFile(R"(
// comments of both kinds are skipped
# here too
Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Material Red { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; }
Mesh first {
  3; 0;0;0;, 1;0;0;, 0;1;0;;
  1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;; { Red } }
}
Frame outer {
  FrameTransformMatrix { 2,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  Frame inner {
    FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,0,0,1;; }
    Mesh second {
      4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
      3; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;;
      MeshNormals { 1; 0.70710677;0.70710677;0;; 3; 3;0,0,0;, 3;0,0,0;, 3;0,0,0;; }
      MeshMaterialList {
        2; 2; 1, 0;;
        Material Green { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "g.bmp"; } }
        { Red }
      }
    }
  }
}
)");
  EXPECT_EQ(c.MeshCount, 3);
  const XMesh& m = c.Mesh;
  ASSERT_EQ(m.Vertices.size(), 10u);
  ExpectNear(m.Vertices[6], {2, 0, 0}, 1e-6f);
  ExpectNear(m.Vertices[8], {4, 1, 0}, 1e-6f);
  EXPECT_NEAR(m.Vertices[6].nx, 0.5f / std::sqrt(1.25f), 1e-6);
  EXPECT_NEAR(m.Vertices[6].ny, 1.0f / std::sqrt(1.25f), 1e-6);
  ASSERT_EQ(m.Materials.size(), 4u);
  EXPECT_TRUE(m.Materials[0].Diffuse == (XColor{1, 0, 0, 1}) && m.Materials[1].TextureFileName == "g.bmp" &&
              m.Materials[2].Diffuse == (XColor{1, 0, 0, 1}) &&
              m.Materials[3].Diffuse == (XColor{1, 1, 1, 1}));
  EXPECT_EQ(m.Attributes, (Ints{0, 1, 1, 2, 3}));
  EXPECT_EQ(m.Indices, (Ints{3, 4, 5, 6, 8, 9, 7, 8, 9, 6, 7, 8, 0, 1, 2}));
  EXPECT_EQ(m.Subsets().at(1), (XSubset{1, 1, 2, 6, 4}));
  const XFileContent none =
      ReadTextFile("template Foo { <01234567-89ab-cdef-0123-456789abcdef> DWORD a; }\nFoo { 3; }\n");
  EXPECT_TRUE(none.MeshCount == 0 && none.Mesh.Vertices.empty() && none.Mesh.Subsets().empty());
}

TEST(XFileReader, BinaryWith64BitFloatsAndAReference) {
  Tokens t("xof 0302bin 0064");
  t.Name("Material").Name("Blue").Open().Doubles({0, 0, 1, 0.5, 7, 0.25, 0.25, 0.25, 0, 0, 0});
  t.Name("TextureFilename").Open().String("b.png").Close().Close();
  t.Name("Mesh").Open().Ints({4}).Doubles({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.125});
  t.Ints({1, 4, 0, 1, 2, 3});
  t.Name("MeshMaterialList").Open().Ints({1, 1, 0}).Open().Name("Blue").Close().Close();
  t.Close();
  const XFileContent c = ReadXFile(t.out);
  EXPECT_TRUE(c.Header.FloatBits == 64 && c.Header.MinorVersion == 2);
  const XMesh& m = c.Mesh;
  ASSERT_TRUE(m.Vertices.size() == 4u && m.Materials.size() == 1u);
  EXPECT_EQ(m.Vertices[3].z, 0.125f);
  EXPECT_EQ(m.Indices, (Ints{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(m.Materials[0],
            (XMaterial{{0, 0, 1, 0.5f}, {}, {0.25f, 0.25f, 0.25f, 1}, {0, 0, 0, 1}, 7, "b.png"}));
}

// catches: blocks over 32 KiB, a block packed or unpacked without the previous one, tzip read as binary.
TEST(XFileMszip, CompressedTextBlocksHoldAtMost32KiBEachLeaningOnThePreviousOne) {
  const auto sample = Sample("test.x");
  std::vector<std::uint8_t> text;  // five copies: the second block repeats what the first holds
  for (int i = 0; i < 5; ++i) text.insert(text.end(), sample.begin() + 16, sample.end());
  Tokens packed("xof 0303tzip0032");
  const auto blocks = xfile::DeflateMszip(text);
  packed.out.insert(packed.out.end(), blocks.begin(), blocks.end());
  std::size_t count = 0;
  for (std::size_t pos = 20; pos < packed.out.size(); ++count) {
    const auto u16 = [&](std::size_t at) { return std::size_t{packed.out[at]} | packed.out[at + 1] << 8; };
    EXPECT_TRUE(u16(pos) <= 32768u && u16(pos + 4) == ('C' | 'K' << 8)) << pos;
    EXPECT_TRUE(count == 0 || u16(pos + 2) < u16(pos) / 20) << "no back references in block " << count;
    pos += 4 + u16(pos + 2);
  }
  const XFileContent c = ReadXFile(packed.out);
  EXPECT_TRUE(c.Header.FormatTag == "tzip" && c.MeshCount == 5 && count == 2u);
  const XMesh once = ReadXFile(sample).Mesh;
  ASSERT_EQ(c.Mesh.Vertices.size(), 5 * 24u);
  EXPECT_TRUE(std::equal(once.Vertices.begin(), once.Vertices.end(), c.Mesh.Vertices.begin() + 96));
  EXPECT_EQ(c.Mesh.Indices[4 * 36], once.Indices[0] + 96);
}
