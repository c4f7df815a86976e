// Gamepads on SDL's real controller path (its virtual joysticks), fed into the keyboard's key-state source.

#include <SDL.h>

#include <fstream>

#include "LoopRig.h"
#include "app/PadKeys.h"
#include "app/PlaySetup.h"
#include "platform/Gamepads.h"

using namespace quarnix;
using namespace quarnix::test;

namespace {

struct VirtualPad {
  explicit VirtualPad(bool SdlKnowsIt = true) {
    SDL_VirtualJoystickDesc d{};
    d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    d.type = SdlKnowsIt ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
    d.naxes = SDL_CONTROLLER_AXIS_MAX;
    d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    d.axis_mask = SdlKnowsIt ? (1u << SDL_CONTROLLER_AXIS_MAX) - 1 : 0;
    d.button_mask = SdlKnowsIt ? (1u << SDL_CONTROLLER_BUTTON_MAX) - 1 : 0;
    d.name = "Quarnix test pad";
    const int index = SDL_JoystickAttachVirtualEx(&d);
    joystick_ = index < 0 ? nullptr : SDL_JoystickOpen(index);
    if (!joystick_) throw std::runtime_error(std::string("virtual pad: ") + SDL_GetError());
    id_ = SDL_JoystickInstanceID(joystick_);
  }
  ~VirtualPad() { Unplug(); }
  void Button(SDL_GameControllerButton b, bool down = true) {
    SDL_JoystickSetVirtualButton(joystick_, b, down);
  }
  void Axis(SDL_GameControllerAxis a, int v) { SDL_JoystickSetVirtualAxis(joystick_, a, Sint16(v)); }
  void Unplug() {
    if (!joystick_) return;
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id_) SDL_JoystickDetachVirtual(i);
  }
  SDL_Joystick* joystick_ = nullptr;
  SDL_JoystickID id_ = -1;
};

// A key event, or the focus lost when key is 0.
void Push(SDL_Scancode key, bool down = false) {
  SDL_Event e{};
  e.type = key ? (down ? SDL_KEYDOWN : SDL_KEYUP) : SDL_WINDOWEVENT;
  e.key.keysym.scancode = key;
  if (!key) e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  SDL_PushEvent(&e);
}

struct SdlInput {
  explicit SdlInput(const std::filesystem::path& mappings = {})
      : Pads(Source, mappings, [this](InputScreen sc, PadButton b) { return PadKey(sc, b, *Bindings); }) {
    MenuKeys.InitKeyTable();
  }
  int Poll(const std::function<void()>& input = [] {}) {
    input();
    Pump.Pump();
    return MenuKeys.GetPressedKey();
  }
  // No window has the focus in a test; SDL would drop the pads' events.
  bool Hinted = SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SdlKeySource Source;
  GameKeys Defaults = DefaultGameKeys();
  const GameKeys* Bindings = &Defaults;
  SdlGamepads Pads;
  EventPump Pump{&Source, &Pads};
  WindowEvents Events{Pump};
  Keys MenuKeys{Source};
};

class PadGame : protected SdlInput, public LoopTest {
 protected:
  PadGame() : LoopTest(&Source, &Events) {
    Bindings = &gameKey;
    probe.onFrame = [this] { Run(); };
  }
  void Tap(VirtualPad& pad, SDL_GameControllerButton b) {
    for (bool down : {true, false}) script.push_back([&pad, b, down] { pad.Button(b, down); });
  }
  void Key(SDL_Scancode key) {
    for (bool down : {true, false}) script.push_back([key, down] { Push(key, down); });
  }
  void Run() {
    if (loop.Frames() > 200'000) Pump.RequestQuit();  // a game that never ends fails instead of hanging
    if (!script.empty()) {
      script.front()();
      script.pop_front();
    } else if (next < steps.size() && steps[next].first()) {
      steps[next++].second();
    }
  }
  const std::function<bool()> ready = [this] { return NormalPlay(); }, prompt = [this] { return s.QuitShow; },
                              always = [] { return true; };

  std::vector<std::pair<std::function<bool()>, std::function<void()>>> steps;
  std::size_t next = 0;
  std::deque<std::function<void()>> script;
};

}  // namespace

