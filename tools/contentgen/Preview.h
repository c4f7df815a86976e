#pragma once
// Preview pictures for people: the sheets put together the way the game shows them,
// and contact sheets of the textures. Not used by the game.

#include <string>
#include <utility>
#include <vector>

#include "Content.h"

namespace quarnix::content {

std::vector<std::pair<std::string, art::Image>> MakePreviews(const std::vector<ScreenImage>& Images,
                                                             const Fonts& F);

}  // namespace quarnix::content
