// The play screen's pictures. Every element lies inside the source rectangle the
// HUD draws it from, with a pixel of see-through margin where rectangles touch.

#include <cmath>
#include <string>

#include "Sheets.h"
#include "Textures.h"

namespace quarnix::content {

using namespace art;
using namespace sheet;

namespace {

constexpr int N = 512;

const Color Ink = Rgb(6, 8, 22);  // outlines: dark but opaque

TextLook GoldLook(float Edge) {
  TextLook L;
  L.Top = Rgb(255, 246, 200);
  L.Bottom = Rgb(255, 170, 30);
  L.Edge = Ink;
  L.EdgeWidth = Edge;
  return L;
}

TextLook WhiteLook(float Edge) {
  TextLook L;
  L.Top = Rgb(255, 255, 255);
  L.Bottom = Rgb(170, 220, 255);
  L.Edge = Ink;
  L.EdgeWidth = Edge;
  return L;
}

// The caption plaques along the top edge.
void Label(Image& Img, const Fonts& F, Box B, const std::string& Text) {
  Box Inner{B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1};
  Panel(Img, Inner, Rgb(40, 76, 150), Rgb(12, 26, 70), Rgb(150, 210, 255), 6, 1.5f);
  TextLook L = WhiteLook(1.2f);
  DrawTextIn(Img, F.Bold, Text, {Inner.Left + 4, Inner.Top + 3, Inner.Right - 4, Inner.Bottom - 3}, 19,
             Align::Centre, L);
}

void SmallGlyphs(Image& Img, const Fonts& F) {
  // Digits 0..9 at (15d, 330)-(15d+14, 344); letters A..Z at (15(n-1), 345)-(15n-1, 360).
  // Both share the baseline 12 rows below their top, since names mix them.
  const float Size = 15, Base = 12;
  TextLook L = WhiteLook(1);
  L.ScaleX = 1.45f;  // fill the 15-pixel pitch instead of leaving wide gaps
  for (int d = 0; d < 10; ++d)
    CellText(Img, F.Bold, std::string(1, char('0' + d)), {15 * d, 330, 15 * d + 14, 344}, Size, 330 + Base,
             L);
  for (int n = 1; n <= 26; ++n)
    CellText(Img, F.Bold, std::string(1, char('A' + n - 1)), {15 * (n - 1), 345, 15 * n - 1, 360}, Size,
             345 + Base, L);
  // Letter 27 is the space: left see-through.
}

void ScoreDigits(Image& Img, const Fonts& F) {
  for (int d = 0; d < 10; ++d) {
    Box B{40 * d + 60, 0, 40 * d + 100, 25};
    Panel(Img, {B.Left + 3, B.Top, B.Right - 3, B.Bottom}, Rgb(36, 40, 78), Rgb(8, 10, 32), Rgb(200, 150, 50),
          5, 1.2f);
    CellText(Img, F.Bold, std::string(1, char('0' + d)), {B.Left + 3, 0, B.Right - 3, 25}, 25, 21,
             GoldLook(1));
  }
}

void BigDigits(Image& Img, const Fonts& F) {
  // One set serves both the level announcement (top 81) and the clear pop-up (top 82):
  // glyphs keep off rows 81, 82, 108 and 109.
  TextLook L = GoldLook(2);
  L.ScaleX = 1.6f;
  for (int d = 0; d < 10; ++d)
    CellText(Img, F.Bold, std::string(1, char('0' + d)), {40 * d + 20, 82, 40 * d + 60, 109}, 28, 104, L);
  CellText(Img, F.Bold, "+", {0, 82, 20, 109}, 26, 102, L);
  TextLook Word = GoldLook(2);
  Word.Top = Rgb(255, 255, 255);
  Word.Bottom = Rgb(120, 220, 255);
  DrawTextIn(Img, F.Bold, "LEVEL", {2, 51, 138, 79}, 30, Align::Right, Word);
  TextLook Chain = GoldLook(2);
  Chain.Top = Rgb(255, 240, 120);
  Chain.Bottom = Rgb(255, 70, 40);
  DrawTextIn(Img, F.Bold, "CHAIN!", {152, 51, 318, 79}, 30, Align::Centre, Chain);
}

void Gauge(Image& Img, const Fonts&) {
  // Frame (447,50)-(487,199); its window (7..33, 8..142 inside) is where the bar appears.
  Box Fr{447, 50, 487, 199};
  Panel(Img, Fr, Rgb(190, 196, 210), Rgb(90, 96, 112), Rgb(30, 34, 48), 8, 1.5f);
  Box Win{Fr.Left + 6, Fr.Top + 7, Fr.Left + 34, Fr.Top + 143};
  Panel(Img, Win, Rgb(8, 12, 30), Rgb(16, 24, 52), Rgb(20, 24, 36), 3, 1);
  for (int k = 1; k < 10; ++k) {
    float y = Fr.Top + 8 + 134.f * k / 10;
    FillShape(Img, Fr, Segment{{float(Fr.Left + 8), y}, {float(Fr.Left + (k == 5 ? 18 : 13)), y}, 0.6f},
              Solid{Rgb(120, 150, 200)});
  }
  // Bar (420,50)-(446,184): lit like a rod, so stretching it keeps its look.
  for (int y = 50; y < 184; ++y)
    for (int x = 420; x < 446; ++x) {
      float u = (x - 419.5f) / 26.f;
      float Light = 0.55f + 0.6f * std::sin(u * 3.14159f) - 0.25f * u;
      Color c = Mix(Rgb(255, 120, 40), Rgb(255, 220, 60), (y - 50) / 134.f);
      c = c * Light;
      if (std::abs(u - 0.3f) < 0.06f) c = Lighten(c, 0.5f);
      Img.At(x, y) = {Clamp01(c.r), Clamp01(c.g), Clamp01(c.b)};
    }
  Opaque(Img, {420, 50, 446, 184});
}

void QuitPrompt(Image& Img, const Fonts& F) {
  Box B{0, 260, 499, 330};
  Panel(Img, {B.Left + 1, B.Top + 1, B.Right - 1, B.Bottom - 1}, Rgb(30, 44, 96), Rgb(10, 16, 44),
        Rgb(150, 210, 255), 10, 2);
  DrawTextIn(Img, F.Bold, "QUIT THIS GAME?", {20, 265, 479, 295}, 24, Align::Centre, WhiteLook(1.5f));
  KeyCap(Img, F, {130, 299, 154, 323}, "Y", 16);
  TextLook L = WhiteLook(1);
  DrawTextIn(Img, F.Bold, "YES", {160, 300, 230, 322}, 17, Align::Left, L);
  KeyCap(Img, F, {280, 299, 304, 323}, "N", 16);
  DrawTextIn(Img, F.Bold, "NO", {310, 300, 380, 322}, 17, Align::Left, L);
}

// Drawn at the bottom edge: a strip whose first ten rows double as the name line.
void Strip(Image& Img, const Fonts& F, int Top, const std::string& Text) {
  for (int y = Top; y < Top + 29; ++y)
    for (int x = 0; x < 511; ++x) {
      Color c = Mix(Rgb(20, 34, 76), Rgb(8, 14, 40), (y - Top) / 29.f);
      if (y == Top + 9) c = Rgb(110, 200, 255);
      Img.At(x, y) = c;
    }
  TextLook L = WhiteLook(0);
  L.Top = L.Bottom = Rgb(200, 225, 255);
  DrawTextIn(Img, F.Bold, Text, {8, Top + 11, 503, Top + 28}, 14, Align::Centre, L);
}

}  // namespace

Image MakeHudSheetA(const Fonts& F) {
  Image Img(N, N);
  ScoreDigits(Img, F);
  BigDigits(Img, F);
  Gauge(Img, F);
  Label(Img, F, {123, 200, 224, 230}, "NEXT");
  Label(Img, F, {346, 200, 457, 230}, "LEVEL");
  Label(Img, F, {0, 200, 122, 230}, "SCORE");
  Label(Img, F, {0, 230, 122, 260}, "BONUS");
  Label(Img, F, {226, 200, 344, 230}, "HEIGHT");
  QuitPrompt(Img, F);
  SmallGlyphs(Img, F);
  return Img;
}

Image MakeHudSheetB(const Fonts& F) {
  Image Img(N, N);
  // Game-over panel (0,0)-(479,359).
  Panel(Img, {0, 0, 479, 359}, Rgb(26, 36, 88), Rgb(8, 12, 36), Rgb(255, 196, 80), 16, 3);
  Panel(Img, {10, 10, 469, 349}, Rgb(22, 32, 80), Rgb(8, 12, 36), Rgb(90, 120, 190), 12, 1);
  TextLook Title = GoldLook(2.5f);
  Title.Top = Rgb(255, 250, 210);
  Title.Bottom = Rgb(255, 90, 40);
  Title.Shadow = 3;
  DrawTextIn(Img, F.Bold, "GAME OVER", {20, 28, 459, 98}, 60, Align::Centre, Title);
  TextLook Sub = WhiteLook(0);
  Sub.Top = Sub.Bottom = Rgb(170, 200, 240);
  DrawTextIn(Img, F.Regular, "Your results", {20, 112, 459, 134}, 17, Align::Centre, Sub);
  FillShape(Img, {40, 140, 440, 146}, Segment{{60, 143}, {420, 143}, 0.7f}, Solid{Rgb(90, 120, 190)});
  for (int c = 1; c <= 4; ++c)
    Paste(Img, Downscale2(MakeCubeFace(c, 0)), 240 - 80 + 40 * (c - 1) - 16 + 20, 160);
  // Number captions over the digits the game draws at y 245 (offsets 16, 130, 250, 405).
  struct Field {
    int Left, Digits;
    const char* Caption;
  };
  const Field Fields[4] = {{16, 5, "SCORE"}, {130, 5, "BONUS"}, {250, 5, "TOTAL"}, {405, 2, "LEVEL"}};
  for (const Field& f : Fields) {
    int Right = f.Left + 15 * (f.Digits - 1) + 14;
    int Mid = (f.Left + Right) / 2;
    DrawTextIn(Img, F.Bold, f.Caption, {Mid - 45, 212, Mid + 45, 236}, 17, Align::Centre, GoldLook(1));
    Panel(Img, {f.Left - 5, 240, Right + 5, 264}, Rgb(6, 8, 24), Rgb(14, 20, 46), Rgb(90, 120, 190), 4, 1);
  }
  TextLook Sign = WhiteLook(1);
  DrawTextIn(Img, F.Bold, "+", {96, 240, 124, 264}, 20, Align::Centre, Sign);
  DrawTextIn(Img, F.Bold, "=", {214, 240, 240, 264}, 20, Align::Centre, Sign);
  // Footer: "TYPE YOUR" + caption "NAME" (165,330)-(234,344) + cursor (240,330)-(254,344)
  // read as a prompt; the caption and the cursor are drawn from here again during entry.
  TextLook Foot = WhiteLook(0.8f);
  Foot.Top = Foot.Bottom = Rgb(150, 230, 255);
  DrawTextIn(Img, F.Bold, "TYPE YOUR", {60, 330, 161, 344}, 14, Align::Right, Foot);
  DrawTextIn(Img, F.Bold, "NAME", {167, 330, 234, 344}, 14, Align::Left, Foot);
  FillShape(Img, {240, 330, 254, 344}, RoundBox{{247, 341}, 6, 2, 0.8f}, Solid{Rgb(255, 230, 80)});
  TextLook Hint = Foot;
  Hint.Top = Hint.Bottom = Rgb(200, 210, 230);
  DrawTextIn(Img, F.Bold, "ENTER: DONE", {300, 330, 440, 344}, 13, Align::Left, Hint);
  // Name line (0,365)-(389,380): the field behind the typed name; its last ten
  // rows are the first rows of the strip below.
  for (int y = 365; y < 370; ++y)
    for (int x = 0; x < 389; ++x) Img.At(x, y) = Rgb(20, 34, 76);
  Strip(Img, F, 370, "LINE UP THREE CUBES OF ONE COLOUR TO CLEAR THEM");
  Strip(Img, F, 410, "EVERY 50 POINTS THE WELL TURNS   -   ESC QUITS");
  return Img;
}

Image MakeIconSheet() {
  Image Img(N, N);
  auto Icon = [&](const Image& Face, int Col, int Row) {
    Image Small = Downscale2(Face);
    Paste(Img, Small, 32 * Col, 32 * Row);
  };
  // Colour kinds 1..4: picture p of the level's cube set; p 0 and 25 are the plain cube.
  for (int Kind = 1; Kind <= 4; ++Kind)
    for (int p = 0; p <= 25; ++p) {
      int Col = Kind - 1 + (p >= 16 ? 4 : 0), Row = p - (p >= 16 ? 16 : 0);
      Icon(MakeCubeFace(Kind, p == 25 ? 0 : p), Col, Row);
    }
  const char* const Specials[6] = {"4COLOR", "2X2X2", "CLEARLAYER", "DIAMOND", "TUND", "FALLCUBE"};
  for (int k = 0; k < 4; ++k) Icon(MakeTexture(Specials[k]), 4 + k, 10);
  for (int k = 0; k < 2; ++k) Icon(MakeTexture(Specials[4 + k]), 4 + k, 11);
  return Img;
}

}  // namespace quarnix::content
