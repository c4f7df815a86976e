#include "app/Replay.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <sstream>

#include "core/Files.h"
#include "input/Keys.h"

namespace quarnix {

namespace {

constexpr char Magic[8] = {'Q', 'R', 'N', 'X', 'R', 'P', 'L', 'Y'};
constexpr std::size_t MaxVersionText = 32;
// Reads of one kind in a whole game: a bound on what a hostile file can make
// the reader allocate (a read of value 0 costs no byte in the body).
constexpr std::uint64_t MaxReplayReads = 1u << 25;

class Writer {
 public:
  void Bytes(const void* data, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + n);
  }
  template <typename T>
  void Fixed(T value) {
    auto v = static_cast<std::uint64_t>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i, v >>= 8) out.push_back(static_cast<std::uint8_t>(v));
  }
  void Text(const std::string& text, std::size_t max) {
    const std::size_t n = std::min(text.size(), max);
    Fixed<std::uint8_t>(static_cast<std::uint8_t>(n));
    Bytes(text.data(), n);
  }
  void Varint(std::uint64_t v) {
    for (; v >= 0x80; v >>= 7) out.push_back(static_cast<std::uint8_t>(v | 0x80));
    out.push_back(static_cast<std::uint8_t>(v));
  }
  void Signed(std::int64_t v) {
    Varint((static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63));
  }
  std::vector<std::uint8_t> out;
};

class Reader {
 public:
  Reader(std::span<const std::uint8_t> bytes, std::string_view file, const char* part)
      : in_(bytes), file_(file), part_(part) {}
  [[noreturn]] void Fail(const std::string& why) const {
    throw ReplayError(std::string(file_) + ": not a readable replay: " + why);
  }
  const std::uint8_t* Take(std::size_t n) {
    if (in_.size() - at_ < n) Fail(std::string("truncated ") + part_);
    const std::uint8_t* p = in_.data() + at_;
    at_ += n;
    return p;
  }
  template <typename T>
  T Fixed() {
    const std::uint8_t* p = Take(sizeof(T));
    std::uint64_t v = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) v = (v << 8) | p[i];
    return static_cast<T>(v);
  }
  std::string Text(std::size_t max, const char* what) {
    const std::size_t n = Fixed<std::uint8_t>();
    if (n > max) Fail(std::string(what) + " longer than " + std::to_string(max) + " characters");
    const std::uint8_t* p = Take(n);
    return std::string(reinterpret_cast<const char*>(p), n);
  }
  std::uint64_t Varint() {
    std::uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      const std::uint8_t b = *Take(1);
      v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
      if ((b & 0x80) == 0) return v;
    }
    Fail(std::string("an overlong number in the ") + part_);
  }
  std::uint64_t Count(std::uint64_t max, const char* what) {
    const std::uint64_t n = Varint();
    if (n > max) Fail(std::string("too many ") + what + " (" + std::to_string(n) + ")");
    return n;
  }
  std::int64_t Signed() {
    const std::uint64_t v = Varint();
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
  }
  std::size_t Left() const { return in_.size() - at_; }
  std::size_t At() const { return at_; }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t at_ = 0;
  std::string_view file_;
  const char* part_;
};

// The frames, delta- and gap-encoded; zlib then squeezes the repeats.
std::vector<std::uint8_t> EncodeBody(const Replay& r) {
  Writer w;
  for (int code : r.Bindings) w.Varint(static_cast<std::uint32_t>(code));
  w.Varint(r.LatchedKeys.size());
  for (int code : r.LatchedKeys) w.Varint(static_cast<std::uint32_t>(code));
  std::size_t tick = 0, key = 0, pause = 0;
  std::uint32_t previous = 0;
  for (const ReplayFrame& f : r.Frames) {
    w.Varint(f.Ticks);
    w.Varint(f.Keys);
    w.Varint(f.Pauses);
    for (std::uint32_t i = 0; i < f.Ticks; ++i, ++tick) {
      w.Signed(static_cast<std::int32_t>(r.Ticks[tick] - previous));  // the clock wraps: a signed step
      previous = r.Ticks[tick];
    }
    // Most reads find nothing: only the others are written, each after the
    // number of reads since the previous one.
    const auto sparse = [&w](auto first, std::uint32_t n) {
      std::uint32_t nonZero = 0;
      for (std::uint32_t i = 0; i < n; ++i) nonZero += first[i] != 0;
      w.Varint(nonZero);
      std::uint32_t last = 0;
      for (std::uint32_t i = 0; i < n; ++i)
        if (first[i] != 0) {
          w.Varint(i - last);
          w.Signed(first[i]);
          last = i;
        }
    };
    sparse(r.Keys.begin() + static_cast<std::ptrdiff_t>(key), f.Keys);
    sparse(r.Pauses.begin() + static_cast<std::ptrdiff_t>(pause), f.Pauses);
    key += f.Keys;
    pause += f.Pauses;
  }
  return w.out;
}

