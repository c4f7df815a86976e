#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "content/Bmp.h"
#include "content/EmbeddedResources.h"

using namespace quarnix;

namespace {

// The 24 piece pictures' stems, as the game's asset table names them.
std::vector<std::string> PieceStems() {
  std::vector<std::string> n;
  for (auto [Digit, Last] : {std::pair{'4', 'K'}, {'5', 'F'}, {'6', 'D'}, {'7', 'B'}, {'8', 'A'}})
    for (char Letter = 'A'; Letter <= Last; ++Letter) n.push_back(std::string{Digit, Letter});
  return n;
}
std::string StarName(int n) { return (n < 10 ? "STAR0" : "STAR") + std::to_string(n); }

RgbPicture Load(const std::string& Name) {
  const EmbeddedResource* r = FindEmbeddedResource(Name);
  return r ? DecodeBmp24(r->Bytes) : throw std::runtime_error("missing " + Name);
}

const char* const Plain[4] = {"CUBERED", "CUBEGREEN", "CUBEBLUE", "CUBEYELLOW"};
const std::uint8_t* Px(const RgbPicture& p, int x, int y) { return &p.Rgb[3 * (y * p.Width + x)]; }

std::array<double, 3> Average(const RgbPicture& p) {
  std::array<double, 3> m{};
  for (std::size_t i = 0; i < p.Rgb.size(); ++i) m[i % 3] += p.Rgb[i] / (p.Rgb.size() / 3.0);
  return m;
}

double Difference(const RgbPicture& a, const RgbPicture& b) {
  double d = 0;
  for (std::size_t i = 0; i < a.Rgb.size(); ++i) d += std::abs(int(a.Rgb[i]) - int(b.Rgb[i]));
  return d / a.Rgb.size();
}

// The emblem's outline as a player without colour vision sees it: pixels much darker than the face.
std::vector<bool> Outline(const RgbPicture& p) {
  std::vector<double> Lum;
  for (int y = 12; y < 52; ++y)
    for (int x = 12; x < 52; ++x)
      Lum.push_back(0.3 * Px(p, x, y)[0] + 0.59 * Px(p, x, y)[1] + 0.11 * Px(p, x, y)[2]);
  const double Mean = std::accumulate(Lum.begin(), Lum.end(), 0.0) / Lum.size();
  std::vector<bool> m;
  for (double l : Lum) m.push_back(l < 0.4 * Mean);
  return m;
}

}  // namespace

