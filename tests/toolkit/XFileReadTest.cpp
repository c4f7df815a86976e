// Reading X files: the shared samples (expected values read off the files by
// hand) and small hand-written files for triangulation, normal splits,
// materials, frames and encodings.

#include <zlib.h>

#include "XFileTestUtil.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

void ExpectSameMesh(const XMesh& a, const XMesh& b, float tolerance) {
  ASSERT_EQ(a.Vertices.size(), b.Vertices.size());
  for (std::size_t i = 0; i < a.Vertices.size(); ++i) {
    const auto& v = b.Vertices[i];
    SCOPED_TRACE("vertex " + std::to_string(i));
    ExpectNear(a.Vertices[i], {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv}, tolerance);
  }
  EXPECT_EQ(a.Indices, b.Indices);
  EXPECT_EQ(a.Attributes, b.Attributes);
  ASSERT_EQ(a.Materials.size(), b.Materials.size());
  for (std::size_t i = 0; i < a.Materials.size(); ++i) {
    EXPECT_NEAR(a.Materials[i].Diffuse.r, b.Materials[i].Diffuse.r, tolerance);
    EXPECT_NEAR(a.Materials[i].Power, b.Materials[i].Power, 1e-4);
    EXPECT_NEAR(a.Materials[i].Specular.g, b.Materials[i].Specular.g, tolerance);
    EXPECT_EQ(a.Materials[i].TextureFileName, b.Materials[i].TextureFileName);
  }
}

}  // namespace

TEST(XFileSamples, MayaCubeInAnIdentityFrame) {
  const XFileContent c = ReadXFile(Sample("test.x"));
  EXPECT_EQ(c.Header.FormatTag, "txt ");
  EXPECT_EQ(c.Header.FloatBits, 32);
  EXPECT_EQ(c.MeshCount, 1);
  const XMesh& m = c.Mesh;
  // 24 positions, 12 three-cornered faces; each position has one normal.
  ASSERT_EQ(m.Vertices.size(), 24u);
  ASSERT_EQ(m.TriangleCount(), 12u);
  ExpectNear(m.Vertices[0], {-0.820374f, -0.680440f, -0.820374f, 0, 0, -1, 0.047652f, -0.358017f});
  ExpectNear(m.Vertices[6], {0.820374f, 0.960307f, 0.820374f, 0, 1, 0, 0.244319f, -0.014797f});
  ExpectNear(m.Vertices[23], {-0.820374f, 0.960307f, 0.820374f, -1, 0, 0, 0.371893f, -0.965625f});
  EXPECT_EQ((std::vector<std::uint32_t>{m.Indices.begin(), m.Indices.begin() + 6}),
            (std::vector<std::uint32_t>{0, 3, 1, 1, 3, 2}));
  EXPECT_EQ((std::vector<std::uint32_t>{m.Indices.end() - 3, m.Indices.end()}),
            (std::vector<std::uint32_t>{21, 23, 22}));
  ASSERT_EQ(m.Materials.size(), 1u);
  EXPECT_EQ(m.Materials[0].Diffuse, (XColor{0.8f, 0.8f, 0.8f, 1.0f}));
  EXPECT_EQ(m.Materials[0].Ambient, XColor{});
  EXPECT_EQ(m.Materials[0].Specular, (XColor{0, 0, 0, 1}));
  EXPECT_EQ(m.Materials[0].TextureFileName, ".\\test.png");  // written ".\\test.png" in the file
  EXPECT_EQ(m.Subsets().size(), 1u);
  EXPECT_FALSE(m.Uses32BitIndices());
}

