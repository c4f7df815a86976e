#include "ToolkitTestUtil.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {
std::string Outcome(const std::vector<std::uint8_t>& bytes) {
  try {
    ReadXFile(bytes);
    return "ok";
  } catch (const XFileError& e) {
    return e.what();
  }
}

std::string TextOutcome(const std::string& body) { return Outcome(Bytes("xof 0303txt 0032\n" + body)); }
void ExpectCleanError(const std::string& message) {
  EXPECT_NE(message, "ok");
  EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  EXPECT_TRUE(message.rfind("line ", 0) == 0 || message.rfind("byte ", 0) == 0 ||
              message.rfind("uncompressed line ", 0) == 0)
      << message;
}

const char* const kSamples[] = {"test.x",
                                "test_cube_text.x",
                                "test_cube_binary.x",
                                "test_cube_compressed.x",
                                "kwxport_test_cubewithvcolors.x",
                                "malformed_skinweights_oob.x"};
std::size_t MeshStart(const std::vector<std::uint8_t>& bytes) {
  const std::string s(bytes.begin(), bytes.end());
  for (std::size_t at = s.find("Frame"); at != std::string::npos; at = s.find("Frame", at + 1))
    if (at < 9 || s.compare(at - 9, 9, "template ") != 0) return at;
  ADD_FAILURE() << "no frame";
  return 16;
}

std::size_t ContentEnd(const std::vector<std::uint8_t>& bytes) {
  std::size_t end = bytes.size();
  while (end > 0 && std::isspace(bytes[end - 1])) --end;
  return end;
}

}  // namespace

TEST(XFileMalformed, EveryTruncationFailsCleanly) {
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const auto full = Sample(name);
    const bool compressed = std::string(full.begin() + 8, full.begin() + 12) == "bzip";
    const std::size_t meshStart = compressed ? 0 : MeshStart(full);
    const std::size_t end = ContentEnd(full);
    for (std::size_t n = 0; n < end; ++n) {
      std::vector<std::uint8_t> cut(full.begin(), full.begin() + n);
      std::string outcome;
      try {
        const XFileContent c = ReadXFile(cut);
        outcome = "ok";
        EXPECT_EQ(c.MeshCount, 0) << "cut at " << n;
      } catch (const XFileError& e) {
        outcome = e.what();
        ExpectCleanError(outcome);
      }
      if (n > meshStart || compressed || n < 16) {
        EXPECT_NE(outcome, "ok") << "cut at " << n;
      }
      if (HasFailure()) return;
    }
  }
}

TEST(XFileMalformed, SingleByteCorruptionsNeverEscapeAsAnythingElse) {
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const auto full = Sample(name);
    const bool binary = full[8] == 'b';
    const std::vector<std::uint8_t> flips =
        binary ? std::vector<std::uint8_t>{0xFF, 0x01, 0x40} : std::vector<std::uint8_t>{0xFF};
    int refused = 0;
    for (std::size_t i = 0; i < full.size(); ++i)
      for (std::uint8_t flip : flips) {
        auto bad = full;
        bad[i] ^= flip;
        const std::string outcome = Outcome(bad);  // throws anything else: test fails
        if (outcome != "ok") {
          ++refused;
          EXPECT_EQ(outcome.find('\n'), std::string::npos);
        }
        if (i < 16 && flip == 0xFF) {
          EXPECT_NE(outcome, "ok") << "byte " << i;
        }
      }
    EXPECT_GT(refused, 0);
  }
}

