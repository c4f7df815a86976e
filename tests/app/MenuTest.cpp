// The intro and the main menu headless: scripted keys, a virtual clock, recorded sounds.

#include <optional>
#include <set>

#include "../toolkit/ToolkitTestUtil.h"
#include "LoopRig.h"
#include "app/Intro.h"
#include "app/Menu.h"
#include "core/ProgramEnd.h"
#include "platform/NullGraphics.h"

namespace quarnix {
namespace {

using Call = RecordingSoundBuffer::Call;

struct Pump final : IEventPump {
  std::function<void()> onPump;
  std::uint64_t inputs = 0;
  bool quit = false;
  void PumpEvents() override { onPump(); }
  bool QuitRequested() const override { return quit; }
  std::uint64_t InputCount() const override { return inputs; }
};

TEST(MenuLayoutTest, FrameRowsAndPicturesPlacedByHand) {
  // x = W \ 2 - R(640 r) \ 2, y = H \ 2 - R(480 r) \ 2; the far corner meets the screen's.
  for (auto [w, h, r, x, y] :
       {std::tuple{1024, 768, 1.0f, 192, 144}, {800, 600, 0.78125f, 150, 113}, {640, 480, 0.625f, 120, 90}}) {
    const MenuLayout L = SetupMenuLayout(w, h, r);
    EXPECT_EQ(std::pair(L.MenuOriginX, L.MenuOriginY), std::pair(x, y)) << w;
    EXPECT_NEAR(L.At(640, 480).x + x, w, 1.0f);
    EXPECT_NEAR(L.At(640, 480).y + y, h, 1.0f);
  }
  const MenuLayout L = SetupMenuLayout(1024, 768, 1.0f);
  const int lefts[] = {-65, 100, 18, 18, 18, 18, 18}, tops[] = {18, 18, -20, 60, 140, 218, 300};
  for (int k = 1; k <= 7; ++k) {  // the binding panel's corner (427, 96) at (619, 240)
    const int x = 619 + lefts[k - 1], y = 240 + tops[k - 1];
    EXPECT_EQ(L.KeyNameRect(k), (RECT{x, y, x + 70, y + 15})) << k;
  }
  EXPECT_EQ(std::tuple(L.ScoreNameRect(1), L.ScoreValueRect(20), L.ScoreLevelRect(7)),
            std::tuple(RECT{192 + 329, 144 + 40, 192 + 540, 144 + 59},
                       RECT{192 + 540, 144 + 420, 192 + 590, 144 + 439},
                       RECT{192 + 606, 144 + 160, 192 + 625, 144 + 179}));
  const MenuLayout S = SetupMenuLayout(800, 600, 0.78125f);
  EXPECT_EQ(S.ScoreNameRect(1).top, 113 + 31);
  for (int i = 1; i < TableLength; ++i)
    EXPECT_EQ(S.ScoreNameRect(i).bottom + 1, S.ScoreNameRect(i + 1).top) << i;
  EXPECT_EQ(std::pair(MenuSheet::Volume(1), MenuSheet::Volume(9)),
            std::pair(RECT{481, 838, 491, 1016}, RECT{481, 838, 579, 1016}));
  for (int bad : {0, 10}) EXPECT_THROW(MenuSheet::Volume(bad), std::out_of_range);
  EXPECT_THROW(MenuSheet::Page(4), std::out_of_range);
}

class MenuFixture : public ::testing::Test, protected test::RecordedSound {
 protected:
  MenuFixture() {
    graphics_.InitDevice(1024, 768, 1, 0x505050);
    device_ = graphics_.Null();
    sprite_ = device_->CreateSprite();
    font_ = device_->CreateFont(FontDesc{});
    back_ = std::make_unique<XObject>(*device_);
    back_->LoadXFile(test::WriteMesh(folder_ / "back.car", test::CubeMesh()), 1, "", 0, 0, 1);
    screenME_ = std::make_unique<ScreenObject>(*device_);
    screenME_->CreateEmptyTexture(64, 0);
    keys_.InitKeyTable();
    menu_ = std::make_unique<MainMenu>(Parts(events_, [this] { ++shutdowns_, EndProgram(0); }), Layout());
    menu_->Open();
  }
  static MenuLayout Layout() { return SetupMenuLayout(1024, 768, 1.0f); }
  MenuParts Parts(IEventPump& pump, std::function<void()> shutdown, std::function<void()> attract = {}) {
    return {*device_, *sprite_, *font_,  *screenME_, *back_, keys_,  sound,
            state_,   gameKey_, scores_, clock_,     pump,   blink_, folder_ / "CT.dat",
            random_,  shutdown, attract};
  }

