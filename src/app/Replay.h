#pragma once
// A game as it was played, exactly: the random source's state at its start,
// and frame by frame what the game loop read from outside - the clock's
// ticks, the key states and the pause requests - in the order it read them.
// Played back through the same loop, the same reads give the same game, on
// any screen or none. The file format is described in HACKING.md ("Replay
// files"); every read is bounded and a damaged file is refused with a message
// naming it.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/Random.h"
#include "game/GameState.h"
#include "storage/Controls.h"
#include "storage/Scores.h"

namespace quarnix {

inline constexpr std::uint32_t ReplayFormatVersion = 1;
inline constexpr const char* ReplayExtension = ".qrp";
inline constexpr const char* ReplaysFolderName = "Replays";
// Bounds of a file the reader takes: about 70 hours of play at 15 ms a frame.
inline constexpr std::uint32_t MaxReplayFrames = 1u << 24;
inline constexpr std::size_t MaxReplayBodyBytes = 256u << 20;
inline constexpr std::size_t MaxReplayFileBytes = 64u << 20;
inline constexpr std::uint32_t MaxReadsPerFrame = 1u << 16;

// How the recording ended.
enum class ReplayEnd : std::uint8_t {
  GameOver = 0,  // the field filled up, or the player quit at the prompt
  Stopped = 1,   // play was stopped (the demo's frame limit, the window closed)
};

struct ReplayHeader {
  std::uint32_t FormatVersion = ReplayFormatVersion;
  std::string GameVersion;
  int ScreenMode = 0;                            // 0 1024 x 768, 1 800 x 600, 2 640 x 480
  std::int64_t Date = 0;                         // when the game started, seconds since 1970 (UTC)
  std::string Name;                              // the name entered at the game-over panel; empty: none
  std::int32_t Score = 0, Bonus = 0, Level = 0;  // GameScore, ChainScore, GameLevel at the end
  std::uint64_t WellHash = 0;                    // WellHash of the field at the end
  int DeviceKind = 2;                            // divides the particle bursts: a draw count
  Rng::StateWords RandomState{};
  ReplayEnd End = ReplayEnd::GameOver;
};

// What the loop read during one frame step: how many of each kind. The
// values themselves follow in the streams below, in reading order.
struct ReplayFrame {
  std::uint32_t Ticks = 0, Keys = 0, Pauses = 0;
};

struct Replay {
  ReplayHeader Header;
  GameKeys Bindings = DefaultGameKeys();  // the seven bindings the game was played with
  std::vector<int> LatchedKeys;           // key codes whose press was already seen as the game started
  std::vector<ReplayFrame> Frames;
  std::vector<std::uint32_t> Ticks;
  std::vector<std::int32_t> Keys;
  std::vector<std::uint8_t> Pauses;
};

// A replay file that cannot be read: the message names the file.
class ReplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A hash of the field (CubeArray, every cell): FNV-1a over the kinds.
std::uint64_t WellHash(const GameState& s);

std::vector<std::uint8_t> EncodeReplay(const Replay& replay);
// Throws ReplayError naming `file` for anything malformed, truncated, damaged
// or of a newer format.
Replay DecodeReplay(std::span<const std::uint8_t> bytes, std::string_view file);

// The file is replaced in one step (WriteFileAtomic).
void WriteReplay(const std::filesystem::path& file, const Replay& replay);
Replay ReadReplay(const std::filesystem::path& file);

// The header as `quarnix-tool replay info` prints it, one field a line.
std::string DescribeReplay(const Replay& replay);

// --- The replays behind the table of best results.
//
// A row of the table (name, score, level) keeps the replay of the game that
// made it in the Replays folder beside the scores file, under a name made
// from the row's content and the game's date:
// "<score>-<level>-<hash of the stored name>-<YYYYMMDD-HHMMSS>.qrp". The
// scores file stays as it is; the rows are matched by content. Equal rows keep
// as many replays as there are rows, the newest, since a newer result ranks
// above an equal older one and the oldest leaves first.

std::filesystem::path ReplaysFolderFor(const std::filesystem::path& scoresFile);
std::string ReplayFileName(std::string_view storedName, std::int32_t score, std::int32_t level,
                           std::int64_t date);
// Writes the replay of a result just entered under its row's name; the name
// as the table stores it, the score as entered (game score + bonus).
std::filesystem::path KeepReplay(const std::filesystem::path& folder, const Replay& replay,
                                 std::string_view storedName, std::int32_t score, std::int32_t level);
// Deletes the replays that no row of the table (entries 1..20) holds.
void PruneReplays(const std::filesystem::path& folder, const ScoreTable& table);
// The kept replay of the best row that has one; empty when none has.
std::filesystem::path BestReplay(const std::filesystem::path& folder, const ScoreTable& table);

}  // namespace quarnix
