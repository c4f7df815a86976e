#include "content/EmbeddedResources.h"

#include <vector>

#include "content/ResourcePack.h"

// Start and end of the pack, placed by ResourceBlob.cpp.
extern "C" const std::uint8_t quarnix_resource_pack_begin[];
extern "C" const std::uint8_t quarnix_resource_pack_end[];

namespace quarnix {

std::span<const EmbeddedResource> EmbeddedResources() {
  static const std::vector<EmbeddedResource> Table = [] {
    std::span<const std::uint8_t> Pack(quarnix_resource_pack_begin, quarnix_resource_pack_end);
    std::vector<EmbeddedResource> t;
    for (const PackEntryView& e : ReadResourcePack(Pack)) t.push_back({e.Name, e.Bytes});
    return t;
  }();
  return Table;
}

const EmbeddedResource* FindEmbeddedResource(std::string_view Name) {
  auto Upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
  for (const EmbeddedResource& r : EmbeddedResources()) {
    if (r.Name.size() != Name.size()) continue;
    bool Same = true;
    for (std::size_t i = 0; i < Name.size() && Same; ++i) Same = Upper(r.Name[i]) == Upper(Name[i]);
    if (Same) return &r;
  }
  return nullptr;
}

}  // namespace quarnix
