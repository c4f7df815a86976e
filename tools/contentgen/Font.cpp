#include "Font.h"

#include <fontconfig/fontconfig.h>
#include <stb/stb_truetype.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace quarnix::art {
namespace {

std::vector<int> Codepoints(std::string_view s) {
  std::vector<int> Out;
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    int cp = c, n = 0;
    if (c >= 0xF0)
      cp = c & 0x07, n = 3;
    else if (c >= 0xE0)
      cp = c & 0x0F, n = 2;
    else if (c >= 0xC0)
      cp = c & 0x1F, n = 1;
    ++i;
    for (int k = 0; k < n && i < s.size(); ++k, ++i) cp = (cp << 6) | (s[i] & 0x3F);
    Out.push_back(cp);
  }
  return Out;
}

}  // namespace

Font Font::Find(const std::string& Pattern) {
  std::string Path;
  {
    if (!FcInit()) throw std::runtime_error("fontconfig could not be initialised");
    std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> Pat(
        FcNameParse(reinterpret_cast<const FcChar8*>(Pattern.c_str())), FcPatternDestroy);
    if (Pat) {
      FcPatternAddBool(Pat.get(), FC_SCALABLE, FcTrue);
      FcConfigSubstitute(nullptr, Pat.get(), FcMatchPattern);
      FcDefaultSubstitute(Pat.get());
      FcResult Result;
      std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> Match(FcFontMatch(nullptr, Pat.get(), &Result),
                                                                    FcPatternDestroy);
      FcChar8* File = nullptr;
      if (Match && FcPatternGetString(Match.get(), FC_FILE, 0, &File) == FcResultMatch && File)
        Path = reinterpret_cast<const char*>(File);
    }
  }
  // Release fontconfig's state: the lookup is done and leak checkers would report it.
  FcFini();
  if (Path.empty())
    throw std::runtime_error("no font matches \"" + Pattern + "\" (install fonts-liberation2)");
  return Font(Path);
}

Font::Font(const std::string& File) : Path(File) {
  std::ifstream In(File, std::ios::binary);
  if (!In) throw std::runtime_error("cannot read font file " + File);
  Data.assign(std::istreambuf_iterator<char>(In), {});
  Info = new stbtt_fontinfo;
  if (!stbtt_InitFont(Info, Data.data(), stbtt_GetFontOffsetForIndex(Data.data(), 0))) {
    delete Info;
    Info = nullptr;
    throw std::runtime_error("not a TrueType font: " + File);
  }
}

Font::Font(Font&& o) noexcept : Path(std::move(o.Path)), Data(std::move(o.Data)), Info(o.Info) {
  o.Info = nullptr;
}
Font& Font::operator=(Font&& o) noexcept {
  std::swap(Path, o.Path), std::swap(Data, o.Data), std::swap(Info, o.Info);
  return *this;
}
Font::~Font() { delete Info; }

float Font::CapHeight(float Size) const {
  int x0, y0, x1, y1;
  stbtt_GetCodepointBox(Info, 'H', &x0, &y0, &x1, &y1);
  return y1 * stbtt_ScaleForPixelHeight(Info, Size);
}

float Font::Width(std::string_view Text, float Size, float ScaleX) const {
  float Scale = stbtt_ScaleForPixelHeight(Info, Size);
  std::vector<int> cps = Codepoints(Text);
  float x = 0;
  for (std::size_t i = 0; i < cps.size(); ++i) {
    int Adv, Lsb;
    stbtt_GetCodepointHMetrics(Info, cps[i], &Adv, &Lsb);
    x += Adv * Scale * ScaleX;
    if (i + 1 < cps.size()) x += stbtt_GetCodepointKernAdvance(Info, cps[i], cps[i + 1]) * Scale * ScaleX;
  }
  return x;
}

Mask Font::Render(std::string_view Text, float Size, float ScaleX, int Pad) const {
  float Scale = stbtt_ScaleForPixelHeight(Info, Size);
  int Ascent, Descent, Gap;
  stbtt_GetFontVMetrics(Info, &Ascent, &Descent, &Gap);
  Mask M;
  M.OriginX = Pad;
  M.BaselineY = Pad + static_cast<int>(std::ceil(Ascent * Scale));
  M.W = static_cast<int>(std::ceil(Width(Text, Size, ScaleX))) + 2 * Pad + 2;
  M.H = M.BaselineY + static_cast<int>(std::ceil(-Descent * Scale)) + Pad + 1;
  M.A.assign(static_cast<std::size_t>(M.W) * M.H, 0.f);
  std::vector<int> cps = Codepoints(Text);
  float x = 0;
  for (std::size_t i = 0; i < cps.size(); ++i) {
    float Pen = M.OriginX + x;
    int ix = static_cast<int>(std::floor(Pen));
    int w, h, xo, yo;
    unsigned char* Bits =
        stbtt_GetCodepointBitmapSubpixel(Info, Scale * ScaleX, Scale, Pen - ix, 0, cps[i], &w, &h, &xo, &yo);
    for (int y = 0; y < h; ++y)
      for (int k = 0; k < w; ++k) {
        int mx = ix + xo + k, my = M.BaselineY + yo + y;
        if (mx < 0 || my < 0 || mx >= M.W || my >= M.H) continue;
        float& a = M.A[my * M.W + mx];
        a = std::min(1.f, a + Bits[y * w + k] / 255.f);
      }
    stbtt_FreeBitmap(Bits, nullptr);
    int Adv, Lsb;
    stbtt_GetCodepointHMetrics(Info, cps[i], &Adv, &Lsb);
    x += Adv * Scale * ScaleX;
    if (i + 1 < cps.size()) x += stbtt_GetCodepointKernAdvance(Info, cps[i], cps[i + 1]) * Scale * ScaleX;
  }
  return M;
}

