#include "app/StartDialog.h"

#include <SDL.h>

#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>

#include "app/StartUp.h"
#include "platform/InitDirect3D.h"
#include "platform/PublicX8.h"
#include "presentation/ScreenImages.h"
#include "toolkit/ScreenObject.h"

namespace quarnix {

namespace {

constexpr std::uint32_t DialogFrameMs = 30;     // how often the dialog looks at its input
constexpr std::uint32_t DialogRepaintMs = 500;  // a still dialog is drawn again this often

// Where things are, in dialog pixels.
constexpr float LogoScale = 0.5f;
constexpr float LogoX = 147, LogoY = 6;
constexpr int ListLeft = 40, ListTop = 214, ListRight = 260, RowHeight = 26;
constexpr RECT ListLabel{ListLeft, ListTop - 22, ListRight, ListTop - 2};
constexpr RECT Button{300, 240, 440, 284};
constexpr RECT Hint{10, DialogHeight - 28, DialogWidth - 10, DialogHeight - 8};

RECT Row(int index) {
  return RECT{ListLeft, ListTop + RowHeight * index, ListRight, ListTop + RowHeight * (index + 1)};
}

bool Inside(const RECT& r, DialogPoint p) {
  return p.x >= static_cast<float>(r.left) && p.x < static_cast<float>(r.right) &&
         p.y >= static_cast<float>(r.top) && p.y < static_cast<float>(r.bottom);
}

// The logo sheet of the intro, or nothing when it cannot be read.
std::unique_ptr<ScreenObject> LoadLogo(IDevice& device, const std::filesystem::path& DataPath) {
  try {
    const ScreenImageFile& sheet = PackedScreenImages().front();  // OA.RB
    const auto pixels = UnpackScreenImage(sheet, ReadScreenImage(sheet, DataPath));
    auto logo = std::make_unique<ScreenObject>(device);
    logo->FillTexture(sheet.Width, pixels, 0, sheet.Width * sheet.Width - 1, sheet.KeySum, 255);
    return logo;
  } catch (const std::exception& e) {
    std::cerr << "quarnix: start dialog: " << e.what() << '\n';
    return nullptr;
  }
}

// Draws solid rectangles with the sprite: a white texel stretched and tinted.
class Painter {
 public:
  Painter(IDevice& device, ISprite& sprite) : sprite_(sprite), white_(device.CreateTexture(1, 1)) {
    auto bytes = white_->LockRect();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{255});
    white_->UnlockRect();
  }
  void Fill(const RECT& r, D3DCOLOR colour) {
    const D3DVECTOR2 scaling =
        vec2(static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top));
    const D3DVECTOR2 at = vec2(static_cast<float>(r.left), static_cast<float>(r.top));
    sprite_.Draw(white_.get(), nullptr, &scaling, nullptr, 0, &at, colour);
  }
  void Frame(const RECT& r, D3DCOLOR colour) {
    Fill(RECT{r.left, r.top, r.right, r.top + 1}, colour);
    Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, colour);
    Fill(RECT{r.left, r.top, r.left + 1, r.bottom}, colour);
    Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, colour);
  }

 private:
  ISprite& sprite_;
  std::shared_ptr<ITexture> white_;
};

D3DCOLOR Mix(D3DCOLOR a, D3DCOLOR b, float t) {
  D3DCOLOR out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const float ca = static_cast<float>((a >> shift) & 0xFF), cb = static_cast<float>((b >> shift) & 0xFF);
    out |= static_cast<D3DCOLOR>(ca + (cb - ca) * t + 0.5f) << shift;
  }
  return out;
}

}  // namespace

DialogPoint DialogPointFromWindow(float x, float y, int ClientWidth, int ClientHeight) {
  if (ClientWidth <= 0 || ClientHeight <= 0) return {-1, -1};
  const float scale = std::min(static_cast<float>(ClientWidth) / DialogWidth,
                               static_cast<float>(ClientHeight) / DialogHeight);
  const float left = (static_cast<float>(ClientWidth) - DialogWidth * scale) / 2;
  const float top = (static_cast<float>(ClientHeight) - DialogHeight * scale) / 2;
  return {(x - left) / scale, (y - top) / scale};
}

int DialogHitTest(DialogPoint p) {
  for (int i = 0; i < static_cast<int>(ComboScreenItems.size()); ++i)
    if (Inside(Row(i), p)) return i;
  if (Inside(Button, p)) return DialogButton;
  return -1;
}

StartDialog::StartDialog(GlGraphics& graphics, EventPump& pump, Keys& keys, IClock& clock,
                         std::filesystem::path DataPath)
    : graphics_(graphics), pump_(pump), keys_(keys), clock_(clock), dataPath_(std::move(DataPath)) {}

