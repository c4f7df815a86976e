// The game's content on the null device: catalogue routes, built-in meshes, screen images, sounds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "../toolkit/ToolkitTestUtil.h"
#include "content/ZeroRuns.h"
#include "core/Files.h"
#include "platform/Graphics.h"
#include "platform/NullGraphics.h"
#include "platform/Sound.h"
#include "presentation/BuiltinMeshData.h"
#include "presentation/BuiltinMeshes.h"
#include "presentation/GameAssets.h"
#include "presentation/ScreenImages.h"
#include "presentation/SoundSetup.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Vertices = std::vector<D3DVERTEX>;

fs::path GameDir() { return QUARNIX_GAME_DIR; }

// A colour of its own for every picture name, whatever the case of the name: never black, never the key.
std::uint32_t NameColour(std::string name) {
  std::uint32_t h = 2166136261u;
  for (char c : name)
    h = (h ^ static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(c)))) * 16777619u;
  return (h & 0x7F7F7F) | 0x808080;
}
bool IsStarFrame(const std::string& name) { return name.rfind("Star", 0) == 0; }
// A 4 x 4 picture of NameColour(name); a star frame's top-left pixel is black.
Bytes NamePicture(const std::string& name) {
  std::vector<std::uint32_t> pixels(16, NameColour(name));
  if (IsStarFrame(name)) pixels[0] = 0;
  return test::Bmp24(4, 4, pixels);
}
// Blue, green, red, alpha of one pixel of a texture.
std::array<int, 4> TexturePixel(ITexture* texture, int index) {
  if (texture == nullptr) return {-1, -1, -1, -1};
  const auto bytes = texture->LockRect();
  std::array<int, 4> p{};
  for (int i = 0; i < 4; ++i) p[i] = bytes[static_cast<std::size_t>(index) * 4 + i];
  texture->UnlockRect();
  return p;
}
std::string Cased(std::string s, bool upper) {
  for (char& c : s) c = static_cast<char>(upper ? std::toupper(c) : std::tolower(c));
  return s;
}
// The action throws a runtime error naming `name`.
auto Refused(const std::string& name) {
  return ::testing::ThrowsMessage<std::runtime_error>(::testing::HasSubstr(name));
}

// What each slot must hold, by picture name ("" = empty), by built-in mesh number (0: the marker).
std::map<int, std::vector<std::string>> ExpectedSlots(bool fileRoute) {
  std::map<int, std::vector<std::string>> e{
      {1, {"Buildplan1", "Buildplan2", "Buildplan3", "Buildplan4", "Buildplan5", "Buildplan6", "Buildplan7"}},
      {0, {""}},
      {2, std::vector<std::string>(20, "")}};
  e[2][0] = fileRoute ? "GREENBG" : "BG";
  const char* colours[] = {"CubeRed", "CubeGreen", "CubeBlue", "CubeYellow"};
  const char* pieces[] = {"4A", "4B", "4C", "4D", "4E", "4F", "4G", "4H", "4I", "4J", "4K", "5A",
                          "5B", "5C", "5D", "5E", "5F", "6A", "6B", "6C", "6D", "7A", "7B", "8A"};
  for (int c = 1; c <= 4; ++c) {
    auto& s = e[CubeMeshNumber(c)];
    s.push_back(colours[c - 1]);
    for (const char* p : pieces) s.push_back(p + std::to_string(c));
    s.push_back(colours[c - 1]);
  }
  const char* specials[] = {"4Color", "2x2x2",    "ClearLayer", "Diamond",
                            "Tund",   "FallCube", "CubeClear",  "SpecialBox"};
  for (int k = 5; k <= 12; ++k) e[CubeMeshNumber(k)] = {specials[k - 5]};
  for (int f = 1; f <= 30; ++f)
    e[StarMeshNumber((f + 9) / 10)].push_back((f < 10 ? "Star0" : "Star") + std::to_string(f));
  return e;
}
const XObject& Slotted(const GameAssets& a, int n) { return n ? BuiltinMeshObject(a, n) : a.XSelectArea; }
std::vector<std::string> AllPictureNames() {
  std::vector<std::string> names{"GREENBG"};
  for (const auto& [mesh, slots] : ExpectedSlots(false))
    for (const std::string& s : slots)
      if (!s.empty()) names.push_back(s);
  return names;
}
// The 18 mesh files under their resource names and their authoring names.
const std::pair<std::string, std::string> MeshNames[] = {
    {"M1", "BuildPlan"}, {"M2", "SelectArea"}, {"M3", "Channel"},   {"C01", "Red"},   {"C02", "Green"},
    {"C03", "Blue"},     {"C04", "Yellow"},    {"C05", "4Color"},   {"C06", "2x2x2"}, {"C07", "ClearLayer"},
    {"C08", "Diamond"},  {"C09", "Tund"},      {"C10", "FallCube"}, {"C11", "Cross"}, {"C12", "SpecialBox"},
    {"S1", "star1"},     {"S2", "star2"},      {"S3", "star3"}};

