// The asset catalogue's two loading routes on the null device: which picture
// lands in which slot of which object, with which colour key, from the
// program's bitmaps or from the authoring files.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "AssetsTestUtil.h"
#include "core/Files.h"
#include "platform/NullGraphics.h"
#include "presentation/GameAssets.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using test::NameColour;
using test::TextureColour;

std::string Two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// What each slot must hold, by picture name ("" = empty), object by object.
std::map<std::string, std::vector<std::string>> ExpectedSlots(bool fileRoute) {
  std::map<std::string, std::vector<std::string>> e;
  e["XBuildPlan"] = {"Buildplan1", "Buildplan2", "Buildplan3", "Buildplan4",
                     "Buildplan5", "Buildplan6", "Buildplan7"};
  e["XSelectArea"] = {""};
  e["XBackGround"] = std::vector<std::string>(20, "");
  e["XBackGround"][0] = fileRoute ? "GREENBG" : "BG";
  const char* colours[] = {"CubeRed", "CubeGreen", "CubeBlue", "CubeYellow"};
  const char* pieces[] = {"4A", "4B", "4C", "4D", "4E", "4F", "4G", "4H", "4I", "4J", "4K", "5A",
                          "5B", "5C", "5D", "5E", "5F", "6A", "6B", "6C", "6D", "7A", "7B", "8A"};
  for (int c = 1; c <= 4; ++c) {
    auto& s = e["XCube(" + std::to_string(c) + ")"];
    s.push_back(colours[c - 1]);
    for (const char* p : pieces) s.push_back(p + std::to_string(c));
    s.push_back(colours[c - 1]);
  }
  const char* specials[] = {"4Color", "2x2x2",    "ClearLayer", "Diamond",
                            "Tund",   "FallCube", "CubeClear",  "SpecialBox"};
  for (int k = 5; k <= 12; ++k) e["XCube(" + std::to_string(k) + ")"] = {specials[k - 5]};
  for (int s = 1; s <= 3; ++s)
    for (int f = 1; f <= 10; ++f)
      e["XStar(" + std::to_string(s) + ")"].push_back("Star" + Two((s - 1) * 10 + f));
  return e;
}

const XObject& ObjectNamed(const GameAssets& a, const std::string& name) {
  if (name == "XBuildPlan") return a.XBuildPlan;
  if (name == "XSelectArea") return a.XSelectArea;
  if (name == "XBackGround") return a.XBackGround;
  const int n = std::stoi(name.substr(name.find('(') + 1));
  return name.rfind("XCube", 0) == 0 ? a.XCube(n) : a.XStar(n);
}

std::vector<std::string> AllPictureNames() {
  std::vector<std::string> names;
  for (const auto& [object, slots] : ExpectedSlots(false))
    for (const std::string& s : slots)
      if (!s.empty()) names.push_back(s);
  names.push_back("GREENBG");
  return names;
}

bool IsStarFrame(const std::string& name) { return name.rfind("Star", 0) == 0; }

