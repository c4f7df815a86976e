#pragma once
// The game's 18 mesh files: structure, one material and the vertices for
// each object. The game replaces the vertices of 17 of them with the ones it
// builds in, so the files carry exactly those.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/XFile.h"

namespace quarnix::content {

struct MeshContent {
  int File;              // the mesh file the game loads (MeshFile(File): "M1", "C01", "S3")
  std::string FileStem;  // the authoring name: "BuildPlan", "Red", "star3"
  XMesh Mesh;
};

// In the game's loading order: M1, M2, M3, C01..C12, S1..S3.
std::vector<MeshContent> MakeMeshFiles();

// The file's bytes: a binary X file, the form the game's mesh saver writes.
std::vector<std::uint8_t> MeshFileBytes(const MeshContent& File);

// The extension of the authoring mesh files.
inline constexpr const char* CarExt = ".CAR";

}  // namespace quarnix::content
