#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../platform/PlatformTestUtil.h"
#include "../storage/TempFolder.h"
#include "core/Files.h"
#include "core/ProgramEnd.h"
#include "toolkit/XFile.h"

namespace quarnix::test {
inline std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
inline std::vector<std::uint8_t> Sample(const std::string& name) {
  return ReadFileBytes(std::string(QUARNIX_SHARED_DIR) + "/x-samples/" + name);
}
inline XFileContent ReadTextFile(const std::string& body) {
  return ReadXFile(Bytes("xof 0303txt 0032\n" + body));
}

inline XMesh CubeMesh(int materialCount = 1) {
  const Faces box = Box({-1, -1, -1}, {1, 1, 1});
  XMesh mesh{box.vertices, {}, {}, {}};
  for (int m = 0; m < materialCount; ++m) {
    for (int f = m; f < 6; f += materialCount) {
      mesh.Indices.insert(mesh.Indices.end(), box.indices.begin() + 6 * f, box.indices.begin() + 6 * f + 6);
      mesh.Attributes.insert(mesh.Attributes.end(), 2, static_cast<std::uint32_t>(m));
    }
    mesh.Materials.push_back(
        {{0.1f * (m + 1), 0.2f, 0.3f, 1}, {}, {0.5f, 0.5f, 0.5f, 1}, {0, 0, 0, 1}, 8, ""});
  }
  return mesh;
}
inline std::filesystem::path WriteMesh(const std::filesystem::path& path, const XMesh& mesh) {
  return SaveXFileMesh(path, mesh, XFileFormat::Binary), path;
}

inline std::vector<std::uint8_t> Stored(ITexture* texture) {
  const auto bytes = texture->LockRect();
  std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
  texture->UnlockRect();
  return copy;
}

inline std::string EndMessage(const std::function<void()>& action) {
  ScopedEndHookThrows hook;
  ::testing::internal::CaptureStderr();
  try {
    action();
    ADD_FAILURE() << "the program was not ended";
  } catch (const ProgramEndRequested& e) {
    EXPECT_NE(e.exitCode, 0);
  }
  return ::testing::internal::GetCapturedStderr();
}

// A binary token stream written by hand, little-endian.
struct Tokens {
  std::vector<std::uint8_t> out;
  explicit Tokens(const std::string& header) : out(header.begin(), header.end()) {}
  Tokens& Le(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  Tokens& U16(std::uint16_t v) { return Le(v, 2); }
  Tokens& U32(std::uint32_t v) { return Le(v, 4); }
  Tokens& Text(std::uint16_t token, const std::string& s) {
    U16(token).U32(static_cast<std::uint32_t>(s.size())).out.insert(out.end(), s.begin(), s.end());
    return *this;
  }
  Tokens& Name(const std::string& s) { return Text(1, s); }
  Tokens& String(const std::string& s) { return Text(2, s).U16(20); }
  Tokens& Open() { return U16(10); }
  Tokens& Close() { return U16(11); }
  Tokens& Ints(std::initializer_list<std::uint32_t> v) {
    for (U16(6).U32(static_cast<std::uint32_t>(v.size())); auto x : v) U32(x);
    return *this;
  }
  Tokens& Doubles(std::initializer_list<double> v) {
    for (U16(7).U32(static_cast<std::uint32_t>(v.size())); double d : v)
      Le(std::bit_cast<std::uint64_t>(d), 8);
    return *this;
  }
};

inline void ExpectSame(const XMesh& got, const XMesh& want) {
  EXPECT_EQ(got.Vertices, want.Vertices);
  EXPECT_EQ(got.Indices, want.Indices);
  EXPECT_EQ(got.Attributes, want.Attributes);
  EXPECT_EQ(got.Materials, want.Materials);  // the subsets follow from these
}

inline void ExpectNear(const D3DVERTEX& v, std::initializer_list<float> expected, float tolerance = 1e-6f) {
  const float got[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv};
  int i = 0;
  for (float e : expected) EXPECT_NEAR(got[i++], e, tolerance) << "member " << i - 1;
}

}  // namespace quarnix::test
