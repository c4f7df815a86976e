// The play screen's heaviest frame at 1024 x 768 on the OpenGL device: every
// cell of the well filled (special cubes and clearing cubes among them, so
// the see-through and boxed draws are there), the falling piece with its
// landing markers, 300 live star particles, the background and the whole HUD
// with the clear pop-up. Each frame is finished with glFinish, so the time is
// the renderer's whole work. The passes alone are measured too, to show where
// the time goes. Besides the wall time: caller_cpu_ms, the calling thread's
// CPU time in RenderFrame (what a GPU would leave on the CPU, plus the
// software renderer's vertex work), and all_cpu_ms, the CPU time of every
// thread per frame (the rasteriser's included; less disturbed by a busy
// machine than the wall time). Run from anywhere: the content comes from the
// built game folder. Headless: SDL_VIDEODRIVER=offscreen.

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "app/PlaySetup.h"
#include "core/Clock.h"
#include "core/Random.h"
#include "game/GameRules.h"
#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/NullGraphics.h"
#include "platform/TextureImage.h"
#include "presentation/GameAssets.h"
#include "presentation/HudLayout.h"
#include "presentation/RenderFrame.h"
#include "presentation/ScreenImages.h"
#include "toolkit/CamObject.h"

namespace quarnix {
namespace {

double CpuMs(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

enum Parts : int { Nothing = 0, Field = 1, Stars = 2, Background = 4, Hud = 8, All = 15 };

struct Screen {
  // On the OpenGL device, or without drawing (null: what the game's own code costs);
  // in the window as the game draws, or offscreen where the picture is read back.
  explicit Screen(int width, bool null = false, bool inWindow = false) {
    if (null)
      graphics = std::make_unique<NullGraphics>();
    else
      graphics = std::make_unique<GlGraphics>(GraphicsOptions{WindowMode::Hidden, "render bench", inWindow});
    mode = ScreenModeFor(width == 1024 ? 0 : width == 800 ? 1 : 2);
    // The device as play makes it, allocator settings included.
    if (!graphics->InitD3D() || CreatePlayDevice(*graphics, mode) == DeviceKindNone) return;
    IDevice& device = *graphics->Device();
    RegisterEmbeddedBitmaps();
    assets = std::make_unique<GameAssets>(device);
    const GameFolders folders = GameFolders::In(QUARNIX_GAME_DIR);
    LoadResourceAssets(*assets, folders);
    LoadScreenImages(*assets, folders.DataPath2);
    sprite = device.CreateSprite();
    cam = std::make_unique<CamObject>(device);
    cam->SetCamValue(0, 0, 0, 0, 14, -12, 0, 4, 0);
    cam->SetCam();
    rules.InitCubePos();
    rules.InitLevelTable();
    layout = SetupHudLayout(mode);
    renderer = std::make_unique<PlayRenderer>(*state, *assets, *sprite, random, blink, layout, mode);
  }

  // The heaviest state the rules can reach, for the parts asked for.
  void Fill(int parts) {
    GameState& s = *state;
    s.GameLevel = s.ScoreLevel = 3;
    s.GameScore = 12345;
    s.ChainScore = 678;
    s.MaxHeight = 10;
    ScreenState& v = renderer->Screen();
    for (Display part : {Display::PlayShow, Display::PieceShow}) v.Show(part, (parts & Field) != 0);
    v.Show(Display::BackShow, (parts & Background) != 0);
    for (Display part : {Display::PanelShow, Display::HudShow, Display::ClearShow})
      v.Show(part, (parts & Hud) != 0);
    s.ClearCount = 123;
    s.ChainCount = 2;
    using enum CellKind;
    const CellKind kinds[] = {Red,    Green,     Blue,  Yellow,     Red,     Green, Blue,
                              Yellow, FourColor, Stack, ClearLayer, Diamond, Tund,  CubeClear};
    int n = 0;
    for (int z = 1; z <= 10; ++z)
      for (int x = 1; x <= 5; ++x)
        for (int y = 1; y <= 5; ++y) s.CubeArray(x, y, z) = kinds[n++ % std::size(kinds)];
    for (int x = 2; x <= 4; ++x) s.NowCube(x, 3) = ColourKind(x);  // above the full well, as at game end
    s.NowCubeZ = 10;
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) s.NextCube(i, j) = ColourKind((i + j) % 4 + 1);
  }
  // 300 stars spread over the well, all alive.
  void Sparkle(bool on) {
    ScreenState& v = renderer->Screen();
    v.Show(Display::EffectShow, on);
    v.EffectKind = CellKind::Stack;
    v.ParticleCount = on ? MaxParticles : 0;
    for (int i = 1; i <= MaxParticles; ++i)
      v.Particle(i) = {static_cast<float>(i % 11) - 5.0f,
                       static_cast<float>(i % 7),
                       static_cast<float>(i % 13) - 6.0f,
                       0.01f,
                       0.02f,
                       0.0f,
                       1000};
  }
  bool Ready() const { return renderer != nullptr; }

  // The picture on the GL device: RGBA rows.
  std::vector<std::uint8_t> Picture() { return graphics->Device()->ReadPixels(); }
  void Finish() {
    if (auto* gl = dynamic_cast<GlGraphics*>(graphics.get())) gl->Finish();
  }

  std::unique_ptr<IGraphics> graphics;
  ScreenMode mode;
  std::unique_ptr<GameState> state = std::make_unique<GameState>();
  Rng random{3};
  SoundPlayer sound;
  GameRules rules{*state, random, sound};
  VirtualClock clock{10000};
  BlinkTimer blink{clock};
  HudLayout layout;
  std::unique_ptr<GameAssets> assets;
  std::unique_ptr<ISprite> sprite;
  std::unique_ptr<CamObject> cam;
  std::unique_ptr<PlayRenderer> renderer;
};

// The third frame from a fresh start, drawn in the draw order or in the reference order.
std::vector<std::uint8_t> ThirdFrame(int parts, int width, bool reference) {
  Screen screen(width);
  if (!screen.Ready()) return {};
  screen.renderer->SetReferenceOrder(reference);
  screen.Fill(parts);
  for (int frame = 0; frame < 3; ++frame) {
    screen.Sparkle((parts & Stars) != 0);
    screen.renderer->RenderFrame();
  }
  return screen.Picture();
}

// The pixels the draw order changes against the reference order (0: the same picture).
int PixelsOffReference(int parts, int width) {
  const std::vector<std::uint8_t> fast = ThirdFrame(parts, width, false),
                                  reference = ThirdFrame(parts, width, true);
  if (fast.size() != reference.size()) return -1;
  int off = 0;
  for (std::size_t i = 0; i < fast.size(); i += 4) off += !std::equal(&fast[i], &fast[i] + 3, &reference[i]);
  return off;
}

void BM_PlayScreen(benchmark::State& bench) {
  const int parts = static_cast<int>(bench.range(0));
  const int off = PixelsOffReference(parts, static_cast<int>(bench.range(1)));
  const char* shots = std::getenv("QUARNIX_BENCH_SHOTS");  // read back after Present: offscreen
  Screen screen(static_cast<int>(bench.range(1)), false, !shots && !std::getenv("QUARNIX_OFFSCREEN"));
  if (!screen.Ready()) {
    bench.SkipWithError("no OpenGL device (headless: SDL_VIDEODRIVER=offscreen)");
    return;
  }
  screen.Fill(parts);
  for (int warm = 0; warm < 3; ++warm) {
    screen.Sparkle((parts & Stars) != 0);
    screen.renderer->RenderFrame();
  }
  screen.Finish();
  // QUARNIX_BENCH_SHOTS=DIR keeps a picture of each measured frame, to see what is timed.
  if (const char* dir = shots)
    SaveScreenshot(*screen.graphics->Device(), std::string(dir) + "/parts" + std::to_string(parts) + "-" +
                                                   std::to_string(bench.range(1)) + ".png");
  // How many pixels the rasteriser shaded: the cost on a software renderer
  // follows this more than the number of draws.
  double fragments = -1;
  if (epoxy_has_gl_extension("GL_ARB_pipeline_statistics_query")) {
    GLuint query = 0;
    glGenQueries(1, &query);
    screen.Sparkle((parts & Stars) != 0);
    glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, query);
    screen.renderer->RenderFrame();
    glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
    GLuint64 count = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    fragments = static_cast<double>(count);
  }
  double caller = 0, all = 0;
  for (auto _ : bench) {
    bench.PauseTiming();
    screen.Sparkle((parts & Stars) != 0);  // the same 300 stars every frame
    screen.renderer->Screen().PopupRise = 0;
    bench.ResumeTiming();
    const double thread0 = CpuMs(CLOCK_THREAD_CPUTIME_ID), process0 = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    screen.renderer->RenderFrame();
    caller += CpuMs(CLOCK_THREAD_CPUTIME_ID) - thread0;
    screen.Finish();
    all += CpuMs(CLOCK_PROCESS_CPUTIME_ID) - process0;
  }
  const auto frames = static_cast<double>(bench.iterations());
  bench.counters["caller_cpu_ms"] = caller / frames;
  bench.counters["pixels_off_reference"] = off;
  bench.counters["all_cpu_ms"] = all / frames;
  const FrameCounts& c = screen.renderer->LastFrame();
  bench.counters["mesh_draws"] = c.MeshDraws;
  bench.counters["subset_draws"] = c.SubsetDraws;
  bench.counters["sprite_draws"] = c.SpriteDraws;
  if (fragments >= 0) bench.counters["fragments"] = fragments;
}

BENCHMARK(BM_PlayScreen)
    ->ArgNames({"parts", "width"})
    ->Args({All, 1024})
    ->Args({Field, 1024})
    ->Args({Stars, 1024})
    ->Args({Background, 1024})
    ->Args({Hud, 1024})
    ->Args({Nothing, 1024})  // clear and present: the floor of every frame
    ->Args({All, 640})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// The heaviest frame's own CPU work, without a device: the passes, the draw
// order, the mesh objects' transforms. On a GPU this and the driver's calls
// are the CPU side of a frame.
void BM_PlayScreenCodeOnly(benchmark::State& bench) {
  Screen screen(1024, true);
  if (!screen.Ready()) {
    bench.SkipWithError("the null device failed");
    return;
  }
  screen.Fill(All);
  for (auto _ : bench) {
    bench.PauseTiming();
    screen.Sparkle(true);
    screen.renderer->Screen().PopupRise = 0;
    bench.ResumeTiming();
    screen.renderer->RenderFrame();
  }
}

BENCHMARK(BM_PlayScreenCodeOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace quarnix
BENCHMARK_MAIN();