  bool Tap(int vk, int times = 1) {
    bool started = false;
    for (int i = 0; i < times; ++i) {
      source_.Press(vk);
      started = menu_->Frame();
      source_.Release(vk);
      if (!started) menu_->Frame();
    }
    return started;
  }
  struct Frame {
    std::uint32_t at;
    std::vector<NullDevice::SpriteDraw> draws;
  };
  std::vector<Frame> Intro(int w, int h, float r) {
    graphics_.InitDevice(w, h, 1, 0x505050);
    device_ = graphics_.Null();
    sprite_ = device_->CreateSprite();
    oa_ = std::make_unique<ScreenObject>(*device_);
    ob_ = std::make_unique<ScreenObject>(*device_);
    oa_->CreateEmptyTexture(16, 0);
    ob_->CreateEmptyTexture(16, 0);
    std::vector<Frame> frames;
    Pump recorder;
    std::uint32_t last = clock_.Ticks();
    recorder.onPump = [&] {
      frames.push_back({last, device_->SpriteDraws()});
      last = clock_.Ticks();
    };
    ShowIntro(IntroParts{*device_, *sprite_, *oa_, *ob_, sound, clock_, recorder}, IntroScreen{w, h, r});
    EXPECT_GE(frames.back().at - frames.front().at, 6000u);
    EXPECT_LT(frames[frames.size() - 2].at - frames.front().at, 6000u);
    return frames;
  }
  int Clicks() { return waves(Effect::OkMenuSelect).Plays(); }
  const NullDevice::SpriteDraw* DrawOf(const RECT& source) const {
    for (const auto& d : device_->SpriteDraws())
      if (d.source == source) return &d;
    return nullptr;
  }

