// needs: quarnix_presentation quarnix_platform quarnix_core
// quarnix-tool save-car-files [--dir GAMEDIR]: the authoring flow. Loads the
// authoring meshes and bitmaps from GAMEDIR/Data (BuildPlan.CAR, Red.CAR, ...,
// Buildplan1.BMP, ...) and saves all 18 meshes under the names the game loads
// (M1.car .. S3.car). GAMEDIR defaults to the current directory.

#include <filesystem>
#include <iostream>

#include "Command.h"
#include "platform/NullGraphics.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/GameAssets.h"

namespace quarnix::tool {
namespace {

int SaveCarFilesCommand(const Args& args) {
  std::filesystem::path dir = std::filesystem::current_path();
  if (args.size() == 2 && args[0] == "--dir")
    dir = args[1];
  else if (!args.empty()) {
    std::cerr << "usage: quarnix-tool save-car-files [--dir GAMEDIR]\n";
    return 2;
  }
  NullDevice device(640, 480);
  BitmapResources none;  // the file route reads bitmap files only
  GameAssets assets(device, none);
  const GameFolders folders = GameFolders::In(dir);
  LoadFileAssets(assets, folders);
  SaveCarFiles(assets, folders.DataPath);
  std::cout << "saved 18 mesh files in " << folders.DataPath.string() << "\n";
  return 0;
}

RegisterCommand reg(
    {"save-car-files",
     "[--dir GAMEDIR]   authoring meshes of Data/ saved as the game's mesh files (M1.car .. S3.car)",
     SaveCarFilesCommand});

}  // namespace
}  // namespace quarnix::tool
