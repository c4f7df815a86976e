#include "ToolkitTestUtil.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {
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
}  // namespace

TEST(XFileWriter, EveryFormatReadsBackAsTheSameMeshWithStableBytes) {
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
}

TEST(XFileWriter, TextAndBinaryFilesHaveTheUsualLayout) {
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
  const std::vector<std::uint8_t> expected = {
      31, 0,    1,    0,    6,    0,    0,    0,    'V',  'e',  'c',  't',  'o',  'r',  10,   0,    5,
      0,  0x5e, 0xab, 0x82, 0x3d, 0xda, 0x62, 0xcf, 0x11, 0xab, 0x39, 0x00, 0x20, 0xaf, 0x71, 0xe4, 0x33};
  ASSERT_GT(binary.size(), 16 + expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), binary.begin() + 16));
  EXPECT_TRUE(ReadXFile(binary).MeshCount == 1 && ReadXFile(binary).Mesh.Vertices.empty());
}

TEST(XFileWriter, RefusesMeshesItCannotWriteAndASaveReplacesTheFileWhole) {
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

TEST(XFileWriter, MeshesPast65535VerticesNeed32BitIndices) {
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
}
