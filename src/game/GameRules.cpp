#include "game/GameRules.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace quarnix {

namespace {

// The 23 piece shapes, rows y = 1..3 of cells x = 1..3, grouped by cube count.
constexpr const char* Shapes[ShapeCount][3] = {
    {"#..", ".#.", "..#"}, {"#..", "#..", "#.."}, {"#..", "##.", "..."}, {"#..", ".#.", "#.."},
    {"#..", "##.", "#.."}, {"#..", "#..", "##."}, {"##.", "##.", "..."}, {"##.", ".##", "..."},
    {"#.#", ".#.", "#.#"}, {"#..", "#..", "###"}, {"#..", "###", "#.."}, {".#.", "###", ".#."},
    {"###", "##.", "#.."}, {"###", "..#", ".##"}, {"##.", "##.", "##."}, {"##.", ".##", "##."},
    {"###", ".#.", "###"}, {"#.#", "###", "#.#"}, {"##.", "###", ".##"}, {"###", ".##", "###"},
    {"###", "#.#", "###"}, {"###", "###", "##."}, {"###", "###", "###"},
};

// Constant columns of the level table: MinScore, MaxScore, ScoreSpan, SpeedRate,
// CubeCount, PlanPicture.
struct LevelConstants {
  int MinScore, MaxScore, ScoreSpan;
  float SpeedRate;
  int CubeCount, PlanPicture;
};
constexpr LevelConstants Levels[LevelCount] = {
    {0, 199, 200, 5.0f, 3, 0},        {200, 399, 200, 5.0f, 3, 0},         {400, 799, 300, 3.0f, 3, 1},
    {800, 1199, 400, 2.0f, 4, 1},     {1200, 1599, 400, 2.0f, 4, 1},       {1600, 1999, 400, 2.0f, 4, 2},
    {2000, 2499, 500, 1.5f, 4, 2},    {2500, 2999, 500, 1.5f, 5, 2},       {3000, 3599, 600, 1.0f, 5, 3},
    {3600, 4299, 700, 0.8f, 5, 3},    {4300, 4999, 700, 0.8f, 5, 3},       {5000, 5799, 800, 0.6f, 6, 4},
    {5800, 6599, 800, 0.6f, 6, 4},    {6600, 7399, 800, 0.5f, 6, 4},       {7400, 8299, 900, 0.4f, 6, 5},
    {8300, 9199, 900, 0.3f, 7, 5},    {9200, 10099, 900, 0.2f, 7, 5},      {11000, 11999, 1000, 0.0f, 8, 6},
    {12000, 12999, 1000, 0.0f, 9, 6}, {13000, 99999999, 1000, 0.0f, 3, 6},
};

// The field's size, checked once per operation: a size the tables cannot hold
// is reported by name before any loop runs.
struct FieldExtent {
  int X, Y, Z;
};
[[noreturn, gnu::cold, gnu::noinline]] void BadExtent(const GameState& s) {
  throw std::out_of_range("field size " + std::to_string(s.FieldSizeX) + " x " +
                          std::to_string(s.FieldSizeY) + " x " + std::to_string(s.FieldSizeZ) +
                          " outside 5 x 5 x 10");
}
FieldExtent CheckedExtent(const GameState& s) {
  if (s.FieldSizeX < 1 || s.FieldSizeX > MaxFieldX || s.FieldSizeY < 1 || s.FieldSizeY > MaxFieldY ||
      s.FieldSizeZ < 1 || s.FieldSizeZ > MaxFieldZ)
    BadExtent(s);
  return {s.FieldSizeX, s.FieldSizeY, s.FieldSizeZ};
}

// Runs Body(fx, fy, fz) with the field's size; the usual full-size field passes
// the sizes as constants, so the hot loops get fixed trip counts.
template <typename Body>
decltype(auto) WithExtent(const GameState& s, Body&& body) {
  using X = std::integral_constant<int, MaxFieldX>;
  using Y = std::integral_constant<int, MaxFieldY>;
  using Z = std::integral_constant<int, MaxFieldZ>;
  if (s.FieldSizeX == MaxFieldX && s.FieldSizeY == MaxFieldY && s.FieldSizeZ == MaxFieldZ)
    return body(X{}, Y{}, Z{});
  const auto [fx, fy, fz] = CheckedExtent(s);
  return body(fx, fy, fz);
}

// The searches walk a row with the two kinds before the current one, starting
// from 0, 0: the first two steps of a row can never match.
bool IsLine(CellKind a, CellKind b, CellKind c) {
  // Tested from the newest cell: most are empty or differ from the one before.
  return IsCube(c) && c == b && b == a && c != CellKind::Diamond;  // a diamond never matches
}

// A cell marked for clearing: MarkArray holds the number of its kind.
void Mark(GameState& s, int x, int y, int z, CellKind kind) { s.MarkArray(x, y, z) = Index(kind); }

// Nearest integer, halves to the even neighbour (the default rounding mode).
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

namespace {
IPlayView NoScreen;  // shows nothing
}  // namespace

GameRules::GameRules(GameState& state, IRandom& random, SoundPlayer& sound)
    : s_(state), random_(random), sound_(sound), view_(&NoScreen) {}

void GameRules::SetView(IPlayView* view) { view_ = view ? view : &NoScreen; }

void GameRules::SetFrameStep(IFrameStep* frameStep, IClock* clock) {
  frameStep_ = frameStep;
  clock_ = clock;
}

// ---------------------------------------------------------------- tables

void GameRules::ClearGameArrays(ArrayGroup Which) {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  switch (Which) {
    case ArrayGroup::Field:
      for (int x = 1; x <= fx; ++x)
        for (int y = 1; y <= fy; ++y) {
          for (int z = 1; z <= fz; ++z) s_.CubeArray(x, y, z) = CellKind::Empty;
          s_.HeightArray(x, y) = 0;
        }
      break;
    case ArrayGroup::Marks:
      if (fx == MaxFieldX && fy == MaxFieldY && fz == MaxFieldZ) {
        s_.MarkArray.Fill(0);  // the usual full-size field: the same, faster
        break;
      }
      for (int x = 1; x <= fx; ++x)
        for (int y = 1; y <= fy; ++y)
          for (int z = 1; z <= fz; ++z) s_.MarkArray(x, y, z) = 0;
      break;
    case ArrayGroup::Piece:
      for (int x = 1; x <= fx; ++x)
        for (int y = 1; y <= fy; ++y) s_.NowCube(x, y) = s_.TurnArray(x, y) = CellKind::Empty;
      break;
    case ArrayGroup::Next:
      s_.NextCube.Fill(CellKind::Empty);
      break;
  }
}

void GameRules::InitShapeTable() {
  for (int shape = 1; shape <= ShapeCount; ++shape)
    for (int y = 1; y <= 3; ++y)
      for (int x = 1; x <= 3; ++x)
        s_.ShapeTable(x, y, shape) = Shapes[shape - 1][y - 1][x - 1] == '#' ? 1 : 0;
}

void GameRules::InitCubePos() {
  for (int x = 1; x <= MaxFieldX; ++x)
    for (int y = 1; y <= MaxFieldY; ++y) {
      const float px = s_.FieldCentre - static_cast<float>((x - 1) * s_.CubeSpacing);
      const float py = -s_.FieldCentre + static_cast<float>((y - 1) * s_.CubeSpacing);
      s_.AreaPos(x, y) = {px, py, 0.0f};
      for (int z = 1; z <= MaxFieldZ; ++z)
        s_.CubePos(x, y, z) = {px, py, static_cast<float>((z - 1) * s_.LayerStep)};
    }
}

FixedArray<int, 13> GameRules::RandomOrder(int Count) {
  if (Count < 1 || Count > 13)
    throw std::out_of_range("random order of " + std::to_string(Count) + " outside 1..13");
  FixedArray<int, 13> list;
  for (int i = 1; i <= Count; ++i) {
    for (;;) {
      const int v = DrawOneTo(random_, Count);
      bool used = false;
      for (int j = 1; j < i; ++j) used |= list(j) == v;
      if (!used) {
        list(i) = v;
        break;
      }
    }
  }
  return list;
}

void GameRules::InitLevelTable() {
  // The draws come in this order: F, G, H, J, A, B, C, D, M, N.
  const auto F = RandomOrder(6), G = RandomOrder(7), H = RandomOrder(4), J = RandomOrder(4);
  const auto A = RandomOrder(5), B = RandomOrder(5), C = RandomOrder(5), D = RandomOrder(4);
  const auto M = RandomOrder(13), N = RandomOrder(13);
  for (int level = 1; level <= LevelCount; ++level) {
    const LevelConstants& k = Levels[level - 1];
    LevelRec& row = s_.LevelTable(level);
    row.MinScore = k.MinScore;
    row.MaxScore = k.MaxScore;
    row.ScoreSpan = k.ScoreSpan;
    row.SpeedRate = k.SpeedRate;
    row.CubeCount = k.CubeCount;
    row.PlanPicture = k.PlanPicture;
    // Backgrounds: level 1 plain, then groups of five (four for the last group).
    if (level == 1)
      row.BackPicture = 0;
    else if (level <= 6)
      row.BackPicture = A(level - 1);
    else if (level <= 11)
      row.BackPicture = B(level - 6) + 5;
    else if (level <= 16)
      row.BackPicture = C(level - 11) + 10;
    else
      row.BackPicture = D(level - 16) + 15;
    // Cube pictures: plain, then groups drawn from 1..6, 7..13, 14..17, 18..21, then 22..24.
    if (level == 1)
      row.CubePicture = 0;
    else if (level <= 3)
      row.CubePicture = F(level - 1);
    else if (level <= 9)
      row.CubePicture = G(level - 3) + 6;
    else if (level <= 13)
      row.CubePicture = H(level - 9) + 13;
    else if (level <= 17)
      row.CubePicture = J(level - 13) + 17;
    else
      row.CubePicture = level + 4;
    row.MusicNo = LevelMusic(level <= 13 ? M(level) : N(level - 13));
  }
}

void GameRules::NewGame() {
  InitLevelTable();
  s_.GameLevel = s_.ScoreLevel = 1;
  s_.GameScore = s_.ChainScore = 0;
  s_.MaxHeight = 0;
  s_.NowCubeZ = SpawnLayer;
  s_.DropInterval = 2000;
  s_.DropFlag = s_.LandFlag = s_.MatchFlag = s_.ClearFlag = false;
  s_.ScoreStep = 0;
  s_.SpecialKind = CellKind::Empty;
  s_.ChainCount = 0;
  s_.PendingDropInterval = 2000;
  s_.PreviousScoreStep = -1.0f;

  InitShapeTable();
  for (ArrayGroup which : {ArrayGroup::Field, ArrayGroup::Marks, ArrayGroup::Piece, ArrayGroup::Next})
    ClearGameArrays(which);
  MakeNextCube(CurrentLevel().CubeCount);
  PutNextCube();
  MakeNextCube(CurrentLevel().CubeCount);

  view_->NewGame();  // the spin, the build plan's slide, no landing effect
  for (Display part : {Display::StartShow, Display::BackShow, Display::PanelShow}) Show(part, true);
  for (Display part : {Display::PieceShow, Display::PlayShow, Display::FieldSpinShow, Display::FieldTurnShow,
                       Display::ClearShow, Display::EffectShow, Display::LevelShow, Display::HudShow})
    Show(part, false);
  s_.QuitShow = s_.GameOverShow = false;
}

const LevelRec& GameRules::CurrentLevel() const { return s_.LevelTable(s_.GameLevel); }

// ---------------------------------------------------------------- pieces

void GameRules::MakeNextCube(int CubeCount) {
  if (CubeCount < 3 || CubeCount > 9)
    throw std::invalid_argument("piece of " + std::to_string(CubeCount) + " cubes: a piece has 3..9 cubes");
  ClearGameArrays(ArrayGroup::Next);
  int special = DrawOneTo(random_, 9 - CurrentLevel().CubeCount);  // 1: the piece carries a special
  const int position = DrawOneTo(random_, CubeCount);
  if (s_.GameScore < 30) special = 2;  // no special before 30 points
  int shape = 23;
  switch (CubeCount) {
    case 3:
      shape = DrawBelow(random_, 4) + 1;
      break;
    case 4:
      shape = DrawBelow(random_, 4) + 5;
      break;
    case 5:
      shape = DrawBelow(random_, 4) + 9;
      break;
    case 6:
      shape = DrawBelow(random_, 4) + 13;
      break;
    case 7:
      shape = DrawBelow(random_, 3) + 17;
      break;
    case 8:
      shape = DrawBelow(random_, 3) + 20;
      break;
    default:
      break;
  }
  int k = 1;
  for (int x = 1; x <= 3; ++x)
    for (int y = 1; y <= 3; ++y) {
      if (s_.ShapeTable(x, y, shape) != 1) continue;
      if (special == 1 && k == position)
        s_.NextCube(x, y) = SpecialKindOf(DrawBelow(random_, 5));
      else
        s_.NextCube(x, y) = ColourKind(DrawOneTo(random_, 4));
      ++k;
    }
}

void GameRules::PutNextCube() {
  ++s_.PiecesPut;
  ClearGameArrays(ArrayGroup::Piece);
  for (int x = 1; x <= 3; ++x)
    for (int y = 1; y <= 3; ++y) s_.NowCube(x + 1, y + 1) = s_.NextCube(x, y);
}

bool GameRules::CanMove(Dir Direction, int Layer) const {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  const int sx = fx, sy = fy;
  const auto blocked = [&](int x, int y, int fromX, int fromY) {
    return IsCube(s_.CubeArray(x, y, Layer)) && IsCube(s_.NowCube(fromX, fromY));
  };
  switch (Direction) {
    case Dir::XMinus:
      for (int x = 2; x <= sx; ++x)
        for (int y = 1; y <= sy; ++y)
          if (blocked(x - 1, y, x, y)) return false;
      return true;
    case Dir::XPlus:
      for (int x = sx - 1; x >= 1; --x)
        for (int y = 1; y <= sy; ++y)
          if (blocked(x + 1, y, x, y)) return false;
      return true;
    case Dir::YMinus:
      for (int x = 1; x <= sx; ++x)
        for (int y = 2; y <= sy; ++y)
          if (blocked(x, y - 1, x, y)) return false;
      return true;
    case Dir::YPlus:
      for (int x = 1; x <= sx; ++x)
        for (int y = sy - 1; y >= 1; --y)
          if (blocked(x, y + 1, x, y)) return false;
      return true;
  }
  return true;
}

void GameRules::MoveNowCube(Dir Direction) {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  const int sx = fx, sy = fy;
  if (Direction < Dir::XMinus || Direction > Dir::YPlus) return;
  // A piece touching the wall it moves towards stays: there is no wrap-around.
  bool edge = false;
  if (Direction == Dir::XMinus || Direction == Dir::XPlus) {
    const int x = Direction == Dir::XMinus ? 1 : sx;
    for (int y = 1; y <= sy; ++y) edge |= IsCube(s_.NowCube(x, y));
  } else {
    const int y = Direction == Dir::YMinus ? 1 : sy;
    for (int x = 1; x <= sx; ++x) edge |= IsCube(s_.NowCube(x, y));
  }
  if (edge) return;
  if (!CanMove(Direction, s_.NowCubeZ)) return;
  switch (Direction) {
    case Dir::XMinus:
      for (int y = 1; y <= sy; ++y) {
        for (int x = 1; x <= sx - 1; ++x) s_.NowCube(x, y) = s_.NowCube(x + 1, y);
        s_.NowCube(sx, y) = CellKind::Empty;
      }
      break;
    case Dir::XPlus:
      for (int y = 1; y <= sy; ++y) {
        for (int x = sx - 1; x >= 1; --x) s_.NowCube(x + 1, y) = s_.NowCube(x, y);
        s_.NowCube(1, y) = CellKind::Empty;
      }
      break;
    case Dir::YMinus:
      for (int x = 1; x <= sx; ++x) {
        for (int y = 1; y <= sy - 1; ++y) s_.NowCube(x, y) = s_.NowCube(x, y + 1);
        s_.NowCube(x, sy) = CellKind::Empty;
      }
      break;
    case Dir::YPlus:
      for (int x = 1; x <= sx; ++x) {
        for (int y = sy - 1; y >= 1; --y) s_.NowCube(x, y + 1) = s_.NowCube(x, y);
        s_.NowCube(x, 1) = CellKind::Empty;
      }
      break;
  }
}

void GameRules::TurnNowCube() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  // The whole layer turns about its centre cell: (x, y) goes to (y, 6 - x).
  for (int y = 1; y <= fy; ++y)
    for (int x = 1; x <= fx; ++x) s_.TurnArray(x, fy + 1 - y) = s_.NowCube(y, x);
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y)
      if (IsCube(s_.CubeArray(x, y, s_.NowCubeZ)) && IsCube(s_.TurnArray(x, y))) {
        sound_.PlayWave(Effect::NoWay, PlayFlag::Once, -1200);
        return;
      }
  sound_.PlayWave(Effect::CubeRotate, PlayFlag::Once, -600);
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y) s_.NowCube(x, y) = s_.TurnArray(x, y);
}