// catches: a missing, extra, misnamed or malformed bitmap; a case-sensitive look-up.
TEST(EmbeddedResources, HoldExactlyTheCatalogueAsValidBitmaps) {
  std::vector<std::string> Names = {"2X2X2",     "4COLOR",     "BG",      "CLEARLAYER", "CUBEBLUE",
                                    "CUBECLEAR", "CUBEGREEN",  "CUBERED", "CUBEYELLOW", "DIAMOND",
                                    "FALLCUBE",  "SPECIALBOX", "TUND"};
  for (int i = 1; i <= 7; ++i) Names.push_back("BUILDPLAN" + std::to_string(i));
  for (int i = 1; i <= 30; ++i) Names.push_back(StarName(i));
  for (const std::string& Stem : PieceStems())
    for (int c = 1; c <= 4; ++c) Names.push_back(Stem + std::to_string(c));
  ASSERT_EQ(Names.size(), 146u);
  EXPECT_EQ(EmbeddedResources().size(), 146u);
  for (const std::string& Name : Names) {
    SCOPED_TRACE(Name);
    const EmbeddedResource* r = FindEmbeddedResource(Name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Name, Name);              // stored in upper case
    RgbPicture p = DecodeBmp24(r->Bytes);  // refuses any but uncompressed 24-bit bitmaps
    EXPECT_EQ(std::pair(p.Width, p.Height), Name == "BG" ? std::pair(256, 256) : std::pair(64, 64));
  }
  for (auto [Mixed, Upper] :
       {std::pair{"4Color", "4COLOR"}, {"2x2x2", "2X2X2"}, {"Buildplan3", "BUILDPLAN3"}})
    EXPECT_EQ(FindEmbeddedResource(Mixed), FindEmbeddedResource(Upper)) << Mixed;
  EXPECT_EQ(FindEmbeddedResource("CubeRe"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("GREENBG"), nullptr);  // only the file route uses that name
}

// catches: cubes off colour, alike or plain; stars off key, blank or still; floors alike; a brightening box.
TEST(Textures, CubesStarsFloorsAndSpecialCubesAreDrawnAndDistinct) {
  std::vector<std::vector<bool>> Masks;
  for (int c = 1; c <= 4; ++c) {
    std::vector<RgbPicture> Set = {Load(Plain[c - 1])};
    for (const std::string& s : PieceStems()) Set.push_back(Load(s + std::to_string(c)));
    for (std::size_t i = 0; i < Set.size(); ++i) {
      SCOPED_TRACE(std::string(Plain[c - 1]) + " picture " + std::to_string(i));
      const auto v = Average(Set[i]);
      if (c == 4)
        EXPECT_GT(std::min(v[0], v[1]), 1.8 * v[2]);
      else
        EXPECT_GT(v[c - 1], (c == 1 ? 1.6 : 1.4) * std::max(v[c % 3], v[(c + 1) % 3]));
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_GT(Difference(Set[i], Set[j]), 4.0) << "same as picture " << j;
    }
    const std::vector<bool>& m = Masks.emplace_back(Outline(Set[0]));
    EXPECT_GT(std::count(m.begin(), m.end(), true), 60) << Plain[c - 1] << " has no outlined emblem";
    for (int b = 0; b < c - 1; ++b) {
      int Both = 0, Either = 0;
      for (std::size_t i = 0; i < m.size(); ++i) Both += m[i] && Masks[b][i], Either += m[i] || Masks[b][i];
      EXPECT_LT(double(Both) / Either, 0.5)
          << Plain[c - 1] << " and " << Plain[b] << " have the same outline";
    }
  }
  for (int Set = 0; Set < 3; ++Set) {
    RgbPicture Previous;
    for (int f = 1; f <= 10; ++f) {
      SCOPED_TRACE(StarName(10 * Set + f));
      RgbPicture p = Load(StarName(10 * Set + f));
      for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}, {32, 0}, {0, 32}})
        EXPECT_EQ(Px(p, x, y)[0] + Px(p, x, y)[1] + Px(p, x, y)[2], 0) << "corner not pure black";
      int Lit = 0;
      for (std::size_t i = 0; i < p.Rgb.size(); i += 3) Lit += p.Rgb[i] + p.Rgb[i + 1] + p.Rgb[i + 2] > 150;
      EXPECT_GT(Lit, 20);
      EXPECT_TRUE(f == 1 || Difference(p, Previous) > 0.5) << "same as the frame before";
      Previous = p;
    }
  }
  std::vector<std::string> Names = {"4COLOR",   "2X2X2",     "CLEARLAYER", "DIAMOND", "TUND",
                                    "FALLCUBE", "CUBECLEAR", "SPECIALBOX", "CUBERED"};
  for (int i = 1; i <= 7; ++i) Names.push_back("BUILDPLAN" + std::to_string(i));
  std::vector<RgbPicture> P;
  for (const std::string& n : Names) P.push_back(Load(n));
  for (std::size_t i = 0; i < P.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_GT(Difference(P[i], P[j]), 15.0) << Names[i] << " vs " << Names[j];
  for (int y = 32; y < 46; ++y)  // the glass box is drawn additively: its middle must add nothing
    for (int x = 32; x < 46; ++x) EXPECT_LT(Px(P[7], x, y)[0] + Px(P[7], x, y)[1], 40);
}
