// Reading X files in three steps: the header (and MSZIP inflation), a lexer
// per encoding feeding one parser that builds a tree of data objects (every
// value a number or a string, structure taken from the file, not from
// templates), and the interpretation of the few templates a mesh needs.

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "core/Files.h"
#include "toolkit/XFile.h"
#include "toolkit/XFileMszip.h"

namespace quarnix {
namespace {

using Matrix = std::array<float, 16>;  // row-major, row vectors: p' = p M
constexpr Matrix kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Names from a damaged file may hold anything; keep messages on one short line.
std::string Printable(std::string_view s) {
  std::string out;
  for (char c : s.substr(0, 40)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (s.size() > 40) out += "...";
  return out;
}

// ---------------------------------------------------------------------------
// Tree of data objects

struct DataObject {
  std::string Template;  // empty for a reference
  std::string Name;      // object name, or the referenced name
  std::string Where;     // "line 12" / "byte 345", for messages
  bool IsReference = false;
  std::vector<double> Numbers;
  std::vector<std::string> Strings;
  std::vector<DataObject> Children;  // nested objects and references, in file order
};

enum class Tok { End, Name, String, Number, NumberList, OBrace, CBrace, Guid, Separator, Template, Other };

struct Token {
  Tok Kind = Tok::End;
  std::string Text;
  double Number = 0;
};

class Lexer {
 public:
  virtual ~Lexer() = default;
  virtual Token Next() = 0;
  // Appends the values of the NumberList token just returned.
  virtual void TakeList(std::vector<double>& out) = 0;
  // Where the last token began.
  virtual std::string Where() const = 0;
  [[noreturn]] void Fail(const std::string& what) const { throw XFileError(Where() + ": " + what); }
};

class TextLexer final : public Lexer {
 public:
  TextLexer(std::span<const std::uint8_t> body, std::string unit) : s_(body), unit_(std::move(unit)) {}

  Token Next() override {
    SkipSpaceAndComments();
    tokenLine_ = line_;
    if (pos_ >= s_.size()) return {Tok::End, {}, 0};
    const char c = Peek();
    switch (c) {
      case '{':
        ++pos_;
        return {Tok::OBrace, {}, 0};
      case '}':
        ++pos_;
        return {Tok::CBrace, {}, 0};
      case ',':
      case ';':
        ++pos_;
        return {Tok::Separator, {}, 0};
      case '[':
      case ']':
      case '(':
      case ')':
        ++pos_;
        return {Tok::Other, std::string(1, c), 0};
      case '<':
        return Guid();
      case '"':
        return String();
      default:
        break;
    }
    if (StartsNumber()) return Number();
    if (c == '.' || c == '-' || c == '+') {  // "[...]" in templates
      ++pos_;
      return {Tok::Other, std::string(1, c), 0};
    }
    return Word();
  }

  void TakeList(std::vector<double>&) override { Fail("internal: no list in text"); }

  std::string Where() const override { return unit_ + "line " + std::to_string(tokenLine_); }

 private:
  char Peek() const { return static_cast<char>(s_[pos_]); }
  bool DigitAt(std::size_t at) const {
    return at < s_.size() && std::isdigit(static_cast<unsigned char>(s_[at]));
  }
  // "12", "-0.5", ".5", "+1e3"; a lone '.', '-' or '+' is punctuation.
  bool StartsNumber() const {
    std::size_t at = pos_;
    if (Peek() == '-' || Peek() == '+') ++at;
    if (at < s_.size() && s_[at] == '.') ++at;
    return DigitAt(at);
  }

  static bool IsDelimiter(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || std::strchr("{}<>,;\"[]()", c) != nullptr ||
           c == '\0';
  }

  void SkipSpaceAndComments() {
    while (pos_ < s_.size()) {
      const char c = Peek();
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(c))) {
        ++pos_;
      } else if (c == '#' || (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/')) {
        while (pos_ < s_.size() && Peek() != '\n') ++pos_;
      } else {
        break;
      }
    }
  }

  Token Guid() {
    const std::size_t start = ++pos_;
    while (pos_ < s_.size() && Peek() != '>') {
      const char c = Peek();
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != '-' &&
          !std::isspace(static_cast<unsigned char>(c)))
        Fail("bad character in GUID");
      if (c == '\n') ++line_;
      if (pos_ - start > 64) Fail("GUID too long");
      ++pos_;
    }
    if (pos_ >= s_.size()) Fail("GUID not closed with '>'");
    ++pos_;
    return {Tok::Guid, {}, 0};
  }

