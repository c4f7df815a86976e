#include "toolkit/XFileMszip.h"

#include <zlib.h>

#include <algorithm>
#include <string>

#include "toolkit/XFile.h"

namespace quarnix::xfile {
namespace {

[[noreturn]] void Fail(std::size_t offset, const std::string& what) {
  throw XFileError("byte " + std::to_string(offset) + ": " + what);
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

struct InflateStream {
  z_stream z{};
  bool open = false;
  InflateStream() {
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) throw XFileError("cannot start the decompressor");
    open = true;
  }
  ~InflateStream() {
    if (open) inflateEnd(&z);
  }
  InflateStream(const InflateStream&) = delete;
  InflateStream& operator=(const InflateStream&) = delete;
};

struct DeflateStream {
  z_stream z{};
  bool open = false;
  DeflateStream() {
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw XFileError("cannot start the compressor");
    open = true;
  }
  ~DeflateStream() {
    if (open) deflateEnd(&z);
  }
  DeflateStream(const DeflateStream&) = delete;
  DeflateStream& operator=(const DeflateStream&) = delete;
};

}  // namespace

std::vector<std::uint8_t> InflateMszip(std::span<const std::uint8_t> blocks, std::uint32_t declaredTotal,
                                       std::size_t fileOffset) {
  if (declaredTotal < 16)
    Fail(fileOffset - 4, "compressed size " + std::to_string(declaredTotal) + " is smaller than the header");
  const std::size_t expected = declaredTotal - 16u;
  if (expected > kXFileMaxInflated)
    Fail(fileOffset - 4, "uncompressed size " + std::to_string(expected) + " is larger than allowed");
  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  std::size_t previousStart = 0;
  while (pos < blocks.size()) {
    const std::size_t at = fileOffset + pos;
    if (blocks.size() - pos < 6) Fail(at, "truncated compressed block header");
    const std::size_t outSize = U16(&blocks[pos]);
    const std::size_t storedSize = U16(&blocks[pos + 2]);
    if (outSize == 0 || outSize > kMszipBlockSize)
      Fail(at, "compressed block claims " + std::to_string(outSize) + " bytes of output");
    if (storedSize < 2 || storedSize > blocks.size() - pos - 4)
      Fail(at, "compressed block size " + std::to_string(storedSize) + " runs past the end of the file");
    if (blocks[pos + 4] != 'C' || blocks[pos + 5] != 'K')
      Fail(at + 4, "compressed block lacks its CK signature");
    if (out.size() + outSize > expected)
      Fail(at, "compressed blocks hold more than the declared " + std::to_string(expected) + " bytes");

    InflateStream s;
    if (!out.empty()) {
      const std::size_t dictSize = out.size() - previousStart;
      if (inflateSetDictionary(&s.z, out.data() + previousStart, static_cast<uInt>(dictSize)) != Z_OK)
        Fail(at, "cannot set the compression dictionary");
    }
    const std::size_t start = out.size();
    out.resize(start + outSize);
    s.z.next_in = const_cast<Bytef*>(blocks.data() + pos + 6);
    s.z.avail_in = static_cast<uInt>(storedSize - 2);
    s.z.next_out = out.data() + start;
    s.z.avail_out = static_cast<uInt>(outSize);
    const int rc = inflate(&s.z, Z_FINISH);
    if (rc != Z_STREAM_END || s.z.avail_out != 0)
      Fail(at, "compressed block is damaged (" + std::string(s.z.msg ? s.z.msg : "wrong output size") + ")");
    previousStart = start;
    pos += 4 + storedSize;
  }
  if (out.size() != expected)
    Fail(fileOffset + blocks.size(), "compressed blocks hold " + std::to_string(out.size()) +
                                         " bytes, the header declares " + std::to_string(expected));
  return out;
}

std::vector<std::uint8_t> DeflateMszip(std::span<const std::uint8_t> body) {
  const std::size_t total = body.size() + 16;
  if (total > 0xFFFFFFFFu) throw XFileError("mesh too large for a compressed X file");
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(total >> (8 * i)));
  std::size_t pos = 0;
  while (pos < body.size()) {
    const std::size_t n = std::min(kMszipBlockSize, body.size() - pos);
    DeflateStream s;
    if (pos > 0) {
      const std::size_t dict = std::min(kMszipBlockSize, pos);
      deflateSetDictionary(&s.z, body.data() + pos - dict, static_cast<uInt>(dict));
    }
    std::vector<std::uint8_t> packed(deflateBound(&s.z, static_cast<uLong>(n)) + 16);
    s.z.next_in = const_cast<Bytef*>(body.data() + pos);
    s.z.avail_in = static_cast<uInt>(n);
    s.z.next_out = packed.data();
    s.z.avail_out = static_cast<uInt>(packed.size());
    if (deflate(&s.z, Z_FINISH) != Z_STREAM_END) throw XFileError("compression failed");
    const std::size_t stored = packed.size() - s.z.avail_out + 2;
    if (stored > 0xFFFF) throw XFileError("compressed block too large");
    out.push_back(static_cast<std::uint8_t>(n & 0xFF));
    out.push_back(static_cast<std::uint8_t>(n >> 8));
    out.push_back(static_cast<std::uint8_t>(stored & 0xFF));
    out.push_back(static_cast<std::uint8_t>(stored >> 8));
    out.push_back('C');
    out.push_back('K');
    out.insert(out.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(stored - 2));
    pos += n;
  }
  return out;
}

}  // namespace quarnix::xfile
