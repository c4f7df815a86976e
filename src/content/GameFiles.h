#pragma once
// Every file the game reads from its folder, in one table. The start-up check
// looks for these files, the loaders open them, the content and sound
// generators write them, and a test holds the built game folder against them.
// The build takes its lists of generated files from the rows of this header
// (cmake/GameFiles.cmake reads them): keep each row on one line, in the form
//   {FileRole::<role>, <number>, "<folder>", "<name>"},
//
// Names are spelt as the loaders open them. Files are found without regard to
// case, so the start-up check also accepts "NOWAY.WAV" for "NoWay.WAV".

#include <filesystem>
#include <span>
#include <string_view>

#include "content/SoundNumbers.h"
#include "storage/Controls.h"
#include "storage/Scores.h"

namespace quarnix {

enum class FileRole { Program, Controls, Scores, Mesh, ScreenImage, Effect, Music };

// Mesh files by the object they fill, numbered in the order the game loads them.
inline constexpr int BuildPlanMesh = 1, SelectAreaMesh = 2, BackGroundMesh = 3;
constexpr int CubeMesh(int Kind) { return 3 + Kind; }   // XCube(1..12): "C01" .. "C12"
constexpr int StarMesh(int Star) { return 15 + Star; }  // XStar(1..3): "S1" .. "S3"
inline constexpr int MeshFileCount = 18;

// The screen images in the order the game loads them.
enum class ImageFile { BG = 1, OA, OB, ME, SA, SB, CS };

inline constexpr std::string_view DataFolder = "Data";
inline constexpr std::string_view WaveFolder = "Wave";

struct GameFile {
  FileRole Role;
  int Number;               // which file of its role: see the numbers above
  std::string_view Folder;  // "" for the game folder itself, DataFolder or WaveFolder
  std::string_view Name;

  // Relative to the game folder: "Wave/NoWay.WAV".
  std::filesystem::path Path() const { return std::filesystem::path(Folder) / Name; }
  // The name without its extension: "NoWay".
  std::string_view Stem() const { return Name.substr(0, Name.find('.')); }
};

// clang-format off
inline constexpr GameFile GameFiles[] = {
    {FileRole::Program, 1, "", "quarnix"},
    {FileRole::Controls, 1, "", ControlsFileName},
    {FileRole::Scores, 1, "", ScoresFileName},
    {FileRole::Mesh, 1, "Data", "M1.CAR"},
    {FileRole::Mesh, 2, "Data", "M2.CAR"},
    {FileRole::Mesh, 3, "Data", "M3.CAR"},
    {FileRole::Mesh, 4, "Data", "C01.CAR"},
    {FileRole::Mesh, 5, "Data", "C02.CAR"},
    {FileRole::Mesh, 6, "Data", "C03.CAR"},
    {FileRole::Mesh, 7, "Data", "C04.CAR"},
    {FileRole::Mesh, 8, "Data", "C05.CAR"},
    {FileRole::Mesh, 9, "Data", "C06.CAR"},
    {FileRole::Mesh, 10, "Data", "C07.CAR"},
    {FileRole::Mesh, 11, "Data", "C08.CAR"},
    {FileRole::Mesh, 12, "Data", "C09.CAR"},
    {FileRole::Mesh, 13, "Data", "C10.CAR"},
    {FileRole::Mesh, 14, "Data", "C11.CAR"},
    {FileRole::Mesh, 15, "Data", "C12.CAR"},
    {FileRole::Mesh, 16, "Data", "S1.CAR"},
    {FileRole::Mesh, 17, "Data", "S2.CAR"},
    {FileRole::Mesh, 18, "Data", "S3.CAR"},
    {FileRole::ScreenImage, 1, "Data", "BG.RB"},
    {FileRole::ScreenImage, 2, "Data", "OA.RB"},
    {FileRole::ScreenImage, 3, "Data", "OB.RB"},
    {FileRole::ScreenImage, 4, "Data", "ME.RB"},
    {FileRole::ScreenImage, 5, "Data", "SA.RB"},
    {FileRole::ScreenImage, 6, "Data", "SB.RB"},
    {FileRole::ScreenImage, 7, "Data", "CS.RB"},
    {FileRole::Effect, 1, "Wave", "NoWay.WAV"},
    {FileRole::Effect, 2, "Wave", "CubeRotate.WAV"},
    {FileRole::Effect, 3, "Wave", "Thund.WAV"},
    {FileRole::Effect, 4, "Wave", "CubeDown.WAV"},
    {FileRole::Effect, 5, "Wave", "CubeCross.WAV"},
    {FileRole::Effect, 6, "Wave", "okMenuSelect.WAV"},
    {FileRole::Effect, 7, "Wave", "okBuildMove.WAV"},
    {FileRole::Effect, 8, "Wave", "okExpo.WAV"},
    {FileRole::Effect, 9, "Wave", "SameColor.WAV"},
    {FileRole::Effect, 10, "Wave", "okExCubeDown.WAV"},
    {FileRole::Effect, 11, "Wave", "okOpen.WAV"},
    {FileRole::Effect, 12, "Wave", "okRotBuild.WAV"},
    {FileRole::Effect, 13, "Wave", "okMenuDefKey.WAV"},
    {FileRole::Music, 1, "Wave", "okPlayGame1.WAV"},
    {FileRole::Music, 2, "Wave", "okPlayGame2.WAV"},
    {FileRole::Music, 3, "Wave", "okPlayGame3.WAV"},
    {FileRole::Music, 4, "Wave", "okPlayGame4.WAV"},
    {FileRole::Music, 5, "Wave", "okPlayGame5.WAV"},
    {FileRole::Music, 6, "Wave", "okPlayGame6.WAV"},
    {FileRole::Music, 7, "Wave", "okPlayGame7.WAV"},
    {FileRole::Music, 8, "Wave", "okPlayGame8.WAV"},
    {FileRole::Music, 9, "Wave", "okPlayGame9.WAV"},
    {FileRole::Music, 10, "Wave", "okPlayGame10.WAV"},
    {FileRole::Music, 11, "Wave", "okPlayGame11.WAV"},
    {FileRole::Music, 12, "Wave", "okPlayGame12.WAV"},
    {FileRole::Music, 13, "Wave", "okPlayGame13.WAV"},
    {FileRole::Music, 14, "Wave", "okMenu.WAV"},
};
// clang-format on

// The files of one role, in table order (their numbers' order).
std::span<const GameFile> GameFilesOf(FileRole Role);
// The file of that role and number; throws std::out_of_range when there is none.
const GameFile& FindGameFile(FileRole Role, int Number);
const GameFile& GameFileOf(Effect Number);
const GameFile& GameFileOf(Music Number);
const GameFile& GameFileOf(ImageFile Number);
const GameFile& MeshFile(int Number);

}  // namespace quarnix
