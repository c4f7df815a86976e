#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "content/Bmp.h"
#include "content/ResourcePack.h"
#include "content/WaveFormat.h"

using namespace quarnix;
using Bytes = std::vector<std::uint8_t>;

namespace {
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
// b with the byte at At set to Value; one byte longer when At is its size.
Bytes With(Bytes b, std::size_t At, char Value) {
  b.resize(std::max(b.size(), At + 1));
  b[At] = static_cast<std::uint8_t>(Value);
  return b;
}

// catches: bitmap rows top-down, red first, unpadded; misplaced fields; damaged bitmaps or packs taken.
TEST(PictureFormats, BitmapsAndPacksRoundTripAndRefuseDamage) {
  RgbPicture p{3, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}};
  Bytes b = EncodeBmp24(p);
  ASSERT_EQ(b.size(), 54u + 24u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 2), "BM");
  EXPECT_EQ(b[28], 24);
  for (auto [At, Value] :
       {std::pair<int, std::uint32_t>{2, 78}, {10, 54}, {14, 40}, {18, 3}, {22, 2}, {30, 0}})
    EXPECT_EQ(U32(b, At), Value) << "at " << At;
  EXPECT_EQ((Bytes(b.begin() + 54, b.begin() + 66)), (Bytes{12, 11, 10, 15, 14, 13, 18, 17, 16, 0, 0, 0}));
  EXPECT_EQ((Bytes(b.begin() + 66, b.begin() + 69)), (Bytes{3, 2, 1}));
  RgbPicture q = DecodeBmp24(b);
  EXPECT_EQ(std::tie(q.Width, q.Height, q.Rgb), std::tie(p.Width, p.Height, p.Rgb));
  EXPECT_THROW(DecodeBmp24(Bytes(b.begin(), b.end() - 1)), std::runtime_error);
  EXPECT_THROW(DecodeBmp24(Bytes(b.begin(), b.begin() + 20)), std::runtime_error);
  for (auto [At, Value] : {std::pair{0, 'X'}, {28, 32}, {30, 1}, {21, 0x7F}})
    EXPECT_THROW(DecodeBmp24(With(b, At, Value)), std::runtime_error) << "at " << At;
  std::vector<PackEntry> In = {{"CUBERED", {1, 2, 3}}, {"BG", {}}, {"STAR01", Bytes(300, 9)}};
  Bytes Pack = WriteResourcePack(In);
  auto Out = ReadResourcePack(Pack);
  ASSERT_EQ(Out.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(std::pair(Out[i].Name, Bytes(Out[i].Bytes.begin(), Out[i].Bytes.end())),
              std::pair(std::string_view(In[i].Name), In[i].Bytes));
  for (std::size_t Cut = 0; Cut < Pack.size(); Cut += 7)
    EXPECT_THROW(ReadResourcePack(std::span(Pack).first(Cut)), std::runtime_error) << Cut;
  // The magic; a count of 255 entries; a byte more.
  for (auto [At, Value] : {std::pair<std::size_t, char>{0, 'X'}, {4, '\xFF'}, {Pack.size(), 0}})
    EXPECT_THROW(ReadResourcePack(With(Pack, At, Value)), std::runtime_error) << At;
}

