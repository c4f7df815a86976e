#pragma once
// Every object the screens draw, owned in one place: the 3D meshes of the
// field, the cubes and the stars, and the flat pictures of the menus and the
// HUD. All of them exist from construction on (empty until a loader fills
// them) and draw through the one device given here.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/FixedArray.h"
#include "platform/Graphics.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/TextureLoading.h"
#include "toolkit/XObject.h"

namespace quarnix {

// The game's folders, all under the folder it runs in.
struct GameFolders {
  std::filesystem::path AppPath;    // the game folder
  std::filesystem::path DataPath;   // meshes and screen images
  std::filesystem::path DataPath2;  // bitmaps (the same folder)
  std::filesystem::path WavePath;   // sounds

  static GameFolders In(const std::filesystem::path& appPath) {
    return {appPath, appPath / "Data", appPath / "Data", appPath / "Wave"};
  }
};

inline constexpr const char* CarExt = ".CAR";
inline constexpr const char* BmpExt = ".BMP";

// A row of mesh objects numbered 1..N: row(3) is the third.
template <int N>
class XObjectRow {
 public:
  static constexpr int Count = N;

  XObjectRow(IDevice& device, const BitmapResources& resources) {
    for (auto& item : items_) item = std::make_unique<XObject>(device, resources);
  }

  // By number, or by a kind numbered the same (XCube(CellKind::Red)). An
  // index outside 1..N throws std::out_of_range.
  template <typename Index>
  XObject& operator()(Index index) {
    return *items_(index);
  }
  template <typename Index>
  const XObject& operator()(Index index) const {
    return *items_(index);
  }

 private:
  FixedArray<std::unique_ptr<XObject>, N> items_;
};

// The alpha-blend flag of each cube kind, indexed by kind - 1 (0..11).
class CubeSeeThroughFlags {
 public:
  static constexpr int Count = 12;

  // An index outside 0..11 throws std::out_of_range.
  std::int32_t& operator()(int index) { return flags_.at(Checked(index)); }
  std::int32_t operator()(int index) const { return flags_.at(Checked(index)); }

 private:
  static std::size_t Checked(int index) {
    if (index < 0 || index >= Count)
      throw std::out_of_range("cube see-through index " + std::to_string(index) + " outside 0..11");
    return static_cast<std::size_t>(index);
  }
  std::array<std::int32_t, Count> flags_{};
};

struct GameAssets {
  explicit GameAssets(IDevice& device, const BitmapResources& resources = ProgramResources());
  GameAssets(const GameAssets&) = delete;
  GameAssets& operator=(const GameAssets&) = delete;

  IDevice& Device() const { return *device_; }
  const BitmapResources& Resources() const { return *resources_; }

  // The 3D objects, in the order the loaders fill them.
  XObject XBuildPlan;
  XObject XSelectArea;
  XObject XBackGround;
  XObjectRow<12> XCube;  // by cube kind 1..12
  XObjectRow<3> XStar;   // 1..3
  CubeSeeThroughFlags CubeSeeThrough;

  // The flat pictures.
  ScreenObject ScreenSA;
  ScreenObject ScreenSB;
  ScreenObject ScreenCS;
  ScreenObject ScreenOA;
  ScreenObject ScreenOB;
  ScreenObject ScreenME;

 private:
  IDevice* device_;
  const BitmapResources* resources_;
};

// The bitmaps linked into the program become its texture resources (the
// program's registry unless given another). Returns how many were registered.
std::size_t RegisterEmbeddedBitmaps(BitmapResources& resources = ProgramResources());

// Fills every mesh object: meshes from Data/<stem>.CAR, textures from the
// program's bitmaps by name. Play then gives 17 of the meshes their built-in
// vertices (BuildMeshes). A missing or broken mesh file ends the program
// through the mesh loader; an unknown bitmap throws std::runtime_error.
void LoadResourceAssets(GameAssets& assets, const GameFolders& folders);

// The same objects, slots and colour keys from the authoring files: meshes
// under their authoring names and textures from Data/<name>.BMP.
void LoadFileAssets(GameAssets& assets, const GameFolders& folders);

}  // namespace quarnix
