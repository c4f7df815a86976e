// libFuzzer target for the X-file reader. Whatever the bytes, ReadXFile
// either returns a mesh or throws XFileError. A mesh it returns must also
// survive the writer: written in each format and read again, it is the same.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "toolkit/XFile.h"

using namespace quarnix;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void RoundTrip(const XMesh& mesh) {
  for (XFileFormat format : {XFileFormat::Text, XFileFormat::Binary, XFileFormat::Compressed}) {
    std::vector<std::uint8_t> bytes;
    try {
      bytes = WriteXFile(mesh, format);
    } catch (const XFileError&) {
      return;  // values the formats cannot carry (NaN, infinity)
    }
    const XMesh back = ReadXFile(bytes).Mesh;  // must not throw
    Check(back.Vertices == mesh.Vertices);
    Check(back.Indices == mesh.Indices);
    Check(back.Attributes == mesh.Attributes);
    Check(back.Materials == mesh.Materials);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  XFileContent content;
  try {
    content = ReadXFile(std::span<const std::uint8_t>(data, size));
  } catch (const XFileError&) {
    return 0;
  }
  const XMesh& mesh = content.Mesh;
  Check(mesh.Indices.size() == 3 * mesh.Attributes.size());
  for (auto i : mesh.Indices) Check(i < mesh.Vertices.size());
  for (const auto& s : mesh.Subsets()) Check(s.FaceStart + s.FaceCount <= mesh.TriangleCount());
  RoundTrip(mesh);
  return 0;
}
