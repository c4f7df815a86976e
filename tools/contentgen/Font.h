#pragma once
// Anti-aliased text from TrueType fonts found through fontconfig.

#include <string>
#include <string_view>
#include <vector>

#include "Canvas.h"

struct stbtt_fontinfo;

namespace quarnix::art {

// Coverage in [0,1] per pixel; the pen starts at (OriginX, BaselineY) of the mask.
struct Mask {
  int W = 0, H = 0;
  std::vector<float> A;
  int OriginX = 0, BaselineY = 0;
  float At(int x, int y) const { return (x < 0 || y < 0 || x >= W || y >= H) ? 0.f : A[y * W + x]; }
};

class Font {
 public:
  // Resolves a fontconfig pattern ("Liberation Sans:bold") to a file and loads it;
  // throws std::runtime_error when no scalable font matches.
  static Font Find(const std::string& Pattern);
  explicit Font(const std::string& File);
  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;
  ~Font();

  const std::string& File() const { return Path; }
  float CapHeight(float Size) const;  // height of "H" in pixels at this size
  float Width(std::string_view Text, float Size, float ScaleX = 1) const;
  Mask Render(std::string_view Text, float Size, float ScaleX = 1, int Pad = 4) const;
  // Splits Text at spaces into lines no wider than MaxWidth.
  std::vector<std::string> Wrap(std::string_view Text, float Size, float MaxWidth) const;

 private:
  std::string Path;
  std::vector<unsigned char> Data;
  stbtt_fontinfo* Info = nullptr;
};

// The mask grown by Radius pixels (a round outline), with Pad more pixels of border.
Mask Dilate(const Mask& M, float Radius);

// Draws M with its origin at (PenX, Baseline).
template <class Paint>
void DrawMask(Image& Img, const Mask& M, int PenX, int Baseline, Paint&& Fill, float Opacity = 1, int Dx = 0,
              int Dy = 0) {
  int x0 = PenX - M.OriginX + Dx, y0 = Baseline - M.BaselineY + Dy;
  for (int y = 0; y < M.H; ++y)
    for (int x = 0; x < M.W; ++x) {
      float a = M.A[y * M.W + x];
      if (a > 0) Img.Blend(x0 + x, y0 + y, Fill(x0 + x + 0.5f, y0 + y + 0.5f), a * Opacity);
    }
}

enum class Align { Left, Centre, Right };

struct TextLook {
  Color Top{1, 1, 1}, Bottom{1, 1, 1};  // fill, a vertical gradient over the caps
  Color Edge{0.02f, 0.02f, 0.05f};      // outline
  float EdgeWidth = 0;                  // 0: no outline
  float Shadow = 0;                     // drop-shadow offset in pixels, 0: none
  Color GlowColor{};
  float GlowRadius = 0;  // 0: no glow
  float ScaleX = 1;
};

// Draws Text with its pen at (x, Baseline).
void DrawText(Image& Img, const Font& F, std::string_view Text, float x, float Baseline, float Size,
              const TextLook& Look);
// Draws Text aligned in Area with its capitals centred vertically; narrows and then
// shrinks the text until it fits (outline included). Returns the size used.
float DrawTextIn(Image& Img, const Font& F, std::string_view Text, Box Area, float Size, Align How,
                 const TextLook& Look);

}  // namespace quarnix::art
