#include "ToolkitTestUtil.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {
// "ok" and the mesh count, or the error.
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
  using namespace ::testing;
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

// catches: a reader that crashes, throws something else or accepts a cut or flipped file.
TEST(XFileMalformed, EveryTruncationAndSingleByteCorruptionFailsCleanly) {
  for (const char* name : {"test.x", "test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x",
                           "kwxport_test_cubewithvcolors.x", "malformed_skinweights_oob.x"}) {
    SCOPED_TRACE(name);
    const auto full = Sample(name);
    const std::string tag(full.begin() + 8, full.begin() + 12);
    // A cut after the mesh began (or any cut of a compressed file) leaves it unfinished; earlier cuts may
    // at best give a file without a mesh. Cuts in trailing white space are left out.
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

// catches: counts, indices and references trusted without checking them against the data.
TEST(XFileMalformed, HeadersCountsAndIndicesAreCheckedAgainstTheData) {
  for (auto [file, expected] : {std::pair{"xof 0303txt 003", "too short"},
                                {"xof 0303txt 0016\nMesh {}", "float size"},
                                {"xof 0303zip 0032", "format"},
                                {"xof 0403txt 0032", "version"},
                                {"XOF 0303txt 0032", "not an X file"}})
    EXPECT_THAT(Outcome(Bytes(file)), ::testing::HasSubstr(expected));
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
  for (const auto& [body, expected] : cases) ExpectCleanError(TextOutcome(body), expected);
  std::string deep, ok;
  for (int i = 0; i < 100000; ++i) deep += "Frame {\n";
  ExpectCleanError(TextOutcome(deep), "nested deeper than");
  for (int i = 0; i < kXFileMaxDepth; ++i) ok = "Frame {\n" + ok + "}\n";
  EXPECT_EQ(TextOutcome(ok), "ok 0");  // just inside the limit
}

// catches: binary lengths, tokens and compressed framing read past the data or trusted.
TEST(XFileMalformed, BinaryTokensAndCompressedFramingAreBoundsChecked) {
  const std::pair<std::function<void(Tokens&)>, const char*> cases[] = {
      {[](Tokens& t) { t.Name("Mesh").Open().U16(6).U32(0x40000000).U32(1); },
       "byte 28: list of 1073741824 values runs past the end"},
      {[](Tokens& t) { t.U16(1).U32(0xFFFFFFFF); }, "runs past the end"},
      {[](Tokens& t) { t.Name("Mesh").Open().U16(99); }, "byte 28: unknown token 99"},
      {[](Tokens& t) { t.Name("TextureFilename").Open().Text(2, "a").Close(); }, "not followed by"}};
  for (const auto& [write, expected] : cases) {
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
