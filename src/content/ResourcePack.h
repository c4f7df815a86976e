#pragma once
// The resource pack linked into the executable: "QRP1", a 32-bit entry count, then
// per entry a name length (one byte), the name, a 32-bit size and the bytes.
// Numbers are little-endian.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnix {

struct PackEntry {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
};

struct PackEntryView {
  std::string_view Name;
  std::span<const std::uint8_t> Bytes;
};

std::vector<std::uint8_t> WriteResourcePack(std::span<const PackEntry> Entries);

// Views into Pack; throws std::runtime_error when the pack is malformed.
std::vector<PackEntryView> ReadResourcePack(std::span<const std::uint8_t> Pack);

}  // namespace quarnix
