#include "app/LoopBotGame.h"

#include <memory>

#include "app/BotKeyDriver.h"
#include "app/GameLoop.h"
#include "core/Clock.h"
#include "core/KeySource.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "game/SoundPlayer.h"
#include "input/Keys.h"
#include "storage/Controls.h"

namespace quarnix {

namespace {

// Stands in for the screen: checks the field at every frame it would draw.
class CheckingRenderer final : public IPlayRenderer {
 public:
  CheckingRenderer(const GameState& s, SimRecorder& recorder) : s_(s), recorder_(recorder) {}
  void RenderFrame() override { recorder_.Report(CheckFieldInvariants(s_, false), "frame"); }

 private:
  const GameState& s_;
  SimRecorder& recorder_;
};

// Feeds the loop's passes into the statistics.
class Statistics final : public IPlayObserver {
 public:
  Statistics(const GameState& s, SimRecorder& recorder, const BotKeyDriver& driver)
      : s_(s), recorder_(recorder), driver_(driver) {}
  void OnFrame() override {
    // The bot plans at most one piece a frame.
    if (driver_.Pieces() > recorder_.Stats().Pieces) recorder_.PiecePlaced();
  }
  void AfterLandingStep(const LandingResult& step, CellKind special) override {
    recorder_.AfterLandingStep(s_, step, special);
  }

 private:
  const GameState& s_;
  SimRecorder& recorder_;
  const BotKeyDriver& driver_;
};

}  // namespace

LoopGameResult PlayLoopBotGame(const BotGameOptions& options, IScoreStore& Scores) {
  auto state = std::make_unique<GameState>();
  GameState& s = *state;
  s.DeviceKind = options.DeviceKind;
  Rng random(options.GameSeed);
  SoundPlayer sound;  // no device: quiet, as a player without sound hears it
  GameRules rules(s, random, sound);
  rules.InitCubePos();
  VirtualClock clock;
  ScriptedKeySource source;
  Keys keys(source);
  keys.InitKeyTable();
  const GameKeys gameKey = DefaultGameKeys();

  SimRecorder recorder(options.GameSeed);
  CheckingRenderer renderer(s, recorder);
  RecordingCamera camera;
  ScriptedEventPump events;
  DisplayFlags shown;
  GameLoop loop(rules, sound, keys, gameKey, clock, {renderer, camera, events, Scores, shown, &recorder});
  BotKeyDriver driver(s, shown, keys, source, gameKey, options.BotSeed);
  driver.SetMaxPieces(options.MaxPieces);
  driver.SetName("BOT");
  Statistics statistics(s, recorder, driver);
  loop.AddObserver(&driver);
  loop.AddObserver(&statistics);

  const std::uint32_t start = clock.Ticks();
  const GameEnd end = loop.PlayGame();
  if (end == GameEnd::FieldFull) recorder.GameOver();
  LoopGameResult result;
  result.Stats = recorder.Stats();
  result.Frames = loop.Frames();
  result.VirtualMs = clock.Ticks() - start;
  result.Quit = end == GameEnd::Quit;
  return result;
}

}  // namespace quarnix
