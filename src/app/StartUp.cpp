#include "app/StartUp.h"

#include <exception>
#include <iostream>

#include "app/PlayParts.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"

namespace quarnix {

std::vector<std::filesystem::path> RequiredFiles() {
  std::vector<std::filesystem::path> files{ExecutableName, "CT.DAT", "RD.DAT"};
  const std::filesystem::path data = "Data", wave = "Wave";
  for (int i = 1; i <= 12; ++i) files.push_back(data / ((i < 10 ? "C0" : "C") + std::to_string(i) + ".CAR"));
  for (const char* name : {"M1", "M2", "M3", "S1", "S2", "S3"})
    files.push_back(data / (std::string(name) + ".CAR"));
  for (const char* name : {"BG", "CS", "ME", "OA", "OB", "SA", "SB"})
    files.push_back(data / (std::string(name) + ".RB"));
  std::vector<std::string> waves{"CUBECROSS",    "CUBEDOWN",     "CUBEROTATE", "NOWAY",
                                 "OKBUILDMOVE",  "OKEXCUBEDOWN", "OKEXPO",     "OKMENU",
                                 "OKMENUDEFKEY", "OKMENUSELECT", "OKOPEN"};
  for (int i = 1; i <= 13; ++i) waves.push_back("OKPLAYGAME" + std::to_string(i));
  for (const char* name : {"OKROTBUILD", "SAMECOLOR", "THUND"}) waves.push_back(name);
  for (const std::string& name : waves) files.push_back(wave / (name + ".WAV"));
  return files;
}

std::vector<std::filesystem::path> CheckFiles(const std::filesystem::path& AppPath) {
  std::vector<std::filesystem::path> missing;
  for (const auto& file : RequiredFiles())
    if (!FileExist(AppPath / file)) missing.push_back(file);
  return missing;
}

bool RunStep(std::string_view what, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const QuitRequest&) {
    throw;
  } catch (const ProgramEndRequested&) {
    throw;
  } catch (const std::exception& e) {
    std::cerr << "quarnix: " << what << ": " << e.what() << '\n';
  } catch (...) {
    std::cerr << "quarnix: " << what << ": unknown error\n";
  }
  return false;
}

}  // namespace quarnix
