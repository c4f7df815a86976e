#pragma once
// The game playing itself on screen: the bot at the keyboard plays real games
// through the game loop and the play screen, with sound, on a virtual clock
// (or the real one), optionally leaving screenshots behind. Finds the game's
// data as the game does, reads and writes no records; needs no display with
// SDL's offscreen video driver.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quarnix {

struct DemoOptions {
  std::uint64_t Seed = 1;
  std::int64_t Frames = 0;  // stop after this many frames; 0: after one game
  std::int64_t Pieces = 0;  // the bot quits each game through the prompt after this many; 0: plays on
  std::filesystem::path Screenshots;  // empty: none
  std::int64_t Every = 300;           // a screenshot every this many frames
  int Mode = 0;                       // 0 1024 x 768, 1 800 x 600, 2 640 x 480
  bool Windowed = false;
  bool Realtime = false;
  std::filesystem::path Record;  // the demo: its last game is written there; empty: not kept
  int Speed = 1;                 // a replay: 1, 2 or 4 times as fast as it was played (with --realtime)
  int Games = 1;                 // stop after this many games (unless --frames)
  bool Stats = false;            // print how long the frames took
};

// The spread of frame times, in milliseconds: the nearest-rank percentiles,
// the longest, and how many took longer than the 15 ms frame floor.
struct FrameTimeStats {
  std::size_t Frames = 0;
  double P50 = 0, P95 = 0, P99 = 0, Max = 0;
  std::size_t Over15 = 0;
};
FrameTimeStats SummariseFrameTimes(std::vector<double> ms);

// Parses the demo's options (those after "--demo"). Returns the options, or
// nothing with the reason in error.
std::optional<DemoOptions> ParseDemoOptions(std::span<const std::string> args, std::string& error);
std::string DemoUsage();

// The screenshot name of a frame: frame-000300.png.
std::string ScreenshotName(std::int64_t frame);

// Plays; returns the program's exit status (0 when everything ran).
int RunDemo(const DemoOptions& options);

// Shows a recorded game on the play screen with sound (the demo's options,
// --speed; --seed, --pieces and --record mean nothing here). Returns 0 when it
// played to its end as recorded (or up to --frames), 1 when it did not.
int RunReplay(const DemoOptions& options, const std::filesystem::path& file);
std::string ReplayUsage();

}  // namespace quarnix
