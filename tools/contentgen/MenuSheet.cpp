// The menu sheet, 1024 x 1024. The menu is laid out in a 640 x 480 frame; every
// picture below sits in the source rectangle the menu draws it from.

#include <cmath>
#include <string>
#include <vector>

#include "Sheets.h"
#include "Textures.h"

namespace quarnix::content {

using namespace art;
using namespace sheet;

namespace {

const Color PanelTop = Rgb(24, 36, 84), PanelBottom = Rgb(8, 12, 38), Border = Rgb(120, 190, 255);
const Color Ink = Rgb(6, 8, 22);

TextLook Heading() {
  TextLook L;
  L.Top = Rgb(255, 250, 215);
  L.Bottom = Rgb(255, 170, 40);
  L.Edge = Ink;
  L.EdgeWidth = 1.5f;
  return L;
}

TextLook Body(Color c = Rgb(225, 235, 255)) {
  TextLook L;
  L.Top = L.Bottom = c;
  return L;
}

// A triangle pointing in direction (dx, dy) inside Area.
void Arrow(Image& Img, Box A, int dx, int dy, Color c) {
  Vec2 C{(A.Left + A.Right) / 2.f, (A.Top + A.Bottom) / 2.f};
  float r = std::min(A.Width(), A.Height()) / 2.f - 1;
  Vec2 Tip{C.x + dx * r, C.y + dy * r};
  Vec2 Side{-float(dy) * r * 0.9f, float(dx) * r * 0.9f};
  Vec2 Back{C.x - dx * r * 0.7f, C.y - dy * r * 0.7f};
  Polygon P{{Tip, Back + Side, Back - Side}};
  FillShape(Img, A, Grow(P, 1.2f), Solid{Ink});
  FillShape(Img, A, P, Solid{c});
}

void ArrowCap(Image& Img, const Fonts& F, Box A, int dx, int dy) {
  KeyCap(Img, F, A, "", 10);
  Box In{A.Left + 5, A.Top + 4, A.Right - 5, A.Bottom - 6};
  Polygon P{};
  Vec2 C{(In.Left + In.Right) / 2.f, (In.Top + In.Bottom) / 2.f};
  float r = std::min(In.Width(), In.Height()) / 2.f;
  Vec2 Tip{C.x + dx * r, C.y + dy * r}, Side{-float(dy) * r * 0.8f, float(dx) * r * 0.8f},
      Back{C.x - dx * r * 0.6f, C.y - dy * r * 0.6f};
  P.P = {Tip, Back + Side, Back - Side};
  FillShape(Img, A, P, Solid{Rgb(24, 28, 44)});
}

// Wrapped text; returns the row below the last line.
float Paragraph(Image& Img, const Font& F, const std::string& Text, float x, float y, float Width, float Size,
                const TextLook& Look, float Leading = 1.3f) {
  for (const std::string& Line : F.Wrap(Text, Size, Width)) {
    y += Size * Leading;
    DrawText(Img, F, Line, x, y - Size * 0.3f, Size, Look);
  }
  return y;
}

void PageFrame(Image& Img, const Fonts& F, Box B, const std::string& Title, int Page) {
  Panel(Img, {B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1}, PanelTop, PanelBottom, Border, 10, 2);
  DrawTextIn(Img, F.Bold, Title, {B.Left + 12, B.Top + 8, B.Right - 50, B.Top + 32}, 19, Align::Left,
             Heading());
  TextLook Num = Body(Rgb(150, 180, 230));
  DrawTextIn(Img, F.Bold, std::to_string(Page) + "/3", {B.Right - 48, B.Top + 10, B.Right - 12, B.Top + 30},
             14, Align::Right, Num);
  FillShape(Img, B, Segment{{B.Left + 12.f, B.Top + 37.f}, {B.Right - 12.f, B.Top + 37.f}, 0.6f},
            Solid{Rgb(80, 120, 190)});
}

void Bullet(Image& Img, float x, float y) {
  FillShape(Img, {int(x) - 5, int(y) - 5, int(x) + 6, int(y) + 6}, Circle{{x, y}, 2.5f},
            Solid{Rgb(255, 200, 70)});
}

float Bullets(Image& Img, const Font& F, const std::vector<std::string>& Items, Box B, float y, float Size) {
  for (const std::string& s : Items) {
    Bullet(Img, B.Left + 17.f, y + Size * 0.85f);
    y = Paragraph(Img, F, s, B.Left + 26.f, y, B.Width() - 38.f, Size, Body()) + Size * 0.45f;
  }
  return y;
}

void PageHowToPlay(Image& Img, const Fonts& F) {
  // The menu centres the page's rectangle (640..955) on the right-hand window,
  // whose inside is narrower: the panel keeps clear of the window's border.
  Box B{644, 0, 951, 321};
  PageFrame(Img, F, B, "HOW TO PLAY", 1);
  float y = Bullets(Img, F.Regular,
                    {"Pieces of 3 to 9 cubes fall into a well of 5 x 5 columns. Each cube comes to rest on "
                     "its own.",
                     "Three cubes of one colour in a straight line clear: across, along or straight up.",
                     "The game ends when the stack reaches the top."},
                    B, B.Top + 40.f, 12);
  // The controls, on the keyboard (as first set: CONTROLS changes them) and on a gamepad.
  struct Row {
    const char *What, *Keys, *Pad;
  };
  const Row Rows[] = {{"", "KEYS", "GAMEPAD"},
                      {"MOVE", "ARROWS", "D-PAD / STICK"},
                      {"TURN", "Z", "A"},
                      {"DROP", "SPACE", "B"},
                      {"CAMERA", "A", "Y"},
                      {"QUIT", "ESC", "START"},
                      {"QUIT? YES / NO", "Y / N", "Y / B"}};
  const int Left = B.Left + 14, Mid = B.Left + 132, Right = B.Left + 200, RowHeight = 15;
  int Top = int(y) + 2;
  FillShape(Img, B, Segment{{B.Left + 12.f, Top - 2.f}, {B.Right - 12.f, Top - 2.f}, 0.5f},
            Solid{Rgb(70, 100, 160)});
  for (const Row& r : Rows) {
    const bool Head = r.What[0] == 0;
    const TextLook Look = Head ? Body(Rgb(150, 180, 230)) : Body();
    DrawTextIn(Img, F.Bold, r.What, {Left, Top, Mid - 4, Top + RowHeight}, 11.5f, Align::Left, Heading());
    DrawTextIn(Img, F.Bold, r.Keys, {Mid, Top, Right - 4, Top + RowHeight}, 11.5f, Align::Left, Look);
    DrawTextIn(Img, F.Bold, r.Pad, {Right, Top, B.Right - 10, Top + RowHeight}, 11.5f, Align::Left, Look);
    Top += RowHeight;
  }
  DrawTextIn(Img, F.Regular, "CONTROLS changes the keys; the pad's buttons follow them.",
             {Left, Top + 3, B.Right - 10, Top + 3 + RowHeight}, 11, Align::Left, Body(Rgb(170, 200, 240)));
  Top += RowHeight + 3;
  // Three red cubes in a row turn into a clearing flash.
  int x = B.Left + 48;
  Top = std::max(Top + 4, B.Bottom - 44);
  for (int k = 0; k < 3; ++k) Paste(Img, Downscale2(MakeCubeFace(1, 0)), x + 36 * k, Top);
  Arrow(Img, {x + 112, Top + 6, x + 136, Top + 26}, 1, 0, Rgb(255, 220, 90));
  Paste(Img, Downscale2(MakeTexture("CUBECLEAR")), x + 146, Top);
  DrawTextIn(Img, F.Bold, "+3", {x + 184, Top, x + 230, Top + 32}, 20, Align::Left, Heading());
}

void PageScoring(Image& Img, const Fonts& F) {
  Box B{0, 751, 248, 958};
  PageFrame(Img, F, B, "SCORING", 2);
  Bullets(Img, F.Regular,
          {"Every cleared cube scores 1 point.",
           "Cubes that sink and clear again form a chain: they also add to your BONUS.",
           "Every 50 points the well turns and a shower of cubes falls in.",
           "20 levels: bigger pieces, faster drops.", "Your result is SCORE + BONUS."},
          B, B.Top + 40.f, 11.5f);
}

void PageSpecials(Image& Img, const Fonts& F) {
  // Its top-left corner shares rows 510..513 with the score title bar: the panel
  // starts below them so that neither picture shows a piece of the other.
  Box B{600, 513, 849, 909};
  PageFrame(Img, F, B, "SPECIAL CUBES", 3);
  struct Entry {
    const char *Texture, *Name, *Text;
  };
  const Entry Entries[5] = {{"4COLOR", "ALL COLOURS", "Clears every cube of the colour it lands on."},
                            {"2X2X2", "STACK", "Raises its column with new cubes of any colour."},
                            {"CLEARLAYER", "LAYER BLAST", "Clears the cubes of its layer next to it."},
                            {"DIAMOND", "GEM", "Stays where it lands and never matches."},
                            {"TUND", "LIGHTNING", "Clears its whole column."}};
  int y = B.Top + 46;
  for (const Entry& e : Entries) {
    Paste(Img, Downscale2(MakeTexture(e.Texture)), B.Left + 12, y + 2);
    DrawTextIn(Img, F.Bold, e.Name, {B.Left + 52, y, B.Right - 10, y + 17}, 14, Align::Left, Heading());
    Paragraph(Img, F.Regular, e.Text, B.Left + 52.f, y + 16.f, B.Width() - 64.f, 12, Body(), 1.25f);
    y += 68;
  }
}

void MenuPanel(Image& Img, const Fonts& F) {
  // Left column: title, the item list (labels come from the side panel) and the keys.
  Panel(Img, {4, 6, 316, 474}, Rgb(20, 30, 74), Rgb(6, 10, 32), Border, 14, 2);
  TextLook Logo = Heading();
  Logo.EdgeWidth = 2.5f;
  Logo.Shadow = 2;
  DrawTextIn(Img, F.Bold, "QUARNIX", {20, 22, 300, 82}, 58, Align::Centre, Logo);
  DrawTextIn(Img, F.Regular, "3D falling-cube puzzle", {20, 84, 300, 104}, 14, Align::Centre,
             Body(Rgb(170, 200, 240)));
  FillShape(Img, {10, 108, 310, 114}, Segment{{24, 111}, {296, 111}, 0.7f}, Solid{Rgb(80, 120, 190)});
  FillShape(Img, {10, 370, 310, 376}, Segment{{24, 373}, {296, 373}, 0.7f}, Solid{Rgb(80, 120, 190)});
  ArrowCap(Img, F, {30, 392, 56, 416}, 0, -1);
  ArrowCap(Img, F, {60, 392, 86, 416}, 0, 1);
  DrawTextIn(Img, F.Bold, "CHOOSE", {94, 392, 170, 416}, 13, Align::Left, Body());
  KeyCap(Img, F, {30, 426, 94, 450}, "ENTER", 11);
  DrawTextIn(Img, F.Bold, "SELECT", {102, 426, 180, 450}, 13, Align::Left, Body());
  // Right: the window where each item shows its page.
  Panel(Img, {324, 6, 636, 474}, Rgb(14, 22, 58), Rgb(6, 10, 30), Border, 14, 2);
}

void CursorBar(Image& Img) {
  // Under the item labels; the labels (side panel) start 20 pixels in.
  Box B{0, 480, 319, 514};
  RoundBox Bar{{159.5f, 497.5f}, 155, 15.5f, 8};
  FillShape(Img, B, Grow(Bar, 1.5f), Solid{Rgb(200, 240, 255)});
  FillShape(Img, B, Bar, [](float x, float y) {
    Color c = Mix(Rgb(40, 150, 255), Rgb(20, 40, 120), Clamp01((x - 20) / 280));
    return Mix(Lighten(c, 0.25f), c, Clamp01((y - 482) / 14));
  });
  Arrow(Img, {5, 489, 19, 507}, 1, 0, Rgb(255, 230, 90));
}

void SidePanel(Image& Img, const Fonts& F) {
  // Item n's bar is centred 5 + 35 (n - 1) rows below the panel's top.
  const char* const Items[7] = {"START GAME",  "EFFECTS VOLUME", "MUSIC VOLUME", "CONTROLS",
                                "HOW TO PLAY", "HIGH SCORES",    "EXIT"};
  TextLook L;
  L.Top = Rgb(255, 255, 255);
  L.Bottom = Rgb(190, 225, 255);
  L.Edge = Ink;
  L.EdgeWidth = 1.3f;
  for (int n = 1; n <= 7; ++n) {
    float Base = 520 + 14.f + 35 * (n - 1);
    DrawText(Img, F.Bold, Items[n - 1], 14, Base, 17, L);
  }
}

void VolumeBars(Image& Img) {
  // Step s shows the first 11 s - 1 columns from x 481: nine bars, 10 wide, 1 apart.
  for (int k = 1; k <= 9; ++k) {
    int x0 = 481 + 11 * (k - 1);
    int Height = 24 + (178 - 24) * (k - 1) / 8;
    Color c = k <= 5 ? Mix(Rgb(60, 220, 90), Rgb(250, 220, 40), (k - 1) / 4.f)
                     : Mix(Rgb(250, 220, 40), Rgb(240, 60, 40), (k - 5) / 4.f);
    Box B{x0, 1016 - Height, x0 + 10, 1016};
    Panel(Img, B, Lighten(c, 0.35f), Darken(c, 0.2f), Darken(c, 0.6f), 2, 1);
  }
}

void KeyPanel(Image& Img, const Fonts& F) {
  // Drawn at P = (427, 96) in the menu frame; the game writes the key names at
  // k1 (-65..5, 18..33), k2 (100..170, 18..33) and k3..k7 (18..88, t..t+15) with
  // t = -20, 60, 140, 218, 300, relative to P.
  const int X = 480, Y = 521;
  Box B{X, Y, 586, 810};
  Panel(Img, {B.Left, B.Top, B.Right, B.Bottom}, PanelTop, PanelBottom, Border, 8, 1.5f);
  const Color A = Rgb(255, 215, 80);
  Arrow(Img, {X + 43, Y + 2, X + 63, Y + 16}, 0, -1, A);   // up: name above the panel
  Arrow(Img, {X + 3, Y + 17, X + 17, Y + 35}, -1, 0, A);   // left: name to the left
  Arrow(Img, {X + 89, Y + 17, X + 103, Y + 35}, 1, 0, A);  // right: name to the right
  Arrow(Img, {X + 43, Y + 37, X + 63, Y + 53}, 0, 1, A);   // down: name below
  DrawTextIn(Img, F.Bold, "MOVE", {X + 19, Y + 18, X + 87, Y + 34}, 13, Align::Centre, Heading());
  for (int t : {60, 140, 218})
    Panel(Img, {X + 15, Y + t - 2, X + 91, Y + t + 17}, Rgb(4, 6, 20), Rgb(12, 18, 44), Rgb(70, 100, 160), 4,
          1);
  struct Caption {
    int Top;
    const char* Text;
  };
  for (Caption c : {Caption{112, "TURN"}, Caption{190, "DROP"}, Caption{262, "CAMERA"}}) {
    FillShape(Img, B, Segment{{X + 12.f, Y + c.Top - 14.f}, {X + 94.f, Y + c.Top - 14.f}, 0.5f},
              Solid{Rgb(70, 100, 160)});
    DrawTextIn(Img, F.Bold, c.Text, {X + 6, Y + c.Top, X + 100, Y + c.Top + 20}, 15, Align::Centre,
               Heading());
  }
}

void ScoreTitle(Image& Img, const Fonts& F) {
  Box B{320, 480, 639, 514};
  Panel(Img, {B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1}, Rgb(50, 80, 160), Rgb(16, 28, 80), Border, 8,
        1.5f);
  DrawTextIn(Img, F.Bold, "HIGH SCORES", {B.Left + 10, B.Top + 3, B.Left + 170, B.Top + 28}, 17, Align::Left,
             Heading());
  // Columns: score right-aligned at frame x 590, level at 625 (title drawn at x 319).
  TextLook L = Body(Rgb(190, 215, 255));
  DrawTextIn(Img, F.Bold, "SCORE", {B.Left + 200, B.Top + 7, B.Left + 271, B.Top + 25}, 12, Align::Right, L);
  DrawTextIn(Img, F.Bold, "LV", {B.Left + 282, B.Top + 7, B.Left + 306, B.Top + 25}, 12, Align::Right, L);
}

void BigChoice(Image& Img, const Fonts& F, Box B, const std::string& Title, bool Play) {
  Panel(Img, {B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1}, PanelTop, PanelBottom, Border, 10, 2);
  Vec2 C{B.Left + 30.f, B.Top + 30.f};
  if (Play) {
    FillShape(Img, B, Circle{C, 19}, Solid{Rgb(40, 170, 80)});
    Polygon Tri{{{C.x - 6, C.y - 10}, {C.x + 11, C.y}, {C.x - 6, C.y + 10}}};
    FillShape(Img, B, Tri, Solid{Rgb(240, 255, 240)});
  } else {
    FillShape(Img, B, Circle{C, 19}, Solid{Rgb(190, 50, 40)});
    FillShape(Img, B, Subtract(Ring{C, 10, 2.2f}, Polygon{{{C.x - 6, C.y - 16}, {C.x + 6, C.y - 16}, C}}),
              Solid{Rgb(255, 240, 240)});
    FillShape(Img, B, Segment{{C.x, C.y - 13}, {C.x, C.y - 2}, 2.2f}, Solid{Rgb(255, 240, 240)});
  }
  DrawTextIn(Img, F.Bold, Title, {B.Left + 56, B.Top + 8, B.Right - 8, B.Top + 34}, 20, Align::Left,
             Heading());
  DrawTextIn(Img, F.Regular, "press ENTER", {B.Left + 56, B.Top + 35, B.Right - 8, B.Top + 52}, 13,
             Align::Left, Body(Rgb(190, 215, 255)));
}

}  // namespace

Image MakeMenuSheet(const Fonts& F) {
  Image Img(1024, 1024);
  MenuPanel(Img, F);
  CursorBar(Img);
  ScoreTitle(Img, F);
  SidePanel(Img, F);
  // Hints at frame (450, 430): Left/Right items and Enter/Space items.
  ArrowCap(Img, F, {261, 521, 288, 551}, -1, 0);
  ArrowCap(Img, F, {291, 521, 318, 551}, 1, 0);
  KeyCap(Img, F, {261, 555, 318, 585}, "ENTER", 11);
  KeyPanel(Img, F);
  VolumeBars(Img);
  BigChoice(Img, F, {259, 803, 476, 863}, "EXIT GAME", false);
  BigChoice(Img, F, {259, 868, 476, 928}, "START GAME", true);
  PageHowToPlay(Img, F);
  PageScoring(Img, F);
  PageSpecials(Img, F);
  return Img;
}

}  // namespace quarnix::content
