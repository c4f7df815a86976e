#include "platform/GlDevice.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/GlmBridge.h"
#include "platform/InitDirect3D.h"
#include "platform/MeshData.h"

namespace quarnix {
namespace {

constexpr int MaxLights = 8;

// The fixed-function pipeline of the game: per-vertex lighting from
// directional lights, then stage 0 combining texture and lit colour, then the
// specular colour added. Each combination of switches a draw uses gets its own
// program (the defines below), so that no pixel pays for a branch or a texture
// read the draw does not need: on a software rasteriser that is most of the cost.
//   LIGHTING  lit, else white
//   SPECULAR  some enabled light has a specular colour
//   COLOUR, ALPHA  where stage 0 takes colour and alpha from: vDiffuse, t or (t * vDiffuse)
//   TEXTURED  the stage reads the texture
const char* const Vertex3D = R"(
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
// Per draw, one instance each (draws of one mesh in one state go out together):
// the whole transform, the normals' and the world transform.
layout(location = 3) in mat4 iClip;
out vec4 vDiffuse;
#if SPECULAR
out vec3 vSpecular;
#endif
#if TEXTURED
out vec2 vUv;
#endif
#if LIGHTING
layout(location = 7) in mat3 iNormalWorld;
layout(location = 10) in mat4 iWorld;
uniform vec3 uEye;
uniform vec3 uAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatAmbient;
uniform vec4 uMatSpecular;
uniform vec4 uMatEmissive;
uniform float uMatPower;
uniform int uLightCount;
uniform vec3 uLightDir[8];
uniform vec3 uLightDiffuse[8];
uniform vec3 uLightAmbient[8];
uniform vec3 uLightSpecular[8];
#endif
void main() {
  gl_Position = iClip * vec4(aPos, 1.0);
#if TEXTURED
  vUv = aUv;
#endif
#if !LIGHTING
  vDiffuse = vec4(1.0);
#else
  vec3 n = iNormalWorld * aNormal;  // not renormalised, as the fixed pipeline does by default
  vec3 ambient = uAmbient;
  vec3 diffuse = vec3(0.0);
#if SPECULAR
  vec3 specular = vec3(0.0);
  vec3 toEye = normalize(uEye - (iWorld * vec4(aPos, 1.0)).xyz);
#endif
  for (int i = 0; i < uLightCount; ++i) {
    ambient += uLightAmbient[i];
    float nl = dot(n, uLightDir[i]);
    diffuse += uLightDiffuse[i] * max(nl, 0.0);
#if SPECULAR
    if (nl > 0.0) {
      float nh = max(dot(n, normalize(toEye + uLightDir[i])), 0.0);
      specular += uLightSpecular[i] * (uMatPower > 0.0 ? pow(nh, uMatPower) : 1.0);
    }
#endif
  }
  vDiffuse = vec4(clamp(uMatEmissive.rgb + uMatAmbient.rgb * ambient + uMatDiffuse.rgb * diffuse, 0.0, 1.0),
                  clamp(uMatDiffuse.a, 0.0, 1.0));
#if SPECULAR
  vSpecular = clamp(uMatSpecular.rgb * specular, 0.0, 1.0);
#endif
#endif
}
)";

const char* const Fragment3D = R"(
in vec4 vDiffuse;
#if SPECULAR
in vec3 vSpecular;
#endif
#if TEXTURED
in vec2 vUv;
uniform sampler2D uTexture;
#endif
out vec4 fragColour;
void main() {
#if TEXTURED
  vec4 t = texture(uTexture, vUv);
#endif
  vec4 c = vec4(COLOUR.rgb, ALPHA.a);
#if SPECULAR
  c.rgb = min(c.rgb + vSpecular, vec3(1.0));
#endif
  fragColour = c;
}
)";

const char* const Vertex2D = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aUv;
layout(location = 2) in vec4 aColour;
uniform vec2 uScreen;
out vec2 vUv;
out vec4 vColour;
void main() {
  gl_Position = vec4(aPos.x / uScreen.x * 2.0 - 1.0, 1.0 - aPos.y / uScreen.y * 2.0, 0.0, 1.0);
  vUv = aUv;
  vColour = aColour;
}
)";

const char* const Fragment2D = R"(#version 330 core
in vec2 vUv;
in vec4 vColour;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() { fragColour = texture(uTexture, vUv) * vColour; }
)";

gl::Shader Compile(GLenum kind, const std::string& source) {
  gl::Shader shader(glCreateShader(kind));
  const char* text = source.c_str();
  glShaderSource(shader.Get(), 1, &text, nullptr);
  glCompileShader(shader.Get());
  GLint ok = 0;
  glGetShaderiv(shader.Get(), GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader.Get(), sizeof log, nullptr, log);
    throw std::runtime_error(std::string("shader does not compile: ") + log);
  }
  return shader;
}

