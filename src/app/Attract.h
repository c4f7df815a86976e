#pragma once
// The demonstration the menu shows when nobody plays: a kept replay, or
// without one the bot, on the play screen until the player presses a key or
// a pad button. Headless parts play it in tests like any game.

#include <cstdint>

#include "app/PlayParts.h"
#include "app/Replay.h"
#include "core/Clock.h"
#include "game/PlayView.h"
#include "game/SoundPlayer.h"

namespace quarnix {

struct AttractParts {
  GameState& State;  // the screen's state: the demonstration plays in it
  SoundPlayer& Sound;
  IPlayRenderer& Renderer;
  ICameraControl& Camera;
  IEventPump& Window;  // the real window's events: its presses end the demonstration
  IPlayView& View;
  const DisplayFlags& Shown;  // what the screen shows, as the bot watches it
  IGameEvents* GameEvents;
  IClock& Clock;  // paces the demonstration as it was played
};

// Plays the replay (the bot with botSeed when null) until its end or the
// player's first press; the camera is left where it was. A close request
// goes on as QuitRequest; a replay that cannot be played ends it at once,
// the reason on stderr.
void PlayAttract(const AttractParts& parts, const Replay* replay, std::uint64_t botSeed);

}  // namespace quarnix
