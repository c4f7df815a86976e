#pragma once
// The built-in vertices and the authoring tools around them: writing them into
// the loaded meshes, printing the meshes' current vertices as program text,
// clearing them, and saving every mesh as the file the game loads.

#include <filesystem>
#include <string>

#include "presentation/GameAssets.h"

namespace quarnix {

// The object that built-in mesh meshNumber (1..17) belongs to: XBuildPlan,
// XBackGround, XCube(1..12), XStar(1..3).
XObject& BuiltinMeshObject(GameAssets& assets, int meshNumber);
const XObject& BuiltinMeshObject(const GameAssets& assets, int meshNumber);

// Writes the built-in vertices into 17 meshes (all but XSelectArea). Every mesh
// is checked first: one with fewer vertices than its built-in shape throws
// std::runtime_error naming it, and then nothing has been changed.
void BuildMeshes(GameAssets& assets);

// The current vertices of the 17 meshes as program statements (CR LF lines),
// the text ExportMeshSource writes.
std::string MeshSourceText(const GameAssets& assets);
// Replaces AppPath/"ObjMeshProgramText.txt" with MeshSourceText; throws
// std::runtime_error when the file cannot be written.
void ExportMeshSource(const GameAssets& assets, const std::filesystem::path& AppPath);
inline constexpr const char* MeshSourceFileName = "ObjMeshProgramText.txt";

// Every vertex of the 17 meshes becomes zero.
void ResetAllMeshes(GameAssets& assets);

// All 18 meshes, binary X files, to DataPath/"M1.car" .. "S3.car" (each
// replaced as one step; an existing file of another case is replaced too).
void SaveCarFiles(const GameAssets& assets, const std::filesystem::path& DataPath);

// The numbers as the mesh source prints them: F(-1.5) = "-0001.50000000",
// S(0) = " 0".
std::string MeshSourceNumber(float v);
std::string MeshSourceIndex(int n);

}  // namespace quarnix
