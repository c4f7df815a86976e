#pragma once
// The keyboard, the clock and the window's events on SDL: key events (and a
// gamepad's buttons, platform/Gamepads.h) feed a key-state source with the
// polling semantics the game expects; losing the focus in play asks for a
// pause; waits sleep
// while events keep flowing; closing the window or SIGTERM/SIGINT becomes a
// quit request the app acts on.

#include <array>
#include <bitset>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Clock.h"
#include "core/Gamepad.h"
#include "core/KeySource.h"

union SDL_Event;

namespace quarnix {

// The Windows virtual-key code of an SDL scancode; 0 when the game has none.
int VirtualKeyFromScancode(int scancode);

class SdlKeySource final : public IKeyStateSource {
 public:
  // Scancodes; a repeated key-down of a held key changes nothing.
  void KeyDown(int scancode);
  void KeyUp(int scancode);
  // A key pressed by something else than the keyboard (a gamepad's button):
  // each down is matched by one up, and the key is up once all have come.
  void VirtualKeyDown(int vk);
  void VirtualKeyUp(int vk);
  // Every key up (the window lost the focus).
  void ReleaseAll();
  // Non-zero while the key is down, or when it was pressed since the previous
  // query of that key (bit 15 down now, bit 0 pressed since).
  int Query(int vk) override { return state_.Query(vk); }

 private:
  ScriptedKeySource state_;
  std::bitset<512> scancodeDown_;
  std::array<std::uint8_t, 256> held_{};  // scancodes and buttons down per virtual key (both Shifts...)
};

class SdlGamepads;

class EventPump {
 public:
  // Starts SDL's event system and catches SIGTERM and SIGINT until it goes;
  // keys and pads may be null.
  explicit EventPump(SdlKeySource* keys, SdlGamepads* pads = nullptr);
  ~EventPump();
  EventPump(const EventPump&) = delete;
  EventPump& operator=(const EventPump&) = delete;

  // Handles every pending event.
  void Pump();
  bool QuitRequested() const;
  void RequestQuit();
  void ClearQuit();
  // The screen the player is on (for the pads' keys); a new one forgets a pause request.
  void SetScreen(InputScreen screen);
  InputScreen Screen() const { return screen_; }
  // True once after the window lost the focus, or the pad in use went, during play.
  bool TakePauseRequest();
  // Sees every event after the pump has handled it (the start dialog's mouse).
  void SetObserver(std::function<void(const SDL_Event&)> observer) { observer_ = std::move(observer); }

 private:
  void PauseIfPlaying();

  SdlKeySource* keys_;
  SdlGamepads* pads_;
  InputScreen screen_ = InputScreen::Menu;
  bool pause_ = false;
  bool quit_ = false;
  struct sigaction previousTerm_ {
  }, previousInt_{};
  std::function<void(const SDL_Event&)> observer_;
};

// Milliseconds of a monotonic clock (wrapping at 2^32 like the tick counter of
// old); waits sleep in short steps and pump events meanwhile.
class SdlClock final : public IClock {
 public:
  explicit SdlClock(EventPump* pump = nullptr) : pump_(pump) {}
  std::uint32_t Ticks() override;
  void WaitUntil(std::uint32_t tick) override;

 private:
  EventPump* pump_;
};

// A message with an OK button, and the same text on stderr. Headless (the
// offscreen or dummy video driver, or QUARNIX_NO_DIALOGS set) only stderr.
// SIGTERM or SIGINT while it is shown closes it and returns (the quit request
// stays for the caller); after such a signal no box is shown at all.
void ShowMessageBox(const std::string& title, const std::string& text);

}  // namespace quarnix