  test::TempFolder folder_;
  NullGraphics graphics_;
  NullDevice* device_ = nullptr;
  std::unique_ptr<ISprite> sprite_;
  std::unique_ptr<IFont> font_;
  std::unique_ptr<XObject> back_;
  std::unique_ptr<ScreenObject> screenME_, oa_, ob_;
  ScriptedKeySource source_;
  Keys keys_{source_};
  GameState state_;
  GameKeys gameKey_ = DefaultGameKeys();
  ScoreTable scores_;
  VirtualClock clock_{1000};
  ScriptedEventPump events_;
  BlinkTimer blink_{clock_};
  Rng random_{7};
  int shutdowns_ = 0;
  std::unique_ptr<MainMenu> menu_;
};

TEST_F(MenuFixture, EveryFrameKeepsItsFloorIsShownAndMovesTheSwayTheCursorWrapsEachMoveClicksVolumesStop) {
  const std::uint32_t start = clock_.Ticks();
  std::vector<float> sway;  // the background's texture before each frame and after the last
  for (int i = 0; i <= 10; ++i) {
    sway.push_back(back_->Mesh()->LockVertexBuffer()[0].tu);
    back_->Mesh()->UnlockVertexBuffer();
    if (i < 10) menu_->Frame();
  }
  EXPECT_EQ(std::pair(device_->Presents(), clock_.Ticks() - start), std::pair(10, 10 * 20u));
  EXPECT_EQ(std::adjacent_find(sway.begin(), sway.end()), sway.end());
  EXPECT_EQ(std::tuple(device_->MeshDraws().at(0).world.m[3][1], device_->Lights().at(1).enabled,
                       device_->Lights().at(1).light.Direction.z),
            std::tuple(8.0f, true, -1.0f));
  SCOPED_TRACE("the cursor");
  for (auto [vk, times, item] : {std::tuple{MenuKeyCode::Up, 1, MenuEntry::Exit},
                                 {MenuKeyCode::Down, 1, MenuEntry::Start},
                                 {MenuKeyCode::Up, 2, MenuEntry::BestResults}}) {
    Tap(vk, times);
    EXPECT_EQ(menu_->MenuItem, item);
  }
  EXPECT_EQ(Clicks(), 4);
  EXPECT_EQ(waves(Effect::OkMenuSelect).Calls().front(), (Call{Call::SetVolume, -1000 - 300}));
  const NullDevice::SpriteDraw* bar = DrawOf(MenuSheet::CursorBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->translation.y, 144 + 120 + 35 * 5);  // 35 pixels a row under y 120
  EXPECT_EQ(std::pair(bar->texture, bar->colour), std::pair(screenME_->Texture(), MenuSheetColour));
  SCOPED_TRACE("volume steps stop at the ends, music restarts at its step");
  sound.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
  Tap(MenuKeyCode::Down, 3);  // effects
  Tap(MenuKeyCode::Right);
  EXPECT_EQ(std::pair(sound.SoundLevel, Clicks()), std::pair(9, 4 + 3));  // nothing changed, nothing to hear
  Tap(MenuKeyCode::Left, 10);
  EXPECT_EQ(std::pair(sound.SoundLevel, Clicks()), std::pair(1, 4 + 3 + 7));
  bar = DrawOf(MenuSheet::Volume(1));
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->translation.x, 192 + 430);
  Tap(MenuKeyCode::Right);
  RecordingSoundBuffer& track = music(Music::Menu);
  Tap(MenuKeyCode::Down);  // music
  track.ClearCalls();
  Tap(MenuKeyCode::Right);  // already 9
  EXPECT_TRUE(track.Calls().empty());
  Tap(MenuKeyCode::Left);
  EXPECT_EQ(std::tuple(sound.MusicLevel, sound.SoundLevel, track.Plays(), track.Looping(), track.Volume()),
            std::tuple(8, 2, 2, true, -(10 - 8) * 300));
}

TEST_F(MenuFixture,
       ScoreTableHidesEmptyRowsHelpPagesTurnBothWaysRedefinitionTakesSevenDistinctKeysAndSavesThem) {
  scores_(1) = ScoreRec{StoredName("ANNA"), 420, 7, 1};
  scores_(2) = ScoreRec{StoredName("BO"), 35, 1, 2};
  scores_(4) = ScoreRec{StoredName("CY"), 5, 1, 4};  // row 3 empty
  Tap(MenuKeyCode::Down, 5);                         // best results
  const auto& t = device_->TextDraws();
  ASSERT_EQ(t.size(), 9u);
  EXPECT_EQ(std::pair(t[0].text + t[1].text + t[2].text + t[6].text, t[6].rect),
            std::pair(std::string("ANNA4207CY"), Layout().ScoreNameRect(4)));
  EXPECT_EQ(std::tuple(t[6].colour, t[0].format & DT_RIGHT, t[1].format & DT_RIGHT),
            std::tuple(0xA0FF0000u + 2815u * 4, 0u, std::uint32_t(DT_RIGHT)));
  EXPECT_TRUE(DrawOf(MenuSheet::ScoreTitle) && !DrawOf(MenuSheet::EnterHint) &&
              !DrawOf(MenuSheet::LeftRightHint));
  for (auto [vk, page] : {std::pair{MenuKeyCode::Up, 1},
                          {MenuKeyCode::Right, 2},
                          {MenuKeyCode::Enter, 3},
                          {MenuKeyCode::Space, 1},
                          {MenuKeyCode::Left, 3}}) {
    Tap(vk);  // up to help, then its pages both ways
    EXPECT_EQ(menu_->MenuPage, page);
  }
  const auto* page = DrawOf(MenuSheet::Page(3));  // 249 x 399, centred on (480, 220)
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->translation, (D3DVECTOR2{192 + 480 - 124, 144 + 220 - 199}));
  EXPECT_NE(DrawOf(MenuSheet::LeftRightHint), nullptr);
  SCOPED_TRACE("the redefinition");
  Tap(MenuKeyCode::Up);  // key bindings
  menu_->Frame();
  ASSERT_EQ(device_->TextDraws().size(), 7u);
  const auto& fifth = device_->TextDraws()[4];  // binding 6, the turn key
  EXPECT_EQ(std::tuple(fifth.text, fifth.rect, fifth.format & DT_CENTER),
            std::tuple(KeyName(DefaultGameKeys()(6)), Layout().KeyNameRect(5), std::uint32_t(DT_CENTER)));
  const int clicks = Clicks();
  Tap(MenuKeyCode::Enter);
  EXPECT_EQ(std::tuple(menu_->DefKeyStep, events_.Screen, Clicks(), waves(Effect::OkMenuSelect).Volume()),
            std::tuple(1, InputScreen::KeyRedefinition, clicks + 1, -1200 - 300));
  std::set<D3DCOLOR> first, second;  // the waiting entry blinks, the others stay
  for (int i = 0; i < 60; ++i) {
    menu_->Frame();
    first.insert(device_->TextDraws()[0].colour);
    second.insert(device_->TextDraws()[1].colour);
  }
  EXPECT_EQ(std::pair(first, second),
            std::pair(std::set{KeyNameColour, KeyNameBlinkColour}, std::set{KeyNameColour}));
  int accepted = 0;
  for (int vk :
       std::initializer_list<int>{'Q', 'Q', MenuKeyCode::Up, MenuKeyCode::Enter, 'W', 'E', 'R', 'T'}) {
    const int plays = waves(Effect::OkMenuDefKey).Plays(), all = EffectPlays();
    Tap(vk);
    const bool took = waves(Effect::OkMenuDefKey).Plays() > plays;
    accepted += took;
    EXPECT_TRUE(took || EffectPlays() == all) << "a refused key is silent";
  }
  EXPECT_EQ(std::tuple(accepted, menu_->DefKeyStep, events_.Screen, menu_->MenuItem),
            std::tuple(7, 0, InputScreen::Menu, MenuEntry::KeyBindings));
  const int expected[] = {'Q', MenuKeyCode::Up, MenuKeyCode::Enter, 'W', 'R', 'E', 'T'};
  GameKeys read = DefaultGameKeys();
  ReadControls(folder_ / "CT.dat", read, random_);
  for (int b = 1; b <= 7; ++b)
    EXPECT_EQ(std::pair(gameKey_(b), read(b)), std::pair(expected[b - 1], expected[b - 1])) << b;
  Tap(MenuKeyCode::Enter);  // a menu key again
  EXPECT_EQ(menu_->DefKeyStep, 1);
}