void GameRules::RestCube(int x, int y, int z) {
  const CellKind kind = s_.NowCube(x, y);
  s_.CubeArray(x, y, z) = kind;
  s_.NowCube(x, y) = CellKind::Empty;
  if (IsSpecial(kind)) {
    s_.SpecialKind = kind;
    s_.SpecialX = x;
    s_.SpecialY = y;
    s_.SpecialZ = z;
  }
}

void GameRules::DropStep() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  const int z = s_.NowCubeZ;
  bool moving = false;
  // Every cube of the piece rests on its own; the others fall on.
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y) {
      if (!IsCube(s_.NowCube(x, y))) continue;
      if (z == 1) {
        RestCube(x, y, 1);
      } else if (IsCube(s_.CubeArray(x, y, z - 1))) {
        RestCube(x, y, z);
        s_.DropFlag = true;
      } else {
        moving = true;
      }
    }
  if (moving) {
    s_.NowCubeZ = z - 1;
    return;
  }
  s_.DropFlag = false;
  s_.LandFlag = true;
}

void GameRules::AutoDropStep() {
  // The time since the last drop as an unsigned difference, like the waits:
  // the drops go on across the wrap of the tick counter.
  const std::uint32_t sinceDrop = s_.FrameTime - s_.LastDropTime;
  if (!(static_cast<std::int64_t>(sinceDrop) > s_.DropInterval)) return;
  // Under the quit prompt the drop time is not restamped, so the first frame
  // after the prompt closes drops at once.
  if (s_.QuitShow) return;
  if (!(s_.GameOverShow || s_.LandFlag || s_.MatchFlag || s_.ClearFlag)) DropStep();
  s_.LastDropTime = s_.FrameTime;
}

