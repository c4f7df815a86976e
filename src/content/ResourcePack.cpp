#include "content/ResourcePack.h"

#include <algorithm>
#include <stdexcept>

namespace quarnix {
namespace {

constexpr char Magic[4] = {'Q', 'R', 'P', '1'};

void Append32(std::vector<std::uint8_t>& Out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) Out.push_back((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> WriteResourcePack(std::span<const PackEntry> Entries) {
  std::vector<std::uint8_t> Out(Magic, Magic + 4);
  Append32(Out, static_cast<std::uint32_t>(Entries.size()));
  for (const PackEntry& e : Entries) {
    if (e.Name.empty() || e.Name.size() > 255)
      throw std::invalid_argument("resource name must be 1..255 bytes");
    Out.push_back(static_cast<std::uint8_t>(e.Name.size()));
    Out.insert(Out.end(), e.Name.begin(), e.Name.end());
    Append32(Out, static_cast<std::uint32_t>(e.Bytes.size()));
    Out.insert(Out.end(), e.Bytes.begin(), e.Bytes.end());
  }
  return Out;
}

std::vector<PackEntryView> ReadResourcePack(std::span<const std::uint8_t> Pack) {
  std::size_t At = 0;
  auto Need = [&](std::size_t n) {
    if (Pack.size() - At < n) throw std::runtime_error("resource pack is cut short");
  };
  auto Read32 = [&] {
    Need(4);
    std::uint32_t v =
        Pack[At] | (Pack[At + 1] << 8) | (Pack[At + 2] << 16) | (std::uint32_t(Pack[At + 3]) << 24);
    At += 4;
    return v;
  };
  Need(4);
  if (!std::equal(Magic, Magic + 4, Pack.begin()))
    throw std::runtime_error("resource pack has no \"QRP1\" signature");
  At = 4;
  const std::uint32_t Count = Read32();
  std::vector<PackEntryView> Entries;
  for (std::uint32_t i = 0; i < Count; ++i) {
    Need(1);
    const std::size_t NameSize = Pack[At++];
    Need(NameSize);
    PackEntryView e;
    e.Name = std::string_view(reinterpret_cast<const char*>(Pack.data() + At), NameSize);
    At += NameSize;
    const std::size_t Size = Read32();
    Need(Size);
    e.Bytes = Pack.subspan(At, Size);
    At += Size;
    Entries.push_back(e);
  }
  if (At != Pack.size()) throw std::runtime_error("resource pack has bytes after its last entry");
  return Entries;
}

}  // namespace quarnix