void DecodeBody(std::span<const std::uint8_t> body, std::uint32_t frames, std::string_view file, Replay& r) {
  Reader in(body, file, "frames");
  for (int& code : r.Bindings) code = static_cast<int>(in.Count(255, "key codes"));
  const std::uint64_t latched = in.Count(256, "latched keys");
  if (!BindingsValid(r.Bindings)) in.Fail("key bindings the game cannot have");
  for (std::uint64_t i = 0; i < latched; ++i) {
    const auto code = static_cast<int>(in.Count(LastKeyCode, "key codes"));
    if (code < FirstKeyCode) in.Fail("key code " + std::to_string(code));
    r.LatchedKeys.push_back(code);
  }
  r.Frames.resize(frames);
  std::uint32_t previous = 0;
  for (ReplayFrame& f : r.Frames) {
    f.Ticks = static_cast<std::uint32_t>(in.Count(MaxReadsPerFrame, "clock reads in a frame"));
    f.Keys = static_cast<std::uint32_t>(in.Count(MaxReadsPerFrame, "key reads in a frame"));
    f.Pauses = static_cast<std::uint32_t>(in.Count(MaxReadsPerFrame, "pause reads in a frame"));
    if (r.Ticks.size() + f.Ticks > MaxReplayReads || r.Keys.size() + f.Keys > MaxReplayReads ||
        r.Pauses.size() + f.Pauses > MaxReplayReads)
      in.Fail("more reads than a game makes");
    for (std::uint32_t i = 0; i < f.Ticks; ++i) {
      previous += static_cast<std::uint32_t>(in.Signed());
      r.Ticks.push_back(previous);
    }
    const auto sparse = [&in](auto& stream, std::uint32_t n, const char* what) {
      const std::size_t first = stream.size();
      stream.resize(first + n);
      const std::uint64_t nonZero = in.Count(n, what);
      std::uint64_t at = 0;
      for (std::uint64_t k = 0; k < nonZero; ++k) {
        at += in.Varint();
        const std::int64_t value = in.Signed();
        if (at >= n || (k > 0 && at == 0)) in.Fail(std::string(what) + " out of their frame");
        if (value == 0 || value < INT32_MIN || value > INT32_MAX)
          in.Fail(std::string("a bad value of ") + what);
        stream[first + at] =
            static_cast<typename std::remove_reference_t<decltype(stream)>::value_type>(value);
      }
    };
    sparse(r.Keys, f.Keys, "key states");
    sparse(r.Pauses, f.Pauses, "pause requests");
  }
  if (in.Left() != 0) in.Fail("bytes after the last frame");
}

std::uint32_t Checksum(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace

std::uint64_t WellHash(const GameState& s) {
  std::uint64_t h = 14695981039346656037ull;
  for (CellKind k : s.CubeArray) {
    h ^= static_cast<std::uint64_t>(static_cast<int>(k)) & 0xFF;
    h *= 1099511628211ull;
  }
  return h;
}

std::vector<std::uint8_t> EncodeReplay(const Replay& r) {
  const ReplayHeader& h = r.Header;
  const std::vector<std::uint8_t> body = EncodeBody(r);
  uLongf packedSize = compressBound(static_cast<uLong>(body.size()));
  std::vector<std::uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, body.data(), static_cast<uLong>(body.size()), 9) != Z_OK)
    throw std::runtime_error("the replay could not be compressed");
  packed.resize(packedSize);

  Writer w;
  w.Bytes(Magic, sizeof Magic);
  w.Fixed<std::uint32_t>(ReplayFormatVersion);
  w.Text(h.GameVersion, MaxVersionText);
  w.Fixed<std::uint8_t>(static_cast<std::uint8_t>(h.ScreenMode));
  w.Fixed<std::int64_t>(h.Date);
  w.Text(h.Name, NameLength);
  w.Fixed<std::int32_t>(h.Score);
  w.Fixed<std::int32_t>(h.Bonus);
  w.Fixed<std::int32_t>(h.Level);
  w.Fixed<std::uint64_t>(h.WellHash);
  w.Fixed<std::uint8_t>(static_cast<std::uint8_t>(h.DeviceKind));
  for (std::uint32_t word : h.RandomState) w.Fixed<std::uint32_t>(word);
  w.Fixed<std::uint8_t>(static_cast<std::uint8_t>(h.End));
  w.Fixed<std::uint32_t>(static_cast<std::uint32_t>(r.Frames.size()));
  w.Fixed<std::uint32_t>(static_cast<std::uint32_t>(body.size()));
  w.Fixed<std::uint32_t>(static_cast<std::uint32_t>(packed.size()));
  w.Bytes(packed.data(), packed.size());
  w.Fixed<std::uint32_t>(Checksum(w.out));
  return w.out;
}

