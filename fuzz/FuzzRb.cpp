// The zero-run decoder, the bitmap reader and the resource-pack reader under any
// bytes: no write past a buffer, no crash, and packing always decodes back.

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "content/Bmp.h"
#include "content/ResourcePack.h"
#include "content/ZeroRuns.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  std::span<const std::uint8_t> In(Data, Size);

  // Decode into a buffer whose size the first byte picks (often too small).
  std::vector<std::uint8_t> Out(Size ? Data[0] * 7u : 0u);
  quarnix::UnpackResult r = quarnix::UnpackZeroRuns(In, Out);
  if (r.Written > Out.size()) std::abort();

  // Packing any bytes and decoding all but the last byte, as the game reads a
  // file, gives the bytes back.
  std::vector<std::uint8_t> Packed = quarnix::PackZeroRuns(In);
  std::vector<std::uint8_t> Back(Size, 0xAA);
  r = quarnix::UnpackZeroRuns(std::span(Packed).first(Packed.size() - 1), Back);
  if (r.Overflow || r.Written != Size || Back != std::vector<std::uint8_t>(In.begin(), In.end()))
    std::abort();

  try {
    quarnix::RgbPicture p = quarnix::DecodeBmp24(In);
    if (p.Rgb.size() != static_cast<std::size_t>(p.Width) * p.Height * 3) std::abort();
  } catch (const std::runtime_error&) {
  }
  try {
    for (const quarnix::PackEntryView& e : quarnix::ReadResourcePack(In))
      if (e.Bytes.data() < Data || e.Bytes.data() + e.Bytes.size() > Data + Size) std::abort();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
