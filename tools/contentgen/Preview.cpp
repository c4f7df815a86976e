#include "Preview.h"

#include <cmath>
#include <functional>
#include <map>

#include "Textures.h"

namespace quarnix::content {

using namespace art;

namespace {

struct Rect {
  int l, t, r, b;
};

// Draws the source rectangle of a sheet at (x, y) the way the sprite layer does:
// pure black is see-through (unless Keyed is false), Alpha scales the opacity.
void Blit(Image& Dst, const Image& Sheet, Rect S, float x, float y, bool Keyed = true, float Alpha = 1,
          float ScaleY = 1) {
  int H = static_cast<int>(std::lround((S.b - S.t) * ScaleY));
  for (int j = 0; j < H; ++j)
    for (int i = 0; i < S.r - S.l; ++i) {
      int sy = S.t + std::min(S.b - S.t - 1, static_cast<int>(j / ScaleY));
      Color c = Sheet.At(S.l + i, sy);
      if (Keyed && c.r + c.g + c.b < 0.5f / 255) continue;
      Dst.Blend(static_cast<int>(x) + i, static_cast<int>(y) + j, c, Alpha);
    }
}

Image Backdrop(const Image& Backgrounds, int Index, float Dim) {
  Image Out(1024, 768);
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x)
      Out.At(x, y) = Backgrounds.At(x / 2 % 256, Index * 256 + y / 2 % 256) * Dim;
  return Out;
}

void Number(Image& Dst, const Image& Sheet, int Value, int Digits, std::function<Rect(int)> DigitRect,
            std::function<Vec2(int)> Pos, float Alpha = 1) {
  std::string s = std::to_string(Value);
  s = std::string(std::max(0, Digits - static_cast<int>(s.size())), '0') + s;
  for (int n = 1; n <= static_cast<int>(s.size()); ++n)
    Blit(Dst, Sheet, DigitRect(s[n - 1] - '0'), Pos(n).x, Pos(n).y, true, Alpha);
}

// Part of an image enlarged k times without smoothing, so single pixels can be judged.
Image Zoom(const Image& Src, Box Part, int k) {
  Image Out(Part.Width() * k, Part.Height() * k);
  for (int y = 0; y < Out.H; ++y)
    for (int x = 0; x < Out.W; ++x) Out.At(x, y) = Src.At(Part.Left + x / k, Part.Top + y / k);
  return Out;
}

}  // namespace

