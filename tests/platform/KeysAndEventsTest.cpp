// Keys from SDL scancodes to the configurable keys and polling, quit requests, message boxes, clock waits.

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "input/Keys.h"
#include "platform/Events.h"

namespace quarnix {
namespace {

TEST(EventPump, KeysBecomeWindowsCodesSeenOnceQuitAndSignalsCaughtWhileItLivesTheClockWaitsMessagesToStderr) {
  // catches: a key given a wrong or shared code, a configurable key that no key on the keyboard gives.
  std::multiset<int> reached, configured(ConfiguredKeyCodes().begin(), ConfiguredKeyCodes().end());
  for (int s = 0; s < SDL_NUM_SCANCODES; ++s)
    if (const int vk = VirtualKeyFromScancode(s)) reached.insert(vk);
  configured.insert({13, 16, 17, 18});  // the two Enters, the left and right Shift, Control, Alt
  EXPECT_EQ(reached, configured);
  struct sigaction before {};
  sigaction(SIGTERM, nullptr, &before);
  {
    SdlKeySource keys;
    // Each step: scancodes pressed (+), released (-) or all released (0), then the queries of one key.
    const int Z = SDL_SCANCODE_Z, Space = SDL_SCANCODE_SPACE, Up = SDL_SCANCODE_UP,
              LShift = SDL_SCANCODE_LSHIFT, RShift = SDL_SCANCODE_RSHIFT;
    const std::tuple<std::vector<int>, int, std::vector<bool>> steps[] = {
        {{}, 'Z', {false}},
        {{Z}, 'Z', {true, true}},  // still down
        {{-Z}, 'Z', {false}},
        {{Space, -Space, Up, Up, -Up}, 32, {true, false}},  // down and up between queries: seen once
        {{}, 38, {true, false}},                            // auto-repeat is no second press
        {{LShift, RShift, -LShift}, 16, {true, true}},      // both Shift keys are one key
        {{-RShift}, 16, {false}},
        {{SDL_SCANCODE_LEFT}, 37, {true}},
        {{0}, 37, {false}},  // losing the focus releases everything
    };
    for (const auto& [events, vk, seen] : steps) {
      for (int e : events)
        e == 0 ? keys.ReleaseAll() : e > 0 ? keys.KeyDown(SDL_Scancode(e)) : keys.KeyUp(SDL_Scancode(-e));
      for (bool down : seen) EXPECT_EQ(keys.Query(vk) != 0, down) << vk;
    }
    ::setenv("QUARNIX_NO_DIALOGS", "1", 1);  // never a box on a desktop running the tests
    ::testing::internal::CaptureStderr();
    ShowMessageBox("Quarnix", "Some files may be damaged! Please re-install this game.");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                  "Quarnix: Some files may be damaged! Please re-install this game."),
              std::string::npos);
    EventPump pump(&keys);  // its keys reaching the game are played through in the pad tests
    SDL_Event e{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);
    pump.Pump();
    EXPECT_TRUE(pump.QuitRequested());
    pump.ClearQuit();
    EXPECT_FALSE(pump.QuitRequested());
    SdlClock clock(&pump);  // waits until the tick, never for a past one
    const std::uint32_t start = clock.Ticks();
    clock.WaitUntil(start + 30);
    EXPECT_GE(static_cast<std::int32_t>(clock.Ticks() - start), 30);
    const std::uint32_t now = clock.Ticks();  // a tick just behind, even across the wrap, returns at once
    clock.WaitUntil(now - 100);
    clock.WaitUntil(now + 0x90000000u);  // more than half the range ahead counts as past
    EXPECT_LT(static_cast<std::int32_t>(clock.Ticks() - now), 20);
    std::raise(SIGTERM);
    pump.Pump();
    EXPECT_TRUE(pump.QuitRequested());
  }
  struct sigaction after {};
  sigaction(SIGTERM, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(EventPumpDeathTest, ASecondSignalBeforeTheFirstIsHeardEndsAtOnce) {
  EXPECT_EXIT(
      {
        EventPump pump(nullptr);
        std::raise(SIGINT);  // heard at the next pump: the game closes through its shutdown
        std::raise(SIGINT);  // the program is stuck somewhere: it ends now
        std::_Exit(0);
      },
      testing::KilledBySignal(SIGINT), "");
}

}  // namespace
}  // namespace quarnix
