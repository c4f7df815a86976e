// Writing a mesh as an X file. One walk over the mesh drives either a text
// sink or a binary token sink, so both encodings always hold the same data.

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/Files.h"
#include "toolkit/XFile.h"
#include "toolkit/XFileMszip.h"

namespace quarnix {
namespace {

// The standard templates the writer uses, declared in the file so that a
// reader without built-in templates understands it too.
constexpr std::string_view kMeshTemplates[] = {
    "template Vector {\n <3d82ab5e-62da-11cf-ab39-0020af71e433>\n FLOAT x;\n FLOAT y;\n FLOAT z;\n}\n",
    "template MeshFace {\n <3d82ab5f-62da-11cf-ab39-0020af71e433>\n DWORD nFaceVertexIndices;\n"
    " array DWORD faceVertexIndices[nFaceVertexIndices];\n}\n",
    "template Mesh {\n <3d82ab44-62da-11cf-ab39-0020af71e433>\n DWORD nVertices;\n"
    " array Vector vertices[nVertices];\n DWORD nFaces;\n array MeshFace faces[nFaces];\n [...]\n}\n",
    "template MeshNormals {\n <f6f23f43-7686-11cf-8f52-0040333594a3>\n DWORD nNormals;\n"
    " array Vector normals[nNormals];\n DWORD nFaceNormals;\n array MeshFace faceNormals[nFaceNormals];\n}\n",
    "template Coords2d {\n <f6f23f44-7686-11cf-8f52-0040333594a3>\n FLOAT u;\n FLOAT v;\n}\n",
    "template MeshTextureCoords {\n <f6f23f40-7686-11cf-8f52-0040333594a3>\n DWORD nTextureCoords;\n"
    " array Coords2d textureCoords[nTextureCoords];\n}\n",
    "template ColorRGBA {\n <35ff44e0-6c7c-11cf-8f52-0040333594a3>\n FLOAT red;\n FLOAT green;\n"
    " FLOAT blue;\n FLOAT alpha;\n}\n",
    "template ColorRGB {\n <d3e16e81-7835-11cf-8f52-0040333594a3>\n FLOAT red;\n FLOAT green;\n FLOAT "
    "blue;\n}\n",
    "template Material {\n <3d82ab4d-62da-11cf-ab39-0020af71e433>\n ColorRGBA faceColor;\n FLOAT power;\n"
    " ColorRGB specularColor;\n ColorRGB emissiveColor;\n [...]\n}\n",
    "template MeshMaterialList {\n <f6f23f42-7686-11cf-8f52-0040333594a3>\n DWORD nMaterials;\n"
    " DWORD nFaceIndexes;\n array DWORD faceIndexes[nFaceIndexes];\n"
    " [Material <3d82ab4d-62da-11cf-ab39-0020af71e433>]\n}\n",
    "template TextureFilename {\n <a42790e1-7810-11cf-8f52-0040333594a3>\n STRING filename;\n}\n",
};
constexpr std::string_view kFrameTemplates[] = {
    "template Matrix4x4 {\n <f6f23f45-7686-11cf-8f52-0040333594a3>\n array FLOAT matrix[16];\n}\n",
    "template FrameTransformMatrix {\n <f6f23f41-7686-11cf-8f52-0040333594a3>\n Matrix4x4 frameMatrix;\n}\n",
    "template Frame {\n <3d82ab46-62da-11cf-ab39-0020af71e433>\n [...]\n}\n",
};

class Sink {
 public:
  virtual ~Sink() = default;
  virtual void Template(std::string_view text) = 0;
  virtual void Begin(std::string_view templateName, std::string_view name) = 0;
  virtual void End() = 0;
  // A DWORD member.
  virtual void Dword(std::uint32_t v) = 0;
  // An array of structures of `width` FLOATs each (Vector, Coords2d).
  virtual void FloatStructs(std::span<const float> values, std::size_t width) = 0;
  // A structure member of FLOATs (ColorRGBA, ColorRGB) or a lone FLOAT.
  virtual void FloatStruct(std::span<const float> values) = 0;
  virtual void Float(float v) = 0;
  // An array of DWORDs (faceIndexes).
  virtual void DwordArray(std::span<const std::uint32_t> values) = 0;
  // An array of MeshFace structures, all triangles.
  virtual void Triangles(std::span<const std::uint32_t> indices) = 0;
  // A FLOAT array member inside a structure member (Matrix4x4).
  virtual void FloatArrayStruct(std::span<const float> values) = 0;
  virtual void String(std::string_view s) = 0;
};

// Shortest text that reads back as the same float, with at least six
// decimals as X files usually show.
std::string FormatFloat(float v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  std::string s(buf, ec == std::errc() ? end : buf);
  const std::size_t dot = s.find('.');
  const std::size_t decimals = dot == std::string::npos ? 0 : s.size() - dot - 1;
  if (dot == std::string::npos) s += '.';
  if (decimals < 6) s.append(6 - decimals, '0');
  return s;
}

class TextSink final : public Sink {
 public:
  std::string Out = "xof 0303txt 0032\n";