// A file far too large for a mapping file is refused on stderr; the pads work as SDL maps them.
TEST(Gamepads, AtTheMenuThePadIsTheArrowsEnterAndEscapeAndNothingDuringARedefinition) {
  TempFolder dir;
  std::ofstream(dir / PadMappingsFileName).close();
  std::filesystem::resize_file(dir / PadMappingsFileName, PadMappingsLimit + 1);
  testing::internal::CaptureStderr();
  SdlInput in(dir / PadMappingsFileName);
  EXPECT_NE(testing::internal::GetCapturedStderr().find(PadMappingsFileName), std::string::npos);
  VirtualPad pad;  // plugged in with the menu open
  in.Poll();
  EXPECT_EQ(in.Pads.Count(), 1);
  int i = 0;
  for (auto [b, key] : {std::pair{SDL_CONTROLLER_BUTTON_DPAD_DOWN, VirtualKey::Down},
                        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0},
                        {SDL_CONTROLLER_BUTTON_A, VirtualKey::Enter},
                        {SDL_CONTROLLER_BUTTON_B, VirtualKey::Escape},
                        {SDL_CONTROLLER_BUTTON_Y, 0},
                        {SDL_CONTROLLER_BUTTON_START, 0}})
    EXPECT_EQ(in.Poll([&] { pad.Button(b, i++ != 1); }), key) << i;
  // The stick: a push is one press however it wavers, until it comes back past the dead zone.
  const auto Y = SDL_CONTROLLER_AXIS_LEFTY, X = SDL_CONTROLLER_AXIS_LEFTX;
  const auto stick = [&](SDL_GameControllerAxis a, std::vector<int> values) {  // the keys they press
    for (int& v : values) v = in.Poll([&] { pad.Axis(a, v); });
    return values;
  };
  EXPECT_EQ(stick(Y, {-9000, -30000, -12000, -32768, -3000, -20000, 20000}),
            (std::vector<int>{0, VirtualKey::Up, 0, 0, 0, VirtualKey::Up, VirtualKey::Down}));
  EXPECT_EQ(stick(X, {32767, 0, -32768}), (std::vector<int>{VirtualKey::Right, 0, VirtualKey::Left}));
  EXPECT_EQ(stick(SDL_CONTROLLER_AXIS_RIGHTX, {32767}), std::vector<int>{0});
  EXPECT_NE(in.Source.Query(VirtualKey::Left), 0);  // still pushed
  stick(X, {0});
  EXPECT_EQ(in.Source.Query(VirtualKey::Left), 0);
  for (auto b : {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B}) in.Poll([&] { pad.Button(b, false); });
  in.Pump.SetScreen(InputScreen::KeyRedefinition);
  for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
    EXPECT_EQ(in.Poll([&] { pad.Button(SDL_GameControllerButton(b)); }), 0) << b;
  EXPECT_EQ(stick(X, {32767}), std::vector<int>{0});
  in.Poll([] { Push(SDL_SCANCODE_UNKNOWN); });
  EXPECT_FALSE(in.Pump.TakePauseRequest());
  EXPECT_EQ(in.Source.Query(VirtualKey::Down), 0);  // the stick's push of the menu screen
}

// A pad SDL does not know, mapped with A and B swapped.
TEST(Gamepads, MappingsComeFromTheDataFolderAndFromTheEnvironment) {
  const std::string mapping = [] {  // SDL reads the environment's mappings when its joystick layer starts
    sdl::Subsystem joysticks(SDL_INIT_JOYSTICK);
    SDL_JoystickGUID guid = SDL_JoystickGetGUID(VirtualPad(false).joystick_);
    guid.data[2] = guid.data[3] = 0;  // as mapping files write it: no name checksum
    char text[33];
    SDL_JoystickGetGUIDString(guid, text, sizeof text);
    return std::string(text) + ",Swapped test pad,a:b1,b:b0,dpdown:b12,";
  }();
  for (const bool fromFile : {true, false}) {  // the file's pad also plugged in before the start
    TempFolder dir;
    SCOPED_TRACE(fromFile);
    if (fromFile)
      std::ofstream(dir / PadMappingsFileName) << "# a line of another system, and one for ours\n"
                                               << "030000005e0400008e02000014010000,X,a:b0,platform:Windows\n"
                                               << mapping << "platform:Linux,\n";
    else
      ::setenv("SDL_GAMECONTROLLERCONFIG", mapping.c_str(), 1);
    sdl::Subsystem joysticks(SDL_INIT_JOYSTICK);
    auto early = fromFile ? std::make_unique<VirtualPad>(false) : nullptr;
    SdlInput in(dir / PadMappingsFileName);
    ::unsetenv("SDL_GAMECONTROLLERCONFIG");
    auto pad = early ? std::move(early) : std::make_unique<VirtualPad>(false);
    in.Poll();
    ASSERT_EQ(in.Pads.Count(), 1);
    EXPECT_EQ(in.Poll([&] { pad->Button(SDL_CONTROLLER_BUTTON_A); }), VirtualKey::Escape);  // where B maps
    EXPECT_EQ(in.Poll([&] { pad->Button(SDL_CONTROLLER_BUTTON_B); }), VirtualKey::Enter);
  }
}