void GameRules::PressDrop() {
  sound_.PlayWave(Effect::CubeDown, PlayFlag::Once, -600);
  s_.DropFlag = true;
}

// ---------------------------------------------------------------- landing

void GameRules::CountHeights() {
  WithExtent(s_, [this](auto fx, auto fy, auto fz) {
    s_.MaxHeight = 0;
    for (int x = 1; x <= fx; ++x)
      for (int y = 1; y <= fy; ++y) {
        int count = 0;
        for (int z = 1; z <= fz; ++z) {
          const CellKind kind = s_.CubeArray(x, y, z);
          if (kind < CellKind::Empty || kind > CellKind::SpecialBox)
            throw std::invalid_argument("cell (" + std::to_string(x) + ", " + std::to_string(y) + ", " +
                                        std::to_string(z) + ") holds kind " + std::to_string(Index(kind)) +
                                        ", outside 0..12");
          if (IsCounted(kind)) ++count;
        }
        s_.HeightArray(x, y) = count;
        if (count > s_.MaxHeight) s_.MaxHeight = count;
      }
  });
}

void GameRules::ApplySpecialRule() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  const int sx = s_.SpecialX, sy = s_.SpecialY, sz = s_.SpecialZ;
  switch (s_.SpecialKind) {
    case CellKind::FourColor: {
      // Itself and every cube of the colour it rests on; a diamond below stops it.
      Mark(s_, sx, sy, sz, CellKind::FourColor);
      if (sz > 1) {
        const CellKind colour = s_.CubeArray(sx, sy, sz - 1);
        if (colour != CellKind::Diamond)
          for (int x = 1; x <= fx; ++x)
            for (int y = 1; y <= fy; ++y)
              for (int z = 1, h = std::min<int>(s_.HeightArray(x, y), fz); z <= h; ++z)
                if (s_.CubeArray(x, y, z) == colour) Mark(s_, x, y, z, colour);
      }
      s_.MatchFlag = true;
      break;
    }
    case CellKind::Stack: {
      // Random colour cubes on its column, then it becomes a colour cube itself.
      const int h = s_.HeightArray(sx, sy);
      int n = DrawOneTo(random_, 8 - h);
      if (n < 0) n = 0;
      if (n > fz - h) n = fz - h;
      for (int k = 1; k <= n; ++k) s_.CubeArray(sx, sy, h + k) = ColourKind(DrawOneTo(random_, 4));
      s_.CubeArray(sx, sy, sz) = ColourKind(DrawOneTo(random_, 4));
      s_.HeightArray(sx, sy) = h + n;
      break;
    }
    case CellKind::ClearLayer:
      // The 3 x 3 block of its own layer around it, cut off at the walls.
      for (int x = 1; x <= fx; ++x)
        for (int y = 1; y <= fy; ++y)
          if (x >= sx - 1 && x <= sx + 1 && y >= sy - 1 && y <= sy + 1 && IsCube(s_.CubeArray(x, y, sz)))
            Mark(s_, x, y, sz, s_.CubeArray(x, y, sz));
      s_.MatchFlag = true;
      break;
    case CellKind::Tund:
      Mark(s_, sx, sy, sz, CellKind::Tund);
      for (int z = 1; z <= fz; ++z)
        if (IsCube(s_.CubeArray(sx, sy, z))) Mark(s_, sx, sy, z, s_.CubeArray(sx, sy, z));
      s_.MatchFlag = true;
      break;
    default:
      break;
  }
}

