#pragma once
// The parts of starting the game that need no window: the check that every
// file the game reads is in its folder, the texts of the start-up messages
// and of the screen-mode list, and the way play's set-up runs each step so
// that one failing step never stops the next.

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "content/GameFolder.h"

namespace quarnix {

inline constexpr const char* GameTitle = "Quarnix";
inline constexpr const char* NoVideoMessage = "Unable to Init 3D Vedio Device 0.";
inline constexpr const char* NoSoundMessage = "Sound device is unable to work.";
inline constexpr const char* DamagedFilesMessage = "Some files may be damaged! Please re-install this game.";
inline constexpr const char* NoDeviceMessage = "No Any Graphics 3D Accelerator Device.";
inline constexpr const char* PlayCaption = "Play Game";

// The entries of the screen-mode list, by index 0..2.
inline constexpr std::array<const char*, 3> ComboScreenItems{"Screen 1024 x 768", "Screen 800 x 600",
                                                             "Screen 640 x 480"};

// Every file the game needs, relative to its folder, in the order of the file
// table (content/GameFiles.h): the executable, the two record files, the 18
// mesh files, the 7 screen images and the 27 sounds.
std::vector<std::filesystem::path> RequiredFiles();

// The required files the game lacks, each looked for in the folder its kind of
// file lives in (names found without regard to case): the program beside the
// running executable, the records in the player's record folder, the rest in
// the data folder. Every file is checked; an empty result means all are there.
std::vector<std::filesystem::path> CheckFiles(const GameLocation& where);

// Runs one step of play's set-up. An error is written to stderr with the
// step's name and swallowed, so the next step runs; a request to close the
// program or to end it passes through. False when the step failed.
bool RunStep(std::string_view what, const std::function<void()>& step);

}  // namespace quarnix