Replay DecodeReplay(std::span<const std::uint8_t> bytes, std::string_view file) {
  Reader in(bytes, file, "header");
  if (bytes.size() < sizeof Magic || std::memcmp(in.Take(sizeof Magic), Magic, sizeof Magic) != 0)
    in.Fail("it does not begin as a Quarnix replay does");
  Replay r;
  ReplayHeader& h = r.Header;
  h.FormatVersion = in.Fixed<std::uint32_t>();
  if (h.FormatVersion > ReplayFormatVersion)
    throw ReplayError(std::string(file) + ": a replay of format version " + std::to_string(h.FormatVersion) +
                      ", newer than this game reads (version " + std::to_string(ReplayFormatVersion) +
                      "): a newer Quarnix plays it");
  if (h.FormatVersion == 0) in.Fail("format version 0");
  // The fields as they stand; they are judged once the checksum says they
  // are what was written.
  h.GameVersion = in.Text(MaxVersionText, "the game version");
  h.ScreenMode = in.Fixed<std::uint8_t>();
  h.Date = in.Fixed<std::int64_t>();
  h.Name = in.Text(NameLength, "the name");
  h.Score = in.Fixed<std::int32_t>();
  h.Bonus = in.Fixed<std::int32_t>();
  h.Level = in.Fixed<std::int32_t>();
  h.WellHash = in.Fixed<std::uint64_t>();
  h.DeviceKind = in.Fixed<std::uint8_t>();
  for (std::uint32_t& word : h.RandomState) word = in.Fixed<std::uint32_t>();
  const auto end = in.Fixed<std::uint8_t>();
  const auto frames = in.Fixed<std::uint32_t>();
  const auto bodySize = in.Fixed<std::uint32_t>();
  const auto packedSize = in.Fixed<std::uint32_t>();
  const std::size_t length = in.At() + std::size_t{packedSize} + 4;
  if (bytes.size() < length)
    in.Fail("cut short: " + std::to_string(bytes.size()) + " bytes of the " + std::to_string(length) +
            " its header gives");
  if (bytes.size() > length) in.Fail(std::to_string(bytes.size() - length) + " bytes after its checksum");
  const std::uint8_t* packed = in.Take(packedSize);
  const auto covered = bytes.first(in.At());
  if (in.Fixed<std::uint32_t>() != Checksum(covered))
    throw ReplayError(std::string(file) + ": the replay is damaged (its checksum does not match)");

  if (h.ScreenMode > 2) in.Fail("screen mode " + std::to_string(h.ScreenMode));
  if (h.DeviceKind < 1 || h.DeviceKind > 5) in.Fail("device kind " + std::to_string(h.DeviceKind));
  if (end > 1) in.Fail("an unknown ending " + std::to_string(end));
  h.End = static_cast<ReplayEnd>(end);
  if (frames > MaxReplayFrames) in.Fail(std::to_string(frames) + " frames");
  if (bodySize > MaxReplayBodyBytes) in.Fail("frames of " + std::to_string(bodySize) + " bytes");

  std::vector<std::uint8_t> body(bodySize);
  uLongf unpacked = bodySize;
  const int z = uncompress(body.data(), &unpacked, packed, packedSize);
  if (z != Z_OK || unpacked != bodySize) in.Fail("the frames do not unpack");
  DecodeBody(body, frames, file, r);
  return r;
}

void WriteReplay(const std::filesystem::path& file, const Replay& replay) {
  WriteFileAtomic(file, EncodeReplay(replay));
}

Replay ReadReplay(const std::filesystem::path& file) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(file, MaxReplayFileBytes, "a replay file");
  } catch (const std::exception& e) {
    throw ReplayError(e.what());
  }
  return DecodeReplay(bytes, file.string());
}

namespace {
std::string DateText(std::int64_t date, const char* format) {
  const auto t = static_cast<std::time_t>(date);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char text[40];
  return std::strftime(text, sizeof text, format, &utc) > 0 ? text : "?";
}
}  // namespace

