// Keys from SDL scancodes to the game's virtual-key polling, quit requests and
// the clock's waits.

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "platform/Events.h"

namespace quarnix {
namespace {

TEST(VirtualKeys, ScancodesMapToTheWindowsCodes) {
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_A), 65);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_Z), 90);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_0), 48);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_9), 57);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_0), 96);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_9), 105);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F1), 112);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_F12), 123);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_LEFT), 37);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_DOWN), 40);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_ENTER), 13);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_RSHIFT), 16);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_KP_PLUS), 107);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_NUMLOCKCLEAR), 144);
  EXPECT_EQ(VirtualKeyFromScancode(SDL_SCANCODE_GRAVE), 0);
}

TEST(SdlKeySource, DownOrPressedSinceTheLastQuery) {
  SdlKeySource keys;
  EXPECT_EQ(keys.Query('Z'), 0);
  keys.KeyDown(SDL_SCANCODE_Z);
  EXPECT_NE(keys.Query('Z'), 0);
  EXPECT_NE(keys.Query('Z'), 0);  // still down
  keys.KeyUp(SDL_SCANCODE_Z);
  EXPECT_EQ(keys.Query('Z'), 0);
  // Pressed and released between two queries: seen once.
  keys.KeyDown(SDL_SCANCODE_SPACE);
  keys.KeyUp(SDL_SCANCODE_SPACE);
  EXPECT_NE(keys.Query(32), 0);
  EXPECT_EQ(keys.Query(32), 0);
  // Auto-repeat of a held key is not a second key down: one release ends it.
  keys.KeyDown(SDL_SCANCODE_UP);
  keys.KeyDown(SDL_SCANCODE_UP);
  keys.KeyUp(SDL_SCANCODE_UP);
  EXPECT_NE(keys.Query(38), 0);
  EXPECT_EQ(keys.Query(38), 0);
}

TEST(SdlKeySource, BothShiftKeysAreOneKeyAndFocusLossReleasesAll) {
  SdlKeySource keys;
  keys.KeyDown(SDL_SCANCODE_LSHIFT);
  keys.KeyDown(SDL_SCANCODE_RSHIFT);
  keys.KeyUp(SDL_SCANCODE_LSHIFT);
  EXPECT_NE(keys.Query(16), 0);
  EXPECT_NE(keys.Query(16), 0);
  keys.KeyUp(SDL_SCANCODE_RSHIFT);
  EXPECT_EQ(keys.Query(16), 0);
  keys.KeyDown(SDL_SCANCODE_LEFT);
  EXPECT_NE(keys.Query(37), 0);
  keys.ReleaseAll();
  EXPECT_EQ(keys.Query(37), 0);
}

TEST(EventPump, KeyEventsAndQuitRequests) {
  SdlKeySource keys;
  EventPump pump(&keys);
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  SDL_PushEvent(&e);
  pump.Pump();
  EXPECT_NE(keys.Query(27), 0);
  EXPECT_FALSE(pump.QuitRequested());

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  pump.Pump();
  EXPECT_TRUE(pump.QuitRequested());
  pump.ClearQuit();
  EXPECT_FALSE(pump.QuitRequested());

  std::raise(SIGTERM);
  pump.Pump();
  EXPECT_TRUE(pump.QuitRequested());
  pump.ClearQuit();
}

TEST(EventPump, SignalsAreCaughtOnlyWhileItLives) {
  struct sigaction before {};
  sigaction(SIGTERM, nullptr, &before);
  {
    EventPump pump(nullptr);
    struct sigaction during {};
    sigaction(SIGTERM, nullptr, &during);
    EXPECT_NE(during.sa_handler, before.sa_handler);
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

TEST(ShowMessageBox, HeadlessTheTextGoesToStderr) {
  ::setenv("QUARNIX_NO_DIALOGS", "1", 1);  // never a box on a desktop running the tests
  ::testing::internal::CaptureStderr();
  ShowMessageBox("Quarnix", "Some files may be damaged! Please re-install this game.");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Quarnix: Some files may be damaged! Please re-install this game."), std::string::npos);
}

TEST(SdlClock, WaitsUntilTheTickAndNeverForAPastOne) {
  EventPump pump(nullptr);
  SdlClock clock(&pump);
  const std::uint32_t start = clock.Ticks();
  clock.WaitUntil(start + 30);
  EXPECT_GE(static_cast<std::int32_t>(clock.Ticks() - start), 30);
  // A tick just behind, even across the counter's wrap, returns at once.
  const std::uint32_t before = clock.Ticks();
  clock.WaitUntil(before - 100);
  clock.WaitUntil(before + 0x90000000u);  // more than half the range ahead counts as past
  EXPECT_LT(static_cast<std::int32_t>(clock.Ticks() - before), 20);
}

}  // namespace
}  // namespace quarnix