  Token String() {
    ++pos_;
    std::string text;
    while (true) {
      if (pos_ >= s_.size()) Fail("string not closed with '\"'");
      const char c = Peek();
      ++pos_;
      if (c == '"') break;
      if (c == '\n') ++line_;
      // Doubled backslashes (as in "C:\\dir\\file") and \" stand for one character.
      if (c == '\\' && pos_ < s_.size() && (Peek() == '\\' || Peek() == '"')) {
        text += Peek();
        ++pos_;
        continue;
      }
      text += c;
    }
    return {Tok::String, std::move(text), 0};
  }

  Token Number() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && !IsDelimiter(Peek())) ++pos_;
    std::string_view word(reinterpret_cast<const char*>(s_.data()) + start, pos_ - start);
    std::string_view digits = word;
    if (!digits.empty() && digits[0] == '+') digits.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
      Fail("bad number '" + Printable(word) + "'");
    return {Tok::Number, {}, value};
  }

  Token Word() {
    const std::size_t start = pos_;
    while (pos_ < s_.size() && !IsDelimiter(Peek())) ++pos_;
    if (pos_ == start) Fail("unexpected character");
    std::string text(reinterpret_cast<const char*>(s_.data()) + start, pos_ - start);
    if (text == "template") return {Tok::Template, {}, 0};
    return {Tok::Name, std::move(text), 0};
  }

  std::span<const std::uint8_t> s_;
  std::string unit_;
  std::size_t pos_ = 0;
  int line_ = 1;  // the header is line 1
  int tokenLine_ = 1;
};

class BinaryLexer final : public Lexer {
 public:
  BinaryLexer(std::span<const std::uint8_t> body, int floatBits, std::size_t baseOffset, std::string suffix)
      : s_(body), floatBytes_(floatBits / 8), base_(baseOffset), suffix_(std::move(suffix)) {}

  Token Next() override {
    tokenPos_ = pos_;
    if (pos_ >= s_.size()) return {Tok::End, {}, 0};
    const std::uint16_t id = U16("token");
    switch (id) {
      case 1:
        return {Tok::Name, Chars(U32("name length")), 0};
      case 2: {
        std::string text = Chars(U32("string length"));
        const std::uint16_t end = U16("string terminator");
        if (end != 19 && end != 20) Fail("string not followed by ';' or ','");
        return {Tok::String, std::move(text), 0};
      }
      case 3:
        return {Tok::Number, {}, static_cast<double>(U32("integer"))};
      case 5:
        Need(16, "GUID");
        pos_ += 16;
        return {Tok::Guid, {}, 0};
      case 6:
      case 7: {
        const std::uint64_t n = U32("list length");
        listSize_ = id == 6 ? 4 : floatBytes_;
        listFloats_ = id == 7;
        if (n * listSize_ > s_.size() - pos_)
          Fail("list of " + std::to_string(n) + " values runs past the end");
        listCount_ = static_cast<std::size_t>(n);
        return {Tok::NumberList, {}, 0};
      }
      case 10:
        return {Tok::OBrace, {}, 0};
      case 11:
        return {Tok::CBrace, {}, 0};
      case 19:
      case 20:
        return {Tok::Separator, {}, 0};
      case 31:
        return {Tok::Template, {}, 0};
      default:
        if ((id >= 12 && id <= 18) || (id >= 40 && id <= 52)) return {Tok::Other, std::to_string(id), 0};
        Fail("unknown token " + std::to_string(id));
    }
  }