gl::Program Link(const std::string& vertex, const std::string& fragment) {
  const gl::Shader vs = Compile(GL_VERTEX_SHADER, vertex), fs = Compile(GL_FRAGMENT_SHADER, fragment);
  gl::Program program(glCreateProgram());
  glAttachShader(program.Get(), vs.Get());
  glAttachShader(program.Get(), fs.Get());
  glLinkProgram(program.Get());
  GLint ok = 0;
  glGetProgramiv(program.Get(), GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetProgramInfoLog(program.Get(), sizeof log, nullptr, log);
    throw std::runtime_error(std::string("shader program does not link: ") + log);
  }
  return program;
}

GLenum BlendFactor(std::uint32_t d3d) {
  switch (d3d) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_ONE:
      return GL_ONE;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    default:
      return GL_ONE;
  }
}

GLenum DepthFunc(std::uint32_t d3d) {
  switch (d3d) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    case D3DCMP_ALWAYS:
      return GL_ALWAYS;
    default:
      return GL_LEQUAL;
  }
}

std::string GlString(GLenum name) {
  const auto* s = reinterpret_cast<const char*>(glGetString(name));
  return s ? s : "";
}

class GlMesh final : public IMesh, public GlMeshShape {
 public:
  GlMesh(GlDevice& device, MeshData data)
      : device_(device),
        data_(std::move(data)),
        array_(gl::MakeVertexArray()),
        vertices_(gl::MakeBuffer()),
        indices_(gl::MakeBuffer()) {
    glBindVertexArray(array_.Get());
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.Get());
    glBufferData(GL_ARRAY_BUFFER, data_.Vertices().size() * sizeof(D3DVERTEX), data_.Vertices().data(),
                 GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_.Get());
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, data_.Indices().size() * sizeof(std::uint32_t),
                 data_.Indices().data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(D3DVERTEX), reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(D3DVERTEX), reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(D3DVERTEX), reinterpret_cast<void*>(24));
    device.BindInstanceAttributes();
    glBindVertexArray(0);
  }
  ~GlMesh() override {
    if (device_.Alive())
      device_->BindingsChanged();  // draws waiting to go out may use it
    else
      array_.Release(), vertices_.Release(), indices_.Release();
  }
  int GetNumVertices() const override { return data_.NumVertices(); }
  int GetNumFaces() const override { return data_.NumFaces(); }
  int GetNumSubsets() const override { return data_.NumSubsets(); }
  void DrawSubset(int subset) override {
    if (locked_) throw std::logic_error("drawing a mesh whose vertex buffer is locked");
    const auto range = data_.SubsetRange(subset);
    if (range.indexCount > 0) device_->DrawIndexed(array_.Get(), range.firstIndex, range.indexCount, *this);
  }
  std::span<D3DVERTEX> LockVertexBuffer() override {
    if (locked_) throw std::logic_error("vertex buffer is already locked");
    locked_ = true;
    lockedShape_ = Shape();
    return data_.Vertices();
  }
  void UnlockVertexBuffer() override {
    if (!locked_) throw std::logic_error("vertex buffer is not locked");
    locked_ = false;
    if (Shape() != lockedShape_) insideFaces_.reset();  // moved texture coordinates keep the shape
    device_->BindingsChanged();                         // first: throws if the device is gone
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.Get());
    glBufferSubData(GL_ARRAY_BUFFER, 0, data_.Vertices().size() * sizeof(D3DVERTEX), data_.Vertices().data());
  }
  std::span<const std::uint32_t> Indices() const override { return data_.Indices(); }
  std::span<const std::uint32_t> Attributes() const override { return data_.Attributes(); }

  // See MeshData::InsideFaces; worked out when first asked.
  D3DCULL InsideFaces() const override {
    if (!insideFaces_) insideFaces_ = data_.InsideFaces();
    return *insideFaces_;
  }
  std::span<const D3DVERTEX> Vertices() const override { return data_.Vertices(); }

 private:
  std::vector<float> Shape() const {
    std::vector<float> xyz;
    xyz.reserve(data_.Vertices().size() * 3);
    for (const D3DVERTEX& v : data_.Vertices()) xyz.insert(xyz.end(), {v.x, v.y, v.z});
    return xyz;
  }

  DeviceLink<GlDevice> device_;
  MeshData data_;
  mutable std::optional<D3DCULL> insideFaces_;
  std::vector<float> lockedShape_;
  gl::VertexArray array_;
  gl::Buffer vertices_, indices_;
  bool locked_ = false;
};

