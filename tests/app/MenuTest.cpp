// The intro and the main menu on the null device, with scripted keys, a
// virtual clock and recording sound buffers.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../toolkit/ToolkitTestUtil.h"
#include "app/Intro.h"
#include "app/Menu.h"
#include "core/ProgramEnd.h"
#include "platform/NullGraphics.h"

namespace quarnix {
namespace {

namespace fs = std::filesystem;
using Call = RecordingSoundBuffer::Call;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Screen modes and the menu origin worked out by hand:
// x = W \ 2 - R(640 r) \ 2, y = H \ 2 - R(480 r) \ 2.
TEST(MenuLayoutTest, FrameIsCentredAndScaledInEachMode) {
  struct Mode {
    int w, h;
    float r;
    int x, y;
  };
  for (const Mode m : {Mode{1024, 768, 1.0f, 192, 144}, Mode{800, 600, 0.78125f, 150, 113},
                       Mode{640, 480, 0.625f, 120, 90}}) {
    const MenuLayout L = SetupMenuLayout(m.w, m.h, m.r);
    EXPECT_EQ(L.MenuOriginX, m.x) << m.w;
    EXPECT_EQ(L.MenuOriginY, m.y) << m.w;
    // The frame's far corner lands inside the screen, symmetric about its middle.
    const D3DVECTOR2 far = L.At(640, 480);
    EXPECT_NEAR(far.x + m.x, m.w, 1.0f);
    EXPECT_NEAR(far.y + m.y, m.h, 1.0f);
  }
}

TEST(MenuLayoutTest, KeyNamesSitAroundTheBindingPanel) {
  // At 1024 x 768 the panel's corner P = (427, 96) in the frame is (619, 240) on screen.
  const MenuLayout L = SetupMenuLayout(1024, 768, 1.0f);
  EXPECT_TRUE(SameRect(L.KeyNameRect(1), RECT{619 - 65, 240 + 18, 619 + 5, 240 + 33}));
  EXPECT_TRUE(SameRect(L.KeyNameRect(2), RECT{619 + 100, 240 + 18, 619 + 170, 240 + 33}));
  const int tops[] = {-20, 60, 140, 218, 300};
  for (int k = 3; k <= 7; ++k) {
    const int t = tops[k - 3];
    EXPECT_TRUE(SameRect(L.KeyNameRect(k), RECT{619 + 18, 240 + t, 619 + 88, 240 + t + 15})) << k;
  }
}

TEST(MenuLayoutTest, ScoreRowsTouchWithoutOverlapping) {
  const MenuLayout L = SetupMenuLayout(1024, 768, 1.0f);
  // Row 1: frame y 40..59, names from x 329 to 540.
  EXPECT_TRUE(SameRect(L.ScoreNameRect(1), RECT{192 + 329, 144 + 40, 192 + 540, 144 + 59}));
  EXPECT_TRUE(SameRect(L.ScoreValueRect(20), RECT{192 + 540, 144 + 420, 192 + 590, 144 + 439}));
  EXPECT_TRUE(SameRect(L.ScoreLevelRect(7), RECT{192 + 606, 144 + 160, 192 + 625, 144 + 179}));
  // At 800 x 600 rows are 15.625 pixels apart: rounding must never open a gap or overlap.
  const MenuLayout S = SetupMenuLayout(800, 600, 0.78125f);
  EXPECT_EQ(S.ScoreNameRect(1).top, 113 + 31);  // 31.25 rounds down
  for (int i = 1; i < TableLength; ++i)
    EXPECT_EQ(S.ScoreNameRect(i).bottom + 1, S.ScoreNameRect(i + 1).top) << i;
}

TEST(MenuLayoutTest, SheetPictures) {
  EXPECT_TRUE(SameRect(MenuSheet::Volume(1), RECT{481, 838, 491, 1016}));
  EXPECT_TRUE(SameRect(MenuSheet::Volume(9), RECT{481, 838, 579, 1016}));
  EXPECT_THROW(MenuSheet::Volume(0), std::out_of_range);
  EXPECT_THROW(MenuSheet::Volume(10), std::out_of_range);
  EXPECT_THROW(MenuSheet::Page(4), std::out_of_range);
}

// Everything the menu and the intro need, headless.
class MenuFixture : public ::testing::Test {
 protected:
  MenuFixture() {
    graphics_.InitDevice(1024, 768, 1, 0x505050);
    device_ = graphics_.Null();
    sprite_ = device_->CreateSprite();
    font_ = device_->CreateFont(FontDesc{});
    folder_ = fs::temp_directory_path() / ("quarnix-menu-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    back_ = std::make_unique<XObject>(*device_);
    back_->LoadXFile(test::WriteMesh(folder_ / "back.car", test::SquareMesh()), 1, "", 0, 0, 1);
    screenME_ = std::make_unique<ScreenObject>(*device_);
    screenME_->CreateEmptyTexture(64, 0);
    keys_.InitKeyTable();
    sound_.SoundOn = 1;
    for (int i = 1; i <= EffectCount; ++i) sound_.WaveBuffer(i) = &waves_(i);
    for (int i = 1; i <= MusicCount; ++i) sound_.MusicBuffer(i) = &music_(i);
    gameKey_ = DefaultGameKeys();
    menu_ = std::make_unique<MainMenu>(
        MenuParts{*device_, *sprite_, *font_, *screenME_, *back_, keys_, sound_, state_, gameKey_, scores_,
                  clock_, events_, blink_, folder_ / "CT.dat", random_,
                  [this] {
                    ++shutdowns_;
                    EndProgram(0);
                  }},
        SetupMenuLayout(1024, 768, 1.0f));
    menu_->Open();
  }
  ~MenuFixture() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  // One frame with the key held; then a frame that sees it up, so the next
  // tap of the same key counts again.
  bool Tap(int vk) {
    source_.Press(vk);
    const bool started = menu_->Frame();
    source_.Release(vk);
    if (!started) menu_->Frame();
    return started;
  }
  RecordingSoundBuffer& Wave(Effect i) { return waves_(i); }
  RecordingSoundBuffer& Track(Music i) { return music_(i); }
  int PlaysOfAnyEffect() const {
    int n = 0;
    for (const auto& w : waves_) n += w.Plays();
    return n;
  }
  const NullDevice::SpriteDraw* DrawOf(const RECT& source) const {
    for (const auto& d : device_->SpriteDraws())
      if (SameRect(d.source, source)) return &d;
    return nullptr;
  }

  NullGraphics graphics_;
  NullDevice* device_ = nullptr;
  std::unique_ptr<ISprite> sprite_;
  std::unique_ptr<IFont> font_;
  fs::path folder_;
  std::unique_ptr<XObject> back_;
  std::unique_ptr<ScreenObject> screenME_;
  ScriptedKeySource source_;
  Keys keys_{source_};
  FixedArray<RecordingSoundBuffer, EffectCount> waves_;
  FixedArray<RecordingSoundBuffer, MusicCount> music_;
  SoundPlayer sound_;
  GameState state_;
  GameKeys gameKey_;
  ScoreTable scores_;
  VirtualClock clock_{1000};
  ScriptedEventPump events_;
  BlinkTimer blink_{clock_};
  Rng random_{7};
  int shutdowns_ = 0;
  std::unique_ptr<MainMenu> menu_;
};

TEST_F(MenuFixture, CursorWrapsAndEachMoveClicks) {
  Tap(MenuKeyCode::Up);
  EXPECT_EQ(menu_->MenuItem, MenuEntry::Exit);
  Tap(MenuKeyCode::Down);
  EXPECT_EQ(menu_->MenuItem, MenuEntry::Start);
  Tap(MenuKeyCode::Up);
  Tap(MenuKeyCode::Up);
  EXPECT_EQ(menu_->MenuItem, MenuEntry::BestResults);
  // Four moves, four clicks at the cursor volume less three dB for the ninth step.
  const auto& calls = Wave(Effect::OkMenuSelect).Calls();
  EXPECT_EQ(Wave(Effect::OkMenuSelect).Plays(), 4);
  EXPECT_EQ(calls.front(), (Call{Call::SetVolume, -1000 - 300}));
  // The cursor bar follows the item: 35 frame pixels a row under y 120.
  const auto* bar = DrawOf(MenuSheet::CursorBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->translation.y, 144 + 120 + 35 * 5);
  EXPECT_EQ(bar->texture, screenME_->Texture());
  EXPECT_EQ(bar->colour, MenuSheetColour);
}

TEST_F(MenuFixture, AFrameThatFailsClosesItsSceneAndSpriteBatch) {
  // A batch left open makes the menu's own Begin fail inside its scene.
  sprite_->Begin();
  EXPECT_THROW(menu_->Frame(), std::logic_error);
  EXPECT_FALSE(device_->InScene());
  sprite_->End();
  // A volume step without a picture fails inside the batch.
  sound_.SoundLevel = 0;
  source_.Press(40);  // Down: the effect volume
  EXPECT_THROW(menu_->Frame(), std::out_of_range);
  source_.Release(40);
  sound_.SoundLevel = 5;
  EXPECT_NO_THROW(menu_->Frame());
}

TEST_F(MenuFixture, FramesKeepTheirFloorAndDrawTheBackground) {
  const std::uint32_t start = clock_.Ticks();
  for (int i = 0; i < 10; ++i) menu_->Frame();
  EXPECT_EQ(clock_.Ticks() - start, 200u);
  ASSERT_EQ(device_->MeshDraws().size(), 1u);
  // The background stands at (0, 8, 0): the world's translation row.
  EXPECT_FLOAT_EQ(device_->MeshDraws()[0].world.m[3][1], 8.0f);
  // The light for the next frame's background.
  ASSERT_TRUE(device_->Lights().count(1));
  EXPECT_TRUE(device_->Lights().at(1).enabled);
  EXPECT_FLOAT_EQ(device_->Lights().at(1).light.Direction.z, -1.0f);
}

TEST_F(MenuFixture, EveryFrameIsDrawnAndShownWithTheSwayMoved) {
  for (int i = 0; i < 10; ++i) {
    const int presents = device_->Presents();
    const float u = back_->Mesh()->LockVertexBuffer()[0].tu;
    back_->Mesh()->UnlockVertexBuffer();
    menu_->Frame();
    EXPECT_EQ(device_->Presents(), presents + 1) << "frame " << i;
    EXPECT_NE(back_->Mesh()->LockVertexBuffer()[0].tu, u) << "frame " << i;
    back_->Mesh()->UnlockVertexBuffer();
  }
}

TEST_F(MenuFixture, VolumeStepsStopAtTheEnds) {
  Tap(MenuKeyCode::Down);  // item 2: effects
  const int clicks = Wave(Effect::OkMenuSelect).Plays();
  Tap(MenuKeyCode::Right);
  EXPECT_EQ(sound_.SoundLevel, 9);
  EXPECT_EQ(Wave(Effect::OkMenuSelect).Plays(), clicks);  // nothing changed, nothing to hear
  for (int i = 0; i < 10; ++i) Tap(MenuKeyCode::Left);
  EXPECT_EQ(sound_.SoundLevel, 1);
  // Eight real steps; at step 1 effects are silent, so the last click is not heard.
  EXPECT_EQ(Wave(Effect::OkMenuSelect).Plays(), clicks + 7);
  const auto* bar = DrawOf(MenuSheet::Volume(1));
  ASSERT_NE(bar, nullptr);
  EXPECT_FLOAT_EQ(bar->translation.x, 192 + 430);
  Tap(MenuKeyCode::Right);
  EXPECT_EQ(sound_.SoundLevel, 2);
  EXPECT_EQ(sound_.MusicLevel, 9);  // the other item's step is untouched
}

TEST_F(MenuFixture, MusicStepRestartsThePlayingTrack) {
  sound_.PlayMusic(Music::Menu, PlayFlag::Looping, 0);
  Tap(MenuKeyCode::Down);
  Tap(MenuKeyCode::Down);  // item 3: music
  Track(Music::Menu).ClearCalls();
  Tap(MenuKeyCode::Right);  // already 9
  EXPECT_EQ(Track(Music::Menu).Plays(), 1);
  EXPECT_TRUE(Track(Music::Menu).Calls().empty());
  Tap(MenuKeyCode::Left);
  EXPECT_EQ(sound_.MusicLevel, 8);
  // The track starts again, looping, at the new step's volume.
  ASSERT_EQ(Track(Music::Menu).Plays(), 2);
  EXPECT_TRUE(Track(Music::Menu).Looping());
  EXPECT_EQ(Track(Music::Menu).Volume(), -(10 - 8) * 300);
  EXPECT_EQ(sound_.SoundLevel, 9);
}

TEST_F(MenuFixture, RedefinitionTakesSevenDistinctKeysInDisplayOrderAndSavesThem) {
  for (int i = 0; i < 3; ++i) Tap(MenuKeyCode::Down);  // item 4
  const int clicks = Wave(Effect::OkMenuSelect).Plays();
  Tap(MenuKeyCode::Enter);
  EXPECT_EQ(menu_->DefKeyStep, 1);
  EXPECT_EQ(events_.Screen, InputScreen::KeyRedefinition);  // a gamepad presses nothing now
  EXPECT_EQ(Wave(Effect::OkMenuSelect).Plays(), clicks + 1);
  EXPECT_EQ(Wave(Effect::OkMenuSelect).Volume(), -1200 - 300);
  // Menu keys can be bound too; 'Q' twice: the second is refused silently.
  const int keysPressed[] = {'Q', 'Q', MenuKeyCode::Up, MenuKeyCode::Enter, 'W', 'E', 'R', 'T'};
  int accepted = 0;
  for (int vk : keysPressed) {
    const int plays = Wave(Effect::OkMenuDefKey).Plays(), all = PlaysOfAnyEffect();
    Tap(vk);
    if (Wave(Effect::OkMenuDefKey).Plays() > plays)
      ++accepted;
    else
      EXPECT_EQ(PlaysOfAnyEffect(), all) << "a refused key is silent";
  }
  EXPECT_EQ(accepted, 7);
  EXPECT_EQ(menu_->DefKeyStep, 0);
  EXPECT_EQ(events_.Screen, InputScreen::Menu);
  EXPECT_EQ(menu_->MenuItem, MenuEntry::KeyBindings);  // Up was a binding, not a cursor move
  // Shown order 1, 2, 3, 4, 6, 5, 7: the fifth key pressed turns, the sixth drops.
  const GameKeys expected = [] {
    GameKeys k;
    k(1) = 'Q', k(2) = MenuKeyCode::Up, k(3) = MenuKeyCode::Enter, k(4) = 'W', k(6) = 'E', k(5) = 'R',
    k(7) = 'T';
    return k;
  }();
  for (int b = 1; b <= 7; ++b) EXPECT_EQ(gameKey_(b), expected(b)) << b;
  GameKeys read = DefaultGameKeys();
  ReadControls(folder_ / "CT.dat", read, random_);
  for (int b = 1; b <= 7; ++b) EXPECT_EQ(read(b), expected(b)) << b;
  // With the redefinition over, Enter is a menu key again.
  Tap(MenuKeyCode::Enter);
  EXPECT_EQ(menu_->DefKeyStep, 1);
}

TEST_F(MenuFixture, KeyNamesShowAndTheWaitingOneBlinks) {
  for (int i = 0; i < 3; ++i) Tap(MenuKeyCode::Down);
  menu_->Frame();
  ASSERT_EQ(device_->TextDraws().size(), 7u);
  const MenuLayout L = SetupMenuLayout(1024, 768, 1.0f);
  // Fifth shown entry is binding 6, the turn key ("Z" by default).
  EXPECT_EQ(device_->TextDraws()[4].text, KeyName(DefaultGameKeys()(6)));
  EXPECT_TRUE(SameRect(device_->TextDraws()[4].rect, L.KeyNameRect(5)));
  EXPECT_EQ(device_->TextDraws()[4].format & DT_CENTER, static_cast<std::uint32_t>(DT_CENTER));
  Tap(MenuKeyCode::Enter);
  // Over a second the first entry shows both colours; the others stay steady.
  std::vector<D3DCOLOR> first, second;
  for (int i = 0; i < 60; ++i) {
    menu_->Frame();
    first.push_back(device_->TextDraws()[0].colour);
    second.push_back(device_->TextDraws()[1].colour);
  }
  EXPECT_NE(std::count(first.begin(), first.end(), KeyNameColour), 0);
  EXPECT_NE(std::count(first.begin(), first.end(), KeyNameBlinkColour), 0);
  EXPECT_EQ(std::count(second.begin(), second.end(), KeyNameColour), 60);
}

TEST_F(MenuFixture, ScoreTableHidesEmptyRows) {
  scores_(1) = ScoreRec{StoredName("ANNA"), 420, 7, 1};
  scores_(2) = ScoreRec{StoredName("BO"), 35, 1, 2};
  scores_(4) = ScoreRec{StoredName("CY"), 5, 1, 4};    // row 3 empty
  for (int i = 0; i < 5; ++i) Tap(MenuKeyCode::Down);  // item 6
  ASSERT_EQ(device_->TextDraws().size(), 9u);
  const auto& t = device_->TextDraws();
  EXPECT_EQ(t[0].text, "ANNA");
  EXPECT_EQ(t[1].text, "420");
  EXPECT_EQ(t[2].text, "7");
  EXPECT_EQ(t[6].text, "CY");
  const MenuLayout L = SetupMenuLayout(1024, 768, 1.0f);
  EXPECT_TRUE(SameRect(t[6].rect, L.ScoreNameRect(4)));  // keeps its own row
  EXPECT_EQ(t[6].colour, 0xA0FF0000u + 2815u * 4);
  EXPECT_EQ(t[0].format & DT_RIGHT, 0u);
  EXPECT_EQ(t[1].format & DT_RIGHT, static_cast<std::uint32_t>(DT_RIGHT));
  EXPECT_NE(DrawOf(MenuSheet::ScoreTitle), nullptr);
  EXPECT_EQ(DrawOf(MenuSheet::EnterHint), nullptr);
  EXPECT_EQ(DrawOf(MenuSheet::LeftRightHint), nullptr);
}

TEST_F(MenuFixture, HelpPagesTurnBothWays) {
  for (int i = 0; i < 4; ++i) Tap(MenuKeyCode::Down);  // item 5
  EXPECT_EQ(menu_->MenuPage, 1);
  Tap(MenuKeyCode::Right);
  Tap(MenuKeyCode::Enter);
  EXPECT_EQ(menu_->MenuPage, 3);
  // Page 3 is centred on (480, 220): 249 x 399 pixels.
  const auto* page = DrawOf(MenuSheet::Page(3));
  ASSERT_NE(page, nullptr);
  EXPECT_FLOAT_EQ(page->translation.x, 192 + 480 - 124);
  EXPECT_FLOAT_EQ(page->translation.y, 144 + 220 - 199);
  Tap(MenuKeyCode::Space);
  EXPECT_EQ(menu_->MenuPage, 1);
  Tap(MenuKeyCode::Left);
  EXPECT_EQ(menu_->MenuPage, 3);
  EXPECT_NE(DrawOf(MenuSheet::LeftRightHint), nullptr);
}

TEST_F(MenuFixture, EnterOnTheFirstItemStartsAGame) {
  state_.GameScore = 77;
  state_.ChainScore = 5;
  menu_->MenuItem = MenuEntry::MusicVolume;
  source_.Press(MenuKeyCode::Enter);  // held from before: Run opens on item 1
  menu_->Run();
  EXPECT_EQ(state_.GameScore, 0);
  EXPECT_EQ(state_.ChainScore, 0);
  EXPECT_EQ(device_->Presents(), 1);
  // Enter elsewhere does not start a game.
  source_.ReleaseAll();
  menu_->Open();
  menu_->Frame();
  Tap(MenuKeyCode::Down);
  EXPECT_FALSE(Tap(MenuKeyCode::Enter));
  EXPECT_FALSE(Tap(MenuKeyCode::Up));
  EXPECT_TRUE(Tap(MenuKeyCode::Space));
}

TEST_F(MenuFixture, ExitItemRunsTheShutdown) {
  ScopedEndHookThrows ends;
  Tap(MenuKeyCode::Up);
  EXPECT_EQ(shutdowns_, 0);
  EXPECT_THROW(Tap(MenuKeyCode::Enter), ProgramEndRequested);
  EXPECT_EQ(shutdowns_, 1);
}

TEST_F(MenuFixture, CloseRequestLeavesTheMenu) {
  events_.QuitAtPump = events_.Pumps + 3;
  EXPECT_THROW(menu_->Run(), QuitRequest);
  EXPECT_EQ(shutdowns_, 0);
}

// --- The intro.

class IntroFixture : public MenuFixture {
 protected:
  struct Frame {
    std::uint32_t at;
    std::vector<NullDevice::SpriteDraw> draws;
  };
  // Runs the intro, recording each frame's sprite draws as it is presented.
  std::vector<Frame> Run(int w, int h, float r) {
    graphics_.InitDevice(w, h, 1, 0x505050);
    device_ = graphics_.Null();
    sprite_ = device_->CreateSprite();
    oa_ = std::make_unique<ScreenObject>(*device_);
    ob_ = std::make_unique<ScreenObject>(*device_);
    oa_->CreateEmptyTexture(16, 0);
    ob_->CreateEmptyTexture(16, 0);
    std::vector<Frame> frames;
    struct Recorder final : IEventPump {
      std::function<void()> f;
      void PumpEvents() override { f(); }
      bool QuitRequested() const override { return false; }
    } recorder;
    std::uint32_t last = clock_.Ticks();
    recorder.f = [&] {
      frames.push_back({last, device_->SpriteDraws()});
      last = clock_.Ticks();
    };
    ShowIntro(IntroParts{*device_, *sprite_, *oa_, *ob_, sound_, clock_, recorder}, IntroScreen{w, h, r});
    return frames;
  }
  std::unique_ptr<ScreenObject> oa_, ob_;
};

TEST_F(IntroFixture, HalvesMeetThenTheTitlePlays) {
  const std::uint32_t start = clock_.Ticks();
  const auto frames = Run(1024, 768, 1.0f);
  ASSERT_GT(frames.size(), 40u);
  // Ends with the first frame that began six seconds in.
  EXPECT_GE(frames.back().at, start + 6000);
  EXPECT_LT(frames[frames.size() - 2].at, start + 6000);
  // Sliding: 10 pixels a side every 15 ms until the halves are 202 apart.
  int sliding = 0;
  for (const auto& f : frames) {
    if (f.draws.size() != 2) break;
    ++sliding;
  }
  ASSERT_GT(sliding, 1);
  EXPECT_FLOAT_EQ(frames[0].draws[0].translation.x, 0);
  EXPECT_FLOAT_EQ(frames[0].draws[1].translation.x, 824);
  EXPECT_FLOAT_EQ(frames[1].draws[0].translation.x, 10);
  EXPECT_FLOAT_EQ(frames[1].draws[1].translation.x, 814);
  EXPECT_EQ(frames[1].at - frames[0].at, 15u);
  const auto& met = frames[static_cast<std::size_t>(sliding)].draws;
  EXPECT_GE(met[0].translation.x + 202, met[1].translation.x);
  EXPECT_LT(frames[static_cast<std::size_t>(sliding) - 1].draws[0].translation.x + 202,
            frames[static_cast<std::size_t>(sliding) - 1].draws[1].translation.x);
  // Then the strip plays 8, 70, ..., 380, 442 and holds, at 50 ms a frame.
  std::vector<int> tops;
  for (std::size_t i = static_cast<std::size_t>(sliding); i < frames.size(); ++i) {
    ASSERT_EQ(frames[i].draws.size(), 3u);
    const auto& strip = frames[i].draws[2];
    EXPECT_EQ(strip.texture, ob_->Texture());
    EXPECT_EQ(strip.source.bottom - strip.source.top, 62);
    EXPECT_FLOAT_EQ(strip.translation.x, 512 - 210);
    EXPECT_FLOAT_EQ(strip.translation.y, 384 + 135);
    tops.push_back(strip.source.top);
    if (i + 1 < frames.size()) {
      EXPECT_EQ(frames[i + 1].at - frames[i].at, 50u);
    }
  }
  const std::vector<int> animation{8, 70, 132, 194, 256, 318, 380, 442, 442};
  ASSERT_GE(tops.size(), animation.size());
  EXPECT_TRUE(std::equal(animation.begin(), animation.end(), tops.begin()));
  EXPECT_EQ(tops.back(), 442);
  // One chime, at full volume, when they meet.
  EXPECT_EQ(Wave(Effect::OkOpen).Plays(), 1);
  EXPECT_EQ(Wave(Effect::OkOpen).Calls().front(), (Call{Call::SetVolume, -300}));
}

TEST_F(IntroFixture, ScalesWithTheScreenModeAndRunsAcrossTheTickWrap) {
  clock_ = VirtualClock(0xFFFFFFFFu - 3000);  // the tick counter wraps halfway
  const auto frames = Run(640, 480, 0.625f);
  ASSERT_GT(frames.size(), 40u);
  EXPECT_GE(frames.back().at - frames.front().at, 6000u);
  EXPECT_LT(frames[frames.size() - 2].at - frames.front().at, 6000u);
  const auto& first = frames.front().draws;
  EXPECT_FLOAT_EQ(first[1].translation.x, 640 - 200 * 0.625f);
  EXPECT_FLOAT_EQ(first[0].translation.y, 240 - 225 * 0.625f);
  EXPECT_FLOAT_EQ(first[0].scaling.x, 0.625f);
  EXPECT_FLOAT_EQ(frames[1].draws[0].translation.x, 6.25f);
  EXPECT_FLOAT_EQ(frames.back().draws[2].translation.x, 320 - 210 * 0.625f);
}

}  // namespace
}  // namespace quarnix
