#pragma once
// The six-second intro shown once per run: the two halves of the logo slide
// together, a chime sounds as they meet, and the title strip below plays as
// a short animation. No key skips it; a close request throws QuitRequest.

#include <cstdint>

#include "app/PlayParts.h"
#include "core/Clock.h"
#include "game/SoundPlayer.h"
#include "platform/D3DTypes.h"
#include "platform/Graphics.h"
#include "toolkit/ScreenObject.h"

namespace quarnix {

// Pictures of the two logo sheets (left, top, right, bottom).
namespace IntroSheet {
inline constexpr RECT LeftHalf{0, 0, 240, 360};
inline constexpr RECT RightHalf{241, 0, 423, 360};
inline constexpr int StripWidth = 400;
inline constexpr int StripHeight = 62;
inline constexpr int FirstStripTop = 8;
inline constexpr int LastStripTop = 442;
}  // namespace IntroSheet

inline constexpr std::uint32_t IntroLength = 6000;    // ms
inline constexpr std::uint32_t IntroSlideFrame = 15;  // ms a frame while the halves slide
inline constexpr std::uint32_t IntroStripFrame = 50;  // ms a frame once they met

struct IntroParts {
  IDevice& Device;
  ISprite& Sprite;
  ScreenObject& ScreenOA;
  ScreenObject& ScreenOB;
  SoundPlayer& Sound;
  IClock& Clock;
  IEventPump& Events;
};

struct IntroScreen {
  int ScreenWidth = 1024, ScreenHeight = 768;
  float ScreenRatio = 1.0f;
};

void ShowIntro(const IntroParts& parts, const IntroScreen& screen);

}  // namespace quarnix
