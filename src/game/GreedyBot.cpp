#include "game/GreedyBot.h"

#include <cstdlib>
#include <vector>

#include "core/Random.h"
#include "game/SoundPlayer.h"

namespace quarnix {

namespace {

std::uint64_t LayerHash(const FixedArray<int, MaxFieldX, MaxFieldY>& layer) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (int v : layer) h = (h ^ static_cast<std::uint64_t>(v + 1)) * 1099511628211ull;
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

  // Puts back what a landing may change, leaving the tables in place.
  void Restore() {
    scratch.CubeArray = base.CubeArray;
    scratch.HeightArray = base.HeightArray;
    scratch.MaxHeight = base.MaxHeight;
    scratch.NowCube = base.NowCube;
    scratch.NowCubeZ = base.NowCubeZ;
    scratch.DropFlag = base.DropFlag;
    scratch.LandFlag = base.LandFlag;
    scratch.MatchFlag = base.MatchFlag;
    scratch.ClearFlag = base.ClearFlag;
    scratch.SpecialKind = base.SpecialKind;
    scratch.SpecialX = base.SpecialX;
    scratch.SpecialY = base.SpecialY;
    scratch.SpecialZ = base.SpecialZ;
    scratch.GameScore = base.GameScore;
    scratch.ChainCount = base.ChainCount;
    scratch.ScoreStep = base.ScoreStep;
    scratch.PreviousScoreStep = base.PreviousScoreStep;
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

  GameState base, scratch;
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
  la.base = s;

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
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy) {
        la.Restore();
        s.NowCube = turned;
        // A shift the wall or the stack refuses makes this placement one seen already.
        bool reachable = true;
        for (int step = 0; step < std::abs(dx) && reachable; ++step) {
          const auto before = s.NowCube;
          rules.MoveNowCube(dx < 0 ? Dir::XMinus : Dir::XPlus);
          reachable = !(s.NowCube == before);
        }
        for (int step = 0; step < std::abs(dy) && reachable; ++step) {
          const auto before = s.NowCube;
          rules.MoveNowCube(dy < 0 ? Dir::YMinus : Dir::YPlus);
          reachable = !(s.NowCube == before);
        }
        if (!reachable) continue;
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