void GameRules::CheckLanding() {
  ClearGameArrays(ArrayGroup::Marks);
  ApplySpecialRule();
  WithExtent(s_, [this]([[maybe_unused]] auto fx, [[maybe_unused]] auto fy, [[maybe_unused]] auto fz) {
    // The horizontal searches cover the layers counted before the special rule.
    // Each search walks a row keeping the two kinds before the current cell, so
    // every triple (overlapping ones included) is tested once and each cell read once.
    const int top = std::min<int>(s_.MaxHeight, fz);
    auto mark = [this](int x, int y, int z, CellKind kind) { Mark(s_, x, y, z, kind); };
    for (int z = 1; z <= top; ++z)
      for (int x = 1; x <= fx; ++x) {
        CellKind a = CellKind::Empty, b = CellKind::Empty;
        for (int y = 1; y <= fy; ++y) {
          const CellKind c = s_.CubeArray(x, y, z);
          if (IsLine(a, b, c)) {
            mark(x, y - 2, z, a), mark(x, y - 1, z, b), mark(x, y, z, c);
            s_.MatchFlag = true;
          }
          a = b, b = c;
        }
      }
    for (int z = 1; z <= top; ++z)
      for (int y = 1; y <= fy; ++y) {
        CellKind a = CellKind::Empty, b = CellKind::Empty;
        for (int x = 1; x <= fx; ++x) {
          const CellKind c = s_.CubeArray(x, y, z);
          if (IsLine(a, b, c)) {
            mark(x - 2, y, z, a), mark(x - 1, y, z, b), mark(x, y, z, c);
            s_.MatchFlag = true;
          }
          a = b, b = c;
        }
      }
    // Vertical: only within the counted column, so a column of fewer than 3 is not searched.
    for (int x = 1; x <= fx; ++x)
      for (int y = 1; y <= fy; ++y) {
        CellKind a = CellKind::Empty, b = CellKind::Empty;
        for (int z = 1, h = std::min<int>(s_.HeightArray(x, y), fz); z <= h; ++z) {
          const CellKind c = s_.CubeArray(x, y, z);
          if (IsLine(a, b, c)) {
            mark(x, y, z - 2, a), mark(x, y, z - 1, b), mark(x, y, z, c);
            s_.MatchFlag = true;
          }
          a = b, b = c;
        }
      }
  });
  if (!s_.MatchFlag) {
    s_.NowCubeZ = SpawnLayer;
    PutNextCube();
    MakeNextCube(CurrentLevel().CubeCount);
  }
}