TEST(XFileMalformed, HeadersCountsAndIndicesAreCheckedAgainstTheData) {
  for (auto [file, expected] : {std::pair{"xof 0303txt 003", "too short"},
                                {"xof 0303txt 0016\nMesh {}", "float size"},
                                {"xof 0303zip 0032", "format"},
                                {"xof 0403txt 0032", "version"},
                                {"XOF 0303txt 0032", "not an X file"}})
    EXPECT_NE(Outcome(Bytes(file)).find(expected), std::string::npos) << file;
  const std::pair<const char*, const char*> cases[] = {
      {"Mesh { 4000000000; 0;0;0;; 0;; }", "line 2: Mesh: vertex count 4000000000 is more than"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,1;; }", "face index 1 is out of range"},
      {"Mesh { 1; 0;0;0;; 1; 99999999;0;; }", "face size 99999999 is more than"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;;\n MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }",
       "line 3: MeshNormals: normal faces (1) do not match"},
      {"Mesh { 1; 0;0;0;; 0;; MeshTextureCoords { 2; 0;0;, 1;1;; } }", "differs from the vertex count 1"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
       "} } }",
       "material index 1 is out of range"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 2; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; "
       "} } }",
       "names 2 materials but holds 1"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; { Nowhere } } }",
       "unknown material 'Nowhere'"},
      {"Mesh { 1; 0;0;0;; 1; 3;0,0,0;; MeshMaterialList { 1; 1; 0;; Material { 1;1;1; } } }",
       "Material: missing face colour alpha"},
      {"Mesh { 1.5; 0;0;0;; 0;; }", "vertex count is not a whole number"},
      {"Mesh { 1; 0;0;1e999;; 0;; }", "bad number '1e999'"},
      {"Mesh { 1; 0;0;0;; 0;; ", "file ends inside Mesh"},
      {"Mesh { \"open string; }", "string not closed"},
      {"Mesh { <12-zz> }", "bad character in GUID"},
      {"Mesh ; 1; }", "expected '{' to open Mesh"},
      {"template T { <01234567-0000-0000-0000-000000000000> DWORD a;", "file ends inside template T"},
      {"} ", "expected a template or a data object"},
  };
  for (const auto& [body, expected] : cases) {
    const std::string outcome = TextOutcome(body);
    ExpectCleanError(outcome);
    EXPECT_NE(outcome.find(expected), std::string::npos) << body << "\n  gave: " << outcome;
  }
}

TEST(XFileMalformed, DeepNestingIsRefusedNotRecursedInto) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "Frame {\n";
  const std::string outcome = TextOutcome(deep);
  ExpectCleanError(outcome);
  EXPECT_NE(outcome.find("nested deeper than"), std::string::npos) << outcome;
  std::string ok;
  for (int i = 0; i < kXFileMaxDepth; ++i) ok += "Frame {\n";
  for (int i = 0; i < kXFileMaxDepth; ++i) ok += "}\n";
  EXPECT_EQ(TextOutcome(ok), "ok");
}

TEST(XFileMalformed, BinaryTokensAreBoundsChecked) {
  const std::pair<std::function<void(Tokens&)>, const char*> cases[] = {
      {[](Tokens& t) {
         t.Name("Mesh").Open().U16(6).U32(0x40000000).U32(1);
       },  // a list far longer than the file
       "byte 28: list of 1073741824 values runs past the end"},
      {[](Tokens& t) { t.U16(1).U32(0xFFFFFFFF); }, "runs past the end"},
      {[](Tokens& t) { t.Name("Mesh").Open().U16(99); }, "byte 28: unknown token 99"},
      {[](Tokens& t) { t.Name("TextureFilename").Open().Text(2, "a").Close(); }, "not followed by"}};
  for (const auto& [write, expected] : cases) {
    Tokens t("xof 0303bin 0032");
    write(t);
    const std::string outcome = Outcome(t.out);
    ExpectCleanError(outcome);
    EXPECT_NE(outcome.find(expected), std::string::npos) << outcome;
  }
}

TEST(XFileMalformed, CompressedFramingIsChecked) {
  const auto good = Sample("test_cube_compressed.x");
  auto withTotal = [&](std::uint32_t total) {
    auto b = good;
    for (int i = 0; i < 4; ++i) b[16 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    return Outcome(b);
  };
  EXPECT_NE(withTotal(2817).find("the header declares 2801"), std::string::npos) << withTotal(2817);
  EXPECT_NE(withTotal(2815).find("more than the declared"), std::string::npos) << withTotal(2815);
  EXPECT_NE(withTotal(0xFFFFFFFF).find("larger than allowed"), std::string::npos);
  auto noSignature = good;
  noSignature[24] = 'X';
  EXPECT_NE(Outcome(noSignature).find("byte 24: compressed block lacks its CK signature"), std::string::npos);
  auto damaged = good;
  damaged[30] ^= 0xFF;
  damaged[31] ^= 0xFF;
  ExpectCleanError(Outcome(damaged));
  std::vector<std::uint8_t> bomb(good.begin(), good.begin() + 20);
  for (int i = 0; i < 100; ++i) bomb.insert(bomb.end(), {0x00, 0x80, 0x04, 0x00, 'C', 'K', 0x03, 0x00});
  ExpectCleanError(Outcome(bomb));
}