  void Template(std::string_view text) override { Out += text, Out += '\n'; }
  void Begin(std::string_view templateName, std::string_view name) override {
    Indent();
    Out += templateName;
    if (!name.empty()) Out += ' ', Out += name;
    Out += " {\n";
    ++depth_;
  }
  void End() override {
    --depth_;
    Indent();
    Out += "}\n";
  }
  void Dword(std::uint32_t v) override { Line(std::to_string(v) + ";"); }
  void FloatStructs(std::span<const float> values, std::size_t width) override {
    const std::size_t n = values.size() / width;
    for (std::size_t i = 0; i < n; ++i) {
      std::string line;
      for (std::size_t k = 0; k < width; ++k) line += FormatFloat(values[i * width + k]) + ";";
      Line(line + (i + 1 < n ? "," : ";"));
    }
    if (n == 0) Line(";");
  }
  void FloatStruct(std::span<const float> values) override {
    std::string line;
    for (float v : values) line += FormatFloat(v) + ";";
    Line(line + ";");
  }
  void Float(float v) override { Line(FormatFloat(v) + ";"); }
  void DwordArray(std::span<const std::uint32_t> values) override {
    for (std::size_t i = 0; i < values.size(); ++i)
      Line(std::to_string(values[i]) + (i + 1 < values.size() ? "," : ";"));
    if (values.empty()) Line(";");
  }
  void Triangles(std::span<const std::uint32_t> indices) override {
    const std::size_t n = indices.size() / 3;
    for (std::size_t t = 0; t < n; ++t)
      Line("3;" + std::to_string(indices[3 * t]) + "," + std::to_string(indices[3 * t + 1]) + "," +
           std::to_string(indices[3 * t + 2]) + ";" + (t + 1 < n ? "," : ";"));
    if (n == 0) Line(";");
  }
  void FloatArrayStruct(std::span<const float> values) override {
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i)
      line += FormatFloat(values[i]) + (i + 1 < values.size() ? "," : ";");
    Line(line + ";");
  }
  void String(std::string_view s) override {
    std::string line = "\"";
    for (char c : s) {
      if (c == '\\' || c == '"') line += '\\';
      line += c;
    }
    Line(line + "\";");
  }

 private:
  void Indent() { Out.append(static_cast<std::size_t>(depth_), ' '); }
  void Line(const std::string& s) {
    Indent();
    Out += s;
    Out += '\n';
  }
  int depth_ = 0;
};

// Binary tokens. Consecutive DWORDs share one integer list and consecutive
// FLOATs one float list, as the format allows.
class BinarySink final : public Sink {
 public:
  std::vector<std::uint8_t> Out;
  BinarySink() {
    const std::string_view head = "xof 0303bin 0032";
    Out.assign(head.begin(), head.end());
  }

  void Template(std::string_view text) override;
  void Begin(std::string_view templateName, std::string_view name) override {
    Flush();
    Name(templateName);
    if (!name.empty()) Name(name);
    Token(10);
  }
  void End() override {
    Flush();
    Token(11);
  }
  void Dword(std::uint32_t v) override { PendInts().push_back(v); }
  void FloatStructs(std::span<const float> values, std::size_t) override { Floats(values); }
  void FloatStruct(std::span<const float> values) override { Floats(values); }
  void Float(float v) override { Floats(std::span<const float>(&v, 1)); }
  void DwordArray(std::span<const std::uint32_t> values) override {
    auto& ints = PendInts();
    ints.insert(ints.end(), values.begin(), values.end());
  }
  void Triangles(std::span<const std::uint32_t> indices) override {
    auto& ints = PendInts();
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3)
      ints.insert(ints.end(), {3u, indices[t], indices[t + 1], indices[t + 2]});
  }
  void FloatArrayStruct(std::span<const float> values) override { Floats(values); }
  void String(std::string_view s) override {
    Flush();
    Token(2);
    U32(static_cast<std::uint32_t>(s.size()));
    Out.insert(Out.end(), s.begin(), s.end());
    Token(20);
  }