class GlSprite final : public ISprite {
 public:
  explicit GlSprite(GlDevice& device) : device_(device) {}
  ~GlSprite() override {
    if (begun_ && device_.Alive()) device_->End2D();
  }
  void Begin() override {
    if (begun_) throw std::logic_error("sprite Begin twice");
    device_->Begin2D();
    begun_ = true;
  }
  void Draw(ITexture* texture, const RECT* source, const D3DVECTOR2* scaling,
            const D3DVECTOR2* rotationCentre, float rotation, const D3DVECTOR2* translation,
            D3DCOLOR colour) override {
    if (!begun_) throw std::logic_error("sprite Draw outside Begin/End");
    auto* gl = dynamic_cast<GlTexture*>(texture);
    if (!gl) throw std::invalid_argument("sprite Draw without a texture of this device");
    const auto quad =
        SpriteQuad(gl->Width(), gl->Height(), source, scaling, rotationCentre, rotation, translation, colour);
    device_->Queue2D(*gl, quad.data(), quad.size());
  }
  void End() override {
    if (!begun_) throw std::logic_error("sprite End without Begin");
    begun_ = false;
    device_->End2D();
  }

 private:
  DeviceLink<GlDevice> device_;
  bool begun_ = false;
};

}  // namespace

std::unique_ptr<IFont> CreateGlFont(GlDevice& device, const FontDesc& desc);  // GlFont.cpp

GlTexture::GlTexture(GlDevice& device, int width, int height)
    : device_(device), width_(width), height_(height), texture_(gl::MakeTexture()) {
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(width) * height * 4, 0);
  glBindTexture(GL_TEXTURE_2D, texture_.Get());
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, zeros.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}

GlTexture::~GlTexture() {
  if (device_.Alive()) {
    device_->BindingsChanged();  // draws waiting to go out may use it
    device_->ForgetTexture(this);
  } else
    texture_.Release();
}

std::span<std::uint8_t> GlTexture::LockRect() {
  if (locked_) throw std::logic_error("texture is already locked");
  const std::size_t size = static_cast<std::size_t>(width_) * height_ * 4;
  if (blank_) {
    bytes_.assign(size, 0);  // what the fresh texture holds
  } else {
    // The pixels live in GL only: a lock reads them back. Pictures are
    // edited while they are made, so this is rare.
    device_->BindingsChanged();  // first: throws if the device is gone
    bytes_.resize(size);
    glBindTexture(GL_TEXTURE_2D, texture_.Get());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, bytes_.data());
  }
  locked_ = true;
  return bytes_;
}

void GlTexture::UnlockRect() {
  if (!locked_) throw std::logic_error("texture is not locked");
  locked_ = false;
  blank_ = false;
  std::vector<std::uint8_t> bytes = std::move(bytes_);
  bytes_ = {};
  device_->BindingsChanged();  // first: throws if the device is gone
  glBindTexture(GL_TEXTURE_2D, texture_.Get());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, bytes.data());
}

GLuint GlTexture::Id() const {
  if (locked_) throw std::logic_error("drawing with a locked texture");
  return texture_.Get();
}

GlDevice::GlDevice(int width, int height, Window window)
    : width_(width), height_(height), window_(std::move(window)) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
    throw std::invalid_argument("bad device size " + std::to_string(width) + " x " + std::to_string(height));
  info_ = DeviceInfo{GlString(GL_VENDOR), GlString(GL_RENDERER), GlString(GL_VERSION)};
  if (window_.drawInWindow) {  // the window's depth buffer is the context's: asked once
    GLint depth = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depth);
    windowFits_ = glGetError() == GL_NO_ERROR && depth >= 24;
  }
  int w = 0, h = 0;
  window_.drawableSize(w, h);
  ChooseTarget(w, h);
  glViewport(0, 0, width, height);

  program2D_ = Link(Vertex2D, Fragment2D);
  Program3DFor(Key3D());  // the fresh device's program: a GL that cannot build it fails here
  glUseProgram(program2D_.Get());
  glUniform1i(glGetUniformLocation(program2D_.Get(), "uTexture"), 0);
  screenSize_ = glGetUniformLocation(program2D_.Get(), "uScreen");
  glUniform2f(screenSize_, static_cast<float>(width), static_cast<float>(height));

  linear_ = gl::MakeSampler();
  nearest_ = gl::MakeSampler();
  glSamplerParameteri(linear_.Get(), GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glSamplerParameteri(linear_.Get(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glSamplerParameteri(nearest_.Get(), GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glSamplerParameteri(nearest_.Get(), GL_TEXTURE_MAG_FILTER, GL_NEAREST);

  instanceBuffer_ = gl::MakeBuffer();
  quadArray_ = gl::MakeVertexArray();
  quadBuffer_ = gl::MakeBuffer();
  glBindVertexArray(quadArray_.Get());
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_.Get());
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<void*>(0));
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<void*>(8));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(QuadVertex), reinterpret_cast<void*>(16));
  glBindVertexArray(0);
  glFrontFace(GL_CCW);
  if (glGetError() != GL_NO_ERROR) throw std::runtime_error("GL refused to set up the device");
}

