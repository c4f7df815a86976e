// The sim command as a user runs it: report lines, exit status, repeatability, loop timings.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>

namespace {

struct SimRun {
  int status = -1;
  std::map<std::string, double> values;
  std::string text;  // every line but the timing one
};

SimRun Sim(const std::string& args) {
  SimRun run;
  const std::string command = std::string(QUARNIX_GAME_DIR) + "/quarnix-tool sim " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  std::string out;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
  run.status = pclose(pipe);
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
    if (value.find_first_of("0123456789") != 0) continue;
    run.values[key] = std::stod(value);
    if (key != "pieces_per_second") run.text += line + "\n";
  }
  return run;
}

}  // namespace

TEST(SimCommand, ReportsEveryCountAndTheLoopsTimingsRepeatsForTheSameSeedAndRefusesBadOptions) {
  const SimRun a = Sim("--games 3 --seed 4 --max-pieces 150");
  ASSERT_EQ(a.status, 0) << a.text;
  for (const char* key :
       {"games", "pieces", "landings", "clear_passes", "chain_passes", "cubes_cleared", "field_turns",
        "showers", "specials_5", "specials_6", "specials_7", "specials_8", "specials_9", "max_level",
        "game_overs", "invariant_violations", "frames", "virtual_seconds", "pieces_per_second"})
    EXPECT_TRUE(a.values.count(key)) << key;
  // the bot survives 150 pieces of level 1
  EXPECT_EQ(std::tuple(a.values.at("games"), a.values.at("pieces"), a.values.at("invariant_violations")),
            std::tuple(3, 450, 0));
  EXPECT_GT(a.values.at("cubes_cleared"), 0);
  EXPECT_EQ(Sim("--games 3 --seed 4 --max-pieces 150").text, a.text);
  EXPECT_NE(Sim("--games 3 --seed 5 --max-pieces 150").text, a.text);
  for (const char* bad : {"--games 0", "--max-pieces many", "--fast"}) EXPECT_NE(Sim(bad).status, 0) << bad;
  // A frame lasts at least 15 ms; each game has its 2 s start pause and 3 s announcement; each piece
  // takes a frame per key down and up at the least, and a frame per layer it falls.
  EXPECT_GE(a.values.at("virtual_seconds") * 1000, a.values.at("frames") * 15);
  EXPECT_GE(a.values.at("virtual_seconds"), 3 * 5);
  EXPECT_GT(a.values.at("frames"), 450 * 4);
}