std::vector<std::string> Font::Wrap(std::string_view Text, float Size, float MaxWidth) const {
  std::vector<std::string> Lines;
  std::string Line;
  std::size_t i = 0;
  while (i < Text.size()) {
    std::size_t j = Text.find(' ', i);
    if (j == std::string_view::npos) j = Text.size();
    std::string Word(Text.substr(i, j - i));
    std::string Try = Line.empty() ? Word : Line + " " + Word;
    if (!Line.empty() && Width(Try, Size) > MaxWidth) {
      Lines.push_back(Line);
      Line = Word;
    } else {
      Line = Try;
    }
    i = j + 1;
  }
  if (!Line.empty()) Lines.push_back(Line);
  return Lines;
}

Mask Dilate(const Mask& M, float Radius) {
  int r = static_cast<int>(std::ceil(Radius));
  Mask Out;
  Out.W = M.W + 2 * r, Out.H = M.H + 2 * r;
  Out.OriginX = M.OriginX + r, Out.BaselineY = M.BaselineY + r;
  Out.A.assign(static_cast<std::size_t>(Out.W) * Out.H, 0.f);
  for (int y = 0; y < Out.H; ++y)
    for (int x = 0; x < Out.W; ++x) {
      float Best = 0;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          float d = std::sqrt(float(dx * dx + dy * dy));
          if (d > Radius + 0.5f) continue;
          float w = Clamp01(Radius + 0.5f - d);
          Best = std::max(Best, M.At(x - r + dx, y - r + dy) * w);
        }
      Out.A[y * Out.W + x] = Best;
    }
  return Out;
}

void DrawText(Image& Img, const Font& F, std::string_view Text, float x, float Baseline, float Size,
              const TextLook& Look) {
  Mask M = F.Render(Text, Size, Look.ScaleX);
  int Pen = static_cast<int>(std::lround(x)), Base = static_cast<int>(std::lround(Baseline));
  float Cap = F.CapHeight(Size);
  if (Look.GlowRadius > 0) {
    Mask G = Dilate(M, Look.GlowRadius);
    int gx0 = Pen - G.OriginX, gy0 = Base - G.BaselineY;
    for (int y = 0; y < G.H; ++y)
      for (int k = 0; k < G.W; ++k) {
        // soft falloff: average of the grown mask around the pixel
        float a = G.At(k, y);
        if (a > 0) Img.Add(gx0 + k, gy0 + y, Look.GlowColor, a * 0.35f);
      }
  }
  if (Look.Shadow > 0) {
    Mask S = Look.EdgeWidth > 0 ? Dilate(M, Look.EdgeWidth) : M;
    int d = static_cast<int>(std::lround(Look.Shadow));
    DrawMask(Img, S, Pen, Base, Solid{Look.Edge * 0.5f}, 0.8f, d, d);
  }
  if (Look.EdgeWidth > 0) DrawMask(Img, Dilate(M, Look.EdgeWidth), Pen, Base, Solid{Look.Edge});
  DrawMask(Img, M, Pen, Base, Linear{{0, Baseline - Cap}, {0, Baseline}, Look.Top, Look.Bottom});
}

float DrawTextIn(Image& Img, const Font& F, std::string_view Text, Box Area, float Size, Align How,
                 const TextLook& Look) {
  TextLook L = Look;
  float Extra = 2 * (L.EdgeWidth + std::max(L.Shadow, 0.f));
  auto Fits = [&](float s, float sx) {
    return F.Width(Text, s, sx) + Extra <= Area.Width() && F.CapHeight(s) + Extra <= Area.Height();
  };
  while (!Fits(Size, L.ScaleX) && L.ScaleX > 0.8f) L.ScaleX -= 0.02f;
  while (!Fits(Size, L.ScaleX) && Size > 4) Size -= 0.5f;
  float w = F.Width(Text, Size, L.ScaleX), Cap = F.CapHeight(Size);
  float x = How == Align::Left    ? Area.Left + L.EdgeWidth
            : How == Align::Right ? Area.Right - L.EdgeWidth - L.Shadow - w
                                  : Area.Left + (Area.Width() - w - L.Shadow) / 2;
  float Base = Area.Top + (Area.Height() + Cap - L.Shadow) / 2;
  DrawText(Img, F, Text, x, Base, Size, L);
  return Size;
}

}  // namespace quarnix::art