TEST_F(MenuFixture, AFrameThatFailsClosesItsSceneEnterOnTheFirstItemStartsAGameExitShutsDownCloseLeaves) {
  sprite_->Begin();  // the menu's own Begin fails inside its scene
  EXPECT_THROW(menu_->Frame(), std::logic_error);
  EXPECT_FALSE(device_->InScene());
  sprite_->End();
  sound.SoundLevel = 0;  // a volume step without a picture fails inside the batch
  source_.Press(MenuKeyCode::Down);
  EXPECT_THROW(menu_->Frame(), std::out_of_range);
  source_.Release(MenuKeyCode::Down);
  sound.SoundLevel = 5;
  EXPECT_NO_THROW(menu_->Frame());
  state_.GameScore = 77;
  state_.ChainScore = 5;
  menu_->MenuItem = MenuEntry::MusicVolume;
  source_.Press(MenuKeyCode::Enter);  // held from before: Run opens on item 1
  const int presents = device_->Presents();
  menu_->Run();
  EXPECT_EQ(std::pair(state_.GameScore + state_.ChainScore, device_->Presents()), std::pair(0, presents + 1));
  source_.ReleaseAll();
  menu_->Open();
  menu_->Frame();
  Tap(MenuKeyCode::Down);
  EXPECT_FALSE(Tap(MenuKeyCode::Enter));
  EXPECT_FALSE(Tap(MenuKeyCode::Up));
  EXPECT_TRUE(Tap(MenuKeyCode::Space));
  ScopedEndHookThrows ends;
  menu_->Open();
  Tap(MenuKeyCode::Up);
  EXPECT_THROW(Tap(MenuKeyCode::Enter), ProgramEndRequested);
  EXPECT_EQ(shutdowns_, 1);
  events_.QuitAtPump = events_.Pumps + 3;
  EXPECT_THROW(menu_->Run(), QuitRequest);
  EXPECT_EQ(shutdowns_, 1);
}

