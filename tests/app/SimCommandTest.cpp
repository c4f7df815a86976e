// The sim command through the game loop: its frames and virtual time agree
// with the loop's timings.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace {

std::map<std::string, double> Sim(const std::string& args, int& status) {
  const std::string command = std::string(QUARNIX_GAME_DIR) + "/quarnix-tool sim " + args + " 2>&1";
  std::map<std::string, double> values;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return values;
  std::string out;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
  status = pclose(pipe);
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(": ");
    if (colon != std::string::npos) values[line.substr(0, colon)] = std::stod(line.substr(colon + 2));
  }
  return values;
}

}  // namespace

TEST(SimThroughTheLoop, ReportsFramesAndVirtualTimeOfTheLoop) {
  int status = -1;
  auto v = Sim("--games 3 --seed 6 --max-pieces 40", status);
  ASSERT_EQ(status, 0);
  ASSERT_TRUE(v.count("frames") && v.count("virtual_seconds"));
  EXPECT_EQ(v["pieces"], 120);
  EXPECT_EQ(v["invariant_violations"], 0);
  // A frame lasts at least 15 ms; each game has its 2 s start pause and 3 s announcement.
  EXPECT_GE(v["virtual_seconds"] * 1000, v["frames"] * 15);
  EXPECT_GE(v["virtual_seconds"], 3 * 5.0);
  // Each piece takes a frame per key down and one up at the least, and a frame per layer it falls.
  EXPECT_GT(v["frames"], 120 * 4);
}