std::optional<int> StartDialog::Run(int index) {
  graphics_.SetWindowMode(WindowMode::Windowed);
  graphics_.SetTitle(GameTitle);
  if (graphics_.InitDevice(DialogWidth, DialogHeight, 0, 0) == DeviceKindNone || !graphics_.Device())
    throw std::runtime_error("the start dialog's window could not be made");
  IDevice& device = *graphics_.Device();
  const auto sprite = device.CreateSprite();
  const auto font = MakeFont(device, "Arial", 10, false, false, false);
  const auto bold = MakeFont(device, "Arial", 12, true, false, false);
  const auto logo = LoadLogo(device, dataPath_);
  Painter paint(device, *sprite);

  int hover = -1;
  bool play = false, pressed = false, exposed = true;
  const std::uint32_t windowId = graphics_.WindowId();
  pump_.SetObserver([&](const SDL_Event& e) {
    int w = 0, h = 0;
    if (SDL_Window* window = SDL_GetWindowFromID(windowId)) SDL_GetWindowSize(window, &w, &h);
    if (e.type == SDL_WINDOWEVENT) exposed = true;  // shown, uncovered, resized
    if (e.type == SDL_MOUSEMOTION) {
      hover = DialogHitTest(
          DialogPointFromWindow(static_cast<float>(e.motion.x), static_cast<float>(e.motion.y), w, h));
    } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
      const int hit = DialogHitTest(
          DialogPointFromWindow(static_cast<float>(e.button.x), static_cast<float>(e.button.y), w, h));
      if (hit >= 0 && hit < DialogButton) index = hit;
      pressed = hit == DialogButton;
    } else if (e.type == SDL_MOUSEBUTTONUP && e.button.button == SDL_BUTTON_LEFT) {
      const int hit = DialogHitTest(
          DialogPointFromWindow(static_cast<float>(e.button.x), static_cast<float>(e.button.y), w, h));
      // A button fires when the press and the release are both on it.
      if (pressed && hit == DialogButton) play = true;
      pressed = false;
    }
  });
  struct ObserverReset {
    EventPump& pump;
    ~ObserverReset() { pump.SetObserver(nullptr); }
  } reset{pump_};

  constexpr int Count = static_cast<int>(ComboScreenItems.size());
  bool closed = false;
  // What the last picture showed: the dialog is drawn again only when that
  // changes (or now and then), so it idles at next to no cost.
  int shownIndex = -1, shownHover = -2;
  bool shownPressed = false;
  std::uint32_t drawnAt = 0;
  while (!play && !closed) {
    const std::uint32_t FrameTime = clock_.Ticks();
    pump_.Pump();
    if (pump_.QuitRequested()) break;
    if (keys_.KeyTable(38).isKeyPress()) index = (index + Count - 1) % Count;  // Up
    if (keys_.KeyTable(40).isKeyPress()) index = (index + 1) % Count;          // Down
    if (keys_.KeyTable(13).isKeyPress()) play = true;                          // Enter
    if (keys_.KeyTable(27).isKeyPress()) closed = true;                        // Escape
    if (!exposed && index == shownIndex && hover == shownHover && pressed == shownPressed &&
        FrameTime - drawnAt < DialogRepaintMs) {
      clock_.WaitUntil(FrameTime + DialogFrameMs);
      continue;
    }
    exposed = false;
    shownIndex = index;
    shownHover = hover;
    shownPressed = pressed;
    drawnAt = FrameTime;

    device.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
    Scene scene(device);
    SpriteBatch batch(*sprite);
    // A deep blue ground, lighter at the top.
    for (int y = 0; y < DialogHeight; y += 6)
      paint.Fill(RECT{0, y, DialogWidth, y + 6},
                 Mix(0xFF1E2C64, 0xFF060A20, static_cast<float>(y) / DialogHeight));
    if (logo) {
      // The logo as the intro's halves leave it when they meet.
      const D3DVECTOR2 scaling = vec2(LogoScale, LogoScale);
      const RECT left{0, 0, 240, 360}, right{241, 0, 423, 360};
      const D3DVECTOR2 a = vec2(LogoX, LogoY), b = vec2(LogoX + 184 * LogoScale, LogoY);
      sprite->Draw(logo->Texture(), &left, &scaling, nullptr, 0, &a, 0xFFFFFFFF);
      sprite->Draw(logo->Texture(), &right, &scaling, nullptr, 0, &b, 0xFFFFFFFF);
    }
    // The screen-mode list.
    const RECT list{ListLeft - 1, ListTop - 1, ListRight + 1, ListTop + RowHeight * Count + 1};
    paint.Fill(list, 0xFF0A1030);
    paint.Frame(list, 0xFF78BEFF);
    for (int i = 0; i < Count; ++i) {
      if (i == index)
        paint.Fill(Row(i), 0xFF2F6BD8);
      else if (i == hover)
        paint.Fill(Row(i), 0xFF1A2E66);
    }
    // The button, lit under the mouse and while held.
    const D3DCOLOR face = pressed ? 0xFF1C8C3C : hover == DialogButton ? 0xFF34C05C : 0xFF26A64A;
    paint.Fill(Button, face);
    paint.Frame(Button, 0xFFD8FFE0);
    batch.End();

    font->DrawText("Screen mode", ListLabel, DT_LEFT | DT_VCENTER | DT_SINGLELINE, 0xFFFFC860);
    for (int i = 0; i < Count; ++i) {
      RECT text = Row(i);
      text.left += 10;
      font->DrawText(ComboScreenItems[static_cast<std::size_t>(i)], text,
                     DT_LEFT | DT_VCENTER | DT_SINGLELINE, i == index ? 0xFFFFFFFF : 0xFFC8D4FF);
    }
    bold->DrawText(PlayCaption, Button, DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xFFFFFFFF);
    font->DrawText("Up / Down: screen mode     Enter: play     Esc: close", Hint,
                   DT_CENTER | DT_VCENTER | DT_SINGLELINE, 0xFF8090C0);
    scene.End();
    device.Present();

    clock_.WaitUntil(FrameTime + DialogFrameMs);
  }
  if (play) return index;
  return std::nullopt;
}

}  // namespace quarnix