void GameRules::MarkClearing() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  s_.ClearCount = 0;
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y)
      for (int z = 1, h = std::min<int>(s_.HeightArray(x, y), fz); z <= h; ++z)
        if (s_.MarkArray(x, y, z) > 0) {
          s_.CubeArray(x, y, z) = CellKind::CubeClear;
          ++s_.ClearCount;
        }
  ClearGameArrays(ArrayGroup::Marks);
  // Each remaining cube falls by the number of clearing cubes below it.
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y) {
      int below = 0;
      for (int z = 1, h = std::min<int>(s_.HeightArray(x, y), fz); z <= h; ++z) {
        const CellKind kind = s_.CubeArray(x, y, z);
        if (kind == CellKind::CubeClear)
          ++below;
        else if (IsCounted(kind) && below > 0)
          s_.MarkArray(x, y, z) = below;
      }
    }
  if (s_.ClearCount >= 1) {
    s_.GameScore += s_.ClearCount;
    s_.ClearFlag = true;
  }
}

void GameRules::RemoveCleared() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  // Upwards, so every cube moves into a cell already emptied: no gaps remain.
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y)
      for (int z = 1, h = std::min<int>(s_.HeightArray(x, y), fz); z <= h; ++z) {
        if (s_.CubeArray(x, y, z) == CellKind::CubeClear) s_.CubeArray(x, y, z) = CellKind::Empty;
        const int fall = s_.MarkArray(x, y, z);
        if (fall >= 1 && IsCube(s_.CubeArray(x, y, z))) {
          s_.CubeArray(x, y, z - fall) = s_.CubeArray(x, y, z);
          s_.CubeArray(x, y, z) = CellKind::Empty;
        }
      }
}

