#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "content/Bmp.h"
#include "content/EmbeddedResources.h"

using namespace quarnix;

namespace {

// The catalogue of texture resources, written out from the game's asset table.
std::vector<std::string> CatalogueNames() {
  std::vector<std::string> n = {"2X2X2",     "4COLOR",     "BG",      "CLEARLAYER", "CUBEBLUE",
                                "CUBECLEAR", "CUBEGREEN",  "CUBERED", "CUBEYELLOW", "DIAMOND",
                                "FALLCUBE",  "SPECIALBOX", "TUND"};
  for (int i = 1; i <= 7; ++i) n.push_back("BUILDPLAN" + std::to_string(i));
  for (int i = 1; i <= 30; ++i) n.push_back((i < 10 ? "STAR0" : "STAR") + std::to_string(i));
  const std::pair<char, char> Groups[] = {{'4', 'K'}, {'5', 'F'}, {'6', 'D'}, {'7', 'B'}, {'8', 'A'}};
  for (auto [Digit, Last] : Groups)
    for (char Letter = 'A'; Letter <= Last; ++Letter)
      for (int c = 1; c <= 4; ++c) n.push_back(std::string{Digit, Letter} + std::to_string(c));
  return n;
}

RgbPicture Load(const std::string& Name) {
  const EmbeddedResource* r = FindEmbeddedResource(Name);
  if (!r) throw std::runtime_error("missing " + Name);
  return DecodeBmp24(r->Bytes);
}

const char* const Plain[4] = {"CUBERED", "CUBEGREEN", "CUBEBLUE", "CUBEYELLOW"};

// The mean red, green and blue.
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

// The dark outline of the emblem in the middle of a face, as a player without
// colour vision sees it: pixels much darker than the face around them.
std::vector<bool> Outline(const RgbPicture& p) {
  std::vector<double> Lum;
  for (int y = 12; y < 52; ++y)
    for (int x = 12; x < 52; ++x) {
      const std::uint8_t* c = &p.Rgb[3 * (y * p.Width + x)];
      Lum.push_back(0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2]);
    }
  const double Mean = std::accumulate(Lum.begin(), Lum.end(), 0.0) / Lum.size();
  std::vector<bool> m;
  for (double l : Lum) m.push_back(l < 0.4 * Mean);
  return m;
}

}  // namespace

// catches: a missing, extra, misnamed or malformed bitmap; a case-sensitive look-up.
TEST(EmbeddedResources, HoldExactlyTheCatalogueAsValidBitmaps) {
  std::vector<std::string> Names = CatalogueNames();
  ASSERT_EQ(Names.size(), 146u);
  EXPECT_EQ(EmbeddedResources().size(), 146u);
  for (const std::string& Name : Names) {
    SCOPED_TRACE(Name);
    const EmbeddedResource* r = FindEmbeddedResource(Name);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Name, Name);  // stored in upper case
    ASSERT_GE(r->Bytes.size(), 54u);
    EXPECT_EQ(r->Bytes[14], 40);  // 40-byte info header
    EXPECT_EQ(r->Bytes[28], 24);  // 24 bits per pixel
    EXPECT_EQ(r->Bytes[30], 0);   // uncompressed
    RgbPicture p = DecodeBmp24(r->Bytes);
    const int Size = Name == "BG" ? 256 : 64;
    EXPECT_EQ(std::pair(p.Width, p.Height), std::pair(Size, Size));
  }
  for (auto [Mixed, Upper] :
       {std::pair{"4Color", "4COLOR"}, {"2x2x2", "2X2X2"}, {"Buildplan3", "BUILDPLAN3"}}) {
    ASSERT_NE(FindEmbeddedResource(Mixed), nullptr) << Mixed;
    EXPECT_EQ(FindEmbeddedResource(Mixed)->Name, Upper);
  }
  EXPECT_EQ(FindEmbeddedResource("CubeRe"), nullptr);
  EXPECT_EQ(FindEmbeddedResource("GREENBG"), nullptr);  // only the file route uses that name
}