TEST(XFileSamples, TextCubeSwapsYAndZThroughItsRootFrame) {
  const XFileContent c = ReadXFile(Sample("test_cube_text.x"));
  const XMesh& m = c.Mesh;
  ASSERT_EQ(m.Vertices.size(), 24u);
  ASSERT_EQ(m.TriangleCount(), 12u);
  // Root's matrix has rows (1,0,0) (0,0,1) (0,1,0): (x, y, z) becomes (x, z, y).
  ExpectNear(m.Vertices[0], {-1, 1, -1, 0, 0, -1, 0, 0});
  ExpectNear(m.Vertices[4], {0.999999f, -1.000001f, 1, 0, 0, 1, 0, 0});
  ExpectNear(m.Vertices[8], {1, -1, -1, -1, 0, 0, 0, 0});
  ExpectNear(m.Vertices[12], {-1, -1, -1, 0, -1, 0, 0, 0});
  EXPECT_EQ((std::vector<std::uint32_t>{m.Indices.begin(), m.Indices.begin() + 6}),
            (std::vector<std::uint32_t>{0, 2, 1, 0, 1, 3}));
  // The material is a top-level "Material" named by reference.
  ASSERT_EQ(m.Materials.size(), 1u);
  EXPECT_NEAR(m.Materials[0].Diffuse.r, 0.639216f, 1e-6);
  EXPECT_EQ(m.Materials[0].Diffuse.a, 1.0f);
  EXPECT_NEAR(m.Materials[0].Power, 96.078430f, 1e-4);
  EXPECT_NEAR(m.Materials[0].Specular.b, 0.498039f, 1e-6);
  EXPECT_EQ(m.Materials[0].Specular.a, 1.0f);
  EXPECT_EQ(m.Materials[0].Emissive, (XColor{0, 0, 0, 1}));
  EXPECT_EQ(m.Materials[0].TextureFileName, "");
}

TEST(XFileSamples, BinaryAndCompressedCubesMatchTheTextCube) {
  const XFileContent text = ReadXFile(Sample("test_cube_text.x"));
  const XFileContent binary = ReadXFile(Sample("test_cube_binary.x"));
  const XFileContent packed = ReadXFile(Sample("test_cube_compressed.x"));
  EXPECT_EQ(binary.Header.FormatTag, "bin ");
  EXPECT_EQ(packed.Header.FormatTag, "bzip");
  EXPECT_TRUE(packed.Header.IsCompressed() && packed.Header.IsBinary());
  ExpectSameMesh(binary.Mesh, text.Mesh, 1e-6f);
  // The compressed sample is the binary sample in MSZIP blocks: exactly equal.
  EXPECT_EQ(packed.Mesh.Vertices, binary.Mesh.Vertices);
  EXPECT_EQ(packed.Mesh.Indices, binary.Mesh.Indices);
  EXPECT_EQ(packed.Mesh.Materials, binary.Mesh.Materials);
}

TEST(XFileSamples, ThreeMaterialBoxWithVertexColoursAndDeclData) {
  const XMesh m = ReadXFile(Sample("kwxport_test_cubewithvcolors.x")).Mesh;
  ASSERT_EQ(m.Vertices.size(), 24u);
  ASSERT_EQ(m.TriangleCount(), 12u);
  // The frame moves the box down by 0.492126.
  ExpectNear(m.Vertices[0], {-0.492126f, -0.492126f, -0.492126f, 0, -1, 0, 0, 0});
  ExpectNear(m.Vertices[4], {-0.492126f, 0.492126f, -0.492126f, 0, 1, 0, 0, 1});
  EXPECT_EQ(m.Attributes, (std::vector<std::uint32_t>{0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2}));
  ASSERT_EQ(m.Materials.size(), 3u);
  EXPECT_EQ(m.Materials[0].TextureFileName,
            "C:\\code\\sourceforge\\kwxport\\trunkMerged\\test\\data\\bottom.tga");
  EXPECT_EQ(m.Materials[2].TextureFileName,
            "C:\\code\\sourceforge\\kwxport\\trunkMerged\\test\\data\\updown.tga");
  EXPECT_NEAR(m.Materials[0].Power, 31.0f, 1e-5);
  EXPECT_NEAR(m.Materials[1].Power, 52.999996f, 1e-5);
  EXPECT_NEAR(m.Materials[1].Diffuse.g, 0.588235f, 1e-6);
  EXPECT_NEAR(m.Materials[2].Specular.r, 0.7f, 1e-6);
  const auto subsets = m.Subsets();
  ASSERT_EQ(subsets.size(), 3u);
  EXPECT_EQ(subsets[0], (XSubset{0, 0, 2, 0, 4}));
  EXPECT_EQ(subsets[1], (XSubset{1, 2, 2, 4, 4}));
  EXPECT_EQ(subsets[2], (XSubset{2, 4, 8, 8, 16}));
}

TEST(XFileSamples, SkinWeightsOutsideTheMeshAreSkipped) {
  const XMesh bad = ReadXFile(Sample("malformed_skinweights_oob.x")).Mesh;
  const XMesh good = ReadXFile(Sample("test_cube_text.x")).Mesh;
  EXPECT_EQ(bad.Vertices, good.Vertices);
  EXPECT_EQ(bad.Indices, good.Indices);
  EXPECT_EQ(bad.Materials, good.Materials);
}