bool GameRules::IsFieldFull() const {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y)
      if (IsCube(s_.CubeArray(x, y, fz))) return true;
  return false;
}

int GameRules::LevelFromScore() const {
  for (int level = 1; level <= LevelCount; ++level) {
    const LevelRec& row = s_.LevelTable(level);
    if (row.MinScore <= s_.GameScore && s_.GameScore <= row.MaxScore) return level;
  }
  return s_.ScoreLevel;  // a score between two rows keeps the level
}

int GameRules::DropIntervalForScore() const {
  const LevelRec& row = CurrentLevel();
  // A single times a long is worked out in double before rounding.
  return 2000 - RoundEven(static_cast<double>(row.SpeedRate) * (s_.GameScore - row.MinScore));
}

// ---------------------------------------------------------------- loop steps

void GameRules::LevelStep() {
  s_.ScoreLevel = LevelFromScore();
  if (s_.ScoreLevel <= s_.GameLevel) return;
  if (s_.GameLevel == 0) s_.GameLevel = 1;  // the announcement reads a valid row
  Show(Display::PieceShow, false);
  Show(Display::LevelShow, true);
  Show(Display::HudShow, false);
  view_->StartPopup(std::nullopt);
  Pause(3000);
  Show(Display::PieceShow, true);
  Show(Display::PlayShow, true);
  Show(Display::StartShow, false);
  Show(Display::HudShow, true);
  s_.GameLevel = s_.ScoreLevel;
  Show(Display::LevelShow, false);
  sound_.StopMusicNow();
  sound_.PlayMusic(CurrentLevel().MusicNo, PlayFlag::Looping, -500);
}

LandingResult GameRules::LandingStep() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  LandingResult result;
  if (s_.MatchFlag) {
    if (s_.ClearFlag) {
      // The clearing cubes have been shown: remove them and let the cubes above sink.
      Show(Display::PieceShow, false);
      RemoveCleared();
      result.Removed = true;
      s_.ScoreStep = static_cast<float>(s_.GameScore % 50) / 50.0f;
      if (s_.ScoreStep < s_.PreviousScoreStep) {  // the score passed a multiple of 50
        sound_.PlayWave(Effect::OkRotBuild, PlayFlag::Once, -1500);
        s_.ScoreStep = 0;
        TurnField();
        Show(Display::FieldTurnShow, true);
        CubeShower();
        Show(Display::FieldTurnShow, false);
      }
      // Search again: new lines formed by the sinking clear in a chain.
      s_.ClearFlag = s_.MatchFlag = s_.DropFlag = false;
      s_.LandFlag = true;
      s_.PreviousScoreStep = s_.ScoreStep;
      s_.PendingDropInterval = DropIntervalForScore();
    } else {
      ++s_.ChainCount;
      Show(Display::PieceShow, false);
      MarkClearing();
      result.Marked = true;
      Show(Display::ClearShow, true);
      view_->StartPopup(PopupWhite);
      if (s_.SpecialKind == CellKind::Empty) sound_.PlayWave(Effect::CubeCross, PlayFlag::Once, -600);
      Pause(1000);
      Show(Display::ClearShow, false);
      s_.SpecialKind = CellKind::Empty;
      if (s_.ChainCount > 1) s_.ChainScore += s_.ClearCount;
      if (!s_.ClearFlag) {
        // Nothing was inside a counted column (only a damaged field gets here):
        // search again rather than wait for a removal that never comes.
        s_.MatchFlag = false;
        s_.LandFlag = true;
      }
    }
  }
  if (s_.LandFlag && !s_.MatchFlag && !s_.ClearFlag) {
    Show(Display::PieceShow, false);
    CountHeights();
    const CellKind kind = s_.SpecialKind;
    if (HasLandingEffect(kind)) {
      if (events_) events_->OnLandingEffect(kind);
      Show(Display::EffectShow, true);
      LandingEffect(kind);
    }
    s_.MatchFlag = false;
    CheckLanding();
    result.Checked = true;
    s_.LandFlag = false;
    if (!s_.MatchFlag && s_.MaxHeight == fz && IsFieldFull()) result.GameOver = true;
  }
  return result;
}