std::string DescribeReplay(const Replay& r) {
  const ReplayHeader& h = r.Header;
  static constexpr const char* Modes[] = {"1024x768", "800x600", "640x480"};
  std::ostringstream out;
  out << "format version: " << h.FormatVersion << '\n'
      << "game version: " << h.GameVersion << '\n'
      << "screen mode: " << h.ScreenMode << " (" << Modes[h.ScreenMode] << ")\n"
      << "date: " << DateText(h.Date, "%Y-%m-%d %H:%M:%S UTC") << '\n'
      << "name: " << (h.Name.empty() ? "(none)" : h.Name) << '\n'
      << "score: " << h.Score << '\n'
      << "bonus: " << h.Bonus << '\n'
      << "level: " << h.Level << '\n'
      << "well hash: " << std::hex << h.WellHash << std::dec << '\n'
      << "device kind: " << h.DeviceKind << '\n'
      << "ended: " << (h.End == ReplayEnd::GameOver ? "game over" : "stopped") << '\n'
      << "frames: " << r.Frames.size() << '\n';
  return out.str();
}

// --- The replays behind the table.

std::filesystem::path ReplaysFolderFor(const std::filesystem::path& scoresFile) {
  return scoresFile.parent_path() / ReplaysFolderName;
}

namespace {
std::uint32_t NameHash(std::string_view storedName) {
  std::uint32_t h = 2166136261u;
  for (char c : storedName) {
    h ^= static_cast<std::uint8_t>(c);
    h *= 16777619u;
  }
  return h;
}

// The part of a kept replay's name that a row's content gives.
std::string RowKey(std::string_view storedName, std::int32_t score, std::int32_t level) {
  char key[48];
  std::snprintf(key, sizeof key, "%d-%d-%08x", std::clamp(score, 0, MaxStoredScore),
                std::clamp(level, 0, MaxStoredLevel), NameHash(StoredName(storedName)));
  return key;
}

// The kept replays by row key, newest first (the date sorts as text).
std::map<std::string, std::vector<std::filesystem::path>> KeptReplays(const std::filesystem::path& folder) {
  std::map<std::string, std::vector<std::filesystem::path>> kept;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    // <key>-<YYYYMMDD>-<HHMMSS>.qrp: the key is all but the last two parts.
    if (!entry.is_regular_file(ec) || entry.path().extension() != ReplayExtension) continue;
    const std::string stem = entry.path().stem().string();
    const auto time = stem.rfind('-');
    const auto day = time == std::string::npos || time == 0 ? std::string::npos : stem.rfind('-', time - 1);
    if (day == std::string::npos) continue;
    kept[stem.substr(0, day)].push_back(entry.path());
  }
  for (auto& [key, files] : kept) std::sort(files.begin(), files.end(), std::greater<>());
  return kept;
}
}  // namespace

std::string ReplayFileName(std::string_view storedName, std::int32_t score, std::int32_t level,
                           std::int64_t date) {
  return RowKey(storedName, score, level) + DateText(date, "-%Y%m%d-%H%M%S") + ReplayExtension;
}

std::filesystem::path KeepReplay(const std::filesystem::path& folder, const Replay& replay,
                                 std::string_view storedName, std::int32_t score, std::int32_t level) {
  std::filesystem::create_directories(folder);
  // An equal row made in the same second (or a clock set back) takes the next
  // free second: the newest stays the last in date order.
  std::filesystem::path file;
  std::int64_t date = replay.Header.Date;
  for (int tries = 0; tries < 1000; ++tries, ++date) {
    file = folder / ReplayFileName(storedName, score, level, date);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) break;
  }
  WriteReplay(file, replay);
  return file;
}

void PruneReplays(const std::filesystem::path& folder, const ScoreTable& table) {
  std::map<std::string, std::size_t> rows;
  for (int i = 1; i <= TableLength; ++i)
    if (table(i).Score > 0) ++rows[RowKey(table(i).Name, table(i).Score, table(i).Level)];
  for (const auto& [key, files] : KeptReplays(folder)) {
    const auto found = rows.find(key);
    const std::size_t keep = found == rows.end() ? 0 : found->second;
    for (std::size_t i = keep; i < files.size(); ++i) {
      std::error_code ec;
      std::filesystem::remove(files[i], ec);
    }
  }
}

std::filesystem::path BestReplay(const std::filesystem::path& folder, const ScoreTable& table) {
  const auto kept = KeptReplays(folder);
  for (int i = 1; i <= TableLength; ++i) {
    if (table(i).Score <= 0) continue;
    const auto found = kept.find(RowKey(table(i).Name, table(i).Score, table(i).Level));
    if (found != kept.end()) return found->second.front();
  }
  return {};
}

}  // namespace quarnix
