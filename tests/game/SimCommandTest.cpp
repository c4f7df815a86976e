// The sim command as a user runs it: its report lines, its exit status, and
// the same lines again for the same seed.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>

namespace {

struct SimRun {
  int status = -1;
  std::map<std::string, long long> values;
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
    const std::string key = line.substr(0, colon);
    try {
      run.values[key] = std::stoll(line.substr(colon + 2));
    } catch (const std::exception&) {
      continue;
    }
    if (key != "pieces_per_second") run.text += line + "\n";
  }
  return run;
}

}  // namespace

TEST(SimCommand, ReportsEveryCountAndRepeatsForTheSameSeed) {
  const SimRun a = Sim("--games 3 --seed 4 --max-pieces 150");
  ASSERT_EQ(a.status, 0) << a.text;
  for (const char* key :
       {"games", "pieces", "landings", "clear_passes", "chain_passes", "cubes_cleared", "field_turns",
        "showers", "specials_5", "specials_6", "specials_7", "specials_8", "specials_9", "max_level",
        "game_overs", "invariant_violations", "pieces_per_second"})
    EXPECT_TRUE(a.values.count(key)) << key;
  EXPECT_EQ(a.values.at("games"), 3);
  EXPECT_EQ(a.values.at("pieces"), 450);  // the bot survives 150 pieces of level 1
  EXPECT_EQ(a.values.at("invariant_violations"), 0);
  EXPECT_GT(a.values.at("cubes_cleared"), 0);
  EXPECT_EQ(Sim("--games 3 --seed 4 --max-pieces 150").text, a.text);
  EXPECT_NE(Sim("--games 3 --seed 5 --max-pieces 150").text, a.text);
}

TEST(SimCommand, RefusesBadOptions) {
  EXPECT_NE(Sim("--games 0").status, 0);
  EXPECT_NE(Sim("--max-pieces many").status, 0);
  EXPECT_NE(Sim("--fast").status, 0);
}
