#pragma once
// Owners for SDL objects: a unique_ptr deleter per type, and a subsystem guard.

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace quarnix::sdl {

struct WindowDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct ChunkDeleter {
  void operator()(Mix_Chunk* c) const { Mix_FreeChunk(c); }
};
struct FontDeleter {
  void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
struct GameControllerDeleter {
  void operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
};

using Window = std::unique_ptr<SDL_Window, WindowDeleter>;
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;
using Chunk = std::unique_ptr<Mix_Chunk, ChunkDeleter>;
using Font = std::unique_ptr<TTF_Font, FontDeleter>;
using GameController = std::unique_ptr<SDL_GameController, GameControllerDeleter>;

// SDL_GLContext is a plain pointer typedef, so it gets its own owner.
class GlContext {
 public:
  GlContext() = default;
  explicit GlContext(SDL_GLContext c) : context_(c) {}
  GlContext(GlContext&& o) noexcept : context_(std::exchange(o.context_, nullptr)) {}
  GlContext& operator=(GlContext&& o) noexcept {
    if (this != &o) {
      Reset();
      context_ = std::exchange(o.context_, nullptr);
    }
    return *this;
  }
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;
  ~GlContext() { Reset(); }
  SDL_GLContext Get() const { return context_; }
  explicit operator bool() const { return context_ != nullptr; }
  void Reset() {
    if (context_) SDL_GL_DeleteContext(context_);
    context_ = nullptr;
  }

 private:
  SDL_GLContext context_ = nullptr;
};

// SDL_InitSubSystem for as long as it lives; SDL counts nested inits.
class Subsystem {
 public:
  Subsystem() = default;
  explicit Subsystem(std::uint32_t flags) {
    if (SDL_InitSubSystem(flags) != 0) throw std::runtime_error(std::string("SDL: ") + SDL_GetError());
    flags_ = flags;
  }
  Subsystem(Subsystem&& o) noexcept : flags_(std::exchange(o.flags_, 0)) {}
  Subsystem& operator=(Subsystem&& o) noexcept {
    if (this != &o) {
      Reset();
      flags_ = std::exchange(o.flags_, 0);
    }
    return *this;
  }
  Subsystem(const Subsystem&) = delete;
  Subsystem& operator=(const Subsystem&) = delete;
  ~Subsystem() { Reset(); }
  explicit operator bool() const { return flags_ != 0; }
  void Reset() {
    if (flags_) SDL_QuitSubSystem(flags_);
    flags_ = 0;
  }

 private:
  std::uint32_t flags_ = 0;
};

}  // namespace quarnix::sdl