 private:
  void Token(std::uint16_t id) {
    Out.insert(Out.end(), {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8)});
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) Out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Name(std::string_view s) {
    Token(1);
    U32(static_cast<std::uint32_t>(s.size()));
    Out.insert(Out.end(), s.begin(), s.end());
  }
  std::vector<std::uint32_t>& PendInts() {
    if (!floats_.empty()) Flush();
    return ints_;
  }
  void Floats(std::span<const float> values) {
    if (!ints_.empty()) Flush();
    floats_.insert(floats_.end(), values.begin(), values.end());
  }
  void Flush() {
    if (!ints_.empty()) {
      Token(6);
      U32(static_cast<std::uint32_t>(ints_.size()));
      for (auto v : ints_) U32(v);
      ints_.clear();
    }
    if (!floats_.empty()) {
      Token(7);
      U32(static_cast<std::uint32_t>(floats_.size()));
      for (float f : floats_) {
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
      }
      floats_.clear();
    }
  }
  void Guid(std::string_view text);

  std::vector<std::uint32_t> ints_;
  std::vector<float> floats_;
};

// Encodes one of our own template declarations (kMeshTemplates) as tokens.
void BinarySink::Template(std::string_view text) {
  Flush();
  static const std::pair<std::string_view, std::uint16_t> kWords[] = {
      {"template", 31}, {"array", 52},   {"WORD", 40},   {"DWORD", 41}, {"FLOAT", 42},
      {"DOUBLE", 43},   {"CHAR", 44},    {"UCHAR", 45},  {"SWORD", 46}, {"SDWORD", 47},
      {"STRING", 49},   {"UNICODE", 50}, {"CSTRING", 51}};
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (c == '<') {
      const std::size_t end = text.find('>', i);
      Guid(text.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (std::strchr("{}[];.", c)) {
      static const std::string_view kPunct = "{}[];.";
      static const std::uint16_t kIds[] = {10, 11, 14, 15, 20, 18};
      Token(kIds[kPunct.find(c)]);
      ++i;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      std::uint32_t v = 0;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        v = v * 10 + (text[i++] - '0');
      Token(3);
      U32(v);
    } else {
      const std::size_t start = i;
      while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
      const std::string_view word = text.substr(start, i - start);
      bool keyword = false;
      for (const auto& [w, id] : kWords)
        if (w == word) Token(id), keyword = true;
      if (!keyword) Name(word);
    }
  }
}

// "3d82ab44-62da-11cf-ab39-0020af71e433": u32, u16, u16, then 8 bytes in order.
void BinarySink::Guid(std::string_view text) {
  std::string hex;
  for (char c : text)
    if (c != '-') hex += c;
  auto byte = [&](std::size_t i) {
    return static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  };
  Token(5);
  for (std::size_t i : {3, 2, 1, 0, 5, 4, 7, 6}) Out.push_back(byte(i));
  for (std::size_t i = 8; i < 16; ++i) Out.push_back(byte(i));
}

bool IsIdentifier(std::string_view s) {
  if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return s != "template" && s != "array";
}

void Validate(const XMesh& mesh, const XWriteOptions& options) {
  if (!options.MeshName.empty() && !IsIdentifier(options.MeshName))
    throw XFileError("mesh name '" + options.MeshName + "' is not a valid X file name");
  if (!options.FrameName.empty() && !IsIdentifier(options.FrameName))
    throw XFileError("frame name '" + options.FrameName + "' is not a valid X file name");
  if (mesh.Indices.size() % 3 != 0) throw XFileError("index count is not a multiple of 3");
  if (mesh.Vertices.size() > 0xFFFFFFFFu || mesh.Indices.size() / 3 > 0xFFFFFFFFu)
    throw XFileError("mesh too large for an X file");
  for (std::size_t i = 0; i < mesh.Indices.size(); ++i)
    if (mesh.Indices[i] >= mesh.Vertices.size())
      throw XFileError("index " + std::to_string(i) + " names vertex " + std::to_string(mesh.Indices[i]) +
                       " of " + std::to_string(mesh.Vertices.size()));
  if (!mesh.Attributes.empty() && mesh.Attributes.size() != mesh.TriangleCount())
    throw XFileError("attribute count differs from the triangle count");
  for (std::size_t t = 0; t < mesh.Attributes.size(); ++t)
    if (mesh.Attributes[t] != 0 && mesh.Attributes[t] >= mesh.Materials.size())
      throw XFileError("triangle " + std::to_string(t) + " uses material " +
                       std::to_string(mesh.Attributes[t]) + " of " + std::to_string(mesh.Materials.size()));
  auto finite = [](std::initializer_list<float> values) {
    for (float v : values)
      if (!std::isfinite(v)) return false;
    return true;
  };
  for (std::size_t i = 0; i < mesh.Vertices.size(); ++i) {
    const D3DVERTEX& v = mesh.Vertices[i];
    if (!finite({v.x, v.y, v.z, v.nx, v.ny, v.nz, v.tu, v.tv}))
      throw XFileError("vertex " + std::to_string(i) + " holds a value that is not finite");
  }
  for (std::size_t i = 0; i < mesh.Materials.size(); ++i) {
    const XMaterial& m = mesh.Materials[i];
    if (!finite({m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a, m.Power, m.Specular.r, m.Specular.g,
                 m.Specular.b, m.Emissive.r, m.Emissive.g, m.Emissive.b}))
      throw XFileError("material " + std::to_string(i) + " holds a value that is not finite");
  }
}

void WriteMesh(Sink& out, const XMesh& mesh, const XWriteOptions& options) {
  if (options.Templates) {
    if (!options.FrameName.empty())
      for (auto t : kFrameTemplates) out.Template(t);
    for (auto t : kMeshTemplates) out.Template(t);
  }
  if (!options.FrameName.empty()) {
    out.Begin("Frame", options.FrameName);
    out.Begin("FrameTransformMatrix", "");
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    out.FloatArrayStruct(identity);
    out.End();
  }

  const auto nv = static_cast<std::uint32_t>(mesh.Vertices.size());
  const auto nf = static_cast<std::uint32_t>(mesh.TriangleCount());
  std::vector<float> positions, normals, uvs;
  positions.reserve(3 * nv);
  normals.reserve(3 * nv);
  uvs.reserve(2 * nv);
  for (const auto& v : mesh.Vertices) {
    positions.insert(positions.end(), {v.x, v.y, v.z});
    normals.insert(normals.end(), {v.nx, v.ny, v.nz});
    uvs.insert(uvs.end(), {v.tu, v.tv});
  }

  out.Begin("Mesh", options.MeshName);
  out.Dword(nv);
  out.FloatStructs(positions, 3);
  out.Dword(nf);
  out.Triangles(mesh.Indices);

  // Normal i belongs to vertex i, so the normal faces repeat the faces.
  out.Begin("MeshNormals", "");
  out.Dword(nv);
  out.FloatStructs(normals, 3);
  out.Dword(nf);
  out.Triangles(mesh.Indices);
  out.End();

  out.Begin("MeshTextureCoords", "");
  out.Dword(nv);
  out.FloatStructs(uvs, 2);
  out.End();

  if (!mesh.Materials.empty()) {
    std::vector<std::uint32_t> attributes = mesh.Attributes;
    attributes.resize(nf, 0);
    out.Begin("MeshMaterialList", "");
    out.Dword(static_cast<std::uint32_t>(mesh.Materials.size()));
    out.Dword(nf);
    out.DwordArray(attributes);
    for (const auto& m : mesh.Materials) {
      out.Begin("Material", "");
      const float face[4] = {m.Diffuse.r, m.Diffuse.g, m.Diffuse.b, m.Diffuse.a};
      const float specular[3] = {m.Specular.r, m.Specular.g, m.Specular.b};
      const float emissive[3] = {m.Emissive.r, m.Emissive.g, m.Emissive.b};
      out.FloatStruct(face);
      out.Float(m.Power);
      out.FloatStruct(specular);
      out.FloatStruct(emissive);
      if (!m.TextureFileName.empty()) {
        out.Begin("TextureFilename", "");
        out.String(m.TextureFileName);
        out.End();
      }
      out.End();
    }
    out.End();
  }
  out.End();
  if (!options.FrameName.empty()) out.End();
}

}  // namespace

