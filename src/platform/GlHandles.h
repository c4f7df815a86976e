#pragma once
// Move-only owners of GL objects; a moved-from owner holds 0 and deletes nothing.
// They need the GL context that made them to be current when they die.

#include <epoxy/gl.h>

#include <utility>

namespace quarnix::gl {

template <void (*Delete)(GLuint)>
class Handle {
 public:
  Handle() = default;
  explicit Handle(GLuint id) : id_(id) {}
  Handle(Handle&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      Reset();
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }

  GLuint Get() const { return id_; }
  explicit operator bool() const { return id_ != 0; }
  void Reset() {
    if (id_) Delete(id_);
    id_ = 0;
  }
  // Lets go without deleting (its context is gone).
  GLuint Release() { return std::exchange(id_, 0); }

 private:
  GLuint id_ = 0;
};

inline void DeleteBuffer(GLuint id) { glDeleteBuffers(1, &id); }
inline void DeleteVertexArray(GLuint id) { glDeleteVertexArrays(1, &id); }
inline void DeleteTexture(GLuint id) { glDeleteTextures(1, &id); }
inline void DeleteFramebuffer(GLuint id) { glDeleteFramebuffers(1, &id); }
inline void DeleteRenderbuffer(GLuint id) { glDeleteRenderbuffers(1, &id); }
inline void DeleteSampler(GLuint id) { glDeleteSamplers(1, &id); }
inline void DeleteProgram(GLuint id) { glDeleteProgram(id); }
inline void DeleteShader(GLuint id) { glDeleteShader(id); }

using Buffer = Handle<DeleteBuffer>;
using VertexArray = Handle<DeleteVertexArray>;
using Texture = Handle<DeleteTexture>;
using Framebuffer = Handle<DeleteFramebuffer>;
using Renderbuffer = Handle<DeleteRenderbuffer>;
using Sampler = Handle<DeleteSampler>;
using Program = Handle<DeleteProgram>;
using Shader = Handle<DeleteShader>;

inline Buffer MakeBuffer() {
  GLuint id = 0;
  glGenBuffers(1, &id);
  return Buffer(id);
}
inline VertexArray MakeVertexArray() {
  GLuint id = 0;
  glGenVertexArrays(1, &id);
  return VertexArray(id);
}
inline Texture MakeTexture() {
  GLuint id = 0;
  glGenTextures(1, &id);
  return Texture(id);
}
inline Framebuffer MakeFramebuffer() {
  GLuint id = 0;
  glGenFramebuffers(1, &id);
  return Framebuffer(id);
}
inline Renderbuffer MakeRenderbuffer() {
  GLuint id = 0;
  glGenRenderbuffers(1, &id);
  return Renderbuffer(id);
}
inline Sampler MakeSampler() {
  GLuint id = 0;
  glGenSamplers(1, &id);
  return Sampler(id);
}

}  // namespace quarnix::gl