  void TakeList(std::vector<double>& out) override {
    out.reserve(out.size() + listCount_);
    for (std::size_t i = 0; i < listCount_; ++i) {
      const std::uint8_t* p = s_.data() + pos_;
      if (!listFloats_) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        out.push_back(v);
      } else if (listSize_ == 4) {
        float v;
        std::memcpy(&v, p, 4);
        out.push_back(v);
      } else {
        double v;
        std::memcpy(&v, p, 8);
        out.push_back(v);
      }
      pos_ += listSize_;
    }
    listCount_ = 0;
  }

  std::string Where() const override { return "byte " + std::to_string(base_ + tokenPos_) + suffix_; }

 private:
  static_assert(std::endian::native == std::endian::little, "the binary reader assumes a little-endian host");

  void Need(std::size_t n, const char* what) const {
    if (n > s_.size() - pos_) Fail(std::string("file ends inside ") + what);
  }
  std::uint16_t U16(const char* what) {
    Need(2, what);
    const std::uint16_t v = static_cast<std::uint16_t>(s_[pos_] | (s_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  std::uint32_t U32(const char* what) {
    Need(4, what);
    std::uint32_t v;
    std::memcpy(&v, s_.data() + pos_, 4);
    pos_ += 4;
    return v;
  }
  std::string Chars(std::uint32_t n) {
    if (n > s_.size() - pos_) Fail("text of " + std::to_string(n) + " bytes runs past the end");
    std::string text(reinterpret_cast<const char*>(s_.data()) + pos_, n);
    pos_ += n;
    return text;
  }

  std::span<const std::uint8_t> s_;
  std::size_t floatBytes_;
  std::size_t base_;
  std::string suffix_;
  std::size_t pos_ = 0;
  std::size_t tokenPos_ = 0;
  std::size_t listCount_ = 0;
  std::size_t listSize_ = 4;
  bool listFloats_ = false;
};

class Parser {
 public:
  explicit Parser(Lexer& lexer) : lex_(lexer) {}

  std::vector<DataObject> ParseFile() {
    std::vector<DataObject> top;
    while (true) {
      Token t = lex_.Next();
      switch (t.Kind) {
        case Tok::End:
          return top;
        case Tok::Template:
          SkipTemplate();
          break;
        case Tok::Name:
          top.push_back(ParseObject(std::move(t.Text), 1));
          break;
        case Tok::OBrace:
          ParseReference();
          break;  // a reference at top level says nothing
        case Tok::Separator:
          break;
        default:
          lex_.Fail("expected a template or a data object");
      }
    }
  }

 private:
  void SkipTemplate() {
    Token name = lex_.Next();
    if (name.Kind != Tok::Name) lex_.Fail("template without a name");
    if (lex_.Next().Kind != Tok::OBrace) lex_.Fail("expected '{' after template " + Printable(name.Text));
    while (true) {
      Token t = lex_.Next();
      if (t.Kind == Tok::CBrace) return;
      if (t.Kind == Tok::End) lex_.Fail("file ends inside template " + Printable(name.Text));
      if (t.Kind == Tok::OBrace) lex_.Fail("'{' inside template " + Printable(name.Text));
      if (t.Kind == Tok::NumberList) {
        std::vector<double> ignored;
        lex_.TakeList(ignored);
      }
    }
  }

  DataObject ParseReference() {
    DataObject ref;
    ref.IsReference = true;
    ref.Where = lex_.Where();
    Token t = lex_.Next();
    if (t.Kind == Tok::Name) {
      ref.Name = std::move(t.Text);
      t = lex_.Next();
    }
    if (t.Kind == Tok::Guid) t = lex_.Next();
    if (t.Kind != Tok::CBrace) lex_.Fail("reference not closed with '}'");
    return ref;
  }

  DataObject ParseObject(std::string templateName, int depth) {
    if (depth > kXFileMaxDepth)
      lex_.Fail("data objects nested deeper than " + std::to_string(kXFileMaxDepth));
    DataObject obj;
    obj.Where = lex_.Where();
    obj.Template = std::move(templateName);
    Token t = lex_.Next();
    if (t.Kind == Tok::Name) {
      obj.Name = std::move(t.Text);
      t = lex_.Next();
    }
    if (t.Kind != Tok::OBrace) lex_.Fail("expected '{' to open " + Printable(obj.Template));
    bool first = true;
    while (true) {
      t = lex_.Next();
      switch (t.Kind) {
        case Tok::Guid:
          if (!first) lex_.Fail("GUID in the middle of " + Printable(obj.Template));
          break;
        case Tok::Number:
          obj.Numbers.push_back(t.Number);
          break;
        case Tok::NumberList:
          lex_.TakeList(obj.Numbers);
          break;
        case Tok::String:
          obj.Strings.push_back(std::move(t.Text));
          break;
        case Tok::Separator:
          break;
        case Tok::Name:
          obj.Children.push_back(ParseObject(std::move(t.Text), depth + 1));
          break;
        case Tok::OBrace:
          obj.Children.push_back(ParseReference());
          break;
        case Tok::CBrace:
          return obj;
        case Tok::End:
          lex_.Fail("file ends inside " + Printable(obj.Template));
        default:
          lex_.Fail("unexpected token inside " + Printable(obj.Template));
      }
      first = false;
    }
  }

  Lexer& lex_;
};

// ---------------------------------------------------------------------------
// Interpretation of the mesh templates

// Reads the values of one data object in order, checking each against what
// is left so that no count from the file can make us allocate blindly.
class Values {
 public:
  explicit Values(const DataObject& obj) : obj_(obj) {}

  [[noreturn]] void Fail(const std::string& what) const {
    const std::string object = obj_.Template.empty() ? std::string() : Printable(obj_.Template) + ": ";
    throw XFileError(obj_.Where + ": " + object + what);
  }

  std::size_t Left() const { return obj_.Numbers.size() - pos_; }

  double Next(const char* what) {
    if (pos_ >= obj_.Numbers.size()) Fail(std::string("missing ") + what);
    return obj_.Numbers[pos_++];
  }

  std::uint32_t Dword(const char* what) {
    const double v = Next(what);
    if (!(v >= 0 && v <= 4294967295.0) || v != std::floor(v))
      Fail(std::string(what) + " is not a whole number from 0 to 4294967295");
    return static_cast<std::uint32_t>(v);
  }

  // A count of items that need at least `valuesEach` further values each.
  std::uint32_t Count(const char* what, std::size_t valuesEach) {
    const std::uint32_t n = Dword(what);
    if (static_cast<std::uint64_t>(n) * valuesEach > Left())
      Fail(std::string(what) + " " + std::to_string(n) + " is more than the object holds");
    return n;
  }

  // An index that must be below `limit`.
  std::uint32_t Index(const char* what, std::size_t limit) {
    const std::uint32_t i = Dword(what);
    if (i >= limit)
      Fail(std::string(what) + " " + std::to_string(i) + " is out of range (0.." +
           (limit == 0 ? std::string("none") : std::to_string(limit - 1)) + ")");
    return i;
  }

  float Float(const char* what) {
    const double v = Next(what);
    if (std::isfinite(v) && std::fabs(v) > static_cast<double>(FLT_MAX))
      Fail(std::string(what) + " is too large for a float");
    return static_cast<float>(v);
  }

 private:
  const DataObject& obj_;
  std::size_t pos_ = 0;
};

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

bool SameFloat(float a, float b) {
  return a == b || std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
bool SameVec(const Vec3& a, const Vec3& b) {
  return SameFloat(a.x, b.x) && SameFloat(a.y, b.y) && SameFloat(a.z, b.z);
}

const DataObject* FirstChild(const DataObject& obj, std::string_view templateName) {
  for (const auto& c : obj.Children)
    if (!c.IsReference && SameName(c.Template, templateName)) return &c;
  return nullptr;
}

using MaterialMap = std::map<std::string, const DataObject*>;

void CollectNamedMaterials(const DataObject& obj, MaterialMap& out) {
  if (!obj.IsReference && SameName(obj.Template, "Material") && !obj.Name.empty())
    out.emplace(obj.Name, &obj);
  for (const auto& c : obj.Children) CollectNamedMaterials(c, out);
}

XMaterial ReadMaterial(const DataObject& obj) {
  Values v(obj);
  XMaterial m;
  m.Diffuse = {v.Float("face colour red"), v.Float("face colour green"), v.Float("face colour blue"),
               v.Float("face colour alpha")};
  m.Power = v.Float("power");
  m.Specular = {v.Float("specular red"), v.Float("specular green"), v.Float("specular blue"), 1.0f};
  m.Emissive = {v.Float("emissive red"), v.Float("emissive green"), v.Float("emissive blue"), 1.0f};
  if (const DataObject* tex = FirstChild(obj, "TextureFilename")) {
    if (tex->Strings.empty()) Values(*tex).Fail("no file name");
    m.TextureFileName = tex->Strings.front();
  }
  return m;
}

struct MeshFaces {
  std::vector<std::uint32_t> Sizes;
  std::vector<std::uint32_t> Corners;  // all faces' indices back to back
};

MeshFaces ReadFaces(Values& v, std::size_t indexLimit) {
  MeshFaces f;
  const std::uint32_t n = v.Count("face count", 1);
  f.Sizes.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t size = v.Count("face size", 1);
    f.Sizes.push_back(size);
    for (std::uint32_t k = 0; k < size; ++k) f.Corners.push_back(v.Index("face index", indexLimit));
  }
  return f;
}

std::vector<Vec3> ReadVectors(Values& v, const char* countName) {
  const std::uint32_t n = v.Count(countName, 3);
  std::vector<Vec3> out(n);
  for (auto& p : out) p = {v.Float("x"), v.Float("y"), v.Float("z")};
  return out;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a[i * 4 + k] * b[k * 4 + j];
      r[i * 4 + j] = s;
    }
  return r;
}

// The 3x3 matrix that carries normals: the inverse transpose of the upper
// 3x3 block, so that scaling along one axis keeps normals perpendicular.
std::array<double, 9> NormalMatrix(const Matrix& m) {
  const double a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9], i = m[10];
  const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  if (!std::isfinite(det) || std::fabs(det) < 1e-30) return {a, b, c, d, e, f, g, h, i};
  // Cofactor matrix = det * inverse transpose; the length does not matter as
  // the normal gets its old length back, but the sign of det does (mirrors).
  const double s = det < 0 ? -1.0 : 1.0;
  return {s * (e * i - f * h), s * (f * g - d * i), s * (d * h - e * g),
          s * (c * h - b * i), s * (a * i - c * g), s * (b * g - a * h),
          s * (b * f - c * e), s * (c * d - a * f), s * (a * e - b * d)};
}

