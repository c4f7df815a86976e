#pragma once
// The whole state of a game, shared by the rules (GameRules) and the game
// loop; the renderer reads it. It is plain data on purpose: the loop drives
// it, and tests set it up cell by cell. What only the screen needs (display
// flags, pop-up, particles, its animations) is the screen's own (PlayView.h).
// All tables are 1-based and bounds-checked; cells are addressed (x, y, z)
// with layer z = 1 the floor.

#include <cstdint>

#include "content/SoundNumbers.h"
#include "core/FixedArray.h"

namespace quarnix {

// Fixed bounds of the tables; the rules run to FieldSizeX/Y/Z.
inline constexpr int MaxFieldX = 5;
inline constexpr int MaxFieldY = 5;
inline constexpr int MaxFieldZ = 10;
inline constexpr int SpawnLayer = 10;  // a new piece always enters here
inline constexpr int ShapeCount = 23;
inline constexpr int LevelCount = 20;
inline constexpr int GameNameLength = 26;  // characters of a typed name

// What a cell of the field holds. A kind's number is also the cube mesh it is
// drawn with (XCube(kind)) and the value the field's tables have always stored.
enum class CellKind : std::int32_t {
  Empty = 0,
  Red = 1,  // the four colours, 1..4
  Green = 2,
  Blue = 3,
  Yellow = 4,
  FourColor = 5,    // the special cubes, 5..9: clears every cube of the colour it lands on
  Stack = 6,        // raises its column with random colour cubes
  ClearLayer = 7,   // clears the cubes of its layer around it
  Diamond = 8,      // stays put and never matches
  Tund = 9,         // lightning: clears its whole column
  FallCube = 10,    // never made by the rules
  CubeClear = 11,   // a cube being cleared
  SpecialBox = 12,  // the glass box drawn over a special cube; never stored in the field
};
inline constexpr int CellKindCount = 12;  // kinds 1..12 have a cube mesh

// The kind's number: its cube mesh, and the value the stored tables hold.
constexpr int Index(CellKind Kind) { return static_cast<int>(Kind); }
// Not empty.
constexpr bool IsCube(CellKind Kind) { return Kind != CellKind::Empty; }
constexpr bool IsColour(CellKind Kind) { return Kind >= CellKind::Red && Kind <= CellKind::Yellow; }
// Kinds 5..10: they act when they land and are drawn spinning in their box.
constexpr bool IsSpecial(CellKind Kind) { return Kind >= CellKind::FourColor && Kind <= CellKind::FallCube; }
// The special cubes whose landing has an effect of its own: stars, a sound, a pause.
constexpr bool HasLandingEffect(CellKind Kind) {
  return Kind == CellKind::FourColor || Kind == CellKind::Stack || Kind == CellKind::ClearLayer ||
         Kind == CellKind::Tund;
}
// Kinds 1..10: the cubes a column's height counts (a clearing cube is on its way out).
constexpr bool IsCounted(CellKind Kind) { return Kind >= CellKind::Red && Kind <= CellKind::FallCube; }
// The colour of a draw 1..4, and the special cube of a draw 0..4 (5..9).
constexpr CellKind ColourKind(int Draw) { return static_cast<CellKind>(Draw); }
constexpr CellKind SpecialKindOf(int Draw) {
  return static_cast<CellKind>(Index(CellKind::FourColor) + Draw);
}

// A layer of the field: the falling piece, the turn's scratch, the shower.
using FieldLayer = FixedArray<CellKind, MaxFieldX, MaxFieldY>;

// A world position (x, y, z), as the renderer takes it.
struct Vec3 {
  float x = 0, y = 0, z = 0;
  bool operator==(const Vec3&) const = default;
};

// One row of the level table.
struct LevelRec {
  int MinScore = 0;
  int MaxScore = 0;
  int ScoreSpan = 0;    // kept with the table; no rule reads it
  float SpeedRate = 0;  // ms the drop interval shrinks per point scored in the level
  int CubeCount = 3;    // cubes of each new piece, 3..9
  int BackPicture = 0;  // background texture slot
  int CubePicture = 0;  // colour-cube texture slot, 0 plain
  int PlanPicture = 0;  // build-plan texture slot 0..6
  Music MusicNo = LevelMusic(1);
};

struct GameState {
  // --- Field geometry: set once before the first game, kept between games.
  int FieldSizeX = MaxFieldX;
  int FieldSizeY = MaxFieldY;
  int FieldSizeZ = MaxFieldZ;
  int LayerStep = 1;                                          // world height of one layer
  int CubeSpacing = 2;                                        // world distance between neighbouring columns
  float FieldCentre = 4.0f;                                   // (FieldSizeX * CubeSpacing - CubeSpacing) / 2
  FixedArray<Vec3, MaxFieldX, MaxFieldY> AreaPos;             // column at the floor plane
  FixedArray<Vec3, MaxFieldX, MaxFieldY, MaxFieldZ> CubePos;  // every cell
  int DeviceKind = 2;  // graphics device class: divides the particle bursts