TEST(XFileReader, FacesAreFanTriangulated) {
  const XMesh m = ReadText(R"(
Mesh {
  6;
  0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;5;;
  3;
  5;0,1,2,3,4;,
  4;4,3,1,5;,
  2;0,1;;
})")
                      .Mesh;
  // A pentagon gives 3 triangles, a quad 2, a two-cornered face none.
  EXPECT_EQ(m.Indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 3, 1, 4, 1, 5}));
  EXPECT_EQ(m.Attributes, (std::vector<std::uint32_t>(5, 0)));
  EXPECT_EQ(m.Vertices.size(), 6u);
  EXPECT_TRUE(m.Materials.empty());
  ExpectNear(m.Vertices[2], {2, 1, 0, 0, 0, 0, 0, 0});  // no normals, no uv: zeros
}

TEST(XFileReader, APositionWithTwoNormalsIsCopied) {
  const XMesh m = ReadText(R"(
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
  // Face 1 meets positions 0 and 2 again with normal (0,1,0): two copies are
  // appended, in order of use; position 3 is new and takes (0,1,0) itself.
  // Face 2 names normal 2, which equals normal 0: no copy.
  ASSERT_EQ(m.Vertices.size(), 6u);
  EXPECT_EQ(m.Indices, (std::vector<std::uint32_t>{0, 1, 2, 4, 5, 3, 0, 1, 2}));
  ExpectNear(m.Vertices[2], {1, 1, 0, 0, 0, 1, 1, 1});
  ExpectNear(m.Vertices[3], {0, 1, 0, 0, 1, 0, 0, 1});
  ExpectNear(m.Vertices[4], {0, 0, 0, 0, 1, 0, 0, 0});
  ExpectNear(m.Vertices[5], {1, 1, 0, 0, 1, 0, 1, 1});
}

TEST(XFileReader, MeshesAreMergedAndGroupedByMaterial) {
  const XFileContent c = ReadText(R"(
// comments of both kinds are skipped
# here too
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
  EXPECT_EQ(c.MeshCount, 2);
  const XMesh& m = c.Mesh;
  ASSERT_EQ(m.Vertices.size(), 7u);
  // The inner translation applies first, then the outer scale: x' = 2 (x + 1).
  ExpectNear(m.Vertices[3], {2, 0, 0}, 1e-6f);
  ExpectNear(m.Vertices[5], {4, 1, 0}, 1e-6f);
  // Normals follow the inverse transpose: (1,1,0) under x-scale 2 turns into
  // (0.5,1,0), rescaled to its old length 1.
  EXPECT_NEAR(m.Vertices[3].nx, 0.5f / std::sqrt(1.25f), 1e-6);
  EXPECT_NEAR(m.Vertices[3].ny, 1.0f / std::sqrt(1.25f), 1e-6);
  // Materials: Red, then Green and Red again of the second mesh. Its face
  // materials 1, 0 and the repeated last 0 become 2, 1, 1.
  ASSERT_EQ(m.Materials.size(), 3u);
  EXPECT_EQ(m.Materials[0].Diffuse, (XColor{1, 0, 0, 1}));
  EXPECT_EQ(m.Materials[1].TextureFileName, "g.bmp");
  EXPECT_EQ(m.Materials[2].Diffuse, (XColor{1, 0, 0, 1}));
  EXPECT_EQ(m.Attributes, (std::vector<std::uint32_t>{0, 1, 1, 2}));
  // Grouping keeps the file order inside each material.
  EXPECT_EQ(m.Indices, (std::vector<std::uint32_t>{0, 1, 2, 3, 5, 6, 4, 5, 6, 3, 4, 5}));
  const auto subsets = m.Subsets();
  ASSERT_EQ(subsets.size(), 3u);
  EXPECT_EQ(subsets[1], (XSubset{1, 1, 2, 3, 4}));
}

TEST(XFileReader, MeshWithoutMaterialsMergedWithOneThatHasSome) {
  const XMesh m = ReadText(R"(
Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
  MeshMaterialList { 1; 1; 0;; Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } } }
)")
                      .Mesh;
  ASSERT_EQ(m.Materials.size(), 2u);
  EXPECT_EQ(m.Materials[0].Diffuse, (XColor{0, 0, 1, 1}));
  EXPECT_EQ(m.Materials[1].Diffuse, (XColor{1, 1, 1, 1}));
  EXPECT_EQ(m.Attributes, (std::vector<std::uint32_t>{0, 1}));
  EXPECT_EQ(m.Indices, (std::vector<std::uint32_t>{3, 4, 5, 0, 1, 2}));
}

