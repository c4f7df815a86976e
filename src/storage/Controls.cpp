#include "storage/Controls.h"

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>

#include "core/Files.h"
#include "input/Keys.h"
#include "storage/EventFile.h"
#include "storage/XFunc.h"

namespace quarnix {

namespace {

constexpr int FileLength = 100;
// Where bindings 1..7 sit among the filler.
constexpr std::array<int, 7> BindingAt{12, 23, 45, 51, 68, 79, 91};

bool SumHolds(const CodedArray<FileLength>& image) {
  return CodedSum(image, FileLength - 1) == image(FileLength);
}

// The bindings stored in the image; nothing when they are no set the game can use.
std::optional<GameKeys> DecodeBindings(const CodedArray<FileLength>& image) {
  GameKeys keys;
  try {
    for (int i = 1; i <= 7; ++i) keys(i) = static_cast<unsigned char>(DecodeChar(image(BindingAt[i - 1])));
  } catch (const DecodeError&) {
    return std::nullopt;
  }
  if (!BindingsValid(keys)) return std::nullopt;
  return keys;
}

// What keeps a file from being read back as the player's bindings.
std::optional<std::string> ControlsProblem(std::span<const std::uint8_t> bytes) {
  const auto image = CodedFromBytes<FileLength>(bytes);
  if (!image) return "it is not " + std::to_string(4 * FileLength) + " bytes long";
  if (!SumHolds(*image)) return "its sum does not match";
  if (!DecodeBindings(*image)) return "its bindings are no usable keys";
  return std::nullopt;
}

}  // namespace

GameKeys DefaultGameKeys() {
  GameKeys keys;
  const int defaults[] = {37, 39, 38, 40, 32, 90, 65};
  for (int i = 1; i <= 7; ++i) keys(i) = defaults[i - 1];
  return keys;
}

bool BindingsValid(const GameKeys& keys) {
  for (int i = 1; i <= 7; ++i) {
    if (KeyName(keys(i)).empty()) return false;
    for (int j = 1; j < i; ++j)
      if (keys(j) == keys(i)) return false;
  }
  return true;
}

void SaveControls(const std::filesystem::path& file, const GameKeys& GameKey, IRandom& random) {
  for (int i = 1; i <= 7; ++i) {
    if (KeyName(GameKey(i)).empty())
      throw std::invalid_argument("binding " + std::to_string(i) + ": key code " +
                                  std::to_string(GameKey(i)) + " has no key name");
  }
  if (!BindingsValid(GameKey)) throw std::invalid_argument("two bindings share one key");

  CodedArray<FileLength> image;
  for (int i = 1; i <= FileLength; ++i) {
    // Filler characters 32..127; the product rounds half to even.
    const int code = 32 + static_cast<int>(std::nearbyint(static_cast<double>(random.Next()) * 95.0));
    image(i) = EncodeChar(std::string(1, static_cast<char>(code)), random);
  }
  for (int i = 1; i <= 7; ++i)
    image(BindingAt[i - 1]) = EncodeChar(std::string(1, static_cast<char>(GameKey(i))), random);
  image(FileLength) = CodedSum(image, FileLength - 1);
  const std::filesystem::path target = ResolveFile(file);
  SetAsideUnreadable(target, 4 * FileLength, ControlsProblem);
  WriteFileAtomic(target, CodedBytes(image));
}

void ReadControls(const std::filesystem::path& file, GameKeys& GameKey, IRandom& random) {
  const auto found = FindFile(file);
  if (!found) {
    GameKey = DefaultGameKeys();
    SaveControls(file, GameKey, random);
    return;
  }
  const auto image = CodedFromBytes<FileLength>(ReadFileBytes(*found, 4 * FileLength + 1));
  if (!image || !SumHolds(*image)) LogEvent(found->parent_path(), ControlsReadError);
  GameKey = DecodeBindings(*image).value_or(DefaultGameKeys());
}

}  // namespace quarnix
