#include "toolkit/TextureLoading.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "core/Files.h"
#include "platform/TextureImage.h"

namespace quarnix {

namespace {

std::string UpperName(std::string_view name) {
  std::string key(name);
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
  return key;
}

// Triples from..to (to >= from) must lie inside byteCount bytes.
void CheckTriples(std::size_t byteCount, int from, int to) {
  if (from < 0 || 3 * static_cast<std::uint64_t>(to) + 2 >= byteCount)
    throw std::out_of_range("colour triples " + std::to_string(from) + ".." + std::to_string(to) +
                            " lie outside the " + std::to_string(byteCount) + " source bytes");
}

}  // namespace

void BitmapResources::Register(std::string_view name, std::span<const std::uint8_t> bytes) {
  entries_[UpperName(name)] = Entry{{}, bytes};
}

void BitmapResources::RegisterCopy(std::string_view name, std::vector<std::uint8_t> bytes) {
  Entry& entry = entries_[UpperName(name)];
  entry.owned = std::move(bytes);
  entry.bytes = entry.owned;
}

std::optional<std::span<const std::uint8_t>> BitmapResources::Find(std::string_view name) const {
  const auto it = entries_.find(UpperName(name));
  if (it == entries_.end()) return std::nullopt;
  return it->second.bytes;
}

BitmapResources& ProgramResources() {
  static BitmapResources resources;
  return resources;
}

void RegisterResourceBitmap(std::string_view name, std::span<const std::uint8_t> bytes) {
  ProgramResources().Register(name, bytes);
}

std::shared_ptr<ITexture> TextureFromFile(IDevice& device, const std::filesystem::path& fileName,
                                          D3DCOLOR colourKey, std::uint32_t filter) {
  const auto found = FindFile(fileName);
  if (!found) throw std::runtime_error("image file \"" + fileName.string() + "\" not found");
  return CreateTextureFromImage(device, LoadImageFile(found->string()), filter, colourKey);
}

std::shared_ptr<ITexture> TextureFromResource(IDevice& device, const BitmapResources& resources,
                                              std::string_view name, D3DCOLOR colourKey,
                                              std::uint32_t filter) {
  const auto bytes = resources.Find(name);
  if (!bytes) throw std::runtime_error("no bitmap resource named \"" + std::string(name) + "\"");
  try {
    return CreateTextureFromImage(device, DecodeImage(*bytes), filter, colourKey);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("bitmap resource \"" + std::string(name) + "\": " + e.what());
  }
}

std::shared_ptr<ITexture> EmptySquareTexture(IDevice& device, int size) {
  // The device's own limits refuse absurd sizes; below 1 there is no texture at all.
  if (size < 1) throw std::invalid_argument("texture size " + std::to_string(size) + " is below 1");
  return device.CreateTexture(size, size);
}

std::uint8_t ChannelByte(int value, const char* what) {
  if (value < 0 || value > 255)
    throw std::out_of_range(std::string(what) + " value " + std::to_string(value) + " is outside 0..255");
  return static_cast<std::uint8_t>(value);
}

void CheckRgbSource(std::size_t byteCount, int size, int from, int to) {
  if (size < 1) throw std::out_of_range("texture size " + std::to_string(size) + " is below 1");
  if (to < from) return;  // nothing is copied
  CheckTriples(byteCount, from, to);
  const auto pixels = static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(size);
  if (static_cast<std::uint64_t>(to) - static_cast<std::uint64_t>(from) >= pixels)
    throw std::out_of_range(std::to_string(to - from + 1) + " pixels do not fit a " + std::to_string(size) +
                            " x " + std::to_string(size) + " texture");
}

PixelEditor::PixelEditor(PixelEditor&& other) noexcept
    : texture_(std::move(other.texture_)),
      locked_(std::exchange(other.locked_, {})),
      pixels_(std::move(other.pixels_)),
      pitch_(std::exchange(other.pitch_, 0)) {
  other.texture_.reset();
  other.pixels_.clear();
}

PixelEditor& PixelEditor::operator=(PixelEditor&& other) noexcept {
  if (this != &other) {
    PixelEditor old(std::move(*this));  // gives back whatever this one held
    texture_ = std::move(other.texture_);
    other.texture_.reset();
    locked_ = std::exchange(other.locked_, {});
    pixels_ = std::move(other.pixels_);
    other.pixels_.clear();
    pitch_ = std::exchange(other.pitch_, 0);
  }
  return *this;
}

PixelEditor::~PixelEditor() {
  if (texture_ && texture_->IsLocked()) {
    try {
      texture_->UnlockRect();
    } catch (...) {
      // The device is gone; there is nothing left to give back.
    }
  }
}

int PixelEditor::Lock(std::shared_ptr<ITexture> texture, int rows) {
  if (!texture) throw std::logic_error("no texture in that slot to lock");
  if (texture_) throw std::logic_error("another texture is still locked for editing");
  const std::span<std::uint8_t> locked = texture->LockRect();
  texture_ = std::move(texture);
  locked_ = locked;
  pitch_ = texture_->Pitch();
  const bool fits = rows >= 0 && rows <= texture_->Height();
  pixels_.assign(fits ? static_cast<std::size_t>(rows) * pitch_ : 0, 0);
  if (!fits) return 0;
  std::memcpy(pixels_.data(), locked_.data(), pixels_.size());
  return pitch_;
}

bool PixelEditor::Unlock(int rows) {
  if (!texture_) throw std::logic_error("no texture is locked for editing");
  const std::size_t count = rows >= 0 ? static_cast<std::size_t>(rows) * pitch_ : SIZE_MAX;
  const bool fits = count <= pixels_.size() && count <= locked_.size();
  if (fits) std::memcpy(locked_.data(), pixels_.data(), count);
  const std::shared_ptr<ITexture> texture = std::move(texture_);
  texture_.reset();
  locked_ = {};
  texture->UnlockRect();
  return fits;
}

std::size_t PixelEditor::PixelOffset(int pixel) const {
  if (pixel < 0 || (static_cast<std::size_t>(pixel) + 1) * 4 > pixels_.size())
    throw std::out_of_range("pixel " + std::to_string(pixel) + " lies outside the " +
                            std::to_string(pixels_.size() / 4) + " locked pixels");
  return static_cast<std::size_t>(pixel) * 4;
}

void PixelEditor::ChangeColor(int pixel, int red, int green, int blue, int alpha) {
  const std::uint8_t r = ChannelByte(red, "red"), g = ChannelByte(green, "green"),
                     b = ChannelByte(blue, "blue"), a = ChannelByte(alpha, "alpha");
  const std::size_t at = PixelOffset(pixel);
  pixels_[at] = b;
  pixels_[at + 1] = g;
  pixels_[at + 2] = r;
  pixels_[at + 3] = a;
}

std::array<int, 4> PixelEditor::GetColor(int pixel) const {
  const std::size_t at = PixelOffset(pixel);
  return {pixels_[at], pixels_[at + 1], pixels_[at + 2], pixels_[at + 3]};
}

void PixelEditor::ChangeAlpha(int pixel, int alpha) {
  const std::uint8_t a = ChannelByte(alpha, "alpha");
  pixels_[PixelOffset(pixel) + 3] = a;
}

void PixelEditor::WriteRgb(std::span<const std::uint8_t> bytes, int from, int to,
                           const std::function<int(int, int, int)>& alpha) {
  if (to < from) return;
  CheckTriples(bytes.size(), from, to);
  PixelOffset(to - from);  // the last pixel written must be inside the buffer
  for (int i = from; i <= to; ++i) {
    const std::size_t at = 3 * static_cast<std::size_t>(i);
    const int r = bytes[at], g = bytes[at + 1], b = bytes[at + 2];
    ChangeColor(i - from, r, g, b, alpha(r, g, b));
  }
}

}  // namespace quarnix
