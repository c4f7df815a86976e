#pragma once
// Helpers for the toolkit tests: small meshes written as X files, 24-bit BMP
// pictures made in memory, and a check that a loader ends the program with
// its message.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "../storage/TempFolder.h"
#include "core/ProgramEnd.h"
#include "toolkit/XFile.h"

namespace quarnix::test {

// A cube from -1 to 1: four vertices per face with the face's normal (24 in
// all), two triangles per face. Face f uses material f % materialCount;
// material i has diffuse colour (0.1 (i + 1), 0.2, 0.3, 1).
inline XMesh CubeMesh(int materialCount = 1) {
  XMesh mesh;
  const float n[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  for (int f = 0; f < 6; ++f) {
    // Two unit axes across face f.
    const float a[3] = {n[f][0] == 0 ? 1.0f : 0.0f, n[f][0] == 0 ? 0.0f : 1.0f, 0};
    const float b[3] = {0, n[f][1] == 0 && n[f][0] == 0 ? 1.0f : 0.0f, n[f][2] == 0 ? 1.0f : 0.0f};
    const auto base = static_cast<std::uint32_t>(mesh.Vertices.size());
    for (int k = 0; k < 4; ++k) {
      const float s = (k == 1 || k == 2) ? 1.0f : -1.0f, t = k >= 2 ? 1.0f : -1.0f;
      mesh.Vertices.push_back({n[f][0] + s * a[0] + t * b[0], n[f][1] + s * a[1] + t * b[1],
                               n[f][2] + s * a[2] + t * b[2], n[f][0], n[f][1], n[f][2], (s + 1) / 2,
                               (t + 1) / 2});
    }
    mesh.Indices.insert(mesh.Indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
  }
  // Triangles grouped by material, as the reader leaves them.
  std::vector<std::uint32_t> grouped;
  for (int m = 0; m < materialCount; ++m)
    for (int f = 0; f < 6; ++f)
      if (f % materialCount == m) {
        grouped.insert(grouped.end(), mesh.Indices.begin() + 6 * f, mesh.Indices.begin() + 6 * f + 6);
        mesh.Attributes.insert(mesh.Attributes.end(),
                               {static_cast<std::uint32_t>(m), static_cast<std::uint32_t>(m)});
      }
  mesh.Indices = grouped;
  for (int i = 0; i < materialCount; ++i) {
    XMaterial m;
    m.Diffuse = {0.1f * (i + 1), 0.2f, 0.3f, 1};
    m.Specular = {0.5f, 0.5f, 0.5f, 1};
    m.Emissive = {0, 0, 0, 1};
    m.Power = 8;
    mesh.Materials.push_back(m);
  }
  return mesh;
}

// A square from (-1, -1) to (1, 1) in the plane z = 0, facing -z; u runs with
// x, v runs down the screen (v = 0 at y = 1). One white material.
inline XMesh SquareMesh() {
  XMesh mesh;
  mesh.Vertices = {{-1, -1, 0, 0, 0, -1, 0, 1},
                   {-1, 1, 0, 0, 0, -1, 0, 0},
                   {1, 1, 0, 0, 0, -1, 1, 0},
                   {1, -1, 0, 0, 0, -1, 1, 1}};
  mesh.Indices = {0, 1, 2, 0, 2, 3};
  mesh.Attributes = {0, 0};
  XMaterial white;
  white.Diffuse = {1, 1, 1, 1};
  white.Specular = white.Emissive = {0, 0, 0, 1};
  mesh.Materials = {white};
  return mesh;
}

inline std::filesystem::path WriteMesh(const std::filesystem::path& path, const XMesh& mesh) {
  SaveXFileMesh(path, mesh, XFileFormat::Binary);
  return path;
}

// A bottom-up 24-bit BMP of width x height pixels given top row first as 0xRRGGBB.
inline std::vector<std::uint8_t> Bmp24(int width, int height, const std::vector<std::uint32_t>& rgb) {
  const int rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * height), fileSize = 54 + dataSize;
  std::vector<std::uint8_t> out;
  auto u16 = [&](std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
  };
  auto u32 = [&](std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  out.push_back('B');
  out.push_back('M');
  u32(fileSize);
  u32(0);
  u32(54);
  u32(40);
  u32(static_cast<std::uint32_t>(width));
  u32(static_cast<std::uint32_t>(height));
  u16(1);
  u16(24);
  u32(0);
  u32(dataSize);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = rgb[static_cast<std::size_t>(y) * width + x];
      out.push_back(c & 0xFF);
      out.push_back((c >> 8) & 0xFF);
      out.push_back((c >> 16) & 0xFF);
    }
    for (int p = width * 3; p < rowBytes; ++p) out.push_back(0);
  }
  return out;
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

}  // namespace quarnix::test