std::vector<std::uint8_t> WriteXFile(const XMesh& mesh, XFileFormat format, const XWriteOptions& options) {
  Validate(mesh, options);
  if (format == XFileFormat::Text) {
    TextSink sink;
    WriteMesh(sink, mesh, options);
    return std::vector<std::uint8_t>(sink.Out.begin(), sink.Out.end());
  }
  BinarySink sink;
  WriteMesh(sink, mesh, options);
  if (format == XFileFormat::Binary) return std::move(sink.Out);
  if (format != XFileFormat::Compressed) throw XFileError("unknown X file format");
  const std::string_view head = "xof 0303bzip0032";
  std::vector<std::uint8_t> out(head.begin(), head.end());
  const auto blocks = xfile::DeflateMszip(std::span<const std::uint8_t>(sink.Out).subspan(16));
  out.insert(out.end(), blocks.begin(), blocks.end());
  return out;
}

void SaveXFileMesh(const std::filesystem::path& path, const XMesh& mesh, XFileFormat format,
                   const XWriteOptions& options) {
  const std::vector<std::uint8_t> bytes = WriteXFile(mesh, format, options);
  try {
    WriteFileAtomic(path, bytes);
  } catch (const std::runtime_error& e) {
    throw XFileError(e.what());
  }
}

}  // namespace quarnix
