#pragma once
// The game's thirteen sound effects, each a short one-shot signal.

#include <string>
#include <vector>

#include "Synth.h"
#include "content/SoundNumbers.h"

namespace quarnix::soundgen {

// The finished effect of that number (faded at its ends, peak normalised).
// Throws std::invalid_argument for a number the game has no effect for.
Signal MakeEffect(Effect Number);

}  // namespace quarnix::soundgen
