#pragma once
// Helpers shared by the X-file tests: sample paths, reading from strings, and
// a tiny token builder for hand-made binary files.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "toolkit/XFile.h"

namespace quarnix::test {

inline std::string SampleDir() { return std::string(QUARNIX_SHARED_DIR) + "/x-samples"; }

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> Sample(const std::string& name) {
  return ReadBytes(SampleDir() + "/" + name);
}

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

inline XFileContent ReadText(const std::string& body) {
  return ReadXFile(Bytes("xof 0303txt 0032\n" + body));
}

// Binary token stream written by hand, little-endian.
struct Tokens {
  std::vector<std::uint8_t> out;
  explicit Tokens(const std::string& header) : out(header.begin(), header.end()) {}
  Tokens& U16(std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
  }
  Tokens& U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Tokens& Name(const std::string& s) {
    U16(1).U32(static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
    return *this;
  }
  Tokens& Open() { return U16(10); }
  Tokens& Close() { return U16(11); }
  Tokens& Ints(std::initializer_list<std::uint32_t> v) {
    U16(6).U32(static_cast<std::uint32_t>(v.size()));
    for (auto x : v) U32(x);
    return *this;
  }
  Tokens& Floats(std::initializer_list<float> v) {
    U16(7).U32(static_cast<std::uint32_t>(v.size()));
    for (float f : v) {
      std::uint32_t bits;
      std::memcpy(&bits, &f, 4);
      U32(bits);
    }
    return *this;
  }
  Tokens& Doubles(std::initializer_list<double> v) {
    U16(7).U32(static_cast<std::uint32_t>(v.size()));
    for (double d : v) {
      std::uint64_t bits;
      std::memcpy(&bits, &d, 8);
      U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
    }
    return *this;
  }
  Tokens& String(const std::string& s) {
    U16(2).U32(static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
    return U16(20);
  }
};

inline void ExpectNear(const D3DVERTEX& v, std::initializer_list<float> expected, float tolerance = 1e-6f) {
  const float got[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv};
  int i = 0;
  for (float e : expected) {
    EXPECT_NEAR(got[i], e, tolerance) << "member " << i;
    ++i;
  }
}

}  // namespace quarnix::test
