#include "platform/Events.h"

#include <SDL.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Gamepads.h"

namespace quarnix {

int VirtualKeyFromScancode(int scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
    return 97 + (scancode - SDL_SCANCODE_KP_1);
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) return 112 + (scancode - SDL_SCANCODE_F1);
  switch (scancode) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_KP_0:
      return 96;
    case SDL_SCANCODE_BACKSPACE:
      return 8;
    case SDL_SCANCODE_TAB:
      return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return 13;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
      return 16;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
      return 17;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
      return 18;
    case SDL_SCANCODE_PAUSE:
      return 19;
    case SDL_SCANCODE_CAPSLOCK:
      return 20;
    case SDL_SCANCODE_ESCAPE:
      return 27;
    case SDL_SCANCODE_SPACE:
      return 32;
    case SDL_SCANCODE_PAGEUP:
      return 33;
    case SDL_SCANCODE_PAGEDOWN:
      return 34;
    case SDL_SCANCODE_END:
      return 35;
    case SDL_SCANCODE_HOME:
      return 36;
    case SDL_SCANCODE_LEFT:
      return 37;
    case SDL_SCANCODE_UP:
      return 38;
    case SDL_SCANCODE_RIGHT:
      return 39;
    case SDL_SCANCODE_DOWN:
      return 40;
    case SDL_SCANCODE_INSERT:
      return 45;
    case SDL_SCANCODE_DELETE:
      return 46;
    case SDL_SCANCODE_KP_MULTIPLY:
      return 106;
    case SDL_SCANCODE_KP_PLUS:
      return 107;
    case SDL_SCANCODE_KP_MINUS:
      return 109;
    case SDL_SCANCODE_KP_PERIOD:
      return 110;
    case SDL_SCANCODE_KP_DIVIDE:
      return 111;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return 144;
    default:
      return 0;
  }
}

void SdlKeySource::KeyDown(int scancode) {
  const int vk = VirtualKeyFromScancode(scancode);
  if (vk == 0 || scancode < 0 || scancode >= static_cast<int>(scancodeDown_.size())) return;
  if (scancodeDown_[scancode]) return;
  scancodeDown_[scancode] = true;
  if (held_[vk]++ == 0) state_.Press(vk);
}

void SdlKeySource::KeyUp(int scancode) {
  const int vk = VirtualKeyFromScancode(scancode);
  if (vk == 0 || scancode < 0 || scancode >= static_cast<int>(scancodeDown_.size())) return;
  if (!scancodeDown_[scancode]) return;
  scancodeDown_[scancode] = false;
  if (--held_[vk] == 0) state_.Release(vk);
}

void SdlKeySource::VirtualKeyDown(int vk) {
  if (vk <= 0 || vk >= static_cast<int>(held_.size())) return;
  if (held_[vk]++ == 0) state_.Press(vk);
}

void SdlKeySource::VirtualKeyUp(int vk) {
  // After ReleaseAll a button that was down has nothing left to release.
  if (vk <= 0 || vk >= static_cast<int>(held_.size()) || held_[vk] == 0) return;
  if (--held_[vk] == 0) state_.Release(vk);
}

void SdlKeySource::ReleaseAll() {
  scancodeDown_.reset();
  held_.fill(0);
  state_.ReleaseAll();
}

namespace {

volatile std::sig_atomic_t signalledQuit = 0;
// The first signal asks the game to close at its next frame; a second one,
// while the first is not yet acted on, ends the process at once.
extern "C" void OnQuitSignal(int signal) {
  if (signalledQuit) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
  }
  signalledQuit = 1;
}

// The processes the thread tid started: its message box, which SDL shows from
// a child process (or through one, such as zenity).
std::vector<pid_t> ChildrenOf(pid_t tid) {
  std::ifstream list("/proc/self/task/" + std::to_string(tid) + "/children");
  std::vector<pid_t> children;
  for (pid_t pid = 0; list >> pid;) children.push_back(pid);
  return children;
}

}  // namespace

EventPump::EventPump(SdlKeySource* keys, SdlGamepads* pads) : keys_(keys), pads_(pads) {
  if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0)
    throw std::runtime_error(std::string("SDL: ") + SDL_GetError());
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, &previousTerm_);
  sigaction(SIGINT, &action, &previousInt_);
}

EventPump::~EventPump() {
  sigaction(SIGTERM, &previousTerm_, nullptr);
  sigaction(SIGINT, &previousInt_, nullptr);
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

void EventPump::Pump() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:
        quit_ = true;
        break;
      case SDL_KEYDOWN:
        if (keys_) keys_->KeyDown(event.key.keysym.scancode);
        break;
      case SDL_KEYUP:
        if (keys_) keys_->KeyUp(event.key.keysym.scancode);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
          // Keys and buttons released while another window has the focus never reach us.
          if (pads_) pads_->ReleaseAll();
          if (keys_) keys_->ReleaseAll();
          PauseIfPlaying();
        }
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) quit_ = true;
        break;
      default:
        if (pads_ && pads_->Handle(event, screen_) == PadChange::InUseRemoved) PauseIfPlaying();
        break;
    }
    if (observer_) observer_(event);
  }
  if (signalledQuit) quit_ = true;
}

bool EventPump::QuitRequested() const { return quit_ || signalledQuit; }

void EventPump::RequestQuit() { quit_ = true; }

void EventPump::SetScreen(InputScreen screen) {
  screen_ = screen;
  pause_ = false;
}

bool EventPump::TakePauseRequest() { return std::exchange(pause_, false); }

void EventPump::PauseIfPlaying() {
  if (screen_ == InputScreen::Play) pause_ = true;
}

void EventPump::ClearQuit() {
  quit_ = false;
  signalledQuit = 0;
}

std::uint32_t SdlClock::Ticks() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void SdlClock::WaitUntil(std::uint32_t tick) {
  for (;;) {
    if (pump_) pump_->Pump();
    // Signed difference, so a wrap of the counter does not make a wait endless.
    const auto left = static_cast<std::int32_t>(tick - Ticks());
    if (left <= 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int32_t>(left, pump_ ? 4 : left)));
  }
}

void ShowMessageBox(const std::string& title, const std::string& text) {
  std::cerr << title << ": " << text << std::endl;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) driver = std::getenv("SDL_VIDEODRIVER");
  const bool headless =
      std::getenv("QUARNIX_NO_DIALOGS") ||
      (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0));
  // A program asked to close shows no more boxes: it is on its way out.
  if (headless || signalledQuit) return;

  // The box waits for OK and hears no signal, so a watcher closes it when
  // SIGTERM or SIGINT comes: the program then ends as it would have after OK.
  std::atomic<bool> shown{true};
  const pid_t self = static_cast<pid_t>(::syscall(SYS_gettid));
  std::thread watcher([&] {
    while (shown) {
      if (signalledQuit) {
        const std::vector<pid_t> boxes = ChildrenOf(self);
        // A box drawn in this very process cannot be closed from here: end it.
        if (boxes.empty()) std::_Exit(1);
        for (pid_t box : boxes) ::kill(box, SIGKILL);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, title.c_str(), text.c_str(), nullptr);
  shown = false;
  watcher.join();
}

}  // namespace quarnix
