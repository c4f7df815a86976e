// Any bytes as a replay: the reader refuses them with ReplayError or gives a
// replay that encodes back to a file reading the same; a short one read is
// played headless, where leaving its recording is a ReplayError too. Each
// input is tried as it is and with its checksum made to match, which lets
// mutations past the checksum into the header and the frames.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "app/GameRecording.h"
#include "app/Replay.h"

using namespace quarnix;

namespace {

void Fail(const char* why) {
  std::fprintf(stderr, "fuzz_replay_reader: %s\n", why);
  std::abort();
}

void TryOne(std::span<const std::uint8_t> bytes) {
  Replay replay;
  try {
    replay = DecodeReplay(bytes, "fuzz.qrp");
  } catch (const ReplayError& e) {
    if (std::strstr(e.what(), "fuzz.qrp") == nullptr) Fail("an error that does not name the file");
    return;
  }
  const std::vector<std::uint8_t> again = EncodeReplay(replay);
  const Replay back = DecodeReplay(again, "again.qrp");
  if (back.Frames.size() != replay.Frames.size() || back.Keys != replay.Keys || back.Ticks != replay.Ticks ||
      back.Pauses != replay.Pauses || back.Header.WellHash != replay.Header.WellHash)
    Fail("a replay that does not encode back to itself");
  if (replay.Frames.size() > 5000) return;  // playing it says nothing more, slowly
  try {
    PlayReplayHeadless(replay);
  } catch (const ReplayError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TryOne(std::span(data, size));
  if (size >= 4) {
    std::vector<std::uint8_t> fixed(data, data + size);
    const auto sum = static_cast<std::uint32_t>(crc32(0L, fixed.data(), static_cast<uInt>(size - 4)));
    for (int i = 0; i < 4; ++i)
      fixed[size - 4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(sum >> (8 * i));
    TryOne(fixed);
  }
  return 0;
}
