// needs: quarnix_presentation quarnix_platform quarnix_core
// quarnix-tool export-mesh-source [--dir GAMEDIR]: loads the game's meshes as
// play does (mesh files, then the built-in vertices) and writes their vertices
// as program text to GAMEDIR/ObjMeshProgramText.txt. GAMEDIR defaults to the
// current directory: an author's working copy, never the installed data.

#include <filesystem>
#include <iostream>

#include "Command.h"
#include "platform/NullGraphics.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/GameAssets.h"

namespace quarnix::tool {
namespace {

int ExportMeshSourceCommand(const Args& args) {
  std::filesystem::path dir = std::filesystem::current_path();
  if (args.size() == 2 && args[0] == "--dir")
    dir = args[1];
  else if (!args.empty()) {
    std::cerr << "usage: quarnix-tool export-mesh-source [--dir GAMEDIR]\n";
    return 2;
  }
  NullDevice device(640, 480);
  BitmapResources resources;
  RegisterEmbeddedBitmaps(resources);
  GameAssets assets(device, resources);
  LoadResourceAssets(assets, GameFolders::In(dir));
  BuildMeshes(assets);
  ExportMeshSource(assets, dir);
  std::cout << (dir / MeshSourceFileName).string() << "\n";
  return 0;
}

RegisterCommand reg({"export-mesh-source",
                     "[--dir GAMEDIR]   the built meshes' vertices as program text in ObjMeshProgramText.txt",
                     ExportMeshSourceCommand});

}  // namespace
}  // namespace quarnix::tool