class MeshBuilder {
 public:
  MeshBuilder(const MaterialMap& named) : named_(named) {}

  void AddFrame(const DataObject& frame, const Matrix& parent) {
    Matrix local = kIdentity;
    if (const DataObject* ftm = FirstChild(frame, "FrameTransformMatrix")) {
      Values v(*ftm);
      for (auto& x : local) x = v.Float("matrix value");
    }
    const Matrix world = Multiply(local, parent);
    for (const auto& c : frame.Children) {
      if (c.IsReference) continue;
      if (SameName(c.Template, "Mesh")) AddMesh(c, world);
      if (SameName(c.Template, "Frame")) AddFrame(c, world);
    }
  }

  void AddMesh(const DataObject& obj, const Matrix& world) {
    Values v(obj);
    const std::vector<Vec3> positions = ReadVectors(v, "vertex count");
    const MeshFaces faces = ReadFaces(v, positions.size());

    std::vector<Vec3> normals;
    MeshFaces normalFaces;
    const DataObject* normalObj = FirstChild(obj, "MeshNormals");
    if (normalObj) {
      Values nv(*normalObj);
      normals = ReadVectors(nv, "normal count");
      normalFaces = ReadFaces(nv, normals.size());
      if (normalFaces.Sizes != faces.Sizes)
        nv.Fail("normal faces (" + std::to_string(normalFaces.Sizes.size()) +
                ") do not match the mesh faces in count and sizes");
    }

    std::vector<std::array<float, 2>> uvs;
    if (const DataObject* uvObj = FirstChild(obj, "MeshTextureCoords")) {
      Values tv(*uvObj);
      const std::uint32_t n = tv.Count("texture coordinate count", 2);
      if (n != positions.size())
        tv.Fail("texture coordinate count " + std::to_string(n) + " differs from the vertex count " +
                std::to_string(positions.size()));
      uvs.resize(n);
      for (auto& uv : uvs) uv = {tv.Float("u"), tv.Float("v")};
    }

    std::vector<XMaterial> materials;
    std::vector<std::uint32_t> faceMaterial(faces.Sizes.size(), 0);
    const DataObject* listObj = FirstChild(obj, "MeshMaterialList");
    if (listObj) ReadMaterialList(*listObj, faceMaterial, materials);

    const std::size_t base = mesh_.Vertices.size();
    if (base + positions.size() > 0xFFFFFFF0u) v.Fail("too many vertices");

    // Vertices: one per position; a position met again with another normal
    // vector gets a copy (position and uv) appended after the originals.
    const std::size_t count = positions.size();
    std::vector<D3DVERTEX> verts(count);
    for (std::size_t i = 0; i < count; ++i) {
      verts[i].x = positions[i].x;
      verts[i].y = positions[i].y;
      verts[i].z = positions[i].z;
      if (!uvs.empty()) {
        verts[i].tu = uvs[i][0];
        verts[i].tv = uvs[i][1];
      }
    }
    std::vector<bool> hasNormal(count, false);
    std::vector<std::vector<std::uint32_t>> copies(count);
    auto resolve = [&](std::uint32_t p, std::size_t corner) -> std::uint32_t {
      if (!normalObj) return p;
      const Vec3& n = normals[normalFaces.Corners[corner]];
      auto normalOf = [&](std::uint32_t i) { return Vec3{verts[i].nx, verts[i].ny, verts[i].nz}; };
      if (!hasNormal[p]) {
        hasNormal[p] = true;
        verts[p].nx = n.x;
        verts[p].ny = n.y;
        verts[p].nz = n.z;
        return p;
      }
      if (SameVec(normalOf(p), n)) return p;
      for (std::uint32_t c : copies[p])
        if (SameVec(normalOf(c), n)) return c;
      D3DVERTEX copy = verts[p];
      copy.nx = n.x;
      copy.ny = n.y;
      copy.nz = n.z;
      verts.push_back(copy);
      const auto index = static_cast<std::uint32_t>(verts.size() - 1);
      copies[p].push_back(index);
      return index;
    };

    // Fan triangulation: (v0, vk, vk+1).
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> attributes;
    std::size_t corner = 0;
    for (std::size_t f = 0; f < faces.Sizes.size(); ++f) {
      const std::uint32_t size = faces.Sizes[f];
      std::vector<std::uint32_t> ring(size);
      for (std::uint32_t k = 0; k < size; ++k, ++corner) ring[k] = resolve(faces.Corners[corner], corner);
      for (std::uint32_t k = 1; k + 1 < size; ++k) {
        indices.push_back(static_cast<std::uint32_t>(base + ring[0]));
        indices.push_back(static_cast<std::uint32_t>(base + ring[k]));
        indices.push_back(static_cast<std::uint32_t>(base + ring[k + 1]));
        attributes.push_back(faceMaterial[f]);
      }
    }

    Transform(verts, world);
    mesh_.Vertices.insert(mesh_.Vertices.end(), verts.begin(), verts.end());
    mesh_.Indices.insert(mesh_.Indices.end(), indices.begin(), indices.end());
    parts_.push_back(
        {mesh_.Attributes.size(), attributes.size(), mesh_.Materials.size(), !materials.empty()});
    mesh_.Attributes.insert(mesh_.Attributes.end(), attributes.begin(), attributes.end());
    mesh_.Materials.insert(mesh_.Materials.end(), materials.begin(), materials.end());
    ++meshCount_;
  }