// catches: a cube picture in the wrong colour, or two pictures of a colour alike.
TEST(Textures, EachColourCubeReadsAsItsColourInAllItsPictures) {
  // slot 0 / 25 is the plain cube, 1..24 the piece pictures.
  const char* Stems[24] = {"4A", "4B", "4C", "4D", "4E", "4F", "4G", "4H", "4I", "4J", "4K", "5A",
                           "5B", "5C", "5D", "5E", "5F", "6A", "6B", "6C", "6D", "7A", "7B", "8A"};
  for (int c = 1; c <= 4; ++c) {
    std::vector<RgbPicture> Set = {Load(Plain[c - 1])};
    for (const char* s : Stems) Set.push_back(Load(s + std::to_string(c)));
    for (std::size_t i = 0; i < Set.size(); ++i) {
      SCOPED_TRACE(std::string(Plain[c - 1]) + " picture " + std::to_string(i));
      const auto v = Average(Set[i]);
      if (c == 4)
        EXPECT_GT(std::min(v[0], v[1]), 1.8 * v[2]);
      else
        EXPECT_GT(v[c - 1], (c == 1 ? 1.6 : 1.4) * std::max(v[c % 3], v[(c + 1) % 3]));
      // Every picture of a colour is its own.
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_GT(Difference(Set[i], Set[j]), 4.0) << "same as picture " << j;
    }
  }
}

// catches: plain cubes told apart by colour alone (no distinct outlined emblem).
TEST(Textures, PlainCubesDifferInShapeNotOnlyInColour) {
  std::vector<std::vector<bool>> Masks;
  for (const char* n : Plain) Masks.push_back(Outline(Load(n)));
  for (int a = 0; a < 4; ++a) {
    int Count = 0;
    for (bool b : Masks[a]) Count += b;
    EXPECT_GT(Count, 60) << Plain[a] << " has no outlined emblem";
    for (int b = 0; b < a; ++b) {
      int Both = 0, Either = 0;
      for (std::size_t i = 0; i < Masks[a].size(); ++i)
        Both += Masks[a][i] && Masks[b][i], Either += Masks[a][i] || Masks[b][i];
      EXPECT_LT(double(Both) / Either, 0.5) << Plain[a] << " and " << Plain[b] << " have the same outline";
    }
  }
}

// catches: star frames off the black colour key, blank, or repeating.
TEST(Textures, StarFramesAreDrawnOnTheColourKeyAndAnimate) {
  for (int Set = 0; Set < 3; ++Set) {
    RgbPicture Previous;
    for (int f = 1; f <= 10; ++f) {
      int n = 10 * Set + f;
      std::string Name = (n < 10 ? "STAR0" : "STAR") + std::to_string(n);
      SCOPED_TRACE(Name);
      RgbPicture p = Load(Name);
      auto Px = [&](int x, int y) { return &p.Rgb[3 * (y * 64 + x)]; };
      for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}, {32, 0}, {0, 32}})
        EXPECT_EQ(Px(x, y)[0] + Px(x, y)[1] + Px(x, y)[2], 0) << "corner not pure black";
      int Lit = 0;
      for (std::size_t i = 0; i < p.Rgb.size(); i += 3) Lit += p.Rgb[i] + p.Rgb[i + 1] + p.Rgb[i + 2] > 150;
      EXPECT_GT(Lit, 20);
      EXPECT_TRUE(f == 1 || Difference(p, Previous) > 0.5) << "same as the frame before";
      Previous = p;
    }
  }
}

// catches: two floor or special-cube pictures alike; a glass box that brightens what is under it.
TEST(Textures, FloorsAndSpecialCubesAreDistinct) {
  std::vector<std::string> Names = {"4COLOR",   "2X2X2",     "CLEARLAYER", "DIAMOND", "TUND",
                                    "FALLCUBE", "CUBECLEAR", "SPECIALBOX", "CUBERED"};
  for (int i = 1; i <= 7; ++i) Names.push_back("BUILDPLAN" + std::to_string(i));
  std::vector<RgbPicture> P;
  for (const std::string& n : Names) P.push_back(Load(n));
  for (std::size_t i = 0; i < P.size(); ++i)
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_GT(Difference(P[i], P[j]), 15.0) << Names[i] << " vs " << Names[j];
  // The glass box is drawn additively over a special cube: its middle must add nothing.
  RgbPicture Box = Load("SPECIALBOX");
  for (int y = 32; y < 46; ++y)
    for (int x = 32; x < 46; ++x) EXPECT_LT(Box.Rgb[3 * (y * 64 + x)] + Box.Rgb[3 * (y * 64 + x) + 1], 40);
}