// Every expected slot filled (with NamePicture's colours and keys where `namedColours`), no other.
void ExpectSlots(const GameAssets& a, bool fileRoute, bool namedColours = true) {
  for (const auto& [mesh, slots] : ExpectedSlots(fileRoute)) {
    const XObject& x = Slotted(a, mesh);
    ASSERT_GE(x.TextureSlots(), static_cast<int>(slots.size())) << mesh;
    for (std::size_t i = 0; i < slots.size(); ++i) {
      SCOPED_TRACE("mesh " + std::to_string(mesh) + " slot " + std::to_string(i) + " (" + slots[i] + ")");
      ITexture* t = x.Textures(static_cast<int>(i));
      EXPECT_EQ(t != nullptr, !slots[i].empty());
      if (!t || !namedColours) continue;
      const std::uint32_t c = NameColour(slots[i]);
      EXPECT_EQ(TexturePixel(t, 5), (std::array<int, 4>{int(c & 255), int(c >> 8 & 255), int(c >> 16), 255}));
      EXPECT_EQ(TexturePixel(t, 0)[3], IsStarFrame(slots[i]) ? 0 : 255);
    }
  }
  for (int k = 0; k < 12; ++k) EXPECT_EQ(a.CubeSeeThrough(k), k >= 10 ? 1 : 0) << "kind " << k + 1;
  for (const XObject* star : {&a.XStar(1), &a.XStar(2), &a.XStar(3)})
    EXPECT_EQ(std::tuple(star->AutoTexture(), star->AutoRepeat(), star->StartNumber(), star->CurrentNumber(),
                         star->DelayCount()),
              std::tuple(true, false, 0, 0, 1000));
  EXPECT_FALSE(a.XCube(1).AutoTexture());
}

class Assets : public ::testing::Test {
 protected:
  Assets() { RegisterEmbeddedBitmaps(embedded_); }
  void LoadGame(GameAssets& a, const fs::path& d = GameDir()) { LoadResourceAssets(a, GameFolders::In(d)); }
  NullDevice device_{640, 480};
  BitmapResources embedded_, none_;
};

// catches: a slot's wrong picture, key or star timing, a case-bound lookup, a lost bitmap, a route mixed up.
TEST_F(Assets, BothRoutesFillEverySlotWhateverTheCaseOfTheNames) {
  BitmapResources resources, counted;
  for (const std::string& name : AllPictureNames())
    resources.RegisterCopy(Cased(name, true), NamePicture(name));
  GameAssets a(device_, resources), linked(device_, embedded_), files(device_, none_);
  LoadGame(a);
  ExpectSlots(a, false);
  EXPECT_GT(a.XSelectArea.NumVertices(), 0);
  EXPECT_EQ(std::pair(RegisterEmbeddedBitmaps(counted), embedded_.Count()), std::pair(146ul, 146ul));
  LoadGame(linked);
  ExpectSlots(linked, false, false);
  EXPECT_EQ(std::pair(linked.XBackGround.Textures(0)->Width(), linked.XCube(3).Textures(25)->Width()),
            std::pair(256, 64));
  test::TempFolder game;  // the file route: authoring names in either case
  const fs::path data = game / "Data";
  fs::create_directories(data);
  int i = 0;
  for (const auto& [res, file] : MeshNames)
    fs::copy_file(GameDir() / "Data" / (res + ".CAR"), data / (Cased(file, i++ % 2) + ".car"));
  for (const std::string& name : AllPictureNames())
    WriteFileAtomic(data / (Cased(name, i++ % 2) + ".bmp"), NamePicture(name));
  LoadFileAssets(files, GameFolders::In(game.Path()));
  ExpectSlots(files, true);
  EXPECT_EQ(files.XCube(11).NumVertices(), 24);
}