// The 18 mesh files under their resource names and their authoring names.
const std::vector<std::pair<std::string, std::string>>& MeshNames() {
  static const std::vector<std::pair<std::string, std::string>> names = {
      {"M1", "BuildPlan"}, {"M2", "SelectArea"}, {"M3", "Channel"},   {"C01", "Red"},   {"C02", "Green"},
      {"C03", "Blue"},     {"C04", "Yellow"},    {"C05", "4Color"},   {"C06", "2x2x2"}, {"C07", "ClearLayer"},
      {"C08", "Diamond"},  {"C09", "Tund"},      {"C10", "FallCube"}, {"C11", "Cross"}, {"C12", "SpecialBox"},
      {"S1", "star1"},     {"S2", "star2"},      {"S3", "star3"}};
  return names;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

void Copy(const fs::path& from, const fs::path& to) {
  const auto bytes = ReadFileBytes(from);
  WriteFileAtomic(to, bytes);
}

class AssetLoading : public ::testing::Test {
 protected:
  // Every slot holds the picture of its expected name; stars keyed, the rest not.
  void ExpectSlots(const GameAssets& a, bool fileRoute) {
    for (const auto& [object, slots] : ExpectedSlots(fileRoute)) {
      const XObject& x = ObjectNamed(a, object);
      ASSERT_GE(x.TextureSlots(), static_cast<int>(slots.size())) << object;
      for (std::size_t i = 0; i < slots.size(); ++i) {
        SCOPED_TRACE(object + " slot " + std::to_string(i) + " (" + slots[i] + ")");
        ITexture* t = x.Textures(static_cast<int>(i));
        if (slots[i].empty()) {
          EXPECT_EQ(t, nullptr);
          continue;
        }
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(TextureColour(t, 5), static_cast<long>(NameColour(slots[i])));
        // Opaque black is see-through on the stars only.
        EXPECT_EQ(test::TexturePixel(t, 0)[3], IsStarFrame(slots[i]) ? 0 : 255);
      }
    }
    for (int k = 0; k < 12; ++k) EXPECT_EQ(a.CubeSeeThrough(k), k >= 10 ? 1 : 0) << "kind " << k + 1;
    for (int s = 1; s <= 3; ++s) {
      const XObject& star = a.XStar(s);
      EXPECT_TRUE(star.AutoTexture());
      EXPECT_EQ(star.StartNumber(), 0);
      EXPECT_EQ(star.CurrentNumber(), 0);
      EXPECT_EQ(star.DelayCount(), 1000);
      EXPECT_FALSE(star.AutoRepeat());
    }
    EXPECT_FALSE(a.XCube(1).AutoTexture());
  }

  NullDevice device_{640, 480};
};

TEST_F(AssetLoading, ResourceRouteFillsEverySlotFromTheProgramBitmapsWhateverTheirCase) {
  // The program stores its bitmap names in upper case; the loader asks in mixed case.
  BitmapResources resources;
  for (const std::string& name : AllPictureNames())
    resources.RegisterCopy(Upper(name), test::NamePicture(name, IsStarFrame(name)));
  GameAssets a(device_, resources);
  LoadResourceAssets(a, GameFolders::In(test::GameDir()));
  ExpectSlots(a, false);
  // Meshes came from the resource-route files.
  EXPECT_EQ(a.XBackGround.NumVertices(), 275);
  EXPECT_GT(a.XSelectArea.NumVertices(), 0);
}

TEST_F(AssetLoading, FileRouteReadsTheAuthoringMeshesAndBitmapsWhateverTheirCase) {
  test::TempFolder game;
  const fs::path data = game / "Data";
  fs::create_directories(data);
  // Authoring names in any case: the loaders find them all the same.
  int i = 0;
  for (const auto& [res, file] : MeshNames()) {
    const std::string stored = (i++ % 2 ? Upper(file) : Lower(file)) + ".car";
    Copy(test::GameDir() / "Data" / (res + ".CAR"), data / stored);
  }
  for (const std::string& name : AllPictureNames()) {
    const auto bytes = test::NamePicture(name, IsStarFrame(name));
    WriteFileAtomic(data / ((i++ % 2 ? Upper(name) : Lower(name)) + ".bmp"), bytes);
  }
  BitmapResources none;  // nothing may come from the program's bitmaps
  GameAssets a(device_, none);
  LoadFileAssets(a, GameFolders::In(game.Path()));
  ExpectSlots(a, true);
  // XCube(11) has the "Cross" mesh: the same file as the resource route's C11.
  EXPECT_EQ(a.XCube(11).NumVertices(), 24);
}

TEST_F(AssetLoading, TheLinkedInBitmapsServeTheWholeResourceRoute) {
  BitmapResources resources;
  EXPECT_EQ(RegisterEmbeddedBitmaps(resources), 146u);
  EXPECT_EQ(resources.Count(), 146u);
  GameAssets a(device_, resources);
  LoadResourceAssets(a, GameFolders::In(test::GameDir()));
  for (const auto& [object, slots] : ExpectedSlots(false))
    for (std::size_t i = 0; i < slots.size(); ++i)
      EXPECT_EQ(ObjectNamed(a, object).Textures(static_cast<int>(i)) != nullptr, !slots[i].empty())
          << object << " slot " << i;
  EXPECT_EQ(a.XBackGround.Textures(0)->Width(), 256);
  EXPECT_EQ(a.XCube(3).Textures(25)->Width(), 64);
}

TEST_F(AssetLoading, AMissingMeshFileEndsTheProgramNamingIt) {
  test::TempFolder game;
  fs::create_directories(game / "Data");
  for (const auto& [res, file] : MeshNames())
    if (res != "C07") Copy(test::GameDir() / "Data" / (res + ".CAR"), game / "Data" / (res + ".CAR"));
  BitmapResources resources;
  RegisterEmbeddedBitmaps(resources);
  GameAssets a(device_, resources);
  const std::string said = test::EndMessage([&] { LoadResourceAssets(a, GameFolders::In(game.Path())); });
  EXPECT_NE(said.find("Error loading Obj-File: "), std::string::npos) << said;
  EXPECT_NE(said.find("C07.CAR"), std::string::npos) << said;
}

}  // namespace
}  // namespace quarnix
