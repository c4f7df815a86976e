#include <cmath>

#include "ToolkitTestUtil.h"
#include "toolkit/XFileMszip.h"

using namespace quarnix;
using namespace quarnix::test;
using namespace ::testing;

namespace {
using Ints = std::vector<std::uint32_t>;
// Two materials, a texture name with the characters text files escape, values needing every digit.
XMesh SampleMesh() {
  const XMaterial named{{0.8f, 0.1f, 0.2f, 0.5f}, {},    {0.3f, 0.3f, 0.3f, 1},
                        {0, 0, 0.01f, 1},         12.5f, "C:\\maps\\cube \"one\".bmp"};
  return {{{0, 0, 0, 0, 0, -1, 0, 0},
           {1.0f / 3, 0, 0, 0, 0, -1, 1, 0},
           {1, 12345.678f, -0.0f, 0.1f, 0.2f, -0.97467943f, 1, 1},
           {1e-7f, 1, 3.4e30f, -1, 0, 0, 0.5f, -2.75f},
           {-5, -6, -7, 0, 1, 0, 0.25f, 0.125f}},
          {0, 1, 2, 0, 2, 3, 1, 3, 4},
          {0, 0, 1},
          {named, {{0, 1, 0, 1}, {}, {0, 0, 0, 1}, {0, 0, 0, 1}, 0, ""}}};
}
std::string Outcome(std::span<const std::uint8_t> bytes) {
  try {
    return "ok " + std::to_string(ReadXFile(bytes).MeshCount);
  } catch (const XFileError& e) {
    return e.what();
  }
}
std::string TextOutcome(const std::string& body) { return Outcome(Bytes("xof 0303txt 0032\n" + body)); }
// A one-line message that says where; with expected, also what.
void ExpectCleanError(const std::string& message, const std::string& expected = "") {
  EXPECT_THAT(message,
              AllOf(Not(HasSubstr("\n")), HasSubstr(expected),
                    AnyOf(StartsWith("line "), StartsWith("byte "), StartsWith("uncompressed line "))));
}
// Where the data object holding the mesh begins: the first "Frame" not in a template declaration.
std::size_t MeshStart(const std::string& s) {
  for (std::size_t at = s.find("Frame"); at != std::string::npos; at = s.find("Frame", at + 1))
    if (at < 9 || s.compare(at - 9, 9, "template ") != 0) return at;
  ADD_FAILURE() << "no frame";
  return 16;
}
}  // namespace