// The vertices the object's mesh holds now (not its editable copy).
Vertices MeshVertices(XObject& x) {
  EXPECT_TRUE(x.GetMeshVertex());
  return {x.Vertices().begin(), x.Vertices().begin() + x.NumVertices()};
}
bool AllZero(const Vertices& v) { return v == Vertices(v.size(), D3DVERTEX{}); }
// catches: a wrong number format, field order, object order or line end in the mesh source; an appended file.
TEST_F(Assets, ExportPrintsEachVertexAsStatementsInTheFixedOrder) {
  test::TempFolder folder;
  GameAssets a(device_, embedded_);
  const auto load = [&](XObject& x, const char* name, const D3DVERTEX& v) {  // one vertex, one triangle
    XMesh m = test::CubeMesh();
    m.Vertices = {v}, m.Indices = {0, 0, 0}, m.Attributes = {0};
    x.LoadXFile(test::WriteMesh(folder / name, m), 0, "", 0, 0, 1);
    x.GetMeshVertex();
  };
  load(a.XBuildPlan, "one.x", {1, 2, 3, 0, 1, 0, 0.5f, 0.25f});
  load(a.XCube(1), "neg.x", {-1.5f, 0, 12345.5f, 0, 0, -1, 1, 0.125f});
  load(a.XStar(3), "one.x", {1, 2, 3, 0, 1, 0, 0.5f, 0.25f});
  load(a.XSelectArea, "sel.x", {7, 7, 7, 0, 1, 0, 0, 0});
  WriteFileAtomic(folder / "ObjMeshProgramText.txt", Bytes(5000, 'x'));
  ExportMeshSource(a, folder.Path());
  std::vector<std::string> want = {
      "Dim vv as D3DVERTEX",
      "vv.nx=0000.00000000 : vv.ny=0001.00000000 : vv.nz=0000.00000000 : vv.tu=0000.50000000 : "
      "vv.tv=0000.25000000 : vv.x=0001.00000000 : vv.y=0002.00000000 : vv.z=0003.00000000",
      "Call XBuildPlan.Set1MeshVertexValue( 0,vv)",
      "XBuildPlan.SetMeshVertex",
      "XBackGround.SetMeshVertex",  // no vertices: the closing line only
      "vv.nx=0000.00000000 : vv.ny=0000.00000000 : vv.nz=-0001.00000000 : vv.tu=0001.00000000 : "
      "vv.tv=0000.12500000 : vv.x=-0001.50000000 : vv.y=0000.00000000 : vv.z=12345.50000000",
      "Call XCube( 1).Set1MeshVertexValue( 0,vv)",
      "XCube( 1).SetMeshVertex"};
  for (int k = 2; k <= 12; ++k) want.push_back("XCube( " + std::to_string(k) + ").SetMeshVertex");
  want.insert(want.end(), {"XStar( 1).SetMeshVertex", "XStar( 2).SetMeshVertex", want[1],
                           "Call XStar( 3).Set1MeshVertexValue( 0,vv)", "XStar( 3).SetMeshVertex"});
  std::string text;  // every line ends in CR LF
  for (const std::string& line : want) text += line + "\r\n";
  EXPECT_EQ(ReadFileBytes(folder / "ObjMeshProgramText.txt"), Bytes(text.begin(), text.end()));
  EXPECT_THROW(ExportMeshSource(a, folder / "no such folder"), std::runtime_error);
  EXPECT_EQ(MeshSourceIndex(12) + MeshSourceIndex(-3), " 12-3");
}

