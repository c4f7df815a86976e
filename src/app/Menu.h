#pragma once
// The main menu: seven items (start, effect volume, music volume, key
// bindings, help pages, best results, exit) over the slowly swaying
// background, drawn from the menu sheet in a 640 x 480 frame scaled to the
// screen mode and centred. The menu paces itself at 20 ms a frame on the
// clock, so it idles instead of spinning a core.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>

#include "app/PlayParts.h"
#include "core/Clock.h"
#include "core/FixedArray.h"
#include "core/Random.h"
#include "game/GameState.h"
#include "game/SoundPlayer.h"
#include "input/Keys.h"
#include "platform/D3DTypes.h"
#include "platform/Graphics.h"
#include "platform/PublicX8.h"
#include "storage/Controls.h"
#include "storage/Scores.h"
#include "toolkit/ScreenObject.h"
#include "toolkit/XObject.h"

namespace quarnix {

// Fixed keys of the menu.
namespace MenuKeyCode = VirtualKey;

// The menu's items, top to bottom.
enum class MenuEntry { Start = 1, EffectVolume, MusicVolume, KeyBindings, HelpPages, BestResults, Exit };
inline constexpr int MenuItems = 7;
inline constexpr int MenuPages = 3;
inline constexpr int VolumeSteps = 9;

// The key entries of the binding page, in the order they are shown and
// redefined: turn comes before drop.
inline constexpr std::array<Binding, 7> KeyDisplayOrder{
    Binding::Left, Binding::Right, Binding::Up, Binding::Down, Binding::Turn, Binding::Drop, Binding::Camera};

// Pictures of the menu sheet (left, top, right, bottom).
namespace MenuSheet {
inline constexpr RECT Panel{0, 0, 639, 479};
inline constexpr RECT CursorBar{0, 480, 319, 514};
inline constexpr RECT SidePanel{0, 520, 230, 745};
inline constexpr RECT KeyPanel{480, 521, 586, 810};
inline constexpr RECT ScoreTitle{320, 480, 639, 514};
inline constexpr RECT StartPicture{259, 868, 476, 928};
inline constexpr RECT ExitPicture{259, 803, 476, 863};
inline constexpr RECT EnterHint{260, 554, 319, 586};
inline constexpr RECT LeftRightHint{260, 520, 319, 552};
// Volume bar of step 1..9: one more 11-pixel notch per step.
RECT Volume(int Step);
// Help page 1..3.
RECT Page(int Page);
}  // namespace MenuSheet

// Where the menu goes on the screen. Frame points (u, v) are drawn at
// MenuOrigin + (u, v) x ScreenRatio.
struct MenuLayout {
  int ScreenWidth = 1024, ScreenHeight = 768;
  float ScreenRatio = 1.0f;
  int MenuOriginX = 0, MenuOriginY = 0;
  FixedArray<RECT, 7> KeyNameRect;  // by display position
  FixedArray<RECT, TableLength> ScoreNameRect, ScoreValueRect, ScoreLevelRect;

  D3DVECTOR2 At(float u, float v) const;
  // A picture of size (right - left, bottom - top) centred on (u, v).
  D3DVECTOR2 CentredOn(const RECT& Source, float u, float v) const;
  // A screen rectangle from two frame points.
  RECT TextRect(float Left, float Top, float Right, float Bottom) const;
};

MenuLayout SetupMenuLayout(int ScreenWidth, int ScreenHeight, float ScreenRatio);

// Text colours.
inline constexpr D3DCOLOR MenuSheetColour = 0xA0FFFFFF;
inline constexpr D3DCOLOR KeyNameColour = 0xA000FF00;
inline constexpr D3DCOLOR KeyNameBlinkColour = KeyNameColour + 256;
// Row 1..20 of the best results.
constexpr D3DCOLOR ScoreRowColour(int Row) { return 0xA0FF0000u + 2815u * static_cast<D3DCOLOR>(Row); }

struct MenuParts {
  IDevice& Device;
  ISprite& Sprite;
  IFont& TextFont;
  ScreenObject& ScreenME;
  XObject& XBackGround;
  Keys& KeySet;
  SoundPlayer& Sound;
  GameState& State;
  GameKeys& GameKey;
  const ScoreTable& ScoreList;
  IClock& Clock;
  IEventPump& Events;
  BlinkTimer& Blink;
  // Where a finished redefinition is saved, and the filler's random source.
  std::filesystem::path ControlsFile;
  IRandom& Random;
  // The exit item: the program's shutdown. It is not expected to return.
  std::function<void()> Shutdown;
  // The demonstration, played after AttractIdleMs without a key or a pad
  // button on the menu (no redefinition under way); empty: never.
  std::function<void()> Attract = {};
};

inline constexpr std::uint32_t AttractIdleMs = 60000;

class MainMenu {
 public:
  MainMenu(MenuParts parts, const MenuLayout& layout) : parts_(std::move(parts)), layout_(layout) {}

  // Opens the menu and runs it until the player starts a game. The exit item
  // runs the shutdown; a close request throws QuitRequest.
  void Run();

  // The menu's state as it opens: cursor on the first item, first help page,
  // score counters cleared, no redefinition, the background's sway restarted.
  void Open();
  // One frame: input, drawing, the 20 ms floor, the window's events. True
  // when the player started a game in this frame.
  bool Frame();
  // Back from the demonstration: the menu as it was, the press that ended the
  // demonstration not taken as the menu's.
  void Resume();

  MenuEntry MenuItem = MenuEntry::Start;
  int MenuPage = 1;
  int MenuKey = 0;
  int DefKeyStep = 0;

 private:
  bool Pressed(int code) { return parts_.KeySet.KeyTable(code).isKeyPress(); }
  void ReadMenuKeys();
  void ReadRedefinition();
  void Draw();
  void DrawSheet(const RECT& Source, D3DVECTOR2 At);
  void ItemKeys();
  void DrawItem();
  void DrawKeyNames();
  void DrawScores();

  MenuParts parts_;
  MenuLayout layout_;
};

}  // namespace quarnix
