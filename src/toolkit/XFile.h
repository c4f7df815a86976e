#pragma once
// DirectX X files (.x, the game's ".CAR"): reading text, binary and
// MSZIP-compressed files into one plain mesh, and writing such a mesh back.
//
// The reader merges every mesh of a file (top level or inside frames, moved by
// the combined frame matrices) into one vertex list in the 32-byte layout
// x y z nx ny nz tu tv, with triangle indices, a material id per triangle and
// the materials. Anything it does not need (templates, skinning, animation,
// vertex colours, ...) is skipped. Malformed input throws XFileError; it never
// crashes and never allocates more than the input can justify.

#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/D3DTypes.h"

namespace quarnix {

// A malformed or unreadable X file. The message is one line: where, then what.
class XFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// D3DVERTEX (x y z nx ny nz tu tv, 32 bytes) and the colour and material
// records are the plain Direct3D-style types every layer shares.
using XColor = D3DCOLORVALUE;

// One material as the loader hands it out: Diffuse is the file's face colour,
// Specular and Emissive get alpha 1, Ambient stays zero (the game copies
// Diffuse into it itself).
struct XMaterial {
  XColor Diffuse;
  XColor Ambient;
  XColor Specular;
  XColor Emissive;
  float Power = 0;
  std::string TextureFileName;  // empty when the material names no texture
  D3DMATERIAL8 D3DMaterial() const { return {Diffuse, Ambient, Specular, Emissive, Power}; }
  friend bool operator==(const XMaterial&, const XMaterial&) = default;
};

// The triangles of one material: they are stored together, FaceStart is the
// first triangle, and VertexStart .. VertexStart + VertexCount - 1 covers every
// vertex they use.
struct XSubset {
  std::uint32_t MaterialId = 0;
  std::uint32_t FaceStart = 0;
  std::uint32_t FaceCount = 0;
  std::uint32_t VertexStart = 0;
  std::uint32_t VertexCount = 0;
  friend bool operator==(const XSubset&, const XSubset&) = default;
};

struct XMesh {
  std::vector<D3DVERTEX> Vertices;
  std::vector<std::uint32_t> Indices;     // three per triangle
  std::vector<std::uint32_t> Attributes;  // material id per triangle
  std::vector<XMaterial> Materials;

  std::size_t TriangleCount() const { return Indices.size() / 3; }
  // 16-bit indices unless a vertex number does not fit in them.
  bool Uses32BitIndices() const { return Vertices.size() > 0xFFFF; }
  // Narrow copy of Indices; throws std::length_error when Uses32BitIndices().
  std::vector<std::uint16_t> Indices16() const;
  // One subset per material id (FaceCount 0 for an unused material), or one
  // subset 0 for a mesh without materials. Triangles must be grouped by
  // material id, as ReadXFile leaves them.
  std::vector<XSubset> Subsets() const;
};

// How a file is encoded; the numbers are SaveXFile's format argument.
enum class XFileFormat { Binary = 0, Text = 1, Compressed = 2 };

// What the 16-byte file header said.
struct XFileHeader {
  int MajorVersion = 3;
  int MinorVersion = 3;
  std::string FormatTag;  // "txt ", "bin ", "tzip" or "bzip"
  int FloatBits = 32;     // 32 or 64
  bool IsCompressed() const { return FormatTag == "tzip" || FormatTag == "bzip"; }
  bool IsBinary() const { return FormatTag == "bin " || FormatTag == "bzip"; }
};

struct XFileContent {
  XFileHeader Header;
  int MeshCount = 0;  // meshes found and merged into Mesh; 0: the file holds no mesh
  XMesh Mesh;         // triangles grouped by material id
};

// Reads a whole X file from memory or from disk. Throws XFileError, also for a
// file that is not a regular file or longer than kXFileMaxBytes (unread).
XFileContent ReadXFile(std::span<const std::uint8_t> bytes);
XFileContent LoadXFileContent(const std::filesystem::path& path);

// Limits that keep a hostile file from exhausting memory or the stack.
inline constexpr std::size_t kXFileMaxBytes = 64u << 20;      // the file itself (a million vertices in text)
inline constexpr std::size_t kXFileMaxInflated = 256u << 20;  // bytes after decompression
inline constexpr int kXFileMaxDepth = 64;                     // nested data objects

struct XWriteOptions {
  std::string MeshName;   // empty: an unnamed Mesh object
  std::string FrameName;  // not empty: the mesh sits in a Frame with an identity matrix
  bool Templates = true;  // declare the standard templates the file uses
};

// Writes the mesh as a text ("txt "), binary ("bin ") or compressed file. The
// compressed form is the binary form in MSZIP blocks ("bzip"). The same mesh
// always gives the same bytes. Each vertex carries its own normal and texture
// coordinates, so reading the file back gives the same vertices, triangles,
// material ids and materials. Throws XFileError for a mesh that cannot be
// written (an index past the vertices, a material id past the materials, a
// value that is not finite, a name that is not a valid identifier).
std::vector<std::uint8_t> WriteXFile(const XMesh& mesh, XFileFormat format,
                                     const XWriteOptions& options = {});
// Saves through WriteFileAtomic: a failed save leaves an existing file whole,
// a link is written through, and only a regular file is replaced (XFileError
// otherwise).
void SaveXFileMesh(const std::filesystem::path& path, const XMesh& mesh, XFileFormat format,
                   const XWriteOptions& options = {});

}  // namespace quarnix