// catches: a mesh built or saved wrong, short or misnamed, the marker lost, a partial reset or refusal.
TEST_F(Assets, BuiltMeshesHoldTheBuiltInVerticesSaveLoadBackAndReset) {
  GameAssets a(device_, embedded_);
  LoadGame(a);
  const Vertices marker = MeshVertices(a.XSelectArea);
  BuildMeshes(a);
  for (int n = 1; n <= 17; ++n) {
    const auto want = BuiltinVertices(n);
    Vertices got = MeshVertices(BuiltinMeshObject(a, n));
    got.resize(std::min(got.size(), want.size()));
    EXPECT_EQ(got, Vertices(want.begin(), want.end())) << BuiltinMesh(n).Object;
  }
  EXPECT_EQ(MeshVertices(a.XSelectArea), marker);
  test::TempFolder game;
  fs::create_directories(game / "Data");
  WriteFileAtomic(game / "Data" / "C05.CAR", Bytes{'x'});
  a.XCube(5).Set1MeshVertexValue(3, {9, 8, 7, 0, 1, 0, 0.5f, 0.5f});
  a.XCube(5).SetMeshVertex();
  SaveCarFiles(a, game / "Data");
  std::set<std::string> names, want;
  for (const auto& e : fs::directory_iterator(game / "Data")) names.insert(e.path().filename().string());
  for (const auto& [res, file] : MeshNames) want.insert(res + (res == "C05" ? ".CAR" : ".car"));
  EXPECT_EQ(names, want);
  GameAssets b(device_, embedded_), c(device_, embedded_);
  LoadGame(b, game.Path());  // no BuildMeshes: the files' own vertices
  for (int n = 1; n <= 17; ++n)
    EXPECT_EQ(MeshVertices(BuiltinMeshObject(b, n)), MeshVertices(BuiltinMeshObject(a, n))) << n;
  EXPECT_EQ(MeshVertices(b.XCube(5))[3], (D3DVERTEX{9, 8, 7, 0, 1, 0, 0.5f, 0.5f}));
  EXPECT_EQ(b.XSelectArea.NumVertices(), a.XSelectArea.NumVertices());
  EXPECT_EQ(b.XCube(1).MaterialCount(), a.XCube(1).MaterialCount());
  fs::remove(game / "Data" / "C07.car");
  EXPECT_THAT(
      test::EndMessage([&] { LoadGame(c, game.Path()); }),
      ::testing::AllOf(::testing::HasSubstr("Error loading Obj-File: "), ::testing::HasSubstr("C07.CAR")));
  ResetAllMeshes(a);
  for (int n = 1; n <= 17; ++n) EXPECT_TRUE(AllZero(MeshVertices(BuiltinMeshObject(a, n)))) << n;
  EXPECT_EQ(MeshVertices(a.XSelectArea), marker);
  XMesh small = test::CubeMesh();  // the build plan is all zero now: a build would change it
  small.Vertices.resize(23);
  for (auto& i : small.Indices) i = std::min(i, 22u);
  a.XCube(10).LoadXFile(test::WriteMesh(game / "small.x", small), 0, "", 0, 0, 1);
  EXPECT_THAT([&] { BuildMeshes(a); }, Refused("XCube(10)"));
  EXPECT_TRUE(AllZero(MeshVertices(a.XBuildPlan)));
}