// A wave file: RIFF header, the chunks given, in order.
Bytes Riff(const std::vector<std::pair<std::string, Bytes>>& chunks, std::uint32_t dataSizeExtra = 0) {
  Bytes b{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  const auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  for (const auto& [id, body] : chunks) {
    b.insert(b.end(), id.begin(), id.end());
    put32(static_cast<std::uint32_t>(body.size()) + (id == "data" ? dataSizeExtra : 0));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
  }
  return b;
}

Bytes Fmt(int format, int channels, int rate, int bits, int align = -1) {
  if (align < 0) align = channels * bits / 8;
  Bytes f;
  for (auto [v, n] :
       {std::pair{format, 2}, {channels, 2}, {rate, 4}, {rate * align, 4}, {align, 2}, {bits, 2}})
    for (int i = 0; i < n; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return f;
}

WaveLayout Layout(const Bytes& b) {
  return ReadWaveLayout(
      [&](std::uint64_t at, std::span<std::uint8_t> into) {
        const std::size_t n =
            at >= b.size() ? 0 : std::min(into.size(), b.size() - static_cast<std::size_t>(at));
        std::copy_n(b.begin() + static_cast<long>(at), n, into.begin());
        return n;
      },
      b.size());
}

}  // namespace

// catches: a chunk walk blind to padding, other chunks, the extensible format, a short data chunk, damage.
TEST(WaveFormat, FindsTheSamplesBehindAnyOtherChunksAndRefusesWhatItCannotPlay) {
  Bytes extensible = Fmt(0xFFFE, 2, 48000, 32);
  extensible.resize(40, 0);
  extensible[24] = 3;  // its sub-format: floats
  // The sample, channels, rate, frame bytes, data offset and bytes each file gives.
  const std::pair<Bytes, std::tuple<WaveSample, int, int, int, std::uint64_t, std::uint64_t>> cases[] = {
      {Riff({{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", Bytes(10, 1)}}),
       {WaveSample::Signed16, 1, 44100, 2, 44, 10}},
      {Riff({{"fmt ", Fmt(1, 2, 22050, 8)}, {"LIST", Bytes(3, 0)}, {"data", Bytes(9, 1)}}),
       {WaveSample::Unsigned8, 2, 22050, 2, 56, 8}},  // an odd list chunk, padded; a byte that is no frame
      {Riff({{"fmt ", extensible}, {"data", Bytes(16, 1)}}), {WaveSample::Float32, 2, 48000, 8, 68, 16}},
      {Riff({{"fmt ", Fmt(1, 1, 8000, 32)}, {"data", Bytes(8, 1)}}, 1000),
       {WaveSample::Signed32, 1, 8000, 4, 44,
        8}},  // data claiming more than the file holds plays what is there
  };
  for (const auto& [file, want] : cases) {
    const WaveLayout w = Layout(file);
    EXPECT_EQ(std::tie(w.Sample, w.Channels, w.Rate, w.FrameBytes, w.DataOffset, w.DataBytes), want);
  }
  const Bytes bad[] = {
      Bytes(cases[0].first.begin(), cases[0].first.begin() + 10),         // cut inside the header
      With(cases[0].first, 8, 'X'),                                       // RIFF but not WAVE
      Riff({{"fmt ", Fmt(1, 1, 44100, 16)}}),                             // no data
      Riff({{"data", Bytes(10, 1)}, {"fmt ", Fmt(1, 1, 44100, 16)}}),     // data before its format
      Riff({{"fmt ", Fmt(1, 1, 44100, 16)}, {"data", Bytes(1, 1)}}),      // not one whole frame
      Riff({{"fmt ", Fmt(1, 1, 44100, 24)}, {"data", Bytes(12, 1)}}),     // 24-bit samples
      Riff({{"fmt ", Fmt(2, 1, 44100, 16)}, {"data", Bytes(10, 1)}}),     // compressed (ADPCM)
      Riff({{"fmt ", Fmt(1, 0, 44100, 16)}, {"data", Bytes(10, 1)}}),     // no channel
      Riff({{"fmt ", Fmt(1, 1, 0, 16)}, {"data", Bytes(10, 1)}}),         // no rate
      Riff({{"fmt ", Fmt(1, 2, 44100, 16, 2)}, {"data", Bytes(10, 1)}}),  // frames too short for two channels
      Riff({{"fmt ", Bytes(10, 1)}, {"data", Bytes(10, 1)}}),             // format chunk too short
  };
  for (const Bytes& b : bad) EXPECT_THROW(Layout(b), std::runtime_error) << ::testing::PrintToString(b);
}