TEST(XFileReader, FileWithoutMeshReadsAsEmpty) {
  const XFileContent c =
      ReadText("template Foo { <01234567-89ab-cdef-0123-456789abcdef> DWORD a; }\nFoo { 3; }\n");
  EXPECT_EQ(c.MeshCount, 0);
  EXPECT_TRUE(c.Mesh.Vertices.empty());
  EXPECT_TRUE(c.Mesh.Subsets().empty());
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
  EXPECT_EQ(c.Header.FloatBits, 64);
  EXPECT_EQ(c.Header.MinorVersion, 2);
  const XMesh& m = c.Mesh;
  ASSERT_EQ(m.Vertices.size(), 4u);
  EXPECT_EQ(m.Vertices[3].z, 0.125f);
  EXPECT_EQ(m.Indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
  ASSERT_EQ(m.Materials.size(), 1u);
  EXPECT_EQ(m.Materials[0].Diffuse, (XColor{0, 0, 1, 0.5f}));
  EXPECT_EQ(m.Materials[0].Power, 7.0f);
  EXPECT_EQ(m.Materials[0].TextureFileName, "b.png");
}

namespace {

// MSZIP blocks made with zlib directly; each block after the first is
// compressed against the previous block's data.
std::vector<std::uint8_t> Mszip(const std::string& header, const std::string& body, std::size_t blockSize,
                                std::vector<std::vector<std::uint8_t>>* rawBlocks = nullptr) {
  std::vector<std::uint8_t> out(header.begin(), header.end());
  const std::uint32_t total = static_cast<std::uint32_t>(body.size() + 16);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(total >> (8 * i)));
  for (std::size_t pos = 0; pos < body.size(); pos += blockSize) {
    const std::size_t n = std::min(blockSize, body.size() - pos);
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    if (pos > 0)
      deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(body.data() + pos - blockSize),
                           static_cast<uInt>(blockSize));
    std::vector<std::uint8_t> packed(n + 1024);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + pos));
    z.avail_in = static_cast<uInt>(n);
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    packed.resize(z.total_out);
    deflateEnd(&z);
    if (rawBlocks) rawBlocks->push_back(packed);
    const std::size_t stored = packed.size() + 2;
    out.insert(out.end(),
               {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                static_cast<std::uint8_t>(stored), static_cast<std::uint8_t>(stored >> 8), 'C', 'K'});
    out.insert(out.end(), packed.begin(), packed.end());
  }
  return out;
}

}  // namespace

TEST(XFileReader, CompressedTextUsesThePreviousBlockAsDictionary) {
  const std::string plain(reinterpret_cast<const char*>(Sample("test.x").data()) + 16,
                          Sample("test.x").size() - 16);
  // Two blocks holding the same text: the second is nearly all back references.
  std::vector<std::vector<std::uint8_t>> blocks;
  const auto packed = Mszip("xof 0303tzip0032", plain + plain, plain.size(), &blocks);
  ASSERT_EQ(blocks.size(), 2u);
  {  // The second block cannot be inflated without its dictionary.
    z_stream z{};
    inflateInit2(&z, -15);
    std::vector<std::uint8_t> out(plain.size());
    z.next_in = blocks[1].data();
    z.avail_in = static_cast<uInt>(blocks[1].size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_NE(inflate(&z, Z_FINISH), Z_STREAM_END);
    inflateEnd(&z);
  }
  const XFileContent c = ReadXFile(packed);
  EXPECT_EQ(c.Header.FormatTag, "tzip");
  EXPECT_EQ(c.MeshCount, 2);  // the text twice: two meshes merged
  const XMesh once = ReadXFile(Sample("test.x")).Mesh;
  ASSERT_EQ(c.Mesh.Vertices.size(), 48u);
  EXPECT_TRUE(std::equal(once.Vertices.begin(), once.Vertices.end(), c.Mesh.Vertices.begin() + 24));
  EXPECT_EQ(c.Mesh.Indices[36], once.Indices[0] + 24);
}
