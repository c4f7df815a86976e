#pragma once
// The game's icon for desktops and menus: four of the logo's glossy cubes, one
// of each colour, on a see-through ground, drawn afresh at every size of the
// icon theme so that even 16 pixels stay sharp.

#include <cstdint>
#include <vector>

namespace quarnix::content {

inline constexpr int IconSizes[] = {16, 32, 48, 64, 128, 256};

// Size x Size pixels, RGBA (alpha not premultiplied), top row first.
std::vector<std::uint8_t> MakeIcon(int Size);

}  // namespace quarnix::content
