#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "content/ZeroRuns.h"
#include "core/Files.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

const std::filesystem::path Data = std::filesystem::path(QUARNIX_GAME_DIR) / "Data";

struct Sheet {
  int Size = 0;
  Bytes Rgb;
  const std::uint8_t* At(int x, int y) const { return &Rgb[3 * (static_cast<std::size_t>(y) * Size + x)]; }
  bool Black(int x, int y) const { return At(x, y)[0] + At(x, y)[1] + At(x, y)[2] == 0; }
  // Pixels of the rectangle (right and bottom exclusive) that are not pure black.
  int Content(int l, int t, int r, int b) const {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) n += !Black(x, y);
    return n;
  }
  Bytes Cut(int l, int t, int r, int b) const {
    Bytes Out;
    for (int y = t; y < b; ++y) Out.insert(Out.end(), At(l, y), At(r, y));
    return Out;
  }
};

// As the game loads a packed sheet: all bytes but the last, into a zeroed buffer.
Sheet Load(const std::string& Name, int Size) {
  const Bytes File = quarnix::ReadFileBytes(Data / Name);
  Sheet s{Size, Bytes(static_cast<std::size_t>(Size) * Size * 3, 0)};
  auto r = quarnix::UnpackZeroRuns(std::span(File).first(File.size() - 1), s.Rgb);
  EXPECT_EQ(std::pair(r.Written, r.Overflow), std::pair(s.Rgb.size(), false))
      << Name << " does not fill its picture";
  return s;
}

}  // namespace

// catches: HUD glyphs outside their rectangles or alike; an empty HUD panel, or one with holes.
TEST(ScreenImages, HudGlyphsSitInTheirRectanglesAndPanelsAreFilledAndOpaque) {
  Sheet SA = Load("SA.RB", 512), SB = Load("SB.RB", 512);
  // Small digits and letters (a free gutter column after each), score and level digits.
  for (auto [Count, Left, Pitch, Width, Top, Bottom, Min] : {std::array{10, 0, 15, 14, 330, 344, 15},
                                                             {26, 0, 15, 14, 345, 360, 15},
                                                             {10, 60, 40, 40, 0, 25, 300},
                                                             {10, 20, 40, 40, 83, 108, 60}}) {
    std::vector<Bytes> Seen;
    for (int i = 0; i < Count; ++i) {
      SCOPED_TRACE(std::to_string(Top) + ": glyph " + std::to_string(i));
      const int l = Left + Pitch * i;
      EXPECT_GT(SA.Content(l, Top, l + Width, Bottom), Min);
      EXPECT_TRUE(Pitch == Width || SA.Content(l + Width, Top, l + Width + 1, Bottom) == 0);
      Seen.push_back(SA.Cut(l, Top, l + Width, Bottom));
      for (int e = 0; e < i; ++e) EXPECT_NE(Seen[i], Seen[e]) << "same as glyph " << e;
    }
  }
  for (int l = 20; l < 420; l += 40)  // the pop-up starts at 82, the level at 81
    EXPECT_EQ(SA.Content(l, 81, l + 40, 83) + SA.Content(l, 108, l + 40, 110), 0) << l;
  EXPECT_EQ(SA.Content(150, 330, 512, 345), 0);              // nothing beside the ten digits
  EXPECT_EQ(SA.Content(15 * 26, 345, 15 * 27 - 1, 360), 0);  // letter 27 is the space
  EXPECT_GT(SA.Content(0, 82, 20, 110), 30);                 // the pop-up's sign
  const std::tuple<const Sheet*, int, int, int, int, int> Rects[] = {
      {&SA, 123, 200, 224, 230, 1500}, {&SA, 346, 200, 457, 230, 1500}, {&SA, 0, 200, 122, 230, 1500},
      {&SA, 0, 230, 122, 260, 1500},   {&SA, 226, 200, 344, 230, 1500}, {&SA, 447, 50, 487, 199, 2500},
      {&SA, 0, 50, 140, 80, 300},      {&SA, 150, 50, 320, 80, 300},    {&SA, 0, 260, 499, 330, 20000},
      {&SB, 0, 0, 479, 359, 100000},   {&SB, 165, 330, 234, 344, 200},  {&SB, 0, 365, 389, 380, 5000},
      {&SB, 240, 330, 254, 344, 10},   {&SB, 0, 370, 511, 399, 14000},  {&SB, 0, 410, 511, 439, 14000}};
  for (auto [S, l, t, r, b, MinContent] : Rects)
    EXPECT_GE(S->Content(l, t, r, b), MinContent) << l << "," << t;
  EXPECT_EQ(SA.Content(420, 50, 446, 184), 26 * 134);  // the height bar, stretched, is solid
  EXPECT_EQ(SA.Content(6, 266, 493, 324), 487 * 58);
  EXPECT_EQ(SB.Content(20, 20, 459, 339), 439 * 319);
}

