#include "presentation/BuiltinMeshes.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "core/Files.h"
#include "game/GameState.h"
#include "presentation/BuiltinMeshData.h"

namespace quarnix {

namespace {

// The name of built-in mesh n as the mesh source spells its object.
std::string SourceObjectName(int meshNumber) {
  if (meshNumber == BuildPlanMeshNumber) return "XBuildPlan";
  if (meshNumber == BackGroundMeshNumber) return "XBackGround";
  if (meshNumber < StarMeshNumber(1)) return "XCube(" + MeshSourceIndex(meshNumber - CubeMeshNumber(0)) + ")";
  return "XStar(" + MeshSourceIndex(meshNumber - StarMeshNumber(0)) + ")";
}

}  // namespace

XObject& BuiltinMeshObject(GameAssets& assets, int meshNumber) {
  return const_cast<XObject&>(BuiltinMeshObject(std::as_const(assets), meshNumber));
}

const XObject& BuiltinMeshObject(const GameAssets& assets, int meshNumber) {
  if (meshNumber == BuildPlanMeshNumber) return assets.XBuildPlan;
  if (meshNumber == BackGroundMeshNumber) return assets.XBackGround;
  if (meshNumber >= CubeMeshNumber(1) && meshNumber <= CubeMeshNumber(CellKindCount))
    return assets.XCube(meshNumber - CubeMeshNumber(0));
  if (meshNumber >= StarMeshNumber(1) && meshNumber <= BuiltinMeshCount)
    return assets.XStar(meshNumber - StarMeshNumber(0));
  throw std::out_of_range("built-in mesh " + std::to_string(meshNumber) + " outside 1.." +
                          std::to_string(BuiltinMeshCount));
}

void BuildMeshes(GameAssets& assets) {
  // The vertex copy has a spare record past the mesh's own, so its bounds
  // check alone would let a short mesh take one vertex too many.
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    const XObject& object = BuiltinMeshObject(assets, n);
    const BuiltinMeshInfo& info = BuiltinMesh(n);
    if (object.NumVertices() < info.VertexCount)
      throw std::runtime_error(std::string(info.Object) + " has " + std::to_string(object.NumVertices()) +
                               " vertices; its built-in shape needs " + std::to_string(info.VertexCount));
  }
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    XObject& object = BuiltinMeshObject(assets, n);
    const auto vertices = BuiltinVertices(n);
    for (std::size_t i = 0; i < vertices.size(); ++i)
      object.Set1MeshVertexValue(static_cast<int>(i), vertices[i]);
    object.SetMeshVertex();
  }
}

std::string MeshSourceNumber(float v) {
  // Four digits at least before the point, eight after, the sign in front.
  char digits[64];
  std::snprintf(digits, sizeof digits, "%013.8f", std::fabs(static_cast<double>(v)));
  return (v < 0 ? "-" : "") + std::string(digits);
}

std::string MeshSourceIndex(int n) { return (n >= 0 ? " " : "") + std::to_string(n); }

std::string MeshSourceText(const GameAssets& assets) {
  constexpr const char* Eol = "\r\n";
  std::string text = std::string("Dim vv as D3DVERTEX") + Eol;
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    const XObject& object = BuiltinMeshObject(assets, n);
    const std::string name = SourceObjectName(n);
    for (int i = 0; i < object.NumVertices(); ++i) {
      const D3DVERTEX v = object.Get1MeshVertexValue(i);
      text += "vv.nx=" + MeshSourceNumber(v.nx) + " : vv.ny=" + MeshSourceNumber(v.ny) +
              " : vv.nz=" + MeshSourceNumber(v.nz) + " : vv.tu=" + MeshSourceNumber(v.tu) +
              " : vv.tv=" + MeshSourceNumber(v.tv) + " : vv.x=" + MeshSourceNumber(v.x) +
              " : vv.y=" + MeshSourceNumber(v.y) + " : vv.z=" + MeshSourceNumber(v.z) + Eol;
      text += "Call " + name + ".Set1MeshVertexValue(" + MeshSourceIndex(i) + ",vv)" + Eol;
    }
    text += name + ".SetMeshVertex" + Eol;
  }
  return text;
}

void ExportMeshSource(const GameAssets& assets, const std::filesystem::path& AppPath) {
  const std::string text = MeshSourceText(assets);
  WriteFileAtomic(AppPath / MeshSourceFileName,
                  {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

void ResetAllMeshes(GameAssets& assets) {
  for (int n = 1; n <= BuiltinMeshCount; ++n) {
    XObject& object = BuiltinMeshObject(assets, n);
    object.GetMeshVertex();
    object.ResetMesh();
    object.SetMeshVertex();
  }
}

void SaveCarFiles(const GameAssets& assets, const std::filesystem::path& DataPath) {
  const auto save = [&](const XObject& object, int file) {
    object.SaveXFile(ResolveFile(DataPath / (std::string(MeshFile(file).Stem()) + ".car")), 0);
  };
  save(assets.XBuildPlan, BuildPlanMesh);
  save(assets.XSelectArea, SelectAreaMesh);
  save(assets.XBackGround, BackGroundMesh);
  for (int k = 1; k <= 12; ++k) save(assets.XCube(k), CubeMesh(k));
  for (int s = 1; s <= 3; ++s) save(assets.XStar(s), StarMesh(s));
}

}  // namespace quarnix