GlDevice::~GlDevice() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

void GlDevice::RequireScene(const char* what) const {
  if (!InScene()) throw std::logic_error(std::string(what) + " outside BeginScene/EndScene");
}

void GlDevice::Clear(std::uint32_t flags, D3DCOLOR colour, float z) {
  FlushInstances();
  Flush2D();
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) {
    const D3DCOLORVALUE c{((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                          (colour & 0xFF) / 255.0f, (colour >> 24) / 255.0f};
    glClearColor(c.r, c.g, c.b, c.a);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    // Clearing ignores the depth-write state.
    glClearDepth(std::clamp(z, 0.0f, 1.0f));
    glDepthMask(GL_TRUE);
    mask |= GL_DEPTH_BUFFER_BIT;
    dirty_ |= DirtyRenderState;
  }
  glDisable(GL_SCISSOR_TEST);
  if (mask) glClear(mask);
}

// Straight into the window when it may and the window shows the device's
// pixels one to one over a depth buffer as fine as the offscreen one: Present
// then has nothing to copy, which on a software rasteriser is a fifth of a
// menu frame. Otherwise into the offscreen picture, fitted at Present.
void GlDevice::ChooseTarget(int windowWidth, int windowHeight) {
  const bool inWindow = windowFits_ && windowWidth == width_ && windowHeight == height_;
  target_ = inWindow ? 0 : Offscreen();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
}

// Made when first needed: a game drawing in its window never pays its memory.
GLuint GlDevice::Offscreen() {
  if (framebuffer_) return framebuffer_.Get();
  colour_ = gl::MakeTexture();
  glBindTexture(GL_TEXTURE_2D, colour_.Get());
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  depth_ = gl::MakeRenderbuffer();
  glBindRenderbuffer(GL_RENDERBUFFER, depth_.Get());
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  gl::Framebuffer framebuffer = gl::MakeFramebuffer();
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.Get());
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_.Get(), 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_.Get());
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
    throw std::runtime_error("offscreen framebuffer is not complete");
  BindingsChanged();  // the texture binding moved
  framebuffer_ = std::move(framebuffer);
  return framebuffer_.Get();
}

void GlDevice::BeginScene() {
  DeviceState::BeginScene();
  glBindFramebuffer(GL_FRAMEBUFFER, target_);
  glViewport(0, 0, width_, height_);
}

void GlDevice::EndScene() {
  FlushInstances();
  Flush2D();
  DeviceState::EndScene();
}

void GlDevice::Present() {
  if (InScene()) throw std::logic_error("Present inside a scene");
  FlushInstances();
  Flush2D();
  int w = 0, h = 0;
  window_.drawableSize(w, h);
  if (target_ == 0) {
    window_.swap();
  } else if (w > 0 && h > 0) {
    // Keep the picture's shape: scaled to fit, centred, black around it. GL's
    // window rows run upwards, so the top margin becomes the bottom one.
    const RECT r = LetterboxRect(width_, height_, w, h);
    const bool exact = r.right - r.left == width_ && r.bottom - r.top == height_;
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_.Get());
    glViewport(0, 0, w, h);
    if (!exact || w != width_ || h != height_) {  // bars to blacken (a full cover needs none)
      glClearColor(0, 0, 0, 1);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    glBlitFramebuffer(0, 0, width_, height_, r.left, h - r.bottom, r.right, h - r.top, GL_COLOR_BUFFER_BIT,
                      exact ? GL_NEAREST : GL_LINEAR);
    window_.swap();
  }
  ChooseTarget(w, h);  // the window may have changed size
  glViewport(0, 0, width_, height_);
}

std::shared_ptr<ITexture> GlDevice::CreateTexture(int width, int height) {
  GLint most = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
  if (width <= 0 || height <= 0 || width > most || height > most)
    throw std::invalid_argument("bad texture size " + std::to_string(width) + " x " + std::to_string(height));
  auto texture = std::make_shared<GlTexture>(*this, width, height);
  BindingsChanged();
  return texture;
}

std::unique_ptr<IMesh> GlDevice::CreateMesh(std::vector<D3DVERTEX> vertices,
                                            std::vector<std::uint32_t> indices,
                                            std::vector<std::uint32_t> attributes) {
  MeshData data(std::move(vertices), std::move(indices), std::move(attributes));
  auto mesh = std::make_unique<GlMesh>(*this, std::move(data));
  BindingsChanged();
  return mesh;
}

