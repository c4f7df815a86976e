#pragma once
// The vertices the game builds into itself: 17 of the 18 meshes get their
// vertices from here, after the ".CAR" files have supplied structure,
// materials and texture slots. The landing marker (XSelectArea) is the one
// mesh that keeps the vertices of its file.
//
// Cells are 2 wide, 1 high and 2 deep and stand on their origin; the camera
// looks from -z, so every box lists its -z face first.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "content/GameFiles.h"
#include "platform/D3DTypes.h"

namespace quarnix {

// The meshes in the order the game fills them: XBuildPlan, XBackGround,
// XCube(1)..XCube(12), XStar(1)..XStar(3).
inline constexpr int BuiltinMeshCount = 17;
inline constexpr int BuiltinVertexTotal = 587;

struct BuiltinMeshInfo {
  std::string_view Object;    // "XBuildPlan", "XCube(1)", "XStar(3)"
  int File;                   // the mesh file the game loads (MeshFile(File): "M1", "C01", "S3")
  std::string_view FileStem;  // the authoring mesh file: "BuildPlan", "Red", "star3"
  int VertexCount;
};

// meshNumber 1..17; throws std::out_of_range otherwise.
const BuiltinMeshInfo& BuiltinMesh(int meshNumber);
std::span<const D3DVERTEX> BuiltinVertices(int meshNumber);

// The triangles over BuiltinVertices(meshNumber), three indices each, wound
// clockwise seen from outside (the front side with the usual culling). The
// game draws without culling; the mesh files carry these as their faces.
std::span<const std::uint32_t> BuiltinTriangles(int meshNumber);

// All 587 vertices, mesh after mesh.
std::span<const D3DVERTEX> AllBuiltinVertices();

// The landing marker: not built in, its mesh file (SelectAreaMesh) supplies
// it. A flat square frame a little smaller than a cell, lying just above the
// floor of the cell.
inline constexpr std::string_view SelectAreaFileStem = "SelectArea";
std::span<const D3DVERTEX> SelectAreaVertices();
std::span<const std::uint32_t> SelectAreaTriangles();

// Mesh numbers of XBuildPlan, XBackGround, XCube(kind) (kind 1..12) and
// XStar(star) (star 1..3).
inline constexpr int BuildPlanMeshNumber = 1, BackGroundMeshNumber = 2;
constexpr int CubeMeshNumber(int kind) { return kind + 2; }
constexpr int StarMeshNumber(int star) { return star + 14; }

}  // namespace quarnix
