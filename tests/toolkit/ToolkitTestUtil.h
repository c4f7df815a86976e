#pragma once
// Helpers for the toolkit tests: the shared X-file samples, small meshes
// written as X files, hand-made binary token streams, and a check that a
// loader ends the program with its message.

#include <gtest/gtest.h>

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

// The box from -1 to 1 (faces as Box gives them). Face f uses material
// f % materialCount, triangles grouped by material as the reader leaves them;
// material i has diffuse colour (0.1 (i + 1), 0.2, 0.3, 1).
inline XMesh CubeMesh(int materialCount = 1) {
  const Faces box = Box({-1, -1, -1}, {1, 1, 1});
  XMesh mesh;
  mesh.Vertices = box.vertices;
  for (int m = 0; m < materialCount; ++m) {
    for (int f = m; f < 6; f += materialCount) {
      mesh.Indices.insert(mesh.Indices.end(), box.indices.begin() + 6 * f, box.indices.begin() + 6 * f + 6);
      mesh.Attributes.insert(mesh.Attributes.end(), 2, static_cast<std::uint32_t>(m));
    }
    XMaterial material;
    material.Diffuse = {0.1f * (m + 1), 0.2f, 0.3f, 1};
    material.Specular = {0.5f, 0.5f, 0.5f, 1};
    material.Emissive = {0, 0, 0, 1};
    material.Power = 8;
    mesh.Materials.push_back(material);
  }
  return mesh;
}

// Square() with one white material.
inline XMesh SquareMesh() {
  XMesh mesh;
  mesh.Vertices = Square().vertices;
  mesh.Indices = Square().indices;
  mesh.Attributes = {0, 0};
  mesh.Materials.resize(1);
  mesh.Materials[0].Diffuse = {1, 1, 1, 1};
  mesh.Materials[0].Specular = mesh.Materials[0].Emissive = {0, 0, 0, 1};
  return mesh;
}

inline std::filesystem::path WriteMesh(const std::filesystem::path& path, const XMesh& mesh) {
  SaveXFileMesh(path, mesh, XFileFormat::Binary);
  return path;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  WriteText(path, std::string(bytes.begin(), bytes.end()));
}

// Runs action, which must end the program; returns what it said on stderr.
inline std::string EndMessage(const std::function<void()>& action) {
  ScopedEndHookThrows hook;
  ::testing::internal::CaptureStderr();
  bool ended = false;
  try {
    action();
  } catch (const ProgramEndRequested& e) {
    ended = true;
    EXPECT_NE(e.exitCode, 0);
  }
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ended) << "the program was not ended";
  return said;
}

// A binary token stream written by hand, little-endian.
struct Tokens {
  std::vector<std::uint8_t> out;
  explicit Tokens(const std::string& header) : out(header.begin(), header.end()) {}
  Tokens& U16(std::uint16_t v) {
    out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
    return *this;
  }
  Tokens& U32(std::uint32_t v) {
    return U16(static_cast<std::uint16_t>(v)).U16(static_cast<std::uint16_t>(v >> 16));
  }
  Tokens& Text(std::uint16_t token, const std::string& s) {
    U16(token).U32(static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
    return *this;
  }
  Tokens& Name(const std::string& s) { return Text(1, s); }
  Tokens& String(const std::string& s) { return Text(2, s).U16(20); }
  Tokens& Open() { return U16(10); }
  Tokens& Close() { return U16(11); }
  Tokens& Ints(std::initializer_list<std::uint32_t> v) {
    U16(6).U32(static_cast<std::uint32_t>(v.size()));
    for (auto x : v) U32(x);
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
};

inline void ExpectNear(const D3DVERTEX& v, std::initializer_list<float> expected, float tolerance = 1e-6f) {
  const float got[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv};
  int i = 0;
  for (float e : expected) EXPECT_NEAR(got[i++], e, tolerance) << "member " << i - 1;
}

}  // namespace quarnix::test