std::unique_ptr<ISprite> GlDevice::CreateSprite() { return std::make_unique<GlSprite>(*this); }

std::unique_ptr<IFont> GlDevice::CreateFont(const FontDesc& desc) {
  auto font = CreateGlFont(*this, desc);
  BindingsChanged();
  return font;
}

std::vector<std::uint8_t> GlDevice::ReadPixels() {
  FlushInstances();
  Flush2D();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width_) * height_ * 4);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<std::uint8_t> out(bottomUp.size());
  const std::size_t row = static_cast<std::size_t>(width_) * 4;
  for (int y = 0; y < height_; ++y) std::memcpy(&out[y * row], &bottomUp[(height_ - 1 - y) * row], row);
  return out;
}

std::vector<float> GlDevice::ReadDepth() {
  FlushInstances();
  Flush2D();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target_);
  std::vector<float> bottomUp(static_cast<std::size_t>(width_) * height_);
  glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, bottomUp.data());
  std::vector<float> out(bottomUp.size());
  for (int y = 0; y < height_; ++y)
    std::copy_n(&bottomUp[(height_ - 1 - y) * static_cast<std::size_t>(width_)], width_,
                &out[y * static_cast<std::size_t>(width_)]);
  return out;
}

void GlDevice::Use3D() {
  if (mode_ == Mode::Scene3D) return;
  Flush2D();
  mode_ = Mode::Scene3D;
  current3D_ = nullptr;  // the 2D program is in use
  boundArray_ = 0;
  dirty_ |= DirtyRenderState | DirtyTexture | DirtyStage;
}

void GlDevice::Use2D() {
  if (mode_ == Mode::Screen2D) return;
  FlushInstances();
  mode_ = Mode::Screen2D;
  glUseProgram(program2D_.Get());
  glBindVertexArray(quadArray_.Get());
  boundArray_ = quadArray_.Get();
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_.Get());
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  ApplyCull(D3DCULL_NONE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindSampler(0, linear_.Get());
  glActiveTexture(GL_TEXTURE0);
  batchTexture_ = 0;
}

std::vector<const D3DLIGHT8*> GlDevice::UsedLights() const {
  std::vector<const D3DLIGHT8*> used;
  for (const auto& [index, slot] : Lights())
    // Only directional lights are used by the game; others are not lit.
    if (slot.enabled && slot.light.Type == D3DLIGHT_DIRECTIONAL && used.size() < std::size_t{MaxLights})
      used.push_back(&slot.light);
  return used;
}

std::uint32_t GlDevice::Key3D() const {
  const bool lighting = GetRenderState(D3DRS_LIGHTING) != 0;
  const bool specular = lighting && GetRenderState(D3DRS_SPECULARENABLE) && specularLights_;
  // Without a texture the lit colour passes through, whatever the stage says.
  const bool textured = Texture() != nullptr;
  const std::uint32_t colourOp = GetTextureStageState(0, D3DTSS_COLOROP);
  const auto source = [&](std::uint32_t op) -> std::uint32_t {
    if (!textured || colourOp == D3DTOP_DISABLE) return SourceDiffuse;
    return op == D3DTOP_SELECTARG1 ? SourceTexture : op == D3DTOP_MODULATE ? SourceModulate : SourceDiffuse;
  };
  return (lighting ? 1u : 0u) | (specular ? 2u : 0u) | source(colourOp) << 2 |
         source(GetTextureStageState(0, D3DTSS_ALPHAOP)) << 4;
}

const GlDevice::Program3D& GlDevice::Program3DFor(std::uint32_t key) {
  if (auto found = programs3D_.find(key); found != programs3D_.end()) return found->second;
  static constexpr const char* Sources[] = {"vDiffuse", "t", "(t * vDiffuse)"};
  const std::uint32_t colour = (key >> 2) & 3, alpha = (key >> 4) & 3;
  const std::string defines =
      std::string("#version 330 core\n") + "#define LIGHTING " + std::to_string(key & 1) + "\n" +
      "#define SPECULAR " + std::to_string((key >> 1) & 1) + "\n" + "#define TEXTURED " +
      (colour != SourceDiffuse || alpha != SourceDiffuse ? "1" : "0") + "\n#define COLOUR " +
      Sources[colour] + "\n#define ALPHA " + Sources[alpha] + "\n";
  Program3D program{Link(defines + Vertex3D, defines + Fragment3D), {}};
  const GLuint p = program.program.Get();
  auto at = [p](const char* name) { return glGetUniformLocation(p, name); };
  program.u = Locations3D{at("uEye"),         at("uAmbient"),      at("uMatDiffuse"),   at("uMatAmbient"),
                          at("uMatSpecular"), at("uMatEmissive"),  at("uMatPower"),     at("uLightCount"),
                          at("uLightDir"),    at("uLightDiffuse"), at("uLightAmbient"), at("uLightSpecular")};
  glUseProgram(p);
  glUniform1i(at("uTexture"), 0);
  current3D_ = nullptr;  // whatever was in use is not any more
  return programs3D_.emplace(key, std::move(program)).first->second;
}

