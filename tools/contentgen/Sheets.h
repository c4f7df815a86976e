#pragma once
// The packed screen images: HUD sheets, cube icons, intro and menu pictures.
// Black (0, 0, 0) is see-through in every sheet except the icon sheet, so opaque
// dark parts use near-black colours instead.

#include <string>
#include <vector>

#include "Canvas.h"
#include "Font.h"

namespace quarnix::content {

struct Fonts {
  art::Font Bold;
  art::Font Regular;
  // Liberation Sans (metric-compatible with Arial) through fontconfig.
  static Fonts Find();
};

art::Image MakeHudSheetA(const Fonts& F);   // "SA.RB": digits, letters, labels, gauge, pop-ups, quit prompt
art::Image MakeHudSheetB(const Fonts& F);   // "SB.RB": game-over panel, name line, bottom strips
art::Image MakeIconSheet();                 // "CS.RB": 32 x 32 cube icons
art::Image MakeIntroLogo(const Fonts& F);   // "OA.RB": the logo in two halves
art::Image MakeIntroStrip(const Fonts& F);  // "OB.RB": the animation strip under the logo
art::Image MakeMenuSheet(const Fonts& F);   // "ME.RB": 1024 x 1024 menu pictures

// Shared pieces of the sheets' look.
namespace sheet {
// A rounded panel with a gradient fill and a border; colours are kept off pure black.
void Panel(art::Image& Img, art::Box Area, art::Color Top, art::Color Bottom, art::Color Border, float Radius,
           float BorderWidth);
// One glyph or short text centred horizontally in a cell with its baseline at
// Baseline (absolute row), narrowed when too wide.
void CellText(art::Image& Img, const art::Font& F, const std::string& Text, art::Box Cell, float Size,
              float Baseline, const art::TextLook& Look);
// A key cap with a label.
void KeyCap(art::Image& Img, const Fonts& F, art::Box Area, const std::string& Label, float Size);
// Raises every pure black pixel inside Area to the darkest opaque grey.
void Opaque(art::Image& Img, art::Box Area);
// The glossy cube of the logo, with its colour's shape (0..3: red, green,
// blue, yellow) on top unless Emblem is false: cell (i, j, k) of an isometric
// grid of cubes of edge a whose origin O is the top-back corner of the floor.
// Edge is half the width of the dark lines along its edges.
void IsoCube(art::Image& Img, art::Vec2 O, float a, int i, int j, int k, int Colour, float Edge = 0.8f,
             bool Emblem = true);
}  // namespace sheet

}  // namespace quarnix::content
