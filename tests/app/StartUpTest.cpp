// The start-up file check, set-up errors, play's content, the demo's frame times, the name entry's keys.

#include <fstream>
#include <numeric>
#include <random>

#include "LoopRig.h"
#include "app/Demo.h"
#include "app/PlaySetup.h"
#include "app/StartUp.h"
#include "core/ProgramEnd.h"
#include "platform/NullGraphics.h"
#include "presentation/BuiltinMeshData.h"
#include "toolkit/XFile.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using test::Padded;

struct Name {
  FixedArray<int, GameNameLength> codes;
  int length = 0;
  Name() { std::fill(codes.begin(), codes.end(), 32); }
  std::pair<std::string, int> Type(const std::vector<int>& keys) {
    for (int k : keys) length = ApplyPadNameKey(codes, ApplyNameKey(codes, length, k), k);
    return {std::string(codes.begin(), codes.end()), length};
  }
};

TEST(CheckFilesTest, FindsNamesWhateverTheirCaseInTheFolderOfTheirKind) {
  test::TempFolder folder;
  const fs::path& f = folder.Path();
  for (const auto& name : RequiredFiles()) {
    std::string file = name.filename().string();
    std::transform(file.begin() + 1, file.end(), file.begin() + 1, ::tolower);
    fs::create_directories(f / name.parent_path());
    std::ofstream(f / name.parent_path() / file) << "x";
  }
  const GameLocation here{f, f, f};
  EXPECT_TRUE(CheckFiles(here).empty());
  const GameLocation split{f / "bin", f, f / "records"};
  for (const fs::path& d : {split.ProgramFolder, split.RecordPath}) fs::create_directory(d);
  fs::rename(f / "quarnix", split.ProgramFolder / "quarnix");
  for (const char* record : {"Ct.dat", "Rd.dat"}) fs::rename(f / record, split.RecordPath / record);
  EXPECT_TRUE(CheckFiles(split).empty());
  EXPECT_EQ(CheckFiles(here), (std::vector<fs::path>{f / "quarnix", f / "CT.dat", f / "RD.dat"}));
  for (const char* gone : {"Data/C07.car", "Wave/Thund.wav"}) fs::remove(f / gone);
  EXPECT_EQ(CheckFiles(split), (std::vector<fs::path>{f / "Data/C07.CAR", f / "Wave/Thund.WAV"}));
}

TEST(RunStepTest, AnErrorIsReportedAndTheNextStepRunsButCloseAndEndPassThrough) {
  int ran = 0;
  testing::internal::CaptureStderr();
  RunStep("textures", [] { throw std::runtime_error("no such bitmap"); });
  RunStep("sounds", [&] { ++ran; });
  EXPECT_NE(testing::internal::GetCapturedStderr().find("textures: no such bitmap"), std::string::npos);
  EXPECT_EQ(ran, 1);
  EXPECT_THROW(RunStep("menu", [] { throw QuitRequest(); }), QuitRequest);
  ScopedEndHookThrows ends;
  EXPECT_THROW(RunStep("scores", [] { EndProgram(3); }), ProgramEndRequested);
}

TEST(PlaySetup, TheMeshesGetTheirBuiltInVerticesWhateverTheFilesHold) {
  test::TempFolder game;
  fs::copy(fs::path(QUARNIX_GAME_DIR) / "Data", game / "Data", fs::copy_options::recursive);
  const fs::path file = game / "Data" / "C05.CAR";
  XFileContent cube = LoadXFileContent(file);
  for (D3DVERTEX& v : cube.Mesh.Vertices) v.y += 1;  // every vertex a layer higher
  SaveXFileMesh(file, cube.Mesh, XFileFormat::Binary);
  NullDevice device(640, 480);
  GameAssets assets(device);
  LoadPlayContent(assets, GameFolders::In(game.Path()));
  ASSERT_TRUE(assets.XCube(5).GetMeshVertex());
  const auto want = BuiltinVertices(CubeMeshNumber(5));
  EXPECT_TRUE(std::equal(want.begin(), want.end(), assets.XCube(5).Vertices().begin()));
}

TEST(DemoStats, PercentilesAreNearestRankAndTheFloorCountsOnlyLongerFrames) {
  // 1..100 ms shuffled: the p-th percentile of 100 frames is frame p itself.
  std::vector<double> ms(100);
  std::iota(ms.begin(), ms.end(), 1.0);
  std::shuffle(ms.begin(), ms.end(), std::mt19937(3));
  const FrameTimeStats s = SummariseFrameTimes(ms);
  EXPECT_EQ(std::tuple(s.Frames, s.P50, s.P95, s.P99, s.Max, s.Over15),
            std::tuple(std::size_t{100}, 50.0, 95.0, 99.0, 100.0, std::size_t{85}));
  for (auto [few, p50, p99] : {std::tuple{std::vector<double>{7}, 7.0, 7.0},
                               {std::vector<double>{4, 2}, 2.0, 4.0},
                               {std::vector<double>{3, 1, 2}, 2.0, 3.0}}) {
    const FrameTimeStats t = SummariseFrameTimes(few);
    EXPECT_EQ(std::pair(t.P50, t.P99), std::pair(p50, p99)) << few.size() << " frames";
  }
  EXPECT_EQ(SummariseFrameTimes({}).Frames, 0u);
}

// catches: a key typed, removed or ignored wrongly; the picker turning or moving the wrong slot.
TEST(NameEntry, KeysAddAndRemoveAndThePadPickerTurnsTheCharacterAtTheCursorAndMovesIt) {
  struct Case {
    std::vector<int> keys;
    std::string text;
    int length;
  };
  Name typed;  // 103 is keypad 7; keys that are no characters change nothing
  for (const Case& c : {Case{{'A', 'B', 8, 'C'}, "AC", 2}, Case{{'0', ' ', '9', 46}, "AC0 ", 4},
                        Case{{103}, "AC0 7", 5}, Case{{13, 27, 112, 190, 37, 106}, "AC0 7", 5}})
    EXPECT_EQ(typed.Type(c.keys), std::pair(Padded(c.text), c.length)) << c.text;
  constexpr int U = VirtualKey::PadUp, D = VirtualKey::PadDown, L = VirtualKey::PadLeft,
                R = VirtualKey::PadRight;
  const Case picker[] = {
      {{U, U, R, D, R, D, D}, "B98", 2},     // A-Z, then 0-9 and the space; down runs back
      {{D, U, U}, "A", 0},                   // round from the space to A and back
      {{L, U, R, R, U, L, L, L}, "A A", 0},  // the cursor stops at the first slot; moving keeps the slots
      {{'A', 'B', L, U, R, 'D'}, "ACD", 3},  // the keyboard types where the cursor stands
      {{'A', 'B', 'C', L, L, 8}, " BC", 0},  // Backspace still takes the character before the cursor
      {{8, 46}, "", 0},                      // removing from nothing stays at nothing
  };
  for (const Case& c : picker) EXPECT_EQ(Name().Type(c.keys), std::pair(Padded(c.text), c.length)) << c.text;
  const std::string full = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::vector<int> keys(full.begin(), full.end());
  keys.insert(keys.end(), {R, U});
  Name n;
  EXPECT_EQ(n.Type(keys).first, full.substr(0, 25) + "0");
  EXPECT_EQ(n.Type({L, D}), std::pair(full.substr(0, 24) + "X0", 24));
}

}  // namespace
}  // namespace quarnix