// catches: a pad input not played or typed, an unplugged pad or the focus lost mishandled, the keyboard lost.
TEST_F(PadGame, ThreePadsAndTheKeyboardPlayAGameFromTheFirstShiftToTheNameInTheTable) {
  VirtualPad pad;
  auto spare = std::make_unique<VirtualPad>(), other = std::make_unique<VirtualPad>();
  Cells at;
  int turnFrames = 0, promptsSeen = 0, playedOn = 0;
  bool dropped = false;
  const auto act = [&](const std::function<void()>& check, SDL_GameControllerButton b,
                       VirtualPad* on = nullptr) {
    return [&, check, b, on] {
      check();
      at = PieceCells(s);
      Tap(on ? *on : pad, b);
    };
  };
  probe.onFrame = [&] {
    turnFrames += shown[Display::TurnShow];
    dropped = dropped || s.DropFlag;
    Run();
  };
  steps = {
      {ready, act([] {}, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)},  // binding 2: towards y + 1
      {ready,
       [&] {
         EXPECT_EQ(PieceCells(s), Shifted(at, 0, 1));
         at = PieceCells(s);
         for (int v : {-32768, -32768, -32768, -20000, -12000, -32768, 0})
           script.push_back([&pad, v] { pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, v); });
       }},
      {ready, act([&] { EXPECT_EQ(PieceCells(s), Shifted(at, 0, -1)); }, SDL_CONTROLLER_BUTTON_DPAD_UP)},
      {ready, act([&] { EXPECT_EQ(PieceCells(s), Shifted(at, -1, 0)); }, SDL_CONTROLLER_BUTTON_A)},  // turn
      {ready, act([&] { EXPECT_EQ(turnFrames, 6); }, SDL_CONTROLLER_BUTTON_Y)},                      // camera
      {ready, act([&] { EXPECT_EQ(camera.Shown, 1); }, SDL_CONTROLLER_BUTTON_Y, other.get())},  // now in use
      {ready, [&] { EXPECT_EQ(camera.Shown, 2); }},
      {always, [&] { spare->Unplug(); }},
      {[&] { return NormalPlay() && ++playedOn > 3; }, [&] { EXPECT_EQ(Pads.Count(), 2); }},  // no pause
      {always, [&] { other->Unplug(); }},               // the one in use
      {prompt, [&] { Key(SDL_SCANCODE_N); }},           // the keyboard resumes
      {ready, [&] { Key(SDL_SCANCODE_A); }},            // the camera key beside the pads
      {always, [] { Push(SDL_SCANCODE_LEFT, true); }},  // held as the focus goes
      {always, [] { Push(SDL_SCANCODE_UNKNOWN); }},
      {prompt, [&] { EXPECT_EQ(std::pair(camera.Shown, Source.Query(VirtualKey::Left)), std::pair(3, 0)); }},
      {always, [&] { Key(SDL_SCANCODE_ESCAPE); }},  // resumes
      {ready, act([] {}, SDL_CONTROLLER_BUTTON_START)},
      {prompt, [&] { Tap(pad, SDL_CONTROLLER_BUTTON_B); }},  // no: play on
      {ready, act([&] { ++promptsSeen; }, SDL_CONTROLLER_BUTTON_START)},
      {prompt, [&] { Tap(pad, SDL_CONTROLLER_BUTTON_START); }},       // no again
      {ready, act([&] { ++promptsSeen; }, SDL_CONTROLLER_BUTTON_B)},  // drop
      {ready,
       act([&] { EXPECT_TRUE(dropped && (s.GameScore = 7)); }, SDL_CONTROLLER_BUTTON_START)},  // a result
      {prompt, [&] { Tap(pad, SDL_CONTROLLER_BUTTON_Y); }},  // yes: the game ends
      {[&] { return s.GameOverShow && s.NameEntryOn; },
       [&] {
         // "B9D": up twice, next slot down, keyboard "C", back and up. B and Y type nothing.
         for (auto b : {SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_B,
                        SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_DPAD_DOWN,
                        SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_CONTROLLER_BUTTON_Y})
           Tap(pad, b);
         Key(SDL_SCANCODE_C);
         for (auto b :
              {SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_A})
           Tap(pad, b);  // A confirms
       }},
  };
  EXPECT_EQ(loop.PlayGame(), GameEnd::Quit);
  EXPECT_EQ(std::tuple(next, promptsSeen, Pads.Count()), std::tuple(steps.size(), 2, 1));
  const ScoreRec row = ReadBack().ScoreList(1);
  EXPECT_EQ(std::pair(row.Name, row.Score), std::pair(Padded("B9D"), 7));
}
