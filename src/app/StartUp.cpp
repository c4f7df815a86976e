#include "app/StartUp.h"

#include <exception>
#include <iostream>

#include "app/PlayParts.h"
#include "content/GameFiles.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"

namespace quarnix {

std::vector<std::filesystem::path> RequiredFiles() {
  std::vector<std::filesystem::path> files;
  for (const GameFile& file : GameFiles) files.push_back(file.Path());
  return files;
}

std::vector<std::filesystem::path> CheckFiles(const GameLocation& where) {
  std::vector<std::filesystem::path> missing;
  for (const GameFile& file : GameFiles)
    if (!FileExist(where.PathOf(file))) missing.push_back(where.PathOf(file));
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
