#pragma once
// The bitmaps linked into the executable, by name (upper case, as stored).

#include <cstdint>
#include <span>
#include <string_view>

namespace quarnix {

struct EmbeddedResource {
  std::string_view Name;
  std::span<const std::uint8_t> Bytes;
};

std::span<const EmbeddedResource> EmbeddedResources();

// Looks a name up without regard to case ("4Color" finds "4COLOR"); null when absent.
const EmbeddedResource* FindEmbeddedResource(std::string_view Name);

}  // namespace quarnix