// catches: an image misplaced, mis-sized or miscoloured, a wrong key, a bad file taken or not named, a bad
// count.
TEST_F(Assets, ScreenImagesFillBlackSeeThroughButOnCSAndABadFileIsRefusedByName) {
  test::TempFolder game;  // every sheet's first pixel black, its second one colour of its own
  const fs::path data = game / "Data";
  const auto sheet = [&](const std::string& name, int n, std::size_t extra = 0) {
    Bytes pixels((n == 3 ? 1024 * 1024 : 512 * 512) * 3 + extra, 0);
    pixels[3] = static_cast<std::uint8_t>(10 * n), pixels[4] = 20, pixels[5] = 30;
    WriteFileAtomic(data / name, PackZeroRuns(pixels));
  };
  const auto fresh = [&] {  // a fresh catalogue whose background has its 20 slots (they come with its mesh)
    auto a = std::make_unique<GameAssets>(device_, none_);
    a->XBackGround.LoadXFile(GameDir() / "Data" / "M3.CAR", 0, "", 0, 0, 20);
    return a;
  };
  fs::create_directories(data);
  Bytes bg(20 * 196608, 0);  // background i starts with (i, 2i, 3i + 1)
  for (int i = 0; i < 20; ++i)
    for (int c = 0; c < 3; ++c) bg[i * 196608 + c] = static_cast<std::uint8_t>((c + 1) * i + c / 2);
  WriteFileAtomic(data / "Bg.Rb", bg);  // found whatever the case of its name, as is oa.rb
  int n = 0;
  for (const char* name : {"oa.rb", "OB.RB", "ME.RB", "SA.RB", "SB.RB", "CS.RB"}) sheet(name, ++n);
  auto a = fresh();
  LoadScreenImages(*a, data);
  for (int i = 0; i < 20; ++i) {
    ITexture* t = a->XBackGround.Textures(i);
    EXPECT_EQ(t ? t->Width() : 0, 256) << i;
    EXPECT_EQ(TexturePixel(t, 0), (std::array<int, 4>{3 * i + 1, 2 * i, i, 255})) << i;
  }
  ScreenObject* sheets[] = {&a->ScreenOA, &a->ScreenOB, &a->ScreenME,
                            &a->ScreenSA, &a->ScreenSB, &a->ScreenCS};
  for (int n = 1; n <= 6; ++n) {
    ITexture* t = sheets[n - 1]->Texture();
    EXPECT_EQ(t ? t->Width() : 0, n == 3 ? 1024 : 512) << n;
    EXPECT_EQ(TexturePixel(t, 1), (std::array<int, 4>{30, 20, 10 * n, 255})) << n;
    EXPECT_EQ(TexturePixel(t, 0), (std::array<int, 4>{0, 0, 0, n == 6 ? 255 : 0})) << n;
  }
  sheet("SA.RB", 4, 1);  // one pixel byte too many
  auto c = fresh();
  EXPECT_THAT([&] { LoadScreenImages(*c, data); }, Refused("SA.RB"));
  EXPECT_TRUE(c->ScreenME.Texture() && !c->ScreenSA.Texture() && !c->ScreenCS.Texture());
  sheet("SA.RB", 4);
  const std::pair<const char*, Bytes> cut[] = {
      {"CS.RB", {}}, {"CS.RB", {7}}, {"ME.RB", Bytes(3145728 / 2, 1)}, {"ME.RB", Bytes(2 * 3145728 + 1, 0)}};
  for (const auto& [name, bytes] : cut) {
    const Bytes good = ReadFileBytes(data / name);
    WriteFileAtomic(data / name, bytes);
    EXPECT_THAT([&] { LoadScreenImages(*fresh(), data); }, Refused(name));
    WriteFileAtomic(data / name, good);
  }
  WriteFileAtomic(data / "Bg.Rb", Bytes(20 * 196608 - 1, 1));
  auto b = fresh();
  EXPECT_THROW(LoadScreenImages(*b, data), std::runtime_error);
  EXPECT_EQ(b->XBackGround.Textures(0), nullptr);
  fs::remove(data / "Bg.Rb");
  EXPECT_THROW(LoadScreenImages(*b, data), std::runtime_error);
  Bytes out(5, 0xEE);  // a sheet's decoding count: only so many bytes, never past its input
  UnpackZeroRuns(3, Bytes{7, 0, 3, 9}, out);
  EXPECT_EQ(out, (Bytes{7, 0, 0, 0, 0xEE}));
  for (int count : {3, -1}) EXPECT_THROW(UnpackZeroRuns(count, Bytes{1, 2}, out), std::out_of_range) << count;
}

