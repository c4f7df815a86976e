#include "app/Intro.h"

#include "game/GameState.h"
#include "platform/PublicX8.h"

namespace quarnix {

void ShowIntro(const IntroParts& parts, const IntroScreen& screen) {
  const float r = screen.ScreenRatio;
  const D3DVECTOR2 scaling = vec2(r, r);
  constexpr D3DCOLOR White = 0xFFFFFFFF;
  const std::uint32_t S = parts.Clock.Ticks();
  const float y = static_cast<float>(screen.ScreenHeight) / 2 - 225 * r;
  float L = 0;
  float R = static_cast<float>(screen.ScreenWidth) - 200 * r;
  // The title strip's frame: its top row on the sheet.
  int H = IntroSheet::FirstStripTop;
  bool chimed = false;
  std::uint32_t FrameTime;
  do {
    FrameTime = parts.Clock.Ticks();
    IDevice& device = parts.Device;
    device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
    Scene scene(device);
    SpriteBatch batch(parts.Sprite);
    const D3DVECTOR2 left = vec2(L, y), right = vec2(R, y);
    parts.Sprite.Draw(parts.ScreenOA.Texture(), &IntroSheet::LeftHalf, &scaling, nullptr, 0, &left, White);
    parts.Sprite.Draw(parts.ScreenOA.Texture(), &IntroSheet::RightHalf, &scaling, nullptr, 0, &right, White);
    std::uint32_t period;
    if (L + 202 * r < R) {
      L += 10 * r;
      R -= 10 * r;
      period = IntroSlideFrame;
    } else {
      if (!chimed) {
        parts.Sound.PlayWave(Effect::OkOpen, PlayFlag::Once, 0);
        chimed = true;
      }
      const RECT strip{0, H, IntroSheet::StripWidth, H + IntroSheet::StripHeight};
      const D3DVECTOR2 at = vec2(static_cast<float>(screen.ScreenWidth / 2) - 210 * r,
                                 static_cast<float>(screen.ScreenHeight / 2) + 135 * r);
      parts.Sprite.Draw(parts.ScreenOB.Texture(), &strip, &scaling, nullptr, 0, &at, White);
      if (H < 400) H += IntroSheet::StripHeight;
      period = IntroStripFrame;
    }
    batch.End();
    scene.End();
    device.Present();
    parts.Clock.WaitUntil(FrameTime + period);
    parts.Events.PumpEvents();
    if (parts.Events.QuitRequested()) throw QuitRequest();
  } while (FrameTime - S < IntroLength);  // an unsigned difference: safe across the wrap
}

}  // namespace quarnix
