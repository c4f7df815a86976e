// A controller mapping file as the game reads it from its data folder: any
// bytes go to SDL's mapping parser without a crash or a read past the text.

#include <SDL.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "platform/Gamepads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  static const bool Started = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
  if (!Started) std::abort();
  try {
    if (quarnix::AddPadMappings(std::span(Data, Size)) < 0) std::abort();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