void GameRules::ResumeNormalPlay() {
  s_.SpecialKind = CellKind::Empty;
  s_.ChainCount = 0;
  Show(Display::PieceShow, true);
  Show(Display::HudShow, true);
  s_.DropInterval = s_.PendingDropInterval;
}

// ---------------------------------------------------------------- specials

float GameRules::Sign() { return random_.Next() > 0.5f ? 1.0f : -1.0f; }

namespace {
void CheckBurst(int count) {
  if (count < 0 || count > MaxParticles)
    throw std::out_of_range("burst of " + std::to_string(count) + " particles outside 0..300");
}
}  // namespace

// Each signed term draws its sign just before the number it multiplies.
ParticleBurst GameRules::MakeParticleRise(int Count, float X, float /*Y*/, float Z, float SX, float SY,
                                          float SZ) {
  CheckBurst(Count);
  ParticleBurst burst;
  burst.ParticleCount = Count;
  for (int i = 1; i <= Count; ++i) {
    ParticleRec& p = burst.Particle(i);
    float sign = Sign();
    p.X = X + sign * random_.Next() * SX;
    p.Y = random_.Next() * SY;
    sign = Sign();
    p.Z = Z + sign * random_.Next() * SZ;
    p.VX = 0;
    p.VY = random_.Next() * 0.15f;
    p.VZ = 0;
    p.Life = RoundEven(random_.Next() * 100.0f) + 100;
  }
  return burst;
}

ParticleBurst GameRules::MakeParticleBlast(int Count, float X, float Y, float Z, float SX, float SY,
                                           float SZ) {
  CheckBurst(Count);
  ParticleBurst burst;
  burst.ParticleCount = Count;
  for (int i = 1; i <= Count; ++i) {
    ParticleRec& p = burst.Particle(i);
    float sign = Sign();
    p.X = X + sign * random_.Next() * SX;
    sign = Sign();
    p.Y = Y + sign * random_.Next() * SY;
    sign = Sign();
    p.Z = Z + sign * random_.Next() * SZ;
    sign = Sign();
    p.VX = sign * random_.Next() * 0.35f;
    p.VY = 0;
    sign = Sign();
    p.VZ = sign * random_.Next() * 0.35f;
    p.Life = RoundEven(random_.Next() * 100.0f) + 100;
  }
  return burst;
}

ParticleBurst GameRules::MakeParticleDrift(int Count, float X, float Y, float Z, float SX, float SY,
                                           float SZ) {
  CheckBurst(Count);
  ParticleBurst burst;
  burst.ParticleCount = Count;
  for (int i = 1; i <= Count; ++i) {
    ParticleRec& p = burst.Particle(i);
    float sign = Sign();
    p.X = X + sign * random_.Next() * SX;
    sign = Sign();
    p.Y = Y + sign * random_.Next() * SY;
    sign = Sign();
    p.Z = Z + sign * random_.Next() * SZ;
    p.VX = 0;
    sign = Sign();
    p.VY = sign * random_.Next() * 0.1f;
    p.VZ = 0;
    p.Life = RoundEven(random_.Next() * 100.0f) + 100;
  }
  return burst;
}

int GameRules::BurstCount(int Count) const {
  // A device class of 1 would divide by zero: the full burst then.
  const int divisor = s_.DeviceKind - 1;
  return divisor >= 1 ? Count / divisor : Count;
}

