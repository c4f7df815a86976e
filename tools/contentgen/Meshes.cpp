#include "Meshes.h"

#include "presentation/BuiltinMeshData.h"

namespace quarnix::content {
namespace {

constexpr XColor White = {1, 1, 1, 1};

// Textured objects: a white surface, so each picture shows its own colours
// under the light. Emissive lifts objects that must not sink into the dark.
XMaterial Textured(float Emissive) {
  XMaterial m;
  m.Diffuse = White;
  m.Specular = {0.5f, 0.5f, 0.5f, 1};
  m.Emissive = {Emissive, Emissive, Emissive, 1};
  m.Power = 20;
  return m;
}

// How much each object glows on its own, by mesh number of the built-in set.
float EmissiveOf(int MeshNumber) {
  if (MeshNumber == 2) return 0.3f;                   // the background stays visible in shadow
  if (MeshNumber == CubeMeshNumber(11)) return 0.6f;  // the clearing glow
  if (MeshNumber == CubeMeshNumber(12)) return 0.4f;  // the glass box's bright edges
  if (MeshNumber >= StarMeshNumber(1)) return 1.0f;   // stars shine whatever the light
  return 0.0f;
}

XMesh MakeMesh(std::span<const D3DVERTEX> Vertices, std::span<const std::uint32_t> Triangles,
               XMaterial Material) {
  XMesh m;
  m.Vertices.assign(Vertices.begin(), Vertices.end());
  m.Indices.assign(Triangles.begin(), Triangles.end());
  m.Attributes.assign(Triangles.size() / 3, 0);
  m.Materials = {std::move(Material)};
  return m;
}

}  // namespace

std::vector<MeshContent> MakeMeshFiles() {
  std::vector<MeshContent> Files;
  const auto AddBuiltin = [&](int n) {
    const BuiltinMeshInfo& Info = BuiltinMesh(n);
    Files.push_back({Info.File, std::string(Info.FileStem),
                     MakeMesh(BuiltinVertices(n), BuiltinTriangles(n), Textured(EmissiveOf(n)))});
  };
  AddBuiltin(1);
  // The landing marker is drawn without a picture: its material alone makes it
  // a bright frame against cubes and floor.
  XMaterial Marker;
  Marker.Diffuse = {0.55f, 0.9f, 1, 1};
  Marker.Specular = {1, 1, 1, 1};
  Marker.Emissive = {0.45f, 0.75f, 0.9f, 1};
  Marker.Power = 20;
  Files.push_back({SelectAreaMesh, std::string(SelectAreaFileStem),
                   MakeMesh(SelectAreaVertices(), SelectAreaTriangles(), Marker)});
  for (int n = 2; n <= BuiltinMeshCount; ++n) AddBuiltin(n);
  return Files;
}

std::vector<std::uint8_t> MeshFileBytes(const MeshContent& File) {
  return WriteXFile(File.Mesh, XFileFormat::Binary);
}

}  // namespace quarnix::content
