// Text through SDL_ttf: the glyphs of one font rendered once into an atlas
// texture, then drawn as screen quads through the sprite batch.

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "platform/Draw2D.h"
#include "platform/FontFile.h"
#include "platform/GlDevice.h"
#include "platform/SdlHandles.h"

namespace quarnix {

std::string FindFontFile(const std::string& family, bool bold, bool italic) {
  static std::once_flag init;
  std::call_once(init, [] { FcInit(); });
  std::unique_ptr<FcPattern, void (*)(FcPattern*)> pattern(
      FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str())), FcPatternDestroy);
  if (!pattern) throw std::runtime_error("bad font name \"" + family + "\"");
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  std::unique_ptr<FcPattern, void (*)(FcPattern*)> match(FcFontMatch(nullptr, pattern.get(), &result),
                                                         FcPatternDestroy);
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
    throw std::runtime_error("no font file for \"" + family + "\"");
  return reinterpret_cast<const char*>(file);
}

namespace {

// Codepoints the atlas holds; others draw as '?'.
constexpr char32_t FirstGlyph = 32, LastGlyph = 255;

class TtfLibrary {
 public:
  TtfLibrary() {
    if (TTF_WasInit() == 0 && TTF_Init() != 0)
      throw std::runtime_error(std::string("SDL_ttf: ") + TTF_GetError());
  }
};

std::u32string DecodeUtf8(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : 0;
    char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    bool valid = c < 0x80 || (c >= 0xC2 && c <= 0xF4);
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        valid = false;
      else
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (valid) {
      out += cp;
      i += extra + 1;
    } else {
      // A stray byte is taken as Latin-1, so old single-byte names still show.
      out += static_cast<char32_t>(c);
      ++i;
    }
  }
  return out;
}

class GlFont final : public IFont {
 public:
  GlFont(GlDevice& device, const FontDesc& desc) : device_(device) {
    static TtfLibrary library;
    const std::string file = FindFontFile(desc.Name, desc.Bold, desc.Italic);
    // Sizes are points at 96 pixels per inch, as on the desktop the game was made for.
    const int points = std::max(1, desc.PointSize);
    font_.reset(TTF_OpenFontDPI(file.c_str(), points, 96, 96));
    if (!font_) throw std::runtime_error("cannot open font \"" + file + "\": " + TTF_GetError());
    if (desc.Underline) TTF_SetFontStyle(font_.get(), TTF_STYLE_UNDERLINE);
    TTF_SetFontHinting(font_.get(), TTF_HINTING_NORMAL);
    lineHeight_ = TTF_FontLineSkip(font_.get());
    BuildAtlas();
  }

  int DrawText(const std::string& text, const RECT& rect, std::uint32_t format, D3DCOLOR colour) override {
    const auto lines = LayoutText(
        text, rect, format, [this](const std::string& s) { return TextWidth(s); }, lineHeight_);
    std::vector<QuadVertex> quads;
    const std::uint32_t rgba = RgbaBytesFromArgb(colour);
    const float aw = static_cast<float>(atlas_->Width()), ah = static_cast<float>(atlas_->Height());
    for (const auto& line : lines) {
      int pen = line.x;
      char32_t previous = 0;
      for (char32_t cp : DecodeUtf8(line.text)) {
        const Glyph& g = GlyphFor(cp);
        if (previous) pen += Kerning(previous, cp);
        AxisQuad q{static_cast<float>(pen),
                   static_cast<float>(line.y),
                   static_cast<float>(pen + g.w),
                   static_cast<float>(line.y + g.h),
                   g.x / aw,
                   g.y / ah,
                   (g.x + g.w) / aw,
                   (g.y + g.h) / ah};
        if (g.w > 0 && ((format & DT_NOCLIP) || ClipQuad(q, rect))) AppendQuad(quads, q, rgba);
        pen += g.advance;
        previous = cp;
      }
    }
    if (!quads.empty()) device_->Queue2D(*atlas_, quads.data(), quads.size());
    return static_cast<int>(lines.size()) * lineHeight_;
  }