  int MeshCount() const { return meshCount_; }

  XMesh Finish() {
    // Material ids become global; a mesh without materials, merged with
    // meshes that have some, draws with a plain white material of its own.
    bool anyWithout = false;
    for (const auto& p : parts_) anyWithout |= !p.HasMaterials;
    const auto fallback = static_cast<std::uint32_t>(mesh_.Materials.size());
    if (anyWithout && !mesh_.Materials.empty()) {
      XMaterial white;
      white.Diffuse = {1, 1, 1, 1};
      white.Specular = white.Emissive = {0, 0, 0, 1};
      mesh_.Materials.push_back(white);
    }
    for (const auto& p : parts_)
      for (std::size_t t = p.FirstTriangle; t < p.FirstTriangle + p.Triangles; ++t)
        mesh_.Attributes[t] = p.HasMaterials
                                  ? mesh_.Attributes[t] + static_cast<std::uint32_t>(p.FirstMaterial)
                                  : (mesh_.Materials.empty() ? 0 : fallback);
    GroupByMaterial();
    return std::move(mesh_);
  }

 private:
  struct Part {
    std::size_t FirstTriangle, Triangles, FirstMaterial;
    bool HasMaterials;
  };

  void ReadMaterialList(const DataObject& list, std::vector<std::uint32_t>& faceMaterial,
                        std::vector<XMaterial>& materials) {
    Values v(list);
    const std::uint32_t nMaterials = v.Dword("material count");
    const std::uint32_t nIndexes = v.Count("face index count", 1);
    if (nIndexes > faceMaterial.size())
      v.Fail("face index count " + std::to_string(nIndexes) + " is more than the " +
             std::to_string(faceMaterial.size()) + " faces");
    for (std::uint32_t i = 0; i < nIndexes; ++i) faceMaterial[i] = v.Index("material index", nMaterials);
    // Faces past the list keep the last material given.
    for (std::size_t i = nIndexes; i < faceMaterial.size() && nIndexes > 0; ++i)
      faceMaterial[i] = faceMaterial[nIndexes - 1];
    for (const auto& c : list.Children) {
      if (materials.size() == nMaterials) break;
      if (c.IsReference) {
        const auto it = named_.find(c.Name);
        if (it == named_.end()) Values(c).Fail("unknown material '" + Printable(c.Name) + "'");
        materials.push_back(ReadMaterial(*it->second));
      } else if (SameName(c.Template, "Material")) {
        materials.push_back(ReadMaterial(c));
      }
    }
    if (materials.size() != nMaterials)
      v.Fail("names " + std::to_string(nMaterials) + " materials but holds " +
             std::to_string(materials.size()));
  }

