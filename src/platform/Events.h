#pragma once
// The keyboard, the clock and the window's events on SDL: key events feed a
// key-state source with the polling semantics the game expects; waits sleep
// while events keep flowing; closing the window or SIGTERM/SIGINT becomes a
// quit request the app acts on.

#include <array>
#include <bitset>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>

#include "core/Clock.h"
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
  // Every key up (the window lost the focus).
  void ReleaseAll();
  // Non-zero while the key is down, or when it was pressed since the previous
  // query of that key (bit 15 down now, bit 0 pressed since).
  int Query(int vk) override { return state_.Query(vk); }

 private:
  ScriptedKeySource state_;
  std::bitset<512> scancodeDown_;
  std::array<std::uint8_t, 256> held_{};  // scancodes down per virtual key (left and right Shift...)
};

class EventPump {
 public:
  // Starts SDL's event system and catches SIGTERM and SIGINT until it goes; keys may be null.
  explicit EventPump(SdlKeySource* keys);
  ~EventPump();
  EventPump(const EventPump&) = delete;
  EventPump& operator=(const EventPump&) = delete;

  // Handles every pending event.
  void Pump();
  bool QuitRequested() const;
  void RequestQuit();
  void ClearQuit();
  // Sees every event after the pump has handled it (the start dialog's mouse).
  void SetObserver(std::function<void(const SDL_Event&)> observer) { observer_ = std::move(observer); }

 private:
  SdlKeySource* keys_;
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
