#include "game/GreedyBot.h"

#include <cstdlib>
#include <vector>

#include "core/Random.h"
#include "game/SoundPlayer.h"

namespace quarnix {

namespace {

using Layer = FieldLayer;

std::uint64_t LayerHash(const Layer& layer) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (CellKind v : layer) h = (h ^ static_cast<std::uint64_t>(Index(v) + 1)) * 1099511628211ull;
  return h;
}

// Better: survives, then clears more, then leaves the lower stack.
bool Better(const Placement& a, const Placement& b) {
  if (a.GameOver != b.GameOver) return !a.GameOver;
  if (a.Cleared != b.Cleared) return a.Cleared > b.Cleared;
  if (a.MaxHeight != b.MaxHeight) return a.MaxHeight < b.MaxHeight;
  return a.TotalHeight < b.TotalHeight;
}

}  // namespace

struct GreedyBot::LookAhead {
  explicit LookAhead(std::uint64_t seed) : random(seed), rules(scratch, random, silent) {
    rules.SetParticles(false);  // no frame step either: pauses take no time
  }

  // What a landing may change; the tables stay in place in the scratch copy.
  struct Snapshot {
    FixedArray<CellKind, MaxFieldX, MaxFieldY, MaxFieldZ> CubeArray;
    FixedArray<int, MaxFieldX, MaxFieldY> HeightArray;
    FieldLayer NowCube;
    int MaxHeight, NowCubeZ;
    CellKind SpecialKind;
    int SpecialX, SpecialY, SpecialZ, GameScore, ChainCount;
    bool DropFlag, LandFlag, MatchFlag, ClearFlag;
    float ScoreStep, PreviousScoreStep;
  };

  void Save() {
    const GameState& s = scratch;
    base = {s.CubeArray, s.HeightArray, s.NowCube,   s.MaxHeight, s.NowCubeZ,         s.SpecialKind,
            s.SpecialX,  s.SpecialY,    s.SpecialZ,  s.GameScore, s.ChainCount,       s.DropFlag,
            s.LandFlag,  s.MatchFlag,   s.ClearFlag, s.ScoreStep, s.PreviousScoreStep};
  }

  void Restore() {
    GameState& s = scratch;
    s.CubeArray = base.CubeArray;
    s.HeightArray = base.HeightArray;
    s.NowCube = base.NowCube;
    s.MaxHeight = base.MaxHeight;
    s.NowCubeZ = base.NowCubeZ;
    s.SpecialKind = base.SpecialKind;
    s.SpecialX = base.SpecialX;
    s.SpecialY = base.SpecialY;
    s.SpecialZ = base.SpecialZ;
    s.GameScore = base.GameScore;
    s.ChainCount = base.ChainCount;
    s.DropFlag = base.DropFlag;
    s.LandFlag = base.LandFlag;
    s.MatchFlag = base.MatchFlag;
    s.ClearFlag = base.ClearFlag;
    s.ScoreStep = base.ScoreStep;
    s.PreviousScoreStep = base.PreviousScoreStep;
  }

  // Drops the piece as it stands and runs the landing to its end.
  void Simulate(Placement& p) {
    // Above the highest column every cube falls freely (stacks have no gaps):
    // start the drop just above it.
    if (scratch.NowCubeZ > scratch.MaxHeight + 1) scratch.NowCubeZ = scratch.MaxHeight + 1;
    scratch.DropFlag = true;
    while (!scratch.LandFlag) rules.DropStep();
    const int before = scratch.GameScore;
    bool over = false;
    do over = rules.LandingStep().GameOver;
    while (!over && (scratch.LandFlag || scratch.MatchFlag || scratch.ClearFlag));
    p.GameOver = over;
    p.Cleared = scratch.GameScore - before;
    p.MaxHeight = scratch.MaxHeight;
    p.TotalHeight = 0;
    for (int h : scratch.HeightArray) p.TotalHeight += h;
  }