  static void Transform(std::vector<D3DVERTEX>& verts, const Matrix& m) {
    if (m == kIdentity) return;
    const auto n = NormalMatrix(m);
    for (auto& v : verts) {
      const float x = v.x, y = v.y, z = v.z;
      v.x = x * m[0] + y * m[4] + z * m[8] + m[12];
      v.y = x * m[1] + y * m[5] + z * m[9] + m[13];
      v.z = x * m[2] + y * m[6] + z * m[10] + m[14];
      const double nx = v.nx, ny = v.ny, nz = v.nz;
      const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
      double tx = nx * n[0] + ny * n[3] + nz * n[6];
      double ty = nx * n[1] + ny * n[4] + nz * n[7];
      double tz = nx * n[2] + ny * n[5] + nz * n[8];
      const double newLength = std::sqrt(tx * tx + ty * ty + tz * tz);
      if (newLength > 0 && std::isfinite(newLength) && std::isfinite(length)) {
        tx *= length / newLength;
        ty *= length / newLength;
        tz *= length / newLength;
      }
      v.nx = static_cast<float>(tx);
      v.ny = static_cast<float>(ty);
      v.nz = static_cast<float>(tz);
    }
  }

  // Stable counting sort of the triangles by material id, so each subset is
  // one run of triangles.
  void GroupByMaterial() {
    const std::size_t n = mesh_.Attributes.size();
    if (std::is_sorted(mesh_.Attributes.begin(), mesh_.Attributes.end())) return;
    const std::uint32_t top = *std::max_element(mesh_.Attributes.begin(), mesh_.Attributes.end());
    std::vector<std::size_t> start(static_cast<std::size_t>(top) + 2, 0);
    for (auto a : mesh_.Attributes) ++start[a + 1];
    for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
    std::vector<std::uint32_t> indices(mesh_.Indices.size()), attributes(n);
    for (std::size_t t = 0; t < n; ++t) {
      const std::size_t to = start[mesh_.Attributes[t]]++;
      attributes[to] = mesh_.Attributes[t];
      std::copy_n(mesh_.Indices.begin() + static_cast<std::ptrdiff_t>(3 * t), 3,
                  indices.begin() + static_cast<std::ptrdiff_t>(3 * to));
    }
    mesh_.Indices = std::move(indices);
    mesh_.Attributes = std::move(attributes);
  }