std::vector<std::pair<std::string, Image>> MakePreviews(const std::vector<ScreenImage>& Images,
                                                        const Fonts& F) {
  std::map<ImageFile, const Image*> S;
  for (const ScreenImage& i : Images) S[i.File] = &i.Picture;
  const Image &SA = *S[ImageFile::SA], &SB = *S[ImageFile::SB], &CS = *S[ImageFile::CS],
              &ME = *S[ImageFile::ME];
  const Image &BG = *S[ImageFile::BG], &OA = *S[ImageFile::OA], &OB = *S[ImageFile::OB];
  const int W = 1024, H = 768;
  auto ScoreDigit = [](int d) { return Rect{40 * d + 60, 0, 40 * d + 100, 25}; };
  auto Digit = [](int d) { return Rect{15 * d, 330, 15 * d + 14, 344}; };
  auto Letter = [](int n) { return Rect{15 * (n - 1), 345, 15 * n - 1, 360}; };
  std::vector<std::pair<std::string, Image>> Out;

  {  // Play screen with every HUD element at once.
    Image P = Backdrop(BG, 3, 0.8f);
    Blit(P, SA, {123, 200, 224, 230}, 29.5f, 2);
    Blit(P, SA, {346, 200, 457, 230}, W / 4 - 23.5f, 2);
    Blit(P, SA, {0, 200, 122, 230}, W / 2 - 61.f, 2);
    Blit(P, SA, {0, 230, 122, 260}, 3 * W / 4 - 93.f, 2);
    Blit(P, SA, {226, 200, 344, 230}, W - 151.5f, 2);
    Number(P, SA, 1234, 5, ScoreDigit, [&](int n) { return Vec2{W / 2 - 140.f + 40 * n, 36}; });
    Number(P, SA, 56, 5, Digit, [&](int n) { return Vec2{3 * W / 4 - 84.f + 15 * n, 40}; });
    Number(P, SA, 7, 2, Digit, [&](int n) { return Vec2{W / 4 + 2.f + 15 * n, 40}; });
    Blit(P, SA, {447, 50, 487, 199}, W - 112.f, 40);
    const float MaxHeight = 6;
    Blit(P, SA, {420, 50, 446, 184}, W - 105.f, 134 - 134 * MaxHeight / 10 + 48, true, 1, MaxHeight / 10);
    Blit(P, SB, {0, 370, 511, 399}, 0, H + 1 - 30.f);
    Blit(P, SB, {0, 410, 511, 439}, W / 2.f, H + 1 - 30.f);
    const int Next[3][3] = {{1, 1, 0}, {0, 5, 1}, {0, 0, 1}};
    for (int i = 1; i <= 3; ++i)
      for (int j = 1; j <= 3; ++j) {
        int k = Next[i - 1][j - 1];
        if (k == 0) continue;
        Rect R = k <= 4 ? Rect{32 * (k - 1), 32 * 3, 32 * (k - 1) + 31, 32 * 3 + 31}
                        : Rect{128 + 32 * (k - 5), 320, 159 + 32 * (k - 5), 351};
        Blit(P, CS, R, 32.f * j, 32.f * i + 8, false);
      }
    const int Rise = 60;
    Number(
        P, SA, 42, 2,
        [](int d) {
          return Rect{20 + 40 * d, 82, 60 + 40 * d, 110};
        },
        [&](int n) {
          return Vec2{W / 2 + 40.f * (n - 1) - 20, H / 2.f - Rise};
        });
    Blit(P, SA, {0, 82, 20, 110}, W / 2 - 40.f, H / 2.f - Rise);
    Blit(P, SA, {150, 50, 320, 80}, W / 2 - 85.f, H / 2.f - Rise - 40);
    Blit(P, SA, {0, 50, 140, 80}, W / 2 - 110.f, 200);
    Blit(P, SA, {20 + 40 * 7, 81, 60 + 40 * 7, 109}, W / 2 + 80.f, 200);
    Blit(P, SA, {0, 260, 499, 330}, W / 2 - 250.f, H / 2 + 120.f);
    Out.emplace_back("preview-play", std::move(P));
  }
  {  // Game over with a name being typed.
    Image P = Backdrop(BG, 7, 0.8f);
    Vec2 O{W / 2 - 240.f, H / 2 - 180.f};
    const float A = 0xA0 / 255.f;
    Blit(P, SB, {0, 0, 479, 359}, O.x, O.y, true, A);
    const int Values[4] = {1234, 56, 1290, 7}, Offsets[4] = {16, 130, 250, 405}, Digits[4] = {5, 5, 5, 2};
    for (int k = 0; k < 4; ++k)
      Number(
          P, SA, Values[k], Digits[k], Digit,
          [&](int n) {
            return Vec2{O.x + Offsets[k] + 15 * (n - 1), O.y + 245};
          },
          A);
    Blit(P, SB, {165, 330, 234, 344}, O.x + 205, O.y + 292, true, A);
    Blit(P, SB, {0, 365, 389, 380}, O.x + 45, O.y + 312, true, A);
    const std::string Name = "PLAYER 1";
    for (int n = 1; n <= 26; ++n) {
      char c = n <= static_cast<int>(Name.size()) ? Name[n - 1] : ' ';
      Rect R = (c >= '0' && c <= '9') ? Digit(c - '0') : (c >= 'A' && c <= 'Z') ? Letter(c - 64) : Letter(27);
      Blit(P, SA, R, O.x + 45 + 15 * (n - 1), O.y + 312, true, A);
    }
    Blit(P, SB, {240, 330, 254, 344}, O.x + 45 + 15 * Name.size(), O.y + 312 + 2, true, A);
    Blit(P, SB, {0, 370, 511, 399}, 0, H + 1 - 30.f);
    Blit(P, SB, {0, 410, 511, 439}, W / 2.f, H + 1 - 30.f);
    Out.emplace_back("preview-gameover", std::move(P));
  }
  {  // The intro's last frame.
    Image P(W, H);
    float L = 320, R = 504, Y = H / 2 - 225.f;
    Blit(P, OA, {0, 0, 240, 360}, L, Y);
    Blit(P, OA, {241, 0, 423, 360}, R, Y);
    Blit(P, OB, {0, 442, 400, 504}, W / 2 - 210.f, H / 2 + 135.f);
    Out.emplace_back("preview-intro", std::move(P));
    Image Q(W, H);
    Blit(Q, OA, {0, 0, 240, 360}, 120, Y);
    Blit(Q, OA, {241, 0, 423, 360}, 700, Y);
    Out.emplace_back("preview-intro-start", std::move(Q));
  }
  // The menu with each item chosen; the frame is 640 x 480 at the centre.
  const Vec2 M{(W - 640) / 2.f, (H - 480) / 2.f};
  auto Centred = [&](Rect r, float u, float v) {
    return Vec2{M.x + u - (r.r - r.l) / 2, M.y + v - (r.b - r.t) / 2};
  };
  TextLook Green;
  Green.Top = Green.Bottom = Rgb(0, 255, 0);
  for (int Item = 1; Item <= 9; ++Item) {
    int Shown = Item <= 7 ? Item : 5, Page = Item <= 7 ? 1 : Item - 6;
    Image P = Backdrop(BG, 0, 1);
    const float A = 0xA0 / 255.f;
    Blit(P, ME, {0, 0, 639, 479}, M.x, M.y, true, A);
    Blit(P, ME, {0, 480, 319, 514}, M.x, M.y + 120 + 35 * (Shown - 1), true, A);
    Blit(P, ME, {0, 520, 230, 745}, M.x + 20, M.y + 132);
    if (Shown == 2 || Shown == 3)
      Blit(P, ME, {481, 838, 491 + 11 * (Shown == 2 ? 8 : 4), 1016}, M.x + 430, M.y + 160);
    if (Shown == 4) {
      Blit(P, ME, {480, 521, 586, 810}, M.x + 427, M.y + 96);
      const char* Names[7] = {"Left", "Right", "Up", "Down", "Z", "Space", "A"};
      const int Px = 427, Py = 96;
      Box Rects[7] = {{Px - 65, Py + 18, Px + 5, Py + 33}, {Px + 100, Py + 18, Px + 170, Py + 33}};
      const int Ts[5] = {-20, 60, 140, 218, 300};
      for (int k = 0; k < 5; ++k) Rects[2 + k] = {Px + 18, Py + Ts[k], Px + 88, Py + Ts[k] + 15};
      for (int k = 0; k < 7; ++k) {
        Box b = Rects[k];
        b.Left += M.x, b.Right += M.x, b.Top += M.y, b.Bottom += M.y;
        DrawTextIn(P, F.Regular, Names[k], b, 14, Align::Centre, Green);
      }
    }
    if (Shown == 5) {
      Rect Pages[3] = {{640, 0, 955, 321}, {0, 751, 248, 958}, {600, 510, 849, 909}};
      Vec2 At = Centred(Pages[Page - 1], 480, Page == 3 ? 220 : 240);
      Blit(P, ME, Pages[Page - 1], At.x, At.y);
    }
    if (Shown == 6) {
      Blit(P, ME, {320, 480, 639, 514}, M.x + 319, M.y);
      for (int i = 1; i <= 5; ++i) {
        TextLook Row;
        Row.Top = Row.Bottom = Color{1, (2815 * i % 256) / 255.f, (2815 * i / 256 % 256) / 255.f};
        float Top = M.y + 40 + 20 * (i - 1);
        DrawTextIn(P, F.Regular, "PLAYER " + std::to_string(i),
                   {int(M.x) + 329, int(Top), int(M.x) + 540, int(Top) + 19}, 14, Align::Left, Row);
        DrawTextIn(P, F.Regular, std::to_string(900 - 100 * i),
                   {int(M.x) + 540, int(Top), int(M.x) + 590, int(Top) + 19}, 14, Align::Right, Row);
        DrawTextIn(P, F.Regular, std::to_string(10 - i),
                   {int(M.x) + 606, int(Top), int(M.x) + 625, int(Top) + 19}, 14, Align::Right, Row);
      }
    }
    if (Shown == 1)
      Blit(P, ME, {259, 868, 476, 928}, Centred({259, 868, 476, 928}, 480, 240).x,
           Centred({259, 868, 476, 928}, 480, 240).y);
    if (Shown == 7)
      Blit(P, ME, {259, 803, 476, 863}, Centred({259, 803, 476, 863}, 480, 240).x,
           Centred({259, 803, 476, 863}, 480, 240).y);
    if (Shown == 1 || Shown == 4 || Shown == 7) Blit(P, ME, {260, 554, 319, 586}, M.x + 450, M.y + 430);
    if (Shown == 2 || Shown == 3 || Shown == 5) Blit(P, ME, {260, 520, 319, 552}, M.x + 450, M.y + 430);
    Out.emplace_back(
        Item <= 7 ? "preview-menu-" + std::to_string(Item) : "preview-menu-5-page" + std::to_string(Page),
        std::move(P));
  }
  Out.emplace_back("zoom-SA", Zoom(SA, {0, 0, 512, 362}, 2));
  Out.emplace_back("zoom-SB", Zoom(SB, {0, 0, 512, 440}, 2));
  Out.emplace_back("zoom-ME-keys", Zoom(ME, {0, 480, 600, 1016}, 2));
  {
    const char* const Some[] = {"CUBERED", "CUBEGREEN", "CUBEBLUE",  "CUBEYELLOW", "4A1",        "4B2",
                                "4C3",     "4D4",       "4COLOR",    "2X2X2",      "CLEARLAYER", "DIAMOND",
                                "TUND",    "FALLCUBE",  "CUBECLEAR", "SPECIALBOX"};
    Image Z(4 * 196 + 4, 4 * 196 + 4, Grey(0.35f));
    for (int i = 0; i < 16; ++i)
      Paste(Z, Zoom(MakeTexture(Some[i]), {0, 0, 64, 64}, 3), 4 + 196 * (i % 4), 4 + 196 * (i / 4));
    Out.emplace_back("zoom-textures", std::move(Z));
  }
  {  // Contact sheet of the textures, 16 to a row, and of the backgrounds.
    std::vector<std::string> Names = TextureNames();
    Image P(16 * 68 + 4, ((static_cast<int>(Names.size()) + 15) / 16) * 68 + 4, Grey(0.35f));
    int n = 0;
    for (const std::string& Name : Names) {
      if (Name == "BG") continue;
      Paste(P, MakeTexture(Name), 4 + 68 * (n % 16), 4 + 68 * (n / 16));
      ++n;
    }
    Out.emplace_back("preview-textures", std::move(P));
    Image B(5 * 260 + 4, 4 * 260 + 4, Grey(0.35f));
    for (int i = 0; i < 20; ++i) Paste(B, MakeBackground(i), 4 + 260 * (i % 5), 4 + 260 * (i / 5));
    Out.emplace_back("preview-backgrounds", std::move(B));
  }
  return Out;
}

}  // namespace quarnix::content
