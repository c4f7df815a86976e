// One frame as heavy as a full play screen, at 1024 x 768: 600 mesh subsets
// (a well of 5 x 5 x 10 boxes of two subsets each, 25 floor tiles of two subsets,
// 49 additive star quads and a background) and 300 sprites from a HUD sheet,
// finished with glFinish so the time is the renderer's whole work. The parts
// alone, the 640 x 480 mode and the draws without their pixels are measured too.

#include <benchmark/benchmark.h>

#include <cmath>

#include "platform/D3DXMath.h"
#include "platform/GlGraphics.h"
#include "platform/InitDirect3D.h"
#include "platform/TextureImage.h"

namespace quarnix {
namespace {

// A box of half-sizes (hx, hy, hz): sides are subset 0, top and bottom subset 1.
std::unique_ptr<IMesh> MakeBox(IDevice& device, float hx, float hy, float hz) {
  std::vector<D3DVERTEX> v;
  std::vector<std::uint32_t> idx, attr;
  const float n[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (const auto& f : n) {
    const float a[3] = {f[1] != 0 || f[2] != 0 ? 1.0f : 0.0f, 0, f[0] != 0 ? 1.0f : 0.0f};
    const float b[3] = {0, f[1] != 0 ? 0.0f : 1.0f, f[1] != 0 ? 1.0f : 0.0f};
    const auto base = static_cast<std::uint32_t>(v.size());
    for (int k = 0; k < 4; ++k) {
      const float s = (k == 1 || k == 2) ? 1.0f : -1.0f, t = k >= 2 ? 1.0f : -1.0f;
      v.push_back({hx * (f[0] + s * a[0] + t * b[0]), hy * (f[1] + s * a[1] + t * b[1]),
                   hz * (f[2] + s * a[2] + t * b[2]), f[0], f[1], f[2], (s + 1) / 2, (t + 1) / 2});
    }
    idx.insert(idx.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    const std::uint32_t subset = f[1] != 0 ? 1 : 0;
    attr.insert(attr.end(), {subset, subset});
  }
  return device.CreateMesh(v, idx, attr);
}

std::unique_ptr<IMesh> MakeQuad(IDevice& device, float half) {
  std::vector<D3DVERTEX> v = {{-half, -half, 0, 0, 0, -1, 0, 1},
                              {-half, half, 0, 0, 0, -1, 0, 0},
                              {half, half, 0, 0, 0, -1, 1, 0},
                              {half, -half, 0, 0, 0, -1, 1, 1}};
  return device.CreateMesh(v, {0, 1, 2, 0, 2, 3}, {0, 0});
}

std::shared_ptr<ITexture> Pattern(IDevice& device, int size, std::uint32_t tint) {
  Image image{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size) * size)};
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.Argb[y * size + x] = ((x / 8 + y / 8) % 2) ? tint : 0xFF202020;
  return CreateTextureFromImage(device, image, D3DX_FILTER_NONE, 0);
}

void BM_PlayScreenFrame(benchmark::State& state) {
  const int subsetsOn = static_cast<int>(state.range(0)), sprites = static_cast<int>(state.range(1));
  const int width = static_cast<int>(state.range(2));
  // far: the same draws seen from 100 times as far, so they cover almost no
  // pixels: what is left is the cost per draw rather than per pixel.
  const bool far = state.range(3) != 0;
  GlGraphics graphics(GraphicsOptions{WindowMode::Hidden, "bench"});
  if (!graphics.InitD3D() || graphics.InitDevice(width, width * 3 / 4, 1, 0x505050) == DeviceKindNone) {
    state.SkipWithError("no GL device");
    return;
  }
  IDevice& d = *graphics.Device();
  SetProjection(d, 60);
  d.SetTransform(D3DTS_VIEW, D3DXMatrixLookAtLH(far ? D3DVECTOR{0, 1400, -1200} : D3DVECTOR{0, 14, -12},
                                                {0, 4, 0}, {0, 1, 0}));
  SetDirLight(d, {1, 1, 1, 0}, {0.5f, -1, 0.8f}, 1, 0, 0, 1);
  auto box = MakeBox(d, 0.95f, 0.48f, 0.95f), tile = MakeBox(d, 0.95f, 0.1f, 0.95f);
  auto star = MakeQuad(d, 0.3f), background = MakeQuad(d, 60);
  std::vector<std::shared_ptr<ITexture>> cubes;
  for (std::uint32_t tint : {0xFFE03030u, 0xFF30E030u, 0xFF3030E0u, 0xFFE0E030u})
    cubes.push_back(Pattern(d, 64, tint));
  auto floor = Pattern(d, 64, 0xFF808080), sky = Pattern(d, 256, 0xFF203060),
       hud = Pattern(d, 512, 0xFFFFFFFF);
  auto sprite = d.CreateSprite();
  D3DMATERIAL8 material{};
  material.Diffuse = material.Ambient = {1, 1, 1, 1};

  auto frame = [&] {
    d.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1);
    d.BeginScene();
    d.SetMaterial(material);
    int budget = subsetsOn;
    auto draw = [&](IMesh& mesh, int subset) {
      if (budget-- > 0) mesh.DrawSubset(subset);
    };
    d.SetTexture(0, sky.get());
    d.SetTransform(D3DTS_WORLD,
                   D3DXMatrixMultiply(D3DXMatrixRotationX(0.3f), D3DXMatrixTranslation(0, 8, 40)));
    draw(*background, 0);
    for (int x = 1; x <= 5; ++x)
      for (int y = 1; y <= 5; ++y) {
        d.SetTexture(0, floor.get());
        d.SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(2.0f * y - 6, -0.5f, 6 - 2.0f * x));
        draw(*tile, 0);
        draw(*tile, 1);
        for (int z = 1; z <= 10; ++z) {
          d.SetTexture(0, cubes[(x + y + z) % 4].get());
          d.SetTransform(D3DTS_WORLD, D3DXMatrixTranslation(2.0f * y - 6, z - 1.0f, 6 - 2.0f * x));
          draw(*box, 0);
          draw(*box, 1);
        }
      }
    d.SetRenderState(D3DRS_ZWRITEENABLE, 0);
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    d.SetTexture(0, cubes[3].get());
    for (int i = 0; i < 49; ++i) {
      d.SetTransform(D3DTS_WORLD,
                     D3DXMatrixTranslation(std::sin(i * 0.7f) * 5, 5 + (i % 7), std::cos(i * 0.7f) * 5));
      draw(*star, 0);
    }
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    d.SetRenderState(D3DRS_ZWRITEENABLE, 1);
    sprite->Begin();
    for (int i = 0; i < sprites; ++i) {
      const RECT src{32 * (i % 16), 32 * (i / 16 % 16), 32 * (i % 16) + 32, 32 * (i / 16 % 16) + 32};
      const D3DVECTOR2 at{static_cast<float>(i % 30) * 34, static_cast<float>(i / 30) * 34};
      sprite->Draw(hud.get(), &src, nullptr, nullptr, 0, &at, 0xA0FFFFFF);
    }
    sprite->End();
    d.EndScene();
    d.Present();
    graphics.Finish();
  };
  // The first frames compile the renderer's shader variants: not part of a frame's cost.
  for (int i = 0; i < 3; ++i) frame();
  for (auto _ : state) frame();
  state.SetLabel(d.Info().Renderer);
}
BENCHMARK(BM_PlayScreenFrame)
    ->ArgNames({"subsets", "sprites", "width", "far"})
    ->Args({600, 300, 1024, 0})
    ->Args({600, 0, 1024, 0})
    ->Args({0, 300, 1024, 0})
    ->Args({0, 0, 1024, 0})
    ->Args({600, 300, 640, 0})
    ->Args({600, 0, 1024, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

}  // namespace
}  // namespace quarnix

BENCHMARK_MAIN();