  const MaterialMap& named_;
  XMesh mesh_;
  std::vector<Part> parts_;
  int meshCount_ = 0;
};

XFileHeader ReadHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 16)
    throw XFileError("byte 0: file of " + std::to_string(bytes.size()) +
                     " bytes is too short for an X file header");
  const std::string head(reinterpret_cast<const char*>(bytes.data()), 16);
  if (head.compare(0, 4, "xof ") != 0) throw XFileError("byte 0: not an X file (no \"xof \" signature)");
  XFileHeader h;
  const std::string version = head.substr(4, 4);
  if (version != "0302" && version != "0303")
    throw XFileError("byte 4: unsupported X file version '" + Printable(version) + "'");
  h.MajorVersion = 3;
  h.MinorVersion = version[3] - '0';
  h.FormatTag = head.substr(8, 4);
  if (h.FormatTag != "txt " && h.FormatTag != "bin " && h.FormatTag != "tzip" && h.FormatTag != "bzip")
    throw XFileError("byte 8: unknown X file format '" + Printable(h.FormatTag) + "'");
  const std::string floats = head.substr(12, 4);
  if (floats == "0032")
    h.FloatBits = 32;
  else if (floats == "0064")
    h.FloatBits = 64;
  else
    throw XFileError("byte 12: unknown float size '" + Printable(floats) + "'");
  return h;
}

}  // namespace