  Snapshot base;
  GameState scratch;
  Rng random;
  SoundPlayer silent;  // SoundOn 0: the look-ahead is quiet
  GameRules rules;
};

GreedyBot::GreedyBot(std::uint64_t seed) : look_(std::make_unique<LookAhead>(seed)) {}
GreedyBot::~GreedyBot() = default;

Placement GreedyBot::Choose(const GameState& state) {
  LookAhead& la = *look_;
  la.scratch = state;
  GameRules& rules = la.rules;
  GameState& s = la.scratch;
  // Fresh heights, so the look-ahead can skip the free fall above the stack.
  rules.CountHeights();
  la.Save();

  Placement best;
  bool found = false;
  int tried = 0;
  std::vector<std::uint64_t> seen;
  seen.reserve(100);
  std::vector<std::uint64_t> turnedSeen;
  for (int turns = 0; turns < 4; ++turns) {
    // Turning depends only on the piece's own layer: turn once per count, then
    // start every shift from that turned layer.
    la.Restore();
    for (int t = 0; t < turns; ++t) rules.TurnNowCube();
    const auto turned = s.NowCube;
    const std::uint64_t turnedKey = LayerHash(turned);
    bool turnedBefore = false;
    for (std::uint64_t k : turnedSeen) turnedBefore |= k == turnedKey;
    if (turnedBefore) continue;
    turnedSeen.push_back(turnedKey);
    // Every shift of the turned piece, each one move from a neighbour: x first,
    // then y, as the moves are pressed. A move the wall or the stack refuses
    // leaves that placement (and those beyond it) unreachable.
    Layer grid[5][5];
    bool reachable[5][5] = {};
    auto shifted = [&](const Layer& from, Dir dir, Layer& to) {
      s.NowCube = from;
      rules.MoveNowCube(dir);
      to = s.NowCube;
      return !(to == from);
    };
    grid[2][2] = turned;
    reachable[2][2] = true;
    for (int i : {1, 0})
      reachable[i][2] = reachable[i + 1][2] && shifted(grid[i + 1][2], Dir::XMinus, grid[i][2]);
    for (int i : {3, 4})
      reachable[i][2] = reachable[i - 1][2] && shifted(grid[i - 1][2], Dir::XPlus, grid[i][2]);
    for (int i = 0; i < 5; ++i) {
      for (int j : {1, 0})
        reachable[i][j] = reachable[i][j + 1] && shifted(grid[i][j + 1], Dir::YMinus, grid[i][j]);
      for (int j : {3, 4})
        reachable[i][j] = reachable[i][j - 1] && shifted(grid[i][j - 1], Dir::YPlus, grid[i][j]);
    }
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy) {
        if (!reachable[dx + 2][dy + 2]) continue;
        la.Restore();
        s.NowCube = grid[dx + 2][dy + 2];
        const std::uint64_t key = LayerHash(s.NowCube);
        bool duplicate = false;
        for (std::uint64_t k : seen) duplicate |= k == key;
        if (duplicate) continue;
        seen.push_back(key);

        Placement p;
        p.Turns = turns;
        p.ShiftX = dx;
        p.ShiftY = dy;
        la.Simulate(p);
        ++tried;
        if (!found || Better(p, best)) {
          best = p;
          found = true;
        }
      }
  }
  best.Tried = tried;
  return best;
}

void GreedyBot::Apply(GameRules& rules, const Placement& placement) {
  for (int t = 0; t < placement.Turns; ++t) rules.TurnNowCube();
  for (int i = 0; i < std::abs(placement.ShiftX); ++i)
    rules.MoveNowCube(placement.ShiftX < 0 ? Dir::XMinus : Dir::XPlus);
  for (int i = 0; i < std::abs(placement.ShiftY); ++i)
    rules.MoveNowCube(placement.ShiftY < 0 ? Dir::YMinus : Dir::YPlus);
}

}  // namespace quarnix
