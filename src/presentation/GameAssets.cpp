#include "presentation/GameAssets.h"

#include <array>
#include <string>
#include <string_view>

#include "content/EmbeddedResources.h"
#include "presentation/BuiltinMeshData.h"

namespace quarnix {

GameAssets::GameAssets(IDevice& device, const BitmapResources& resources)
    : XBuildPlan(device, resources),
      XSelectArea(device, resources),
      XBackGround(device, resources),
      XCube(device, resources),
      XStar(device, resources),
      ScreenSA(device, resources),
      ScreenSB(device, resources),
      ScreenCS(device, resources),
      ScreenOA(device, resources),
      ScreenOB(device, resources),
      ScreenME(device, resources),
      device_(&device),
      resources_(&resources) {}

std::size_t RegisterEmbeddedBitmaps(BitmapResources& resources) {
  const auto all = EmbeddedResources();
  for (const EmbeddedResource& r : all) resources.Register(r.Name, r.Bytes);
  return all.size();
}

namespace {

constexpr D3DCOLOR NoKey = 0;
constexpr D3DCOLOR StarKey = 0xFF000000;  // opaque black is see-through on the stars

// Slot 0 picture of each cube kind, and of each star.
constexpr std::array<std::string_view, 12> CubeTexture = {"CubeRed", "CubeGreen", "CubeBlue",   "CubeYellow",
                                                          "4Color",  "2x2x2",     "ClearLayer", "Diamond",
                                                          "Tund",    "FallCube",  "CubeClear",  "SpecialBox"};
constexpr std::array<std::string_view, 3> StarFirstFrame = {"Star01", "Star11", "Star21"};

// The piece pictures of slots 1..24 of a colour cube, before the colour's digit.
constexpr std::array<std::string_view, 24> PiecePictures = {"4A", "4B", "4C", "4D", "4E", "4F", "4G", "4H",
                                                            "4I", "4J", "4K", "5A", "5B", "5C", "5D", "5E",
                                                            "5F", "6A", "6B", "6C", "6D", "7A", "7B", "8A"};

constexpr int ColourCubes = 4;
constexpr int ColourCubeSlots = 26;
constexpr int StarFrames = 10;
constexpr int BuildPlanSlots = 7;
constexpr int BackGroundSlots = 20;

std::string StarFrameName(int star, int frame) {  // frame 0..9
  const int n = (star - 1) * StarFrames + frame + 1;
  return std::string("Star") + (n < 10 ? "0" : "") + std::to_string(n);
}

// What differs between the two routes: where meshes and pictures come from.
class Route {
 public:
  Route(const GameFolders& folders, bool fromResource) : folders_(folders), fromResource_(fromResource) {}

  bool FromResource() const { return fromResource_; }

  void LoadMesh(XObject& object, const BuiltinMeshInfo& mesh, std::string_view texture, D3DCOLOR key,
                int slots) const {
    LoadMesh(object, mesh.File, mesh.FileStem, texture, key, slots);
  }
  // The game's mesh file in the resource route, the authoring one in the file route.
  void LoadMesh(XObject& object, int file, std::string_view authoringStem, std::string_view texture,
                D3DCOLOR key, int slots) const {
    const std::string name =
        fromResource_ ? std::string(MeshFile(file).Name) : std::string(authoringStem) + CarExt;
    object.LoadXFile(folders_.DataPath / name, fromResource_ ? 1 : 0, TextureName(texture), key, 0, slots);
  }

  void LoadSlot(XObject& object, int slot, std::string_view name, D3DCOLOR key) const {
    if (fromResource_)
      object.LoadResourceTexture(slot, std::string(name), key, 0);
    else
      object.LoadTexture(slot, TextureName(name), key, 0);
  }

 private:
  // A resource name as it is, a file name as its full path; no picture stays empty.
  std::string TextureName(std::string_view name) const {
    if (fromResource_ || name.empty()) return std::string(name);
    return (folders_.DataPath2 / (std::string(name) + BmpExt)).string();
  }

  const GameFolders& folders_;
  bool fromResource_;
};

void LoadAssets(GameAssets& a, const Route& route) {
  // 1. Every mesh with its slot 0 picture.
  route.LoadMesh(a.XBuildPlan, BuiltinMesh(1), "Buildplan1", NoKey, BuildPlanSlots);
  route.LoadMesh(a.XSelectArea, SelectAreaMesh, SelectAreaFileStem, "", NoKey, 1);
  route.LoadMesh(a.XBackGround, BuiltinMesh(2), route.FromResource() ? "BG" : "GREENBG", NoKey,
                 BackGroundSlots);
  for (int k = 1; k <= 12; ++k) {
    route.LoadMesh(a.XCube(k), BuiltinMesh(CubeMeshNumber(k)), CubeTexture[k - 1], NoKey,
                   k <= ColourCubes ? ColourCubeSlots : 1);
    a.CubeSeeThrough(k - 1) = k >= 11 ? 1 : 0;
  }
  for (int s = 1; s <= 3; ++s)
    route.LoadMesh(a.XStar(s), BuiltinMesh(StarMeshNumber(s)), StarFirstFrame[s - 1], StarKey, StarFrames);
  // The file route has always started the star animations right here.
  if (!route.FromResource())
    for (int s = 1; s <= 3; ++s) a.XStar(s).SetAutoTexture(true, 0, 1000, false);

  // 2. The build plan's further pictures.
  for (int slot = 1; slot < BuildPlanSlots; ++slot)
    route.LoadSlot(a.XBuildPlan, slot, "Buildplan" + std::to_string(slot + 1), NoKey);

  // 3. The piece pictures of the colour cubes, then their own colour again.
  for (int c = 1; c <= ColourCubes; ++c) {
    for (int slot = 1; slot <= 24; ++slot)
      route.LoadSlot(a.XCube(c), slot, std::string(PiecePictures[slot - 1]) + std::to_string(c), NoKey);
    route.LoadSlot(a.XCube(c), ColourCubeSlots - 1, CubeTexture[c - 1], NoKey);
  }

  // 4. The star frames.
  for (int s = 1; s <= 3; ++s) {
    for (int frame = 1; frame < StarFrames; ++frame)
      route.LoadSlot(a.XStar(s), frame, StarFrameName(s, frame), StarKey);
    if (route.FromResource()) a.XStar(s).SetAutoTexture(true, 0, 1000, false);
  }
}

}  // namespace

void LoadResourceAssets(GameAssets& assets, const GameFolders& folders) {
  LoadAssets(assets, Route(folders, true));
}

void LoadFileAssets(GameAssets& assets, const GameFolders& folders) {
  LoadAssets(assets, Route(folders, false));
}

}  // namespace quarnix