GlDevice::DrawState GlDevice::CurrentDrawState() const {
  return DrawState{Key3D(),
                   GetRenderState(D3DRS_ZENABLE),
                   GetRenderState(D3DRS_ZWRITEENABLE),
                   GetRenderState(D3DRS_ZFUNC),
                   GetRenderState(D3DRS_ALPHABLENDENABLE),
                   GetRenderState(D3DRS_SRCBLEND),
                   GetRenderState(D3DRS_DESTBLEND),
                   GetRenderState(D3DRS_FILLMODE),
                   GetRenderState(D3DRS_AMBIENT),
                   GetTextureStageState(0, D3DTSS_MAGFILTER),
                   Material(),
                   Texture(),
                   GetTransform(D3DTS_VIEW),
                   GetTransform(D3DTS_PROJECTION)};
}

// Sets the GL state of everything marked dirty but the world transform
// (which each draw hands over itself); the view and projection count as state.
void GlDevice::Apply3DState() {
  std::uint32_t dirty = dirty_;
  dirty_ &= DirtyTransform;
  if (dirty & DirtyLights) {
    specularLights_ = false;
    for (const D3DLIGHT8* light : UsedLights()) {
      const D3DCOLORVALUE& c = light->Specular;
      specularLights_ = specularLights_ || c.r != 0 || c.g != 0 || c.b != 0;
    }
  }
  if (dirty & (DirtyRenderState | DirtyLights | DirtyTexture | DirtyStage)) {
    const Program3D& program = Program3DFor(Key3D());
    if (&program != current3D_) {
      current3D_ = &program;
      glUseProgram(program.program.Get());
      // Uniforms belong to a program: the new one needs them all.
      dirty |= DirtyRenderState | DirtyTransform | DirtyLights | DirtyMaterial;
    }
  }
  const Locations3D& u = current3D_->u;
  if (dirty & DirtyRenderState) {
    if (GetRenderState(D3DRS_ZENABLE))
      glEnable(GL_DEPTH_TEST);
    else
      glDisable(GL_DEPTH_TEST);
    glDepthMask(GetRenderState(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
    glDepthFunc(DepthFunc(GetRenderState(D3DRS_ZFUNC)));
    if (GetRenderState(D3DRS_ALPHABLENDENABLE)) {
      glEnable(GL_BLEND);
      glBlendFunc(BlendFactor(GetRenderState(D3DRS_SRCBLEND)), BlendFactor(GetRenderState(D3DRS_DESTBLEND)));
    } else {
      glDisable(GL_BLEND);
    }
    const std::uint32_t fill = GetRenderState(D3DRS_FILLMODE);
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_WIREFRAME ? GL_LINE
                                     : fill == D3DFILL_POINT   ? GL_POINT
                                                               : GL_FILL);
    const std::uint32_t depthTest = GetRenderState(D3DRS_ZFUNC);
    insidesHidden_ = !GetRenderState(D3DRS_ALPHABLENDENABLE) && GetRenderState(D3DRS_ZENABLE) &&
                     GetRenderState(D3DRS_ZWRITEENABLE) &&
                     (depthTest == D3DCMP_LESS || depthTest == D3DCMP_LESSEQUAL) && fill == D3DFILL_SOLID;
    const D3DCOLOR a = GetRenderState(D3DRS_AMBIENT);
    glUniform3f(u.ambient, ((a >> 16) & 0xFF) / 255.0f, ((a >> 8) & 0xFF) / 255.0f, (a & 0xFF) / 255.0f);
  }
  if (dirty & DirtyTransform) {
    // The projection maps depth to 0..1; GL clips -1..1: z' = 2z - w.
    glm::mat4 remap(1.0f);
    remap[2][2] = 2.0f;
    remap[3][2] = -1.0f;
    const glm::mat4 view = ToGlm(GetTransform(D3DTS_VIEW));
    viewClip_ = remap * ToGlm(GetTransform(D3DTS_PROJECTION)) * view;
    const glm::vec3 eye = glm::determinant(view) != 0.0f ? glm::vec3(glm::inverse(view)[3]) : glm::vec3(0.0f);
    glUniform3fv(u.eye, 1, glm::value_ptr(eye));
  }
  if (dirty & DirtyLights) {
    GLfloat dir[MaxLights * 3] = {}, diffuse[MaxLights * 3] = {}, ambient[MaxLights * 3] = {},
                            specular[MaxLights * 3] = {};
    int n = 0;
    for (const D3DLIGHT8* light : UsedLights()) {
      const D3DLIGHT8& l = *light;
      glm::vec3 d = -ToGlm(l.Direction);
      if (glm::length(d) > 0.0f) d = glm::normalize(d);
      const GLfloat values[4][3] = {{d.x, d.y, d.z},
                                    {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b},
                                    {l.Ambient.r, l.Ambient.g, l.Ambient.b},
                                    {l.Specular.r, l.Specular.g, l.Specular.b}};
      std::copy_n(values[0], 3, dir + 3 * n);
      std::copy_n(values[1], 3, diffuse + 3 * n);
      std::copy_n(values[2], 3, ambient + 3 * n);
      std::copy_n(values[3], 3, specular + 3 * n);
      ++n;
    }
    glUniform1i(u.lightCount, n);
    glUniform3fv(u.lightDir, MaxLights, dir);
    glUniform3fv(u.lightDiffuse, MaxLights, diffuse);
    glUniform3fv(u.lightAmbient, MaxLights, ambient);
    glUniform3fv(u.lightSpecular, MaxLights, specular);
  }
  if (dirty & DirtyMaterial) {
    const D3DMATERIAL8& m = Material();
    glUniform4fv(u.matDiffuse, 1, &m.Diffuse.r);
    glUniform4fv(u.matAmbient, 1, &m.Ambient.r);
    glUniform4fv(u.matSpecular, 1, &m.Specular.r);
    glUniform4fv(u.matEmissive, 1, &m.Emissive.r);
    glUniform1f(u.matPower, m.Power);
  }
  if (dirty & DirtyTexture) {
    const auto* texture = dynamic_cast<const GlTexture*>(Texture());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture ? texture->Id() : 0);
  }
  if (dirty & DirtyStage) {
    const bool linear = GetTextureStageState(0, D3DTSS_MAGFILTER) == D3DTEXF_LINEAR;
    glBindSampler(0, linear ? linear_.Get() : nearest_.Get());
  }
  applied_ = CurrentDrawState();
}