void GameRules::LandingEffect(CellKind Kind) {
  const float spacing = static_cast<float>(s_.CubeSpacing), layer = static_cast<float>(s_.LayerStep);
  const float sx = static_cast<float>(s_.SpecialX), sy = static_cast<float>(s_.SpecialY),
              sz = static_cast<float>(s_.SpecialZ);
  // The burst is drawn first (its random numbers come before the others), then shown.
  ParticleBurst stars;
  switch (Kind) {
    case CellKind::FourColor:
      if (particles_) stars = MakeParticleRise(BurstCount(200), 0, 0, 0, 3 * spacing, 1, 3 * spacing);
      view_->StartEffect(Kind, stars);
      sound_.PlayWave(Effect::SameColor, PlayFlag::Once, -200);
      Pause(1000);
      break;
    case CellKind::Stack:
      if (particles_)
        stars = MakeParticleDrift(BurstCount(100), (sy - 3) * spacing, (sz + 10) * layer / 3,
                                  (3 - sx) * spacing, 1, 3, 1);
      view_->StartEffect(Kind, stars);
      sound_.PlayWave(Effect::Thund, PlayFlag::Once, -800);
      Pause(500);
      break;
    case CellKind::ClearLayer:
      if (particles_)
        stars = MakeParticleBlast(BurstCount(150), (sy - 3) * spacing, (sz + 0.05f) * layer,
                                  (3 - sx) * spacing, 1, 1, 1);
      view_->StartEffect(Kind, stars);
      sound_.PlayWave(Effect::OkExpo, PlayFlag::Once, 0);
      break;
    case CellKind::Tund:
      if (particles_)
        stars = MakeParticleRise(BurstCount(100), (sy - 3) * spacing, 1, (3 - sx) * spacing - 1, 1,
                                 static_cast<float>(s_.HeightArray(s_.SpecialX, s_.SpecialY)), 1);
      view_->StartEffect(Kind, stars);
      sound_.PlayWave(Effect::OkExpo, PlayFlag::Once, 0);
      break;
    default:
      break;
  }
}

void GameRules::TurnField() {
  const auto [fx, fy, fz] = CheckedExtent(s_);
  ClearGameArrays(ArrayGroup::Marks);
  // The angle eases towards 90 degrees: 39 frames, then one at exactly 90.
  float step = 9.812f;
  s_.TurnAngle = step;
  Show(Display::PieceShow, false);
  Show(Display::PlayShow, false);
  Show(Display::FieldSpinShow, true);
  while (s_.TurnAngle < 89.9f) {
    Frame();
    step *= 0.892f;
    s_.TurnAngle += step;
  }
  s_.TurnAngle = 90;
  Frame();
  Show(Display::PlayShow, true);
  Show(Display::FieldSpinShow, false);
  // The same sense as the piece turn: (x, y) goes to (y, 6 - x).
  const auto before = s_.CubeArray;
  for (int x = 1; x <= fx; ++x)
    for (int y = 1; y <= fy; ++y)
      for (int z = 1; z <= fz; ++z) s_.CubeArray(x, fy + 1 - y, z) = before(y, x, z);
  CountHeights();
  if (events_) events_->OnFieldTurn();
}

void GameRules::CubeShower() {
  // The shower always covers the whole 5 x 5 well.
  for (int i = 1; i <= MaxFieldX; ++i) {
    for (int j = 1; j <= MaxFieldY; ++j) {
      s_.RainCube(i, j) = CellKind::Empty;
      s_.RainHeight(i, j) = 0;
    }
    for (int twice = 0; twice < 2; ++twice) {
      const int x = DrawOneTo(random_, 5);
      const CellKind colour = ColourKind(DrawOneTo(random_, 4));
      if (s_.HeightArray(i, x) < 8) s_.RainCube(i, x) = colour;
      s_.RainHeight(i, x) = static_cast<float>(DrawBelow(random_, 15) + 20);
    }
  }
  int placed = 0;
  const float fall = static_cast<float>(s_.LayerStep) / 3.0f;
  bool moving;
  do {
    moving = false;
    for (int i = 1; i <= MaxFieldX; ++i)
      for (int j = 1; j <= MaxFieldY; ++j) {
        s_.RainHeight(i, j) -= fall;
        if (!IsCube(s_.RainCube(i, j))) continue;
        moving = true;
        if (s_.RainHeight(i, j) < static_cast<float>((s_.HeightArray(i, j) + 1) * s_.LayerStep)) {
          sound_.PlayWave(Effect::OkExCubeDown, PlayFlag::Once, -600);
          s_.CubeArray(i, j, s_.HeightArray(i, j) + 1) = s_.RainCube(i, j);
          s_.RainCube(i, j) = CellKind::Empty;
          ++placed;
        }
      }
    Frame();
  } while (moving);
  if (events_) events_->OnCubeShower(placed);
}

// ---------------------------------------------------------------- frames

void GameRules::Frame() {
  if (frameStep_) frameStep_->FrameStep();
}

void GameRules::Pause(int Ms) {
  if (!frameStep_ || !clock_ || Ms <= 0) return;
  const std::uint32_t start = clock_->Ticks();
  // Unsigned difference: correct across the tick counter's wrap.
  while (clock_->Ticks() - start < static_cast<std::uint32_t>(Ms)) frameStep_->FrameStep();
}

void HeadlessFrameStep::FrameStep() {
  GameState& s = rules_.State();
  s.FrameTime = clock_.Ticks();
  clock_.WaitUntil(s.FrameTime + 15);
  ++frames_;
  rules_.AutoDropStep();
}

}  // namespace quarnix
