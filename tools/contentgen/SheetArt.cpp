#include <cmath>

#include "Sheets.h"

namespace quarnix::content {

using namespace art;

Fonts Fonts::Find() { return {Font::Find("Liberation Sans:bold"), Font::Find("Liberation Sans")}; }

namespace sheet {

void Panel(Image& Img, Box Area, Color Top, Color Bottom, Color Border, float Radius, float BorderWidth) {
  Vec2 C{(Area.Left + Area.Right) / 2.f, (Area.Top + Area.Bottom) / 2.f};
  RoundBox Outer{C, Area.Width() / 2.f, Area.Height() / 2.f, Radius};
  FillShape(Img, Area, Outer, Solid{Border});
  RoundBox Inner{C, Area.Width() / 2.f - BorderWidth, Area.Height() / 2.f - BorderWidth,
                 std::max(Radius - BorderWidth, 1.f)};
  FillShape(Img, Area, Inner, Linear{{0, float(Area.Top)}, {0, float(Area.Bottom)}, Top, Bottom});
  Opaque(Img, {Area.Left + 2, Area.Top + 2, Area.Right - 2, Area.Bottom - 2});
}

void CellText(Image& Img, const Font& F, const std::string& Text, Box Cell, float Size, float Baseline,
              const TextLook& Look) {
  TextLook L = Look;
  float Room = Cell.Width() - 2 * L.EdgeWidth - L.Shadow - 1;
  float w = F.Width(Text, Size, L.ScaleX);
  if (w > Room) L.ScaleX *= Room / w, w = Room;
  DrawText(Img, F, Text, Cell.Left + (Cell.Width() - L.Shadow - w) / 2, Baseline, Size, L);
}

void KeyCap(Image& Img, const Fonts& F, Box Area, const std::string& Label, float Size) {
  Panel(Img, Area, Rgb(236, 238, 244), Rgb(160, 166, 182), Rgb(40, 44, 60), 4, 1.5f);
  FillShape(Img, {Area.Left, Area.Bottom - 5, Area.Right, Area.Bottom},
            RoundBox{{(Area.Left + Area.Right) / 2.f, Area.Bottom - 2.5f}, Area.Width() / 2.f - 2, 1.5f, 1},
            Solid{Rgb(110, 116, 132)});
  TextLook Look;
  Look.Top = Look.Bottom = Rgb(24, 28, 44);
  DrawTextIn(Img, F.Bold, Label, {Area.Left + 2, Area.Top + 1, Area.Right - 2, Area.Bottom - 3}, Size,
             Align::Centre, Look);
}

void Opaque(Image& Img, Box Area) {
  const float Least = 2.f / 255;
  for (int y = std::max(Area.Top, 0); y < std::min(Area.Bottom, Img.H); ++y)
    for (int x = std::max(Area.Left, 0); x < std::min(Area.Right, Img.W); ++x) {
      Color& c = Img.At(x, y);
      if (c.r + c.g + c.b < Least * 3) c = Grey(Least);
    }
}

}  // namespace sheet
}  // namespace quarnix::content
