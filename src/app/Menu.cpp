#include "app/Menu.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "platform/InitDirect3D.h"

namespace quarnix {

namespace {

constexpr std::uint32_t MenuFrameMs = 20;
constexpr int CursorVolume = -1000;  // moving the cursor, changing the effect volume
constexpr int PageVolume = -1200;    // turning a help page, starting a redefinition
constexpr int DefKeyVolume = -1000;  // a key taken in a redefinition
constexpr int RedefinitionDone = 8;

// The item By places down (up when negative), round from the last to the first.
MenuEntry Moved(MenuEntry item, int By) {
  const int n = static_cast<int>(item) + By;
  return static_cast<MenuEntry>(n > MenuItems ? 1 : n < 1 ? MenuItems : n);
}

int Row(MenuEntry item) { return static_cast<int>(item) - 1; }

}  // namespace

RECT MenuSheet::Volume(int Step) {
  if (Step < 1 || Step > VolumeSteps)
    throw std::out_of_range("volume step " + std::to_string(Step) + " outside 1..9");
  return RECT{481, 838, 491 + 11 * (Step - 1), 1016};
}

RECT MenuSheet::Page(int Page) {
  switch (Page) {
    case 1:
      return RECT{640, 0, 955, 321};
    case 2:
      return RECT{0, 751, 248, 958};
    case 3:
      return RECT{600, 510, 849, 909};
    default:
      throw std::out_of_range("help page " + std::to_string(Page) + " outside 1..3");
  }
}

D3DVECTOR2 MenuLayout::At(float u, float v) const {
  return vec2(static_cast<float>(MenuOriginX) + u * ScreenRatio,
              static_cast<float>(MenuOriginY) + v * ScreenRatio);
}

D3DVECTOR2 MenuLayout::CentredOn(const RECT& Source, float u, float v) const {
  return At(u - static_cast<float>((Source.right - Source.left) / 2),
            v - static_cast<float>((Source.bottom - Source.top) / 2));
}

RECT MenuLayout::TextRect(float Left, float Top, float Right, float Bottom) const {
  const D3DVECTOR2 a = At(Left, Top), b = At(Right, Bottom);
  return MakeRect(a.x, a.y, b.y, b.x);
}

MenuLayout SetupMenuLayout(int ScreenWidth, int ScreenHeight, float ScreenRatio) {
  MenuLayout L;
  L.ScreenWidth = ScreenWidth;
  L.ScreenHeight = ScreenHeight;
  L.ScreenRatio = ScreenRatio;
  L.MenuOriginX = ScreenWidth / 2 - RoundToInt(640 * ScreenRatio) / 2;
  L.MenuOriginY = ScreenHeight / 2 - RoundToInt(480 * ScreenRatio) / 2;

  // The binding panel's corner; the names sit around the key pictures on it.
  const D3DVECTOR2 P{480.0f - (MenuSheet::KeyPanel.right - MenuSheet::KeyPanel.left) / 2,
                     240.0f - (MenuSheet::KeyPanel.bottom - MenuSheet::KeyPanel.top) / 2};
  L.KeyNameRect(1) = L.TextRect(P.x - 65, P.y + 18, P.x + 5, P.y + 33);
  L.KeyNameRect(2) = L.TextRect(P.x + 100, P.y + 18, P.x + 170, P.y + 33);
  constexpr std::array<float, 5> Rows{-20, 60, 140, 218, 300};
  for (int k = 3; k <= 7; ++k) {
    const float t = Rows[static_cast<std::size_t>(k - 3)];
    L.KeyNameRect(k) = L.TextRect(P.x + 18, P.y + t, P.x + 88, P.y + t + 15);
  }

  for (int i = 1; i <= TableLength; ++i) {
    const float top = 40.0f + 20.0f * static_cast<float>(i - 1);
    // Each row ends one screen pixel above the next one's top.
    const int nextTop = L.TextRect(0, top + 20, 0, top + 20).top;
    L.ScoreNameRect(i) = L.TextRect(329, top, 540, top + 20);
    L.ScoreValueRect(i) = L.TextRect(540, top, 590, top + 20);
    L.ScoreLevelRect(i) = L.TextRect(606, top, 625, top + 20);
    L.ScoreNameRect(i).bottom = L.ScoreValueRect(i).bottom = L.ScoreLevelRect(i).bottom = nextTop - 1;
  }
  return L;
}

void MainMenu::Run() {
  Open();
  std::uint64_t inputs = parts_.Events.InputCount();
  std::uint32_t idleSince = parts_.Clock.Ticks();
  while (!Frame()) {
    if (!parts_.Attract) continue;
    const std::uint32_t now = parts_.Clock.Ticks();
    if (parts_.Events.InputCount() != inputs || DefKeyStep > 0) {
      inputs = parts_.Events.InputCount();
      idleSince = now;
    } else if (now - idleSince >= AttractIdleMs) {
      parts_.Attract();
      Resume();
      inputs = parts_.Events.InputCount();
      idleSince = parts_.Clock.Ticks();
    }
  }
}

void MainMenu::Resume() {
  parts_.Events.SetScreen(InputScreen::Menu);
  parts_.KeySet.GetPressedKey();
  parts_.KeySet.GetPressedPadKey();
}

void MainMenu::Open() {
  MenuItem = MenuEntry::Start;
  MenuPage = 1;
  MenuKey = 0;
  DefKeyStep = 0;
  parts_.Events.SetScreen(InputScreen::Menu);
  parts_.State.GameScore = 0;
  parts_.State.ChainScore = 0;
  parts_.XBackGround.EffectMoveTextureB(true, 0.0001f, 0.000001f, 0.000002f);
}

bool MainMenu::Frame() {
  const std::uint32_t FrameTime = parts_.Clock.Ticks();
  MenuKey = 0;
  if (DefKeyStep == 0) {
    ReadMenuKeys();
    ItemKeys();
  } else {
    ReadRedefinition();
  }

  // Every 20 ms frame is drawn and shown, so the background sways smoothly.
  parts_.XBackGround.EffectMoveTextureB(false, 0.0001f, 0.000001f, 0.000002f);
  Draw();

  parts_.Clock.WaitUntil(FrameTime + MenuFrameMs);
  parts_.Events.PumpEvents();
  if (parts_.Events.QuitRequested()) throw QuitRequest();
  return MenuItem == MenuEntry::Start && MenuKey == MenuKeyCode::Enter;
}

void MainMenu::ReadMenuKeys() {
  // Both keys are polled every frame so that neither keeps a stale press.
  const bool enter = Pressed(MenuKeyCode::Enter);
  const bool space = Pressed(MenuKeyCode::Space);
  if (enter || space) MenuKey = MenuKeyCode::Enter;
  if (Pressed(MenuKeyCode::Up)) {
    MenuItem = Moved(MenuItem, -1);
    parts_.Sound.PlayWave(Effect::OkMenuSelect, PlayFlag::Once, CursorVolume);
  }
  if (Pressed(MenuKeyCode::Down)) {
    MenuItem = Moved(MenuItem, 1);
    parts_.Sound.PlayWave(Effect::OkMenuSelect, PlayFlag::Once, CursorVolume);
  }
}

void MainMenu::ReadRedefinition() {
  const int c = parts_.KeySet.GetPressedKey();
  if (c <= 0 || KeyName(c).empty()) return;
  // A key already given to an earlier entry of this redefinition is refused.
  for (int k = 1; k < DefKeyStep; ++k)
    if (parts_.GameKey(KeyDisplayOrder[static_cast<std::size_t>(k - 1)]) == c) return;
  parts_.GameKey(KeyDisplayOrder[static_cast<std::size_t>(DefKeyStep - 1)]) = c;
  parts_.Sound.PlayWave(Effect::OkMenuDefKey, PlayFlag::Once, DefKeyVolume);
  if (++DefKeyStep == RedefinitionDone) {
    DefKeyStep = 0;
    parts_.Events.SetScreen(InputScreen::Menu);
    SaveControls(parts_.ControlsFile, parts_.GameKey, parts_.Random);
  }
}

void MainMenu::DrawSheet(const RECT& Source, D3DVECTOR2 At) {
  const D3DVECTOR2 scaling = vec2(layout_.ScreenRatio, layout_.ScreenRatio);
  parts_.Sprite.Draw(parts_.ScreenME.Texture(), &Source, &scaling, nullptr, 0.0f, &At, MenuSheetColour);
}

void MainMenu::Draw() {
  IDevice& device = parts_.Device;
  device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
  Scene scene(device);
  // The first level's background, a little above the view and tipped towards it.
  parts_.XBackGround.DisplayXfile({.TexIndex = parts_.State.LevelTable(1).BackPicture,
                                   .Position = {0, 8, 0},
                                   .AngleX = 5,
                                   .Axis = RotationAxis::X});

  SpriteBatch batch(parts_.Sprite);
  DrawSheet(MenuSheet::Panel, layout_.At(0, 0));
  DrawSheet(MenuSheet::CursorBar, layout_.At(0, 120.0f + 35.0f * static_cast<float>(Row(MenuItem))));
  DrawSheet(MenuSheet::SidePanel, layout_.At(20, 132));
  DrawItem();
  batch.End();

  SetDirLight(device, MakeColorValue(2, 2, 2, 0), vec3(0, 0, -1), 0, 1, 0, 1);
  scene.End();
  device.Present();
}

void MainMenu::ItemKeys() {
  const bool chosen = MenuKey == MenuKeyCode::Enter;
  SoundPlayer& sound = parts_.Sound;
  switch (MenuItem) {
    case MenuEntry::EffectVolume: {
      const int before = sound.SoundLevel;
      if (Pressed(MenuKeyCode::Right)) sound.SoundLevel = std::min(sound.SoundLevel + 1, VolumeSteps);
      if (Pressed(MenuKeyCode::Left)) sound.SoundLevel = std::max(sound.SoundLevel - 1, 1);
      // The click plays at the new level, so the player hears the step.
      if (sound.SoundLevel != before) sound.PlayWave(Effect::OkMenuSelect, PlayFlag::Once, CursorVolume);
      break;
    }
    case MenuEntry::MusicVolume: {
      const int before = sound.MusicLevel;
      if (Pressed(MenuKeyCode::Right)) sound.MusicLevel = std::min(sound.MusicLevel + 1, VolumeSteps);
      if (Pressed(MenuKeyCode::Left)) sound.MusicLevel = std::max(sound.MusicLevel - 1, 1);
      // Restarting the track is how a new step reaches the music already playing.
      if (sound.MusicLevel != before && sound.MusicNow)
        sound.PlayMusic(*sound.MusicNow, PlayFlag::Looping, 0);
      break;
    }
    case MenuEntry::KeyBindings:
      if (chosen) {
        DefKeyStep = 1;
        parts_.Events.SetScreen(InputScreen::KeyRedefinition);  // bindings are keyboard keys
        sound.PlayWave(Effect::OkMenuSelect, PlayFlag::Once, PageVolume);
      }
      break;
    case MenuEntry::HelpPages: {
      const bool next = Pressed(MenuKeyCode::Right) || chosen;
      const bool previous = Pressed(MenuKeyCode::Left);
      if (next) MenuPage = MenuPage == MenuPages ? 1 : MenuPage + 1;
      if (previous) MenuPage = MenuPage == 1 ? MenuPages : MenuPage - 1;
      if (next || previous) sound.PlayWave(Effect::OkMenuSelect, PlayFlag::Once, PageVolume);
      break;
    }
    case MenuEntry::Exit:
      if (chosen) {
        parts_.Shutdown();
        // The shutdown ends the program; should it come back, the menu
        // must not go on drawing with released objects.
        throw std::logic_error("the shutdown returned to the menu");
      }
      break;
    default:
      break;
  }
}

void MainMenu::DrawItem() {
  const SoundPlayer& sound = parts_.Sound;
  // Items chosen with Enter show its hint; items changed with Left and Right show theirs.
  const RECT* hint = &MenuSheet::EnterHint;
  switch (MenuItem) {
    case MenuEntry::Start:
      DrawSheet(MenuSheet::StartPicture, layout_.CentredOn(MenuSheet::StartPicture, 480, 240));
      break;
    case MenuEntry::EffectVolume:
      DrawSheet(MenuSheet::Volume(sound.SoundLevel), layout_.At(430, 160));
      hint = &MenuSheet::LeftRightHint;
      break;
    case MenuEntry::MusicVolume:
      DrawSheet(MenuSheet::Volume(sound.MusicLevel), layout_.At(430, 160));
      hint = &MenuSheet::LeftRightHint;
      break;
    case MenuEntry::KeyBindings:
      DrawSheet(MenuSheet::KeyPanel, layout_.CentredOn(MenuSheet::KeyPanel, 480, 240));
      DrawKeyNames();
      break;
    case MenuEntry::HelpPages: {
      const RECT page = MenuSheet::Page(MenuPage);
      DrawSheet(page, layout_.CentredOn(page, 480, MenuPage == 3 ? 220.0f : 240.0f));
      hint = &MenuSheet::LeftRightHint;
      break;
    }
    case MenuEntry::BestResults:
      DrawSheet(MenuSheet::ScoreTitle, layout_.At(319, 0));
      DrawScores();
      hint = nullptr;
      break;
    case MenuEntry::Exit:
      DrawSheet(MenuSheet::ExitPicture, layout_.CentredOn(MenuSheet::ExitPicture, 480, 240));
      break;
  }
  if (hint) DrawSheet(*hint, layout_.At(450, 430));
}

void MainMenu::DrawKeyNames() {
  for (int k = 1; k <= 7; ++k) {
    D3DCOLOR colour = KeyNameColour;
    if (k == DefKeyStep && !parts_.Blink.TimeBlink(500)) colour = KeyNameBlinkColour;
    const Binding binding = KeyDisplayOrder[static_cast<std::size_t>(k - 1)];
    parts_.TextFont.DrawText(KeyName(parts_.GameKey(binding)), layout_.KeyNameRect(k), DT_CENTER, colour);
  }
}

void MainMenu::DrawScores() {
  for (int i = 1; i <= TableLength; ++i) {
    const ScoreRec& r = parts_.ScoreList(i);
    if (r.Score <= 0) continue;
    std::string name = r.Name;
    name.erase(name.find_last_not_of(' ') + 1);
    const D3DCOLOR colour = ScoreRowColour(i);
    parts_.TextFont.DrawText(name, layout_.ScoreNameRect(i), DT_LEFT, colour);
    parts_.TextFont.DrawText(std::to_string(r.Score), layout_.ScoreValueRect(i), DT_RIGHT, colour);
    parts_.TextFont.DrawText(std::to_string(r.Level), layout_.ScoreLevelRect(i), DT_RIGHT, colour);
  }
}

}  // namespace quarnix
