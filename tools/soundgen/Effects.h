#pragma once
// The game's thirteen sound effects, each a short one-shot signal.

#include <string>
#include <vector>

#include "Synth.h"

namespace quarnix::soundgen {

// The effects in the game's effect-number order (1 = "NoWay" .. 13 =
// "okMenuDefKey"), each with the wave name the game loads it by.
const std::vector<std::string>& EffectNames();

// The finished effect of that name (faded at its ends, peak normalised).
// Throws std::invalid_argument for an unknown name.
Signal MakeEffect(const std::string& name);

}  // namespace quarnix::soundgen
