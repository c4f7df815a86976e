#include "platform/Draw2D.h"

#include <algorithm>
#include <cmath>

namespace quarnix {

std::uint32_t RgbaBytesFromArgb(D3DCOLOR argb) {
  const std::uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  return r | (g << 8) | (b << 16) | (a << 24);
}

std::array<QuadVertex, 6> SpriteQuad(int textureWidth, int textureHeight, const RECT* source,
                                     const D3DVECTOR2* scaling, const D3DVECTOR2* rotationCentre,
                                     float rotation, const D3DVECTOR2* translation, D3DCOLOR colour) {
  const RECT src = source ? *source : RECT{0, 0, textureWidth, textureHeight};
  const float w = static_cast<float>(src.right - src.left), h = static_cast<float>(src.bottom - src.top);
  const float sx = scaling ? scaling->x : 1.0f, sy = scaling ? scaling->y : 1.0f;
  const float cx = rotationCentre ? rotationCentre->x : 0.0f, cy = rotationCentre ? rotationCentre->y : 0.0f;
  const float tx = translation ? translation->x : 0.0f, ty = translation ? translation->y : 0.0f;
  const float c = std::cos(rotation), s = std::sin(rotation);
  auto place = [&](float x, float y, float u, float v) {
    // Scale, then rotate about the centre (row-vector z rotation), then translate.
    const float px = x * sx - cx, py = y * sy - cy;
    return QuadVertex{px * c - py * s + cx + tx, px * s + py * c + cy + ty, u, v, RgbaBytesFromArgb(colour)};
  };
  const float tw = static_cast<float>(textureWidth), th = static_cast<float>(textureHeight);
  const float u0 = src.left / tw, u1 = src.right / tw, v0 = src.top / th, v1 = src.bottom / th;
  const QuadVertex tl = place(0, 0, u0, v0), tr = place(w, 0, u1, v0), bl = place(0, h, u0, v1),
                   br = place(w, h, u1, v1);
  return {tl, tr, bl, bl, tr, br};
}

bool ClipQuad(AxisQuad& q, const RECT& clip) {
  const float l = static_cast<float>(clip.left), t = static_cast<float>(clip.top);
  const float r = static_cast<float>(clip.right), b = static_cast<float>(clip.bottom);
  if (q.x1 <= l || q.x0 >= r || q.y1 <= t || q.y0 >= b || q.x1 <= q.x0 || q.y1 <= q.y0) return false;
  const float du = (q.u1 - q.u0) / (q.x1 - q.x0), dv = (q.v1 - q.v0) / (q.y1 - q.y0);
  if (q.x0 < l) q.u0 += (l - q.x0) * du, q.x0 = l;
  if (q.x1 > r) q.u1 -= (q.x1 - r) * du, q.x1 = r;
  if (q.y0 < t) q.v0 += (t - q.y0) * dv, q.y0 = t;
  if (q.y1 > b) q.v1 -= (q.y1 - b) * dv, q.y1 = b;
  return true;
}

void AppendQuad(std::vector<QuadVertex>& out, const AxisQuad& q, std::uint32_t rgba) {
  const QuadVertex tl{q.x0, q.y0, q.u0, q.v0, rgba}, tr{q.x1, q.y0, q.u1, q.v0, rgba};
  const QuadVertex bl{q.x0, q.y1, q.u0, q.v1, rgba}, br{q.x1, q.y1, q.u1, q.v1, rgba};
  out.insert(out.end(), {tl, tr, bl, bl, tr, br});
}

RECT LetterboxRect(int pictureWidth, int pictureHeight, int windowWidth, int windowHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) return RECT{};
  const double scale = std::min(static_cast<double>(windowWidth) / pictureWidth,
                                static_cast<double>(windowHeight) / pictureHeight);
  const int w = static_cast<int>(std::lround(pictureWidth * scale)),
            h = static_cast<int>(std::lround(pictureHeight * scale));
  const int x = (windowWidth - w) / 2, y = (windowHeight - h) / 2;
  return RECT{x, y, x + w, y + h};
}

std::vector<TextLine> LayoutText(const std::string& text, const RECT& rect, std::uint32_t format,
                                 const std::function<int(const std::string&)>& width, int lineHeight) {
  std::vector<TextLine> lines;
  const bool single = (format & DT_SINGLELINE) != 0;
  std::string current;
  auto flush = [&] {
    TextLine line{current, 0, 0, width(current)};
    lines.push_back(std::move(line));
    current.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (ch == '\n' || ch == '\r') {
      if (single)
        current += ' ';
      else
        flush();
      continue;
    }
    current += ch;
  }
  flush();

  int top = rect.top;
  if (single && (format & DT_VCENTER))
    top = rect.top + (rect.bottom - rect.top - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM))
    top = rect.bottom - lineHeight;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    TextLine& line = lines[n];
    if (format & DT_CENTER)
      line.x = rect.left + (rect.right - rect.left - line.width) / 2;
    else if (format & DT_RIGHT)
      line.x = rect.right - line.width;
    else
      line.x = rect.left;
    line.y = top + static_cast<int>(n) * lineHeight;
  }
  return lines;
}

}  // namespace quarnix
