#pragma once
// Where textures come from: image files, the program's own bitmaps (looked up
// by name without regard to case), or an empty square to be filled; and the
// pixel editing buffer the mesh objects and screen textures share.
//
// Every texture here is 32-bit with alpha, blue, green, red, alpha bytes per
// pixel: the one layout the game's pixel operations assume. The loaders'
// Format argument therefore changes nothing.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/D3DTypes.h"
#include "platform/Graphics.h"

namespace quarnix {

// The program's bitmaps by name (BMP or any format the image decoder reads).
// The app fills the registry from the pictures linked into the executable;
// tests fill it with their own.
class BitmapResources {
 public:
  // The bytes are not copied: they must outlive the registry (linked-in data).
  void Register(std::string_view name, std::span<const std::uint8_t> bytes);
  // The registry keeps its own copy.
  void RegisterCopy(std::string_view name, std::vector<std::uint8_t> bytes);
  // Names match without regard to case ("4Color" finds "4COLOR").
  std::optional<std::span<const std::uint8_t>> Find(std::string_view name) const;
  std::size_t Count() const { return entries_.size(); }
  void Clear() { entries_.clear(); }

 private:
  struct Entry {
    std::vector<std::uint8_t> owned;
    std::span<const std::uint8_t> bytes;
  };
  std::map<std::string, Entry> entries_;  // keyed by the upper-case name
};

// The registry the loaders use unless given another.
BitmapResources& ProgramResources();
void RegisterResourceBitmap(std::string_view name, std::span<const std::uint8_t> bytes);

// A texture the size of the image in fileName (found without regard to case).
// colourKey: pixels of that ARGB value become transparent black (0 = none).
// Throws std::runtime_error naming the file when it is missing or undecodable.
std::shared_ptr<ITexture> TextureFromFile(IDevice& device, const std::filesystem::path& fileName,
                                          D3DCOLOR colourKey, std::uint32_t filter);
// The same from a registered bitmap; throws std::runtime_error for an unknown name.
std::shared_ptr<ITexture> TextureFromResource(IDevice& device, const BitmapResources& resources,
                                              std::string_view name, D3DCOLOR colourKey,
                                              std::uint32_t filter);
// A size x size texture; throws std::invalid_argument for a size below 1.
std::shared_ptr<ITexture> EmptySquareTexture(IDevice& device, int size);

// The locked copy of one texture's top level: lock, edit pixels by linear
// index (pixel k at bytes 4k..4k+3: blue, green, red, alpha), write back.
class PixelEditor {
 public:
  PixelEditor() = default;
  PixelEditor(const PixelEditor&) = delete;
  PixelEditor& operator=(const PixelEditor&) = delete;
  // The lock moves along; the moved-from editor holds nothing.
  PixelEditor(PixelEditor&& other) noexcept;
  PixelEditor& operator=(PixelEditor&& other) noexcept;
  // Gives a still locked level back without copying (a forgotten UnLock).
  ~PixelEditor();

  // Locks texture and copies rows x pitch bytes into the buffer. Returns the
  // pitch, or 0 when the texture has fewer rows (the buffer then holds zeros
  // and the texture stays locked). Throws std::logic_error while another
  // texture is locked through this editor.
  int Lock(std::shared_ptr<ITexture> texture, int rows);
  // Copies rows x pitch bytes back and unlocks. False when that copy cannot be
  // made (rows beyond the buffer or the texture); the texture is unlocked all
  // the same. Throws std::logic_error when nothing is locked.
  bool Unlock(int rows);
  bool IsLocked() const { return texture_ != nullptr; }
  const ITexture* LockedTexture() const { return texture_.get(); }

  // Throws std::out_of_range for a pixel outside the buffer or a value outside 0..255.
  void ChangeColor(int pixel, int red, int green, int blue, int alpha);
  // Blue, green, red, alpha: the bytes in memory order.
  std::array<int, 4> GetColor(int pixel) const;
  void ChangeAlpha(int pixel, int alpha);

  // Writes pixels 0..to-from from the red, green, blue triples from..to of
  // bytes; alpha(r, g, b) gives each pixel's alpha. Every index is checked
  // before the first byte is written.
  void WriteRgb(std::span<const std::uint8_t> bytes, int from, int to,
                const std::function<int(int, int, int)>& alpha);

  int Pitch() const { return pitch_; }

 private:
  std::size_t PixelOffset(int pixel) const;

  std::shared_ptr<ITexture> texture_;
  std::span<std::uint8_t> locked_;
  std::vector<std::uint8_t> pixels_;
  int pitch_ = 0;
};

// Checks what a FillTexture call would read and write before anything is
// changed: triples from..to inside bytes, pixels 0..to-from inside size x size.
// Throws std::out_of_range.
void CheckRgbSource(std::size_t byteCount, int size, int from, int to);

// One 0..255 channel value; throws std::out_of_range naming what and the value.
std::uint8_t ChannelByte(int value, const char* what);

}  // namespace quarnix