void GlDevice::UpdateInstance() {
  const glm::mat4 world = ToGlm(GetTransform(D3DTS_WORLD)), view = ToGlm(GetTransform(D3DTS_VIEW));
  clip_ = viewClip_ * world;
  // A mirroring transform turns every face the other way (projections here never mirror).
  mirrored_ = glm::determinant(glm::mat3(view * world)) < 0.0f;
  const glm::mat3 w3(world);
  const glm::mat3 normal = glm::determinant(w3) != 0.0f ? glm::transpose(glm::inverse(w3)) : w3;
  std::copy_n(glm::value_ptr(clip_), 16, instance_.clip);
  std::copy_n(glm::value_ptr(normal), 9, instance_.normal);
  std::copy_n(glm::value_ptr(world), 16, instance_.world);
}

void GlDevice::BindInstanceAttributes() {
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer_.Get());
  // Columns: four of the clip matrix, three of the normal matrix, four of the world matrix.
  constexpr struct {
    GLuint location;
    GLint size;
    std::size_t offset;
  } Columns[] = {{3, 4, offsetof(Instance, clip)},        {4, 4, offsetof(Instance, clip) + 16},
                 {5, 4, offsetof(Instance, clip) + 32},   {6, 4, offsetof(Instance, clip) + 48},
                 {7, 3, offsetof(Instance, normal)},      {8, 3, offsetof(Instance, normal) + 12},
                 {9, 3, offsetof(Instance, normal) + 24}, {10, 4, offsetof(Instance, world)},
                 {11, 4, offsetof(Instance, world) + 16}, {12, 4, offsetof(Instance, world) + 32},
                 {13, 4, offsetof(Instance, world) + 48}};
  for (const auto& c : Columns) {
    glEnableVertexAttribArray(c.location);
    glVertexAttribPointer(c.location, c.size, GL_FLOAT, GL_FALSE, sizeof(Instance),
                          reinterpret_cast<void*>(c.offset));
    glVertexAttribDivisor(c.location, 1);
  }
}