// catches: a missing icon or two alike; a gap between intro halves; still frames; wrong background size.
TEST(ScreenImages, IconsForEveryPictureAndKindIntroHalvesMeetAndTheStripAnimates) {
  Sheet CS = Load("CS.RB", 512);
  auto Icon = [&](int l, int t) { return CS.Cut(l, t, l + 31, t + 31); };
  for (int Kind = 1; Kind <= 4; ++Kind) {
    std::vector<Bytes> Seen;
    for (int p = 0; p <= 25; ++p) {
      int c = Kind - 1 + (p >= 16 ? 4 : 0), r = p - (p >= 16 ? 16 : 0);
      EXPECT_GT(CS.Content(32 * c, 32 * r, 32 * c + 31, 32 * r + 31), 800) << Kind << "/" << p;
      Seen.push_back(Icon(32 * c, 32 * r));
    }
    EXPECT_EQ(Seen[0], Seen[25]) << "pictures 0 and 25 are both the plain cube";
    for (int p = 1; p <= 24; ++p) EXPECT_NE(Seen[p], Seen[0]);
  }
  std::vector<Bytes> Specials;
  for (int Kind = 5; Kind <= 10; ++Kind) {
    const int l = 128 + 32 * ((Kind - 5) % 4), t = Kind <= 8 ? 320 : 352;
    EXPECT_GT(CS.Content(l, t, l + 31, t + 31), 800) << Kind;
    for (const Bytes& Other : Specials) EXPECT_NE(Icon(l, t), Other) << Kind;
    Specials.push_back(Icon(l, t));
  }
  EXPECT_EQ(std::filesystem::file_size(Data / "BG.RB"), 20u * 256 * 256 * 3);
  Sheet OA = Load("OA.RB", 512), OB = Load("OB.RB", 512);
  EXPECT_GT(OA.Content(0, 0, 240, 360), 10000);
  EXPECT_GT(OA.Content(241, 0, 423, 360), 10000);
  EXPECT_EQ(OA.Content(184, 0, 241, 512), 0);  // the halves rest 184 pixels apart: nothing in between
  EXPECT_GT(OA.Content(183, 0, 184, 360), 20);
  EXPECT_GT(OA.Content(241, 0, 242, 360), 20);
  EXPECT_EQ(OA.Content(0, 360, 512, 512), 0);
  Bytes Previous;
  for (int Top = 8; Top < 504; Top += 62) {
    EXPECT_GT(OB.Content(0, Top, 400, Top + 62), 500) << "frame at " << Top;
    EXPECT_NE(OB.Cut(0, Top, 400, Top + 62), Previous) << "frame at " << Top;
    Previous = OB.Cut(0, Top, 400, Top + 62);
  }
  EXPECT_GT(OB.Content(0, 442, 400, 504), OB.Content(0, 8, 400, 70)) << "the last frame shows the most";
  EXPECT_EQ(OB.Content(0, 0, 512, 8), 0);
}

// catches: a missing menu picture or label gap, volume bars not rising, help pages over the window's border.
TEST(ScreenImages, MenuSheetHasEveryPictureAndHelpPagesStayInsideTheRightHandWindow) {
  Sheet ME = Load("ME.RB", 1024);
  const int Rects[][6] = {
      // the help pages first, with the frame row they are centred on
      {640, 0, 955, 321, 80000, 240}, {0, 751, 248, 958, 40000, 240}, {600, 510, 849, 909, 80000, 220},
      {0, 0, 639, 479, 100000},       {0, 480, 319, 514, 8000},       {0, 520, 230, 745, 2000},
      {480, 521, 586, 810, 25000},    {320, 480, 639, 514, 8000},     {259, 868, 476, 928, 10000},
      {259, 803, 476, 863, 10000},    {260, 554, 319, 586, 1200},     {260, 520, 319, 552, 1200}};
  for (auto& r : Rects) EXPECT_GE(ME.Content(r[0], r[1], r[2], r[3]), r[4]) << r[0] << "," << r[1];
  for (int n = 1; n <= 7; ++n) {
    int Mid = 520 + 5 + 35 * (n - 1);
    EXPECT_GT(ME.Content(0, std::max(520, Mid - 8), 230, Mid + 10), 150) << "item " << n;
    EXPECT_TRUE(n == 7 || ME.Content(0, Mid + 17, 230, Mid + 23) == 0) << "after item " << n;
  }
  int Previous = 0;
  for (int l = 481; l < 580; l += 11) {  // nine volume bars, each taller than the one before
    const int Height = ME.Content(l, 838, l + 10, 1016) / 10;
    EXPECT_GT(Height, std::exchange(Previous, Height)) << "bar at " << l;
    EXPECT_EQ(ME.Content(l + 10, 838, l + 11, 1016), 0) << "gap after bar at " << l;
  }
  EXPECT_GE(Previous, 170);
  // Pages centred on column 480 over the panel (at 0, 0) must lie on the window's dark inside.
  for (auto& p : std::span(Rects).first(3)) {
    const int u0 = 480 - (p[2] - p[0]) / 2, v0 = p[5] - (p[3] - p[1]) / 2;
    int Covered = 0;
    for (int y = p[1]; y < p[3]; ++y)
      for (int x = p[0]; x < p[2]; ++x) {
        const int u = u0 + x - p[0], v = v0 + y - p[1];
        const std::uint8_t* Under = ME.At(u, v);
        const bool Inside = !ME.Black(u, v) && std::max({Under[0], Under[1], Under[2]}) < 100;
        Covered += !ME.Black(x, y) && !Inside;
      }
    EXPECT_EQ(Covered, 0) << "the page at " << p[0] << "," << p[1];
  }
}