  int TextWidth(const std::string& text) override {
    int width = 0;
    char32_t previous = 0;
    for (char32_t cp : DecodeUtf8(text)) {
      if (previous) width += Kerning(previous, cp);
      width += GlyphFor(cp).advance;
      previous = cp;
    }
    return width;
  }

  int LineHeight() const override { return lineHeight_; }

 private:
  struct Glyph {
    int x = 0, y = 0, w = 0, h = 0, advance = 0;
  };

  const Glyph& GlyphFor(char32_t cp) const {
    if (cp < FirstGlyph || cp > LastGlyph) cp = U'?';
    return glyphs_[cp - FirstGlyph];
  }

  int Kerning(char32_t a, char32_t b) const {
    if (a > LastGlyph || b > LastGlyph) return 0;
    return TTF_GetFontKerningSizeGlyphs32(font_.get(), a, b);
  }

  void BuildAtlas() {
    // Each glyph as SDL_ttf renders it alone: a cell one line high whose
    // origin is the pen position at the top of the line.
    std::array<sdl::Surface, LastGlyph - FirstGlyph + 1> cells;
    constexpr int AtlasWidth = 512;
    int x = 1, y = 1, rowHeight = 0;
    const SDL_Color white{255, 255, 255, 255};
    for (char32_t cp = FirstGlyph; cp <= LastGlyph; ++cp) {
      Glyph& g = glyphs_[cp - FirstGlyph];
      int minx, maxx, miny, maxy, advance = 0;
      if (TTF_GlyphMetrics32(font_.get(), cp, &minx, &maxx, &miny, &maxy, &advance) != 0) continue;
      g.advance = advance;
      if (cp == U' ') continue;
      sdl::Surface rendered(TTF_RenderGlyph32_Blended(font_.get(), cp, white));
      if (!rendered) continue;
      sdl::Surface cell(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
      if (!cell) continue;
      if (x + cell->w + 1 > AtlasWidth) x = 1, y += rowHeight + 1, rowHeight = 0;
      g.x = x, g.y = y, g.w = cell->w, g.h = cell->h;
      x += cell->w + 1;
      rowHeight = std::max(rowHeight, cell->h);
      cells[cp - FirstGlyph] = std::move(cell);
    }
    const int height = y + rowHeight + 1;
    atlas_ = std::static_pointer_cast<GlTexture>(device_->CreateTexture(AtlasWidth, height));
    auto bytes = atlas_->LockRect();
    for (char32_t cp = FirstGlyph; cp <= LastGlyph; ++cp) {
      const auto& cell = cells[cp - FirstGlyph];
      if (!cell) continue;
      const Glyph& g = glyphs_[cp - FirstGlyph];
      SDL_LockSurface(cell.get());
      for (int row = 0; row < cell->h; ++row) {
        const auto* src = static_cast<const std::uint8_t*>(cell->pixels) + row * cell->pitch;
        // ARGB8888 in memory is B, G, R, A on little-endian: the texture's order.
        std::memcpy(&bytes[(static_cast<std::size_t>(g.y + row) * AtlasWidth + g.x) * 4], src,
                    static_cast<std::size_t>(cell->w) * 4);
      }
      SDL_UnlockSurface(cell.get());
    }
    atlas_->UnlockRect();
  }

  DeviceLink<GlDevice> device_;
  sdl::Font font_;
  int lineHeight_ = 0;
  std::array<Glyph, LastGlyph - FirstGlyph + 1> glyphs_{};
  std::shared_ptr<GlTexture> atlas_;
};

}  // namespace

std::unique_ptr<IFont> CreateGlFont(GlDevice& device, const FontDesc& desc) {
  return std::make_unique<GlFont>(device, desc);
}

}  // namespace quarnix
