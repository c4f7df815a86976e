#include "content/GameFiles.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace quarnix {

namespace {

constexpr int CountOf(FileRole role) {
  int n = 0;
  for (const GameFile& f : GameFiles) n += f.Role == role ? 1 : 0;
  return n;
}

// The rows of each role stand together, numbered 1, 2, 3 ... in order, each
// in the folder its kind of file lives in: GameFilesOf hands out the rows of a
// role as one run.
constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(GameFiles); ++i) {
    const GameFile& f = GameFiles[i];
    const bool first = i == 0 || GameFiles[i - 1].Role != f.Role;
    for (std::size_t j = 0; first && j < i; ++j)
      if (GameFiles[j].Role == f.Role) return false;
    if (f.Number != (first ? 1 : GameFiles[i - 1].Number + 1)) return false;
    const bool sound = f.Role == FileRole::Effect || f.Role == FileRole::Music;
    const bool data = f.Role == FileRole::Mesh || f.Role == FileRole::ScreenImage;
    if (f.Folder != (sound ? WaveFolder : data ? DataFolder : std::string_view())) return false;
  }
  return true;
}
static_assert(RowsInOrder());
static_assert(CountOf(FileRole::Mesh) == MeshFileCount);
static_assert(CountOf(FileRole::ScreenImage) == static_cast<int>(ImageFile::CS));
static_assert(CountOf(FileRole::Effect) == EffectCount);
static_assert(CountOf(FileRole::Music) == MusicCount);

const char* RoleName(FileRole role) {
  switch (role) {
    case FileRole::Program:
      return "program";
    case FileRole::Controls:
      return "controls file";
    case FileRole::Scores:
      return "scores file";
    case FileRole::Mesh:
      return "mesh file";
    case FileRole::ScreenImage:
      return "screen image";
    case FileRole::Effect:
      return "effect";
    case FileRole::Music:
      return "music track";
  }
  return "file";
}

}  // namespace

std::span<const GameFile> GameFilesOf(FileRole Role) {
  const auto first = std::find_if(std::begin(GameFiles), std::end(GameFiles),
                                  [Role](const GameFile& f) { return f.Role == Role; });
  return {first, static_cast<std::size_t>(CountOf(Role))};
}

const GameFile& FindGameFile(FileRole Role, int Number) {
  const std::span<const GameFile> files = GameFilesOf(Role);
  if (Number < 1 || Number > static_cast<int>(files.size()))
    throw std::out_of_range(std::string(RoleName(Role)) + " " + std::to_string(Number) + " outside 1.." +
                            std::to_string(files.size()));
  return files[static_cast<std::size_t>(Number - 1)];
}

const GameFile& GameFileOf(Effect Number) { return FindGameFile(FileRole::Effect, static_cast<int>(Number)); }
const GameFile& GameFileOf(Music Number) { return FindGameFile(FileRole::Music, static_cast<int>(Number)); }
const GameFile& GameFileOf(ImageFile Number) {
  return FindGameFile(FileRole::ScreenImage, static_cast<int>(Number));
}
const GameFile& MeshFile(int Number) { return FindGameFile(FileRole::Mesh, Number); }

}  // namespace quarnix