XFileContent ReadXFile(std::span<const std::uint8_t> bytes) {
  XFileContent content;
  content.Header = ReadHeader(bytes);
  const XFileHeader& h = content.Header;

  std::vector<std::uint8_t> inflated;
  std::span<const std::uint8_t> body = bytes.subspan(16);
  if (h.IsCompressed()) {
    if (body.size() < 4) throw XFileError("byte 16: file ends before the uncompressed size");
    const std::uint32_t total = static_cast<std::uint32_t>(body[0] | (body[1] << 8) | (body[2] << 16)) |
                                (static_cast<std::uint32_t>(body[3]) << 24);
    inflated = xfile::InflateMszip(body.subspan(4), total, 20);
    body = inflated;
  }

  std::unique_ptr<Lexer> lexer;
  const std::string unit = h.IsCompressed() ? "uncompressed " : "";
  if (h.IsBinary())
    lexer = std::make_unique<BinaryLexer>(body, h.FloatBits, 16, h.IsCompressed() ? " (uncompressed)" : "");
  else
    lexer = std::make_unique<TextLexer>(body, unit);
  const std::vector<DataObject> top = Parser(*lexer).ParseFile();

  MaterialMap named;
  for (const auto& obj : top) CollectNamedMaterials(obj, named);
  MeshBuilder builder(named);
  for (const auto& obj : top) {
    if (obj.IsReference) continue;
    if (SameName(obj.Template, "Mesh")) builder.AddMesh(obj, kIdentity);
    if (SameName(obj.Template, "Frame")) builder.AddFrame(obj, kIdentity);
  }
  content.MeshCount = builder.MeshCount();
  content.Mesh = builder.Finish();
  return content;
}

XFileContent LoadXFileContent(const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path, kXFileMaxBytes, "an X file");
  } catch (const std::runtime_error& e) {
    throw XFileError(e.what());
  }
  try {
    return ReadXFile(bytes);
  } catch (const XFileError& e) {
    throw XFileError(path.string() + ": " + e.what());
  }
}

// ---------------------------------------------------------------------------

std::vector<std::uint16_t> XMesh::Indices16() const {
  if (Uses32BitIndices()) throw std::length_error("mesh has more vertices than 16-bit indices can reach");
  return std::vector<std::uint16_t>(Indices.begin(), Indices.end());
}

std::vector<XSubset> XMesh::Subsets() const {
  // A triangle without an attribute counts as material 0.
  const std::size_t triangles = TriangleCount();
  auto attribute = [&](std::size_t t) { return t < Attributes.size() ? Attributes[t] : 0u; };
  std::size_t count = Materials.size();
  for (std::size_t t = 0; t < triangles; ++t)
    count = std::max<std::size_t>(count, attribute(t) + std::size_t{1});
  std::vector<XSubset> subsets(count);
  for (std::size_t i = 0; i < count; ++i) subsets[i].MaterialId = static_cast<std::uint32_t>(i);
  std::vector<std::uint32_t> low(count, UINT32_MAX), high(count, 0);
  for (std::size_t t = 0; t < triangles; ++t) {
    const std::uint32_t a = attribute(t);
    XSubset& s = subsets[a];
    if (s.FaceCount == 0) s.FaceStart = static_cast<std::uint32_t>(t);
    ++s.FaceCount;
    for (int k = 0; k < 3; ++k) {
      low[a] = std::min(low[a], Indices[3 * t + k]);
      high[a] = std::max(high[a], Indices[3 * t + k]);
    }
  }
  for (std::size_t i = 0; i < count; ++i)
    if (subsets[i].FaceCount > 0) {
      subsets[i].VertexStart = low[i];
      subsets[i].VertexCount = high[i] - low[i] + 1;
    }
  return subsets;
}

}  // namespace quarnix