  // --- The play field.
  FixedArray<CellKind, MaxFieldX, MaxFieldY, MaxFieldZ> CubeArray;
  // Scratch numbers: cells marked for clearing (the number of their kind, 0
  // unmarked), then each cube's fall distance.
  FixedArray<int, MaxFieldX, MaxFieldY, MaxFieldZ> MarkArray;
  FixedArray<int, MaxFieldX, MaxFieldY> HeightArray;  // cubes of kind 1..10 per column
  int MaxHeight = 0;

  // --- Pieces.
  FieldLayer NowCube;                            // the falling piece, one layer
  int NowCubeZ = SpawnLayer;                     // its layer
  FieldLayer TurnArray;                          // scratch for turning it
  FixedArray<CellKind, 3, 3> NextCube;           // the piece shown as next
  FixedArray<int, 3, 3, ShapeCount> ShapeTable;  // 1 where shape s has a cube
  FixedArray<LevelRec, LevelCount> LevelTable;

  // --- Cube shower.
  FieldLayer RainCube;                                 // colour falling into (x, y), or Empty
  FixedArray<float, MaxFieldX, MaxFieldY> RainHeight;  // its world height

  // --- Counters.
  int GameLevel = 0;    // level in use (LevelTable row); 0 until the first announcement
  int ScoreLevel = 1;   // level whose score range holds GameScore
  int GameScore = 0;    // one point per cleared cube
  int ChainScore = 0;   // cubes cleared in the second and later passes of a landing
  int ClearCount = 0;   // cubes cleared in the last pass
  int ChainCount = 0;   // clear passes since the piece landed
  float ScoreStep = 0;  // (GameScore mod 50) / 50: progress to the next field turn
  // Degrees of the running turn animation. The rules' field turn and the
  // loop's piece turn count their frames by it, so it is game state; the
  // screen draws with it.
  float TurnAngle = 0;

  // --- Landing flags: at rest -> marked -> shown clearing -> at rest ... -> next piece.
  bool DropFlag = false;   // fast drop: a drop step every frame
  bool LandFlag = false;   // every cube of the piece is at rest
  bool MatchFlag = false;  // cells are marked in MarkArray
  bool ClearFlag = false;  // the marked cells are shown as clearing cubes

  CellKind SpecialKind = CellKind::Empty;  // the special cube that came to rest last, Empty none
  int SpecialX = 0, SpecialY = 0, SpecialZ = 0;

  // --- Values the game loop carries from pass to pass.
  int PendingDropInterval = 2000;   // applied when normal play resumes
  float PreviousScoreStep = -1.0f;  // ScoreStep after the previous removal

  // --- Timing (clock ticks in ms; the tick counter wraps at 2^32).
  std::uint32_t FrameTime = 0;     // start of the current frame
  std::uint32_t LastDropTime = 0;  // last automatic drop step
  int DropInterval = 2000;         // ms between drop steps; 0 during a fast drop

  // --- The two flags the rules' logic reads: no automatic drop while the
  // quit prompt is open (and the drop time is not restamped), nor once the
  // game is over. They are the game's state, not only what the screen shows.
  bool QuitShow = false;      // quit prompt
  bool GameOverShow = false;  // game-over panel

  // --- Name entry at game end.
  FixedArray<int, GameNameLength> GameName;  // character codes, spaces where nothing is typed
  int NameLength = 0;                        // characters typed; the cursor stands after them
  bool NameEntryOn = false;

  // Pieces put into play since the state was made: watchers tell pieces apart by it.
  std::int64_t PiecesPut = 0;
};

}  // namespace quarnix
