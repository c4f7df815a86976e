// needs: quarnix_xfile
// xinfo FILE [--dump]: what an X file holds, as the game's loader sees it.

#include <algorithm>
#include <charconv>
#include <iostream>
#include <limits>

#include "Command.h"
#include "toolkit/XFile.h"

namespace quarnix::tool {
namespace {

// Shortest text that reads back as the same float.
std::string Num(float v) {
  char buf[48];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : "?";
}

std::string Colour(const XColor& c) { return Num(c.r) + " " + Num(c.g) + " " + Num(c.b) + " " + Num(c.a); }

std::string FormatName(const XFileHeader& h) {
  if (h.FormatTag == "txt ") return "text";
  if (h.FormatTag == "bin ") return "binary";
  if (h.FormatTag == "tzip") return "compressed text";
  return "compressed binary";
}

void PrintMaterials(std::ostream& out, const XMesh& mesh) {
  out << "materials: " << mesh.Materials.size() << "\n";
  for (std::size_t i = 0; i < mesh.Materials.size(); ++i) {
    const XMaterial& m = mesh.Materials[i];
    out << "  material " << i << ": diffuse " << Colour(m.Diffuse) << ", specular " << Colour(m.Specular)
        << ", emissive " << Colour(m.Emissive) << ", power " << Num(m.Power) << ", texture \""
        << m.TextureFileName << "\"\n";
  }
}

void PrintSubsets(std::ostream& out, const XMesh& mesh) {
  const auto subsets = mesh.Subsets();
  out << "subsets: " << subsets.size() << "\n";
  for (const auto& s : subsets) {
    out << "  subset " << s.MaterialId << ": " << s.FaceCount << " triangles";
    if (s.FaceCount > 0)
      out << " from " << s.FaceStart << ", vertices " << s.VertexStart << ".."
          << s.VertexStart + s.VertexCount - 1;
    out << "\n";
  }
}

// Every value, exactly: two files give the same dump only when they load as
// the same mesh.
void Dump(std::ostream& out, const XMesh& mesh) {
  out << "vertices: " << mesh.Vertices.size() << "\n";
  for (std::size_t i = 0; i < mesh.Vertices.size(); ++i) {
    const D3DVERTEX& v = mesh.Vertices[i];
    out << "  v" << i << " " << Num(v.x) << " " << Num(v.y) << " " << Num(v.z) << " n " << Num(v.nx) << " "
        << Num(v.ny) << " " << Num(v.nz) << " uv " << Num(v.tu) << " " << Num(v.tv) << "\n";
  }
  out << "triangles: " << mesh.TriangleCount() << "\n";
  for (std::size_t t = 0; t < mesh.TriangleCount(); ++t)
    out << "  t" << t << " " << mesh.Indices[3 * t] << " " << mesh.Indices[3 * t + 1] << " "
        << mesh.Indices[3 * t + 2] << " material " << mesh.Attributes[t] << "\n";
  PrintSubsets(out, mesh);
  PrintMaterials(out, mesh);
}

int XInfo(const Args& args) {
  const bool dump = std::find(args.begin(), args.end(), "--dump") != args.end();
  if (args.size() != (dump ? 2u : 1u)) {
    std::cerr << "usage: quarnix-tool xinfo FILE [--dump]\n";
    return 2;
  }
  const std::string file = args[0] == "--dump" ? args[1] : args[0];
  const XFileContent content = LoadXFileContent(file);
  const XMesh& mesh = content.Mesh;
  if (dump) {
    Dump(std::cout, mesh);
    return 0;
  }
  const XFileHeader& h = content.Header;
  std::cout << "file: " << file << "\n"
            << "format: " << FormatName(h) << " (\"" << h.FormatTag << "\"), version " << h.MajorVersion
            << "." << h.MinorVersion << ", " << h.FloatBits << "-bit floats\n"
            << "meshes: " << content.MeshCount << "\n"
            << "vertices: " << mesh.Vertices.size() << "\n"
            << "triangles: " << mesh.TriangleCount() << "\n"
            << "indices: " << (mesh.Uses32BitIndices() ? 32 : 16) << "-bit\n";
  PrintSubsets(std::cout, mesh);
  PrintMaterials(std::cout, mesh);
  if (!mesh.Vertices.empty()) {
    float lo[3], hi[3];
    std::fill(lo, lo + 3, std::numeric_limits<float>::infinity());
    std::fill(hi, hi + 3, -std::numeric_limits<float>::infinity());
    for (const auto& v : mesh.Vertices) {
      const float p[3] = {v.x, v.y, v.z};
      for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]), hi[k] = std::max(hi[k], p[k]);
    }
    std::cout << "bounds: min " << Num(lo[0]) << " " << Num(lo[1]) << " " << Num(lo[2]) << ", max "
              << Num(hi[0]) << " " << Num(hi[1]) << " " << Num(hi[2]) << "\n";
  } else {
    std::cout << "bounds: none\n";
  }
  return 0;
}

RegisterCommand reg(
    {"xinfo", "FILE [--dump]   format, counts, materials and bounds of an X file (--dump: every value)",
     XInfo});

}  // namespace
}  // namespace quarnix::tool
