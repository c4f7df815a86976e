#pragma once
// Font files by family name, through fontconfig ("Arial" finds its
// metric-compatible stand-in, Liberation Sans, on a Debian desktop).

#include <string>

namespace quarnix {

// The path of the best match; throws std::runtime_error when there is none.
std::string FindFontFile(const std::string& family, bool bold = false, bool italic = false);

}  // namespace quarnix