TEST(XFileSamples, MayaCubeInAnIdentityFrameCubesSwappingYAndZInEachFormatAndAThreeMaterialBox) {
  const XFileContent c = ReadXFile(Sample("test.x"));
  EXPECT_TRUE(c.Header.FormatTag == "txt " && c.Header.FloatBits == 32 && c.MeshCount == 1);
  ASSERT_TRUE(c.Mesh.Vertices.size() == 24u && c.Mesh.TriangleCount() == 12u && c.Mesh.Materials.size() == 1);
  ExpectNear(c.Mesh.Vertices[0], {-0.820374f, -0.680440f, -0.820374f, 0, 0, -1, 0.047652f, -0.358017f});
  ExpectNear(c.Mesh.Vertices[23], {-0.820374f, 0.960307f, 0.820374f, -1, 0, 0, 0.371893f, -0.965625f});
  EXPECT_EQ(Ints(c.Mesh.Indices.begin(), c.Mesh.Indices.begin() + 6), (Ints{0, 3, 1, 1, 3, 2}));
  EXPECT_EQ(Ints(c.Mesh.Indices.begin() + 33, c.Mesh.Indices.end()), (Ints{21, 23, 22}));
  const XMaterial& maya = c.Mesh.Materials[0];  // ".\\test.png" in the file
  EXPECT_EQ(maya,
            (XMaterial{{0.8f, 0.8f, 0.8f, 1}, {}, {0, 0, 0, 1}, maya.Emissive, maya.Power, ".\\test.png"}));
  // The cubes' root frame swaps y and z.
  const XMesh m = ReadXFile(Sample("test_cube_text.x")).Mesh;
  ASSERT_TRUE(m.Vertices.size() == 24u && m.Materials.size() == 1u);
  ExpectNear(m.Vertices[0], {-1, 1, -1, 0, 0, -1, 0, 0});
  ExpectNear(m.Vertices[4], {0.999999f, -1.000001f, 1, 0, 0, 1, 0, 0});
  ExpectNear(m.Vertices[8], {1, -1, -1, -1, 0, 0, 0, 0});
  EXPECT_EQ(Ints(m.Indices.begin(), m.Indices.begin() + 6), (Ints{0, 2, 1, 0, 1, 3}));
  const XMaterial& cm = m.Materials[0];
  EXPECT_EQ(cm.Emissive, (XColor{0, 0, 0, 1}));
  EXPECT_THAT((std::vector{cm.Diffuse.r, cm.Diffuse.a, cm.Power, cm.Specular.b}),
              Pointwise(FloatNear(1e-4f), {0.639216f, 1.0f, 96.07843f, 0.498039f}));
  const XFileContent binary = ReadXFile(Sample("test_cube_binary.x"));
  const XFileContent packed = ReadXFile(Sample("test_cube_compressed.x"));
  EXPECT_TRUE(binary.Header.FormatTag == "bin " && packed.Header.FormatTag == "bzip");
  EXPECT_TRUE(packed.Header.IsCompressed() && packed.Header.IsBinary() && !binary.Header.IsCompressed());
  EXPECT_TRUE(binary.Mesh.Vertices == m.Vertices && binary.Mesh.Indices == m.Indices);
  EXPECT_NEAR(binary.Mesh.Materials.at(0).Power, m.Materials[0].Power, 1e-4);
  ExpectSame(packed.Mesh, binary.Mesh);
  ExpectSame(ReadXFile(Sample("malformed_skinweights_oob.x")).Mesh, m);  // bad skin weights are skipped
  const XMesh box = ReadXFile(Sample("kwxport_test_cubewithvcolors.x")).Mesh;
  ASSERT_TRUE(box.Vertices.size() == 24u && box.TriangleCount() == 12u && box.Materials.size() == 3u);
  ExpectNear(box.Vertices[0], {-0.492126f, -0.492126f, -0.492126f, 0, -1, 0, 0, 0});
  ExpectNear(box.Vertices[4], {-0.492126f, 0.492126f, -0.492126f, 0, 1, 0, 0, 1});
  EXPECT_EQ(box.Attributes, (Ints{0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(box.Materials[2].TextureFileName,
            "C:\\code\\sourceforge\\kwxport\\trunkMerged\\test\\data\\updown.tga");
  EXPECT_THAT((std::vector{box.Materials[1].Power, box.Materials[1].Diffuse.g, box.Materials[2].Specular.r}),
              Pointwise(FloatNear(1e-5f), {52.999996f, 0.588235f, 0.7f}));
  EXPECT_EQ(box.Subsets(), (std::vector<XSubset>{{0, 0, 2, 0, 4}, {1, 2, 2, 4, 4}, {2, 4, 8, 8, 16}}));
}

TEST(XFileReader, FansSplitNormalsFramesAndReferencedMaterialsReadInTextAndInBinaryWith64BitFloats) {
  const auto [fanHeader, fanCount, fan] = ReadTextFile(R"(
Mesh {
  6; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;5;;
  3; 5;0,1,2,3,4;, 4;4,3,1,5;, 2;0,1;;
})");
  EXPECT_EQ(fan.Indices, (Ints{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 3, 1, 4, 1, 5}));
  EXPECT_TRUE(fan.Attributes == Ints(5, 0) && fan.Materials.empty());
  ExpectNear(fan.Vertices.at(2), {2, 1, 0, 0, 0, 0, 0, 0});  // no normals, no uv: zeros
  const auto [header, count, m] = ReadTextFile(R"(
Mesh {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  3; 3;0,1,2;, 3;0,2,3;, 3;0,1,2;;
  MeshNormals {
    3; 0;0;1;, 0;1;0;, 0;0;1;;
    3; 3;0,0,0;, 3;1,1,1;, 3;2,0,2;;
  }
  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }
})");
  ASSERT_EQ(m.Vertices.size(), 6u);
  EXPECT_EQ(m.Indices, (Ints{0, 1, 2, 4, 5, 3, 0, 1, 2}));
  ExpectNear(m.Vertices[2], {1, 1, 0, 0, 0, 1, 1, 1});
  ExpectNear(m.Vertices[3], {0, 1, 0, 0, 1, 0, 0, 1});
  ExpectNear(m.Vertices[4], {0, 0, 0, 0, 1, 0, 0, 0});
  ExpectNear(m.Vertices[5], {1, 1, 0, 0, 1, 0, 1, 1});
  // Meshes are moved by their frames, merged and grouped by material.
  const auto [h, meshCount, merged] = ReadTextFile(R"(
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
  EXPECT_EQ(meshCount, 3);
  ASSERT_TRUE(merged.Vertices.size() == 10u && merged.Materials.size() == 4u);
  ExpectNear(merged.Vertices[6], {2, 0, 0, 0.5f / std::sqrt(1.25f), 1 / std::sqrt(1.25f)});
  ExpectNear(merged.Vertices[8], {4, 1, 0});
  EXPECT_TRUE(merged.Materials[0].Diffuse == (XColor{1, 0, 0, 1}) &&
              merged.Materials[1].TextureFileName == "g.bmp" &&
              merged.Materials[2].Diffuse == (XColor{1, 0, 0, 1}) &&
              merged.Materials[3].Diffuse == (XColor{1, 1, 1, 1}));
  EXPECT_EQ(merged.Attributes, (Ints{0, 1, 1, 2, 3}));
  EXPECT_EQ(merged.Indices, (Ints{3, 4, 5, 6, 8, 9, 7, 8, 9, 6, 7, 8, 0, 1, 2}));
  EXPECT_EQ(merged.Subsets().at(1), (XSubset{1, 1, 2, 6, 4}));
  const XFileContent none =
      ReadTextFile("template Foo { <01234567-89ab-cdef-0123-456789abcdef> DWORD a; }\nFoo { 3; }\n");
  EXPECT_TRUE(none.MeshCount == 0 && none.Mesh.Vertices.empty() && none.Mesh.Subsets().empty());
  Tokens t("xof 0302bin 0064");
  t.Name("Material").Name("Blue").Open().Doubles({0, 0, 1, 0.5, 7, 0.25, 0.25, 0.25, 0, 0, 0});
  t.Name("TextureFilename").Open().String("b.png").Close().Close();
  t.Name("Mesh").Open().Ints({4}).Doubles({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0.125});
  t.Ints({1, 4, 0, 1, 2, 3});
  t.Name("MeshMaterialList").Open().Ints({1, 1, 0}).Open().Name("Blue").Close().Close();
  t.Close();
  const auto [wideHeader, wideCount, wide] = ReadXFile(t.out);
  EXPECT_TRUE(wideHeader.FloatBits == 64 && wideHeader.MinorVersion == 2);
  ASSERT_TRUE(wide.Vertices.size() == 4u && wide.Materials.size() == 1u);
  EXPECT_EQ(wide.Vertices[3].z, 0.125f);
  EXPECT_EQ(wide.Indices, (Ints{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(wide.Materials[0],
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

TEST(XFileWriter,
     EveryFormatReadsBackStablyInTheUsualLayoutAndUnwritableMeshesAreRefusedLeavingTheFileWhole) {
  for (auto [format, header] : {std::pair{XFileFormat::Text, "xof 0303txt 0032"},
                                {XFileFormat::Binary, "xof 0303bin 0032"},
                                {XFileFormat::Compressed, "xof 0303bzip0032"}}) {
    SCOPED_TRACE(header);
    for (const bool withFrame : {false, true}) {
      const XWriteOptions options{.MeshName = "Cube_1", .FrameName = withFrame ? "Root" : ""};
      const auto bytes = WriteXFile(SampleMesh(), format, options);
      EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 16), header);
      EXPECT_EQ(ReadXFile(bytes).MeshCount, 1);
      ExpectSame(ReadXFile(bytes).Mesh, SampleMesh());
      EXPECT_EQ(WriteXFile(SampleMesh(), format, options), bytes) << "output must not vary";
    }
  }
  for (const std::uint32_t count : {65535u, 65536u}) {
    XMesh m{std::vector<D3DVERTEX>(count), {0, count - 2, count - 1}, {0}, {}};
    for (std::uint32_t i = 0; i < count; ++i) m.Vertices[i].x = static_cast<float>(i);
    const XMesh back = ReadXFile(WriteXFile(m, XFileFormat::Binary)).Mesh;
    ExpectSame(back, m);
    EXPECT_TRUE(back.Subsets()[0] == (XSubset{0, 0, 1, 0, count}) &&
                back.Uses32BitIndices() == (count > 65535));
    if (count == 65535u)
      EXPECT_EQ(back.Indices16(), (std::vector<std::uint16_t>{0, 65533, 65534}));
    else
      EXPECT_THROW(back.Indices16(), std::length_error);
  }
  const XMesh m{{{0, 0, 0, 0, 0, 1, 0, 0}, {1, 0, 0, 0, 0, 1, 1, 0}, {0, 1, 0, 0, 0, 1, 0, 1}},
                {0, 1, 2},
                {},
                {{{1, 0.5f, 0.25f, 1}, {}, {}, {}, 0, "a\\b.bmp"}}};
  const auto bytes = WriteXFile(m, XFileFormat::Text, {.MeshName = "", .FrameName = "", .Templates = false});
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text.find("template"), std::string::npos);
  for (const char* part : {"Mesh {\n 3;\n 0.000000;0.000000;0.000000;,\n 1.000000;0.000000;0.000000;,\n"
                           " 0.000000;1.000000;0.000000;;\n 1;\n 3;0,1,2;;\n",
                           "1.000000;0.500000;0.250000;1.000000;;", "\"a\\\\b.bmp\";"})
    EXPECT_NE(text.find(part), std::string::npos) << part << "\nnot in\n" << text;
  const auto withTemplates = WriteXFile(m, XFileFormat::Text);
  EXPECT_NE(std::string(withTemplates.begin(), withTemplates.end()).find("template MeshMaterialList {"),
            std::string::npos);
  const auto binary = WriteXFile(XMesh{}, XFileFormat::Binary);
  Tokens vector("");  // the first template, with its GUID 3D82AB5E-62DA-11CF-AB39-0020AF71E433
  vector.U16(31).Name("Vector").Open().U16(5).Le(0x11CF62DA3D82AB5E, 8).Le(0x33E471AF200039AB, 8);
  ASSERT_GT(binary.size(), 16 + vector.out.size());
  EXPECT_TRUE(std::equal(vector.out.begin(), vector.out.end(), binary.begin() + 16));
  EXPECT_TRUE(ReadXFile(binary).MeshCount == 1 && ReadXFile(binary).Mesh.Vertices.empty());
  const std::function<void(XMesh&)> breaks[] = {
      [](XMesh& m) { m.Indices[4] = 5; }, [](XMesh& m) { m.Attributes[2] = 2; },
      [](XMesh& m) { m.Vertices[1].ny = std::numeric_limits<float>::quiet_NaN(); },
      [](XMesh& m) { m.Indices.pop_back(); }};
  for (const auto& damage : breaks) {
    XMesh bad = SampleMesh();
    damage(bad);
    for (auto format : {XFileFormat::Text, XFileFormat::Binary})
      EXPECT_THROW(WriteXFile(bad, format), XFileError);
  }
  EXPECT_THROW(WriteXFile(SampleMesh(), XFileFormat::Text, {.MeshName = "two words", .FrameName = ""}),
               XFileError);
  TempFolder dir;
  const auto path = dir / "M1.car";
  WriteText(path, "old contents");
  SaveXFileMesh(path, SampleMesh(), XFileFormat::Binary);
  EXPECT_EQ(ReadFileBytes(path), WriteXFile(SampleMesh(), XFileFormat::Binary));
  XMesh bad = SampleMesh();
  bad.Indices[0] = 99;
  EXPECT_THROW(SaveXFileMesh(path, bad, XFileFormat::Text), XFileError);
  ExpectSame(LoadXFileContent(path).Mesh, SampleMesh());
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"M1.car"});
  EXPECT_THROW(SaveXFileMesh(dir / "missing" / "x.car", SampleMesh(), XFileFormat::Text), XFileError);
}

// catches: a reader that crashes, throws something else or accepts a cut or flipped file.
TEST(XFileMalformed, EveryTruncationAndSingleByteCorruptionFailsCleanly) {
  for (const char* name : {"test.x", "test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x",
                           "kwxport_test_cubewithvcolors.x", "malformed_skinweights_oob.x"}) {
    SCOPED_TRACE(name);
    const auto full = Sample(name);
    const std::string tag(full.begin() + 8, full.begin() + 12);
    // Cuts after the mesh began (any, compressed) fail; earlier ones at best read no mesh.
    const std::size_t meshStart = tag == "bzip" ? 0 : MeshStart({full.begin(), full.end()});
    std::size_t end = full.size();
    while (end > 0 && std::isspace(full[end - 1])) --end;
    for (std::size_t n = 0; n < end && !HasFailure(); ++n) {
      const std::string outcome = Outcome(std::span(full).first(n));
      if (outcome.starts_with("ok"))
        EXPECT_TRUE(outcome == "ok 0" && n <= meshStart && n >= 16) << "cut at " << n;
      else
        ExpectCleanError(outcome);
    }
    // Binary files get three flips per byte, text one; every header byte matters.
    int refused = 0;
    for (std::size_t i = 0; i < full.size(); ++i)
      for (std::uint8_t flip :
           tag[0] == 'b' ? std::vector<std::uint8_t>{0xFF, 0x01, 0x40} : std::vector<std::uint8_t>{0xFF}) {
        auto bad = full;
        bad[i] ^= flip;
        const std::string outcome = Outcome(bad);
        refused += !outcome.starts_with("ok");
        EXPECT_EQ(outcome.find('\n'), std::string::npos);
        EXPECT_TRUE(i >= 16 || flip != 0xFF || !outcome.starts_with("ok")) << "byte " << i;
      }
    EXPECT_GT(refused, 0);
  }
}

// catches: counts, indices, references, binary lengths and compressed framing trusted unchecked.
TEST(XFileMalformed, HeadersCountsIndicesBinaryTokensAndCompressedFramingAreCheckedAgainstTheData) {
  for (auto [file, expected] : {std::pair{"xof 0303txt 003", "too short"},
                                {"xof 0303txt 0016\nMesh {}", "float size"},
                                {"xof 0303zip 0032", "format"},
                                {"xof 0403txt 0032", "version"},
                                {"XOF 0303txt 0032", "not an X file"}})
    EXPECT_THAT(Outcome(Bytes(file)), ::testing::HasSubstr(expected));
  const std::string list = "Mesh { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { ",
                    white = "Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }";
  const std::pair<std::string, const char*> cases[] = {
      {"Mesh { 4000000000; 0;0;0;; 0;; }", "line 2: Mesh: vertex count 4000000000 is more than"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,1;; }", "face index 1 is out of range"},
      {"Mesh { 1; 0;0;0;; 1; 99999999;0;; }", "face size 99999999 is more than"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;;\n MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }",
       "line 3: MeshNormals: normal faces (1) do not match"},
      {"Mesh { 1; 0;0;0;; 0;; MeshTextureCoords { 2; 0;0;, 1;1;; } }", "differs from the vertex count 1"},
      {list + "1; 1; 1;; " + white, "material index 1 is out of range"},
      {list + "2; 1; 1;; " + white, "names 2 materials but holds 1"},
      {list + "1; 1; 0;; { Nowhere } } }", "unknown material 'Nowhere'"},
      {list + "1; 1; 0;; Material { 1;1;1; } } }", "Material: missing face colour alpha"},
      {"Mesh { 1.5; 0;0;0;; 0;; }", "vertex count is not a whole number"},
      {"Mesh { 1; 0;0;1e999;; 0;; }", "bad number '1e999'"},
      {"Mesh { 1; 0;0;0;; 0;; ", "file ends inside Mesh"},
      {"Mesh { \"open string; }", "string not closed"},
      {"Mesh { <12-zz> }", "bad character in GUID"},
      {"Mesh ; 1; }", "expected '{' to open Mesh"},
      {"template T { <01234567-0000-0000-0000-000000000000> DWORD a;", "file ends inside template T"},
      {"} ", "expected a template or a data object"},
  };
  for (const auto& [body, expected] : cases) ExpectCleanError(TextOutcome(body), expected);
  std::string deep, ok;
  for (int i = 0; i < 100000; ++i) deep += "Frame {\n";
  ExpectCleanError(TextOutcome(deep), "nested deeper than");
  for (int i = 0; i < kXFileMaxDepth; ++i) ok = "Frame {\n" + ok + "}\n";
  EXPECT_EQ(TextOutcome(ok), "ok 0");  // just inside the limit
  const std::pair<std::function<void(Tokens&)>, const char*> tokenCases[] = {
      {[](Tokens& t) { t.Name("Mesh").Open().U16(6).U32(0x40000000).U32(1); },
       "byte 28: list of 1073741824 values runs past the end"},
      {[](Tokens& t) { t.U16(1).U32(0xFFFFFFFF); }, "runs past the end"},
      {[](Tokens& t) { t.Name("Mesh").Open().U16(99); }, "byte 28: unknown token 99"},
      {[](Tokens& t) { t.Name("TextureFilename").Open().Text(2, "a").Close(); }, "not followed by"}};
  for (const auto& [write, expected] : tokenCases) {
    Tokens t("xof 0303bin 0032");
    write(t);
    ExpectCleanError(Outcome(t.out), expected);
  }
  const auto good = Sample("test_cube_compressed.x");
  for (auto [total, expected] : {std::pair{2817u, "the header declares 2801"},
                                 {2815u, "more than the declared"},
                                 {0xFFFFFFFFu, "larger than allowed"}}) {
    auto b = good;
    for (int i = 0; i < 4; ++i) b[16 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    EXPECT_THAT(Outcome(b), ::testing::HasSubstr(expected));
  }
  auto noSignature = good, damaged = good;
  noSignature[24] = 'X';
  ExpectCleanError(Outcome(noSignature), "byte 24: compressed block lacks its CK signature");
  damaged[30] ^= 0xFF, damaged[31] ^= 0xFF;
  ExpectCleanError(Outcome(damaged));
  // A hundred tiny blocks that each claim 32 KiB of output cannot get past the declared total.
  std::vector<std::uint8_t> bomb(good.begin(), good.begin() + 20);
  for (int i = 0; i < 100; ++i) bomb.insert(bomb.end(), {0x00, 0x80, 0x04, 0x00, 'C', 'K', 0x03, 0x00});
  ExpectCleanError(Outcome(bomb));
}