void GlDevice::FlushInstances() {
  if (pending_.instances.empty()) return;
  ApplyCull(pending_.cull);
  if (boundArray_ != pending_.array) {
    glBindVertexArray(pending_.array);
    boundArray_ = pending_.array;
  }
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer_.Get());
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(pending_.instances.size() * sizeof(Instance)),
               pending_.instances.data(), GL_STREAM_DRAW);
  glDrawElementsInstanced(
      GL_TRIANGLES, pending_.count, GL_UNSIGNED_INT,
      reinterpret_cast<void*>(static_cast<std::uintptr_t>(pending_.firstIndex) * sizeof(std::uint32_t)),
      static_cast<GLsizei>(pending_.instances.size()));
  pending_.instances.clear();
}

// The inside faces of an opaque convex solid never show: at each of their
// pixels a nearer outside face wins the depth test, drawn before or after.
// Direct3D draws them anyway (culling is off); dropping them leaves the
// picture as it was and saves the software rasteriser half the solid's pixels.
std::uint32_t GlDevice::CullFor(const GlMeshShape& shape) const {
  const std::uint32_t asked = GetRenderState(D3DRS_CULLMODE);
  if (asked != D3DCULL_NONE || !insidesHidden_) return asked;
  const D3DCULL inside = shape.InsideFaces();
  if (inside == D3DCULL_NONE) return asked;
  // A solid cut by the near plane shows its inside through the cut (the eye
  // may even be in it).
  for (const D3DVERTEX& v : shape.Vertices()) {
    const glm::vec4 c = clip_ * glm::vec4(v.x, v.y, v.z, 1.0f);
    if (!(c.w > 0.0f) || !(c.z + c.w > 1e-5f * c.w)) return asked;
  }
  if (!mirrored_) return inside;
  return inside == D3DCULL_CW ? D3DCULL_CCW : D3DCULL_CW;
}

void GlDevice::ApplyCull(std::uint32_t mode) {
  if (mode == appliedCull_) return;
  appliedCull_ = mode;
  // Both name the turn as the viewer sees it (GL's window y runs up, and so
  // does the picture): D3DCULL_CCW drops what GL, fronts being GL_CCW, calls front.
  switch (mode) {
    case D3DCULL_CW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      break;
    case D3DCULL_CCW:
      glEnable(GL_CULL_FACE);
      glCullFace(GL_FRONT);
      break;
    default:
      glDisable(GL_CULL_FACE);
      break;
  }
}

void GlDevice::DrawIndexed(GLuint vertexArray, int firstIndex, int count, const GlMeshShape& shape) {
  RequireScene("DrawSubset");
  Use3D();
  if (auto* texture = dynamic_cast<const GlTexture*>(Texture()); texture && texture->IsLocked())
    throw std::logic_error("drawing with a locked texture");
  if (dirty_ & ~DirtyTransform ||
      (dirty_ & DirtyTransform && (GetTransform(D3DTS_VIEW) != applied_.view ||
                                   GetTransform(D3DTS_PROJECTION) != applied_.projection))) {
    // A state set and set back (as every see-through draw does) leaves the batch going.
    if (pending_.instances.empty() || dirty_ & DirtyLights || !(CurrentDrawState() == applied_)) {
      FlushInstances();
      Apply3DState();
    } else {
      dirty_ &= DirtyTransform;
    }
  }
  if (dirty_ & DirtyTransform) {
    UpdateInstance();
    dirty_ &= ~DirtyTransform;
  }
  lastMeshCull_ = CullFor(shape);
  if (!pending_.instances.empty() && (pending_.array != vertexArray || pending_.firstIndex != firstIndex ||
                                      pending_.count != count || pending_.cull != lastMeshCull_))
    FlushInstances();
  pending_.array = vertexArray;
  pending_.firstIndex = firstIndex;
  pending_.count = count;
  pending_.cull = lastMeshCull_;
  pending_.instances.push_back(instance_);
}

void GlDevice::Begin2D() { batching_ = true; }

void GlDevice::End2D() {
  Flush2D();
  batching_ = false;
}

void GlDevice::Queue2D(const GlTexture& texture, const QuadVertex* vertices, std::size_t count) {
  RequireScene("a sprite or text draw");
  const GLuint id = texture.Id();
  Use2D();
  if (id != batchTexture_) {
    Flush2D();
    batchTexture_ = id;
  }
  batch_.insert(batch_.end(), vertices, vertices + count);
  if (!batching_) Flush2D();
}

void GlDevice::Flush2D() {
  if (batch_.empty()) return;
  // Meshes and textures made meanwhile may have changed these bindings.
  glBindVertexArray(quadArray_.Get());
  boundArray_ = quadArray_.Get();
  glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_.Get());
  glBindTexture(GL_TEXTURE_2D, batchTexture_);
  glBufferData(GL_ARRAY_BUFFER, batch_.size() * sizeof(QuadVertex), batch_.data(), GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(batch_.size()));
  batch_.clear();
}

}  // namespace quarnix