fs::path WaveDir() { return GameDir() / "Wave"; }
struct Sounds {
  explicit Sounds(int on = 1) { player.SoundOn = on; }
  void Setup(ISoundSystem& sound, const fs::path& dir = WaveDir()) { SetupSounds(bank, player, sound, dir); }
  SoundPlayer player;
  SoundBank bank;
};

// catches: a wrong buffer, bank and player apart, files opened with sound off, a failing file passed over.
TEST(SoundSetup, EachBufferHoldsTheWaveOfItsNumberUpToAFailingFileAndNoFileIsOpenedWithSoundOff) {
  NullSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound());
  const auto Made = [&](std::string_view n) { return sound.Buffer(ResolveFile(WaveDir() / n).string()); };
  for (int on : {0, 1}) {
    Sounds s(on);
    s.Setup(sound);
    for (const GameFile& f : GameFilesOf(FileRole::Effect)) {
      EXPECT_EQ(s.player.WaveBuffer(f.Number), on ? Made(f.Name) : nullptr) << f.Name;
      EXPECT_EQ(s.player.WaveBuffer(f.Number), s.bank.Waves(f.Number).get());
    }
    for (const GameFile& f : GameFilesOf(FileRole::Music))
      EXPECT_EQ(s.player.MusicBuffer(f.Number), on ? Made(f.Name) : nullptr) << f.Name;
    EXPECT_EQ(Made("NoWay.WAV") != nullptr, on == 1);
    EXPECT_TRUE(s.player.WaveBuffer(Effect::OkExCubeDown) == Made("okExCubeDown.WAV") &&
                s.player.MusicBuffer(Music::Menu) == Made("okMenu.WAV"));
  }
  EXPECT_NE(Made("okMenu.WAV"), nullptr);
  test::TempFolder folder;  // a failing file ends the set-up there and keeps what was made
  for (const auto& e : fs::directory_iterator(WaveDir()))
    fs::copy_file(e.path(), folder / e.path().filename().string());
  Sounds s, fresh;
  s.Setup(sound, folder.Path());
  ISoundBuffer* firstMenu = s.player.MusicBuffer(14);
  fs::remove(ResolveFile(folder / "CubeCross.WAV"));
  EXPECT_THROW(s.Setup(sound, folder.Path()), std::runtime_error);
  for (int No = 1; No <= 4; ++No) EXPECT_EQ(s.player.WaveBuffer(No), s.bank.Waves(No).get());
  EXPECT_EQ(std::pair(s.player.MusicBuffer(14), s.bank.Tracks(14).get()), std::pair(firstMenu, firstMenu));
  EXPECT_THROW(fresh.Setup(sound, folder.Path()), std::runtime_error);
  EXPECT_NE(fresh.player.WaveBuffer(4), nullptr);
  for (int No = 5; No <= 13; ++No) EXPECT_EQ(fresh.player.WaveBuffer(No), nullptr) << No;
  for (int No = 1; No <= 14; ++No) EXPECT_EQ(fresh.player.MusicBuffer(No), nullptr) << No;
}

// catches: a wave the real mixer cannot load, or two numbers sharing a buffer.
TEST(SoundSetup, EveryWaveLoadsInTheMixer) {
  MixerSoundSystem sound;
  ASSERT_TRUE(sound.InitDSound()) << "SDL_AUDIODRIVER=dummy gives a device";
  Sounds s;  // after the sound system: its buffers go first
  s.Setup(sound);
  std::set<ISoundBuffer*> distinct;
  for (int No = 1; No <= 13; ++No) distinct.insert(s.player.WaveBuffer(No));
  for (int No = 1; No <= 14; ++No) distinct.insert(s.player.MusicBuffer(No));
  EXPECT_EQ(distinct.size() - distinct.count(nullptr), 27u);
  s.player.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
  s.player.PlayWave(Effect::OkExCubeDown, PlayFlag::Once, -1500);
  s.player.StopMusic(Music::Menu);
}

}  // namespace
}  // namespace quarnix