// catches: the menu otherwise before it, the idle time not reset, the menu changed, its ending press taken.
TEST_F(MenuFixture, TheDemonstrationComesAfterAMinuteWithoutAPressAndLeavesTheMenuAsItWas) {
  // A press of Down 30 s in, the window closed at stopAt: the frames, effects, item and time, and the shows.
  const auto run = [&](bool attract, std::uint32_t stopAt) {
    Pump pump;
    const std::uint32_t open = clock_.Ticks();
    const int presents = device_->Presents(), effects = EffectPlays();
    std::vector<std::uint32_t> shows;
    MenuEntry item{};
    pump.onPump = [&] {
      const std::uint32_t t = clock_.Ticks() - open;
      if (t >= 30000 && pump.inputs == 0) {
        source_.Press(MenuKeyCode::Down);
        ++pump.inputs;
      } else if (pump.inputs == 1) {
        source_.Release(MenuKeyCode::Down);
      }
      pump.quit = t >= stopAt;
    };
    std::optional<MainMenu> menu;
    const std::function<void()> show = [&] {
      shows.push_back(clock_.Ticks() - open);
      item = menu->MenuItem;
      source_.Press(MenuKeyCode::Enter);  // the press that ends it
      pump.inputs += 2;
      clock_.Advance(10000);
    };
    menu.emplace(Parts(pump, {}, attract ? show : nullptr), Layout());
    EXPECT_THROW(menu->Run(), QuitRequest);  // no game started, not even by the Enter
    EXPECT_TRUE(shows.empty() || menu->MenuItem == item);
    source_.ReleaseAll();
    return std::tuple(device_->Presents() - presents, EffectPlays() - effects, menu->MenuItem,
                      clock_.Ticks() - open, shows);
  };
  const auto plain = run(false, 89000);
  EXPECT_EQ(run(true, 89000), plain);
  const auto [presents, effects, item, end, shows] = run(true, 200000);
  ASSERT_EQ(shows.size(), 2u);
  EXPECT_LT(shows[0] - 90000u, 2u * 20) << shows[0];
  EXPECT_LT(shows[1] - (shows[0] + 10000 + AttractIdleMs), 2u * 20) << shows[1];
  EXPECT_EQ(item, std::get<2>(plain));
}

TEST_F(MenuFixture, TheIntrosHalvesMeetThenTheTitlePlaysScaledWithTheModeAcrossTheTickWrap) {
  const auto frames = Intro(1024, 768, 1.0f);
  ASSERT_GT(frames.size(), 40u);
  std::size_t sliding = 0;  // 10 pixels a side every 15 ms until 202 apart
  while (sliding < frames.size() && frames[sliding].draws.size() == 2) ++sliding;
  ASSERT_GT(sliding, 1u);
  EXPECT_EQ(std::tuple(frames[0].draws[0].translation.x, frames[0].draws[1].translation.x,
                       frames[1].draws[0].translation.x, frames[1].draws[1].translation.x,
                       frames[1].at - frames[0].at),
            std::tuple(0.0f, 824.0f, 10.0f, 814.0f, 15u));
  EXPECT_GE(frames[sliding].draws[0].translation.x + 202, frames[sliding].draws[1].translation.x);
  EXPECT_LT(frames[sliding - 1].draws[0].translation.x + 202, frames[sliding - 1].draws[1].translation.x);
  std::vector<int> tops;  // the strip: 8, 70, ..., 442 and holds, at 50 ms a frame
  for (std::size_t i = sliding; i < frames.size(); ++i) {
    ASSERT_EQ(frames[i].draws.size(), 3u);
    const auto& strip = frames[i].draws[2];
    EXPECT_EQ(std::tuple(strip.texture, strip.source.bottom - strip.source.top, strip.translation),
              std::tuple(ob_->Texture(), 62, D3DVECTOR2{512 - 210, 384 + 135}));
    tops.push_back(strip.source.top);
    EXPECT_TRUE(i + 1 == frames.size() || frames[i + 1].at - frames[i].at == 50u) << i;
  }
  EXPECT_EQ(tops.back(), 442);
  tops.resize(9);
  EXPECT_EQ(tops, (std::vector<int>{8, 70, 132, 194, 256, 318, 380, 442, 442}));
  EXPECT_EQ(waves(Effect::OkOpen).Plays(), 1);
  EXPECT_EQ(waves(Effect::OkOpen).Calls().front(), (Call{Call::SetVolume, -300}));

  SCOPED_TRACE("scaled with the screen mode, across the tick wrap");
  clock_ = VirtualClock(0xFFFFFFFFu - 3000);
  const auto small = Intro(640, 480, 0.625f);
  const auto& first = small.front().draws;
  EXPECT_EQ(std::tuple(first[1].translation.x, first[0].translation.y, first[0].scaling.x,
                       small[1].draws[0].translation.x, small.back().draws[2].translation.x),
            std::tuple(640 - 200 * 0.625f, 240 - 225 * 0.625f, 0.625f, 6.25f, 320 - 210 * 0.625f));
}

}  // namespace
}  // namespace quarnix
