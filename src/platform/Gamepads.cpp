#include "platform/Gamepads.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "core/Files.h"
#include "platform/Events.h"

namespace quarnix {

namespace {

// The controller's buttons the game uses.
constexpr std::pair<int, PadButton> Buttons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadButton::A},
    {SDL_CONTROLLER_BUTTON_B, PadButton::B},
    {SDL_CONTROLLER_BUTTON_Y, PadButton::Y},
    {SDL_CONTROLLER_BUTTON_START, PadButton::Start},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadButton::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadButton::Right},
};

std::optional<PadButton> ButtonOf(int button) {
  for (const auto& [sdl, pad] : Buttons)
    if (sdl == button) return pad;
  return std::nullopt;
}

}  // namespace

int AddPadMappings(std::span<const std::uint8_t> text) {
  SDL_RWops* rw = SDL_RWFromConstMem(text.data(), static_cast<int>(text.size()));
  const int added = rw ? SDL_GameControllerAddMappingsFromRW(rw, 1) : -1;
  if (added < 0) throw std::runtime_error(std::string("no controller mappings: ") + SDL_GetError());
  return added;
}

int LoadPadMappings(const std::filesystem::path& file) {
  const auto found = FindFile(file);
  if (!found) return 0;
  const auto text = ReadWholeFile(*found, PadMappingsLimit, "a controller mapping file");
  try {
    return AddPadMappings(text);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(found->string() + ": " + e.what());
  }
}

int PadStickDirection(int was, int value) {
  if (value <= -PadStickPress) return -1;
  if (value >= PadStickPress) return 1;
  const bool sameWay = was != 0 && (value < 0) == (was < 0);
  return sameWay && (value <= -PadStickRelease || value >= PadStickRelease) ? was : 0;
}

SdlGamepads::SdlGamepads(SdlKeySource& keys, const std::filesystem::path& mappingsFile, KeyFor keyFor)
    : keys_(keys), keyFor_(std::move(keyFor)) {
  try {
    controllers_ = sdl::Subsystem(SDL_INIT_GAMECONTROLLER);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: no gamepads: " << e.what() << '\n';
    return;
  }
  try {
    LoadPadMappings(mappingsFile);
  } catch (const std::exception& e) {
    std::cerr << "quarnix: " << e.what() << '\n';
  }
  // SDL announced the pads it knew at its start before the file's mappings
  // were in: the ones only the file maps are opened here.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) Open(i);
}

void SdlGamepads::Open(int deviceIndex) {
  if (!controllers_ || !SDL_IsGameController(deviceIndex)) return;
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
  if (id < 0 || Find(id)) return;  // announced twice
  sdl::GameController controller(SDL_GameControllerOpen(deviceIndex));
  if (!controller) {
    std::cerr << "quarnix: gamepad " << deviceIndex << ": " << SDL_GetError() << '\n';
    return;
  }
  auto pad = std::make_unique<Pad>();
  pad->Id = id;
  pad->Controller = std::move(controller);
  pads_.push_back(std::move(pad));
}

SdlGamepads::Pad* SdlGamepads::Find(SDL_JoystickID id) {
  const auto at = std::find_if(pads_.begin(), pads_.end(), [id](const auto& p) { return p->Id == id; });
  return at == pads_.end() ? nullptr : at->get();
}

PadChange SdlGamepads::Handle(const SDL_Event& event, InputScreen screen) {
  switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
      Open(event.cdevice.which);  // a device index
      break;
    case SDL_CONTROLLERDEVICEREMOVED: {
      const SDL_JoystickID id = event.cdevice.which;  // an instance id
      Pad* pad = Find(id);
      if (!pad) break;
      for (int source = 0; source < Sources; ++source) Release(*pad, source);
      std::erase_if(pads_, [id](const auto& p) { return p->Id == id; });
      if (id == inUse_) {
        inUse_ = -1;
        return PadChange::InUseRemoved;
      }
      break;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      Pad* pad = Find(event.cbutton.which);
      const auto button = ButtonOf(event.cbutton.button);
      if (!pad || !button) break;
      if (event.type == SDL_CONTROLLERBUTTONDOWN)
        Press(*pad, event.cbutton.button, *button, screen);
      else
        Release(*pad, event.cbutton.button);
      break;
    }
    case SDL_CONTROLLERAXISMOTION: {
      Pad* pad = Find(event.caxis.which);
      if (!pad) break;
      // Sources after the buttons: left, right, up, down.
      constexpr int Left = SDL_CONTROLLER_BUTTON_MAX, Up = Left + 2;
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
        MoveStick(*pad, pad->StickX, PadStickDirection(pad->StickX, event.caxis.value), Left, screen);
      if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
        MoveStick(*pad, pad->StickY, PadStickDirection(pad->StickY, event.caxis.value), Up, screen);
      break;
    }
    default:
      break;
  }
  return PadChange::None;
}

void SdlGamepads::MoveStick(Pad& pad, int& was, int now, int lessSource, InputScreen screen) {
  if (now == was) return;
  if (was != 0) Release(pad, lessSource + (was > 0 ? 1 : 0));
  was = now;
  if (now == 0) return;
  const bool across = lessSource == SDL_CONTROLLER_BUTTON_MAX;
  const PadButton button =
      across ? (now < 0 ? PadButton::Left : PadButton::Right) : (now < 0 ? PadButton::Up : PadButton::Down);
  Press(pad, lessSource + (now > 0 ? 1 : 0), button, screen);
}

void SdlGamepads::Press(Pad& pad, int source, PadButton button, InputScreen screen) {
  inUse_ = pad.Id;
  int& held = pad.Holds[static_cast<std::size_t>(source)];
  if (held != 0) return;
  held = keyFor_(screen, button);
  if (held != 0) keys_.VirtualKeyDown(held);
}

void SdlGamepads::Release(Pad& pad, int source) {
  // The key it pressed, whatever the screen has become since.
  int& held = pad.Holds[static_cast<std::size_t>(source)];
  if (held != 0) keys_.VirtualKeyUp(held);
  held = 0;
}

void SdlGamepads::ReleaseAll() {
  for (auto& pad : pads_) {
    for (int source = 0; source < Sources; ++source) Release(*pad, source);
    pad->StickX = pad->StickY = 0;
  }
}

}  // namespace quarnix
