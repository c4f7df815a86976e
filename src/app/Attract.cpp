#include "app/Attract.h"

#include <iostream>
#include <memory>

#include "app/BotKeyDriver.h"
#include "app/GameLoop.h"
#include "app/GameRecording.h"
#include "core/KeySource.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "input/Keys.h"

namespace quarnix {

namespace {

// The window's events, with the player's first press taken as a request to
// end the demonstration. Play never stops at the quit prompt here.
class AttractEvents final : public IEventPump {
 public:
  explicit AttractEvents(IEventPump& window) : window_(window), inputs_(window.InputCount()) {}
  void PumpEvents() override { window_.PumpEvents(); }
  bool QuitRequested() const override { return window_.QuitRequested() || Pressed(); }
  void SetScreen(InputScreen screen) override { window_.SetScreen(screen); }
  std::uint64_t InputCount() const override { return window_.InputCount(); }
  bool Pressed() const { return window_.InputCount() != inputs_; }

 private:
  IEventPump& window_;
  std::uint64_t inputs_;
};

}  // namespace

void PlayAttract(const AttractParts& parts, const Replay* replay, std::uint64_t botSeed) {
  AttractEvents events(parts.Window);
  const int cameraAt = parts.Camera.GetNowStaticPosition();
  const int deviceKind = parts.State.DeviceKind;
  Rng random(botSeed);
  GameRules rules(parts.State, random, parts.Sound);
  MemoryScoreStore scores;  // the player's table never sees it
  ScriptedKeySource source;
  std::unique_ptr<ReplayPlayer> player;
  if (replay) player = std::make_unique<ReplayPlayer>(*replay, events, &parts.Clock, 1);
  Keys keys(player ? player->KeySource() : source);
  keys.InitKeyTable();
  const GameKeys bindings = replay ? replay->Bindings : DefaultGameKeys();
  GameLoop loop(rules, parts.Sound, keys, bindings, player ? player->Clock() : parts.Clock,
                {parts.Renderer, parts.Camera, player ? player->Events() : events, scores, parts.View,
                 parts.GameEvents});
  std::unique_ptr<BotKeyDriver> bot;
  if (player) {
    player->Attach(random, keys, parts.State);
    loop.AddObserver(player.get());
  } else {
    bot = std::make_unique<BotKeyDriver>(parts.State, parts.Shown, keys, source, bindings, botSeed);
    bot->SetName("DEMO");
    loop.AddObserver(bot.get());
  }
  try {
    loop.PlayGame();
  } catch (const QuitRequest&) {
    if (parts.Window.QuitRequested()) throw;  // the window was closed: the program ends
  } catch (const ReplayError& e) {
    std::cerr << "quarnix: demonstration: " << e.what() << '\n';
  }
  parts.State.DeviceKind = deviceKind;
  parts.Camera.SetNowStaticPosition(cameraAt);
  parts.Camera.SetCam();
}

}  // namespace quarnix
