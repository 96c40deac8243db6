#include "platform/render/Direct3DTexture2.h"

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/render/RenderError.h"

namespace velorina {

namespace {

// Identities only ever grow; textures are made on any thread.
std::uint64_t nextIdentity() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace

TDirect3DTexture2::TDirect3DTexture2(std::uint32_t width, std::uint32_t height,
                                     std::span<const std::uint32_t> argb)
    : width_(width), height_(height), identity_(nextIdentity()) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    throw ERenderError("Cannot create texture",
                       ("size " + std::to_string(width) + " x " + std::to_string(height) +
                                  " is outside 1 .. " + std::to_string(kMaxSide)));
  }
  if (argb.size() != std::size_t{width} * height) {
    throw ERenderError("Cannot create texture",
                       (std::to_string(argb.size()) + " texels given for " + std::to_string(width) +
                                  " x " + std::to_string(height)));
  }
  texels_.assign(argb.begin(), argb.end());
}

TDirect3DTexture2::TDirect3DTexture2(const TDirect3DTexture2& other)
    : width_(other.width_),
      height_(other.height_),
      texels_(other.texels_),
      colorKey_(other.colorKey_),
      transparent_(other.transparent_),
      transparentColor_(other.transparentColor_),
      identity_(nextIdentity()) {}

TDirect3DTexture2::~TDirect3DTexture2() {
  // A watcher may stop watching from inside its notice: work on a copy.
  const std::vector<ITextureObserver*> observers = std::move(observers_);
  for (ITextureObserver* o : observers) o->textureGone(*this);
}

void TDirect3DTexture2::watch(ITextureObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void TDirect3DTexture2::unwatch(ITextureObserver* observer) { std::erase(observers_, observer); }

std::optional<std::uint32_t> TDirect3DTexture2::effectiveColorKey() const {
  if (colorKey_) return colorKey_;
  if (transparent_) return transparentColor_;
  return std::nullopt;
}

Bitmap TDirect3DTexture2::TextureToBitmap() const {
  Bitmap bitmap(int(width_), int(height_), PixelFormat::Bits24);
  for (std::uint32_t y = 0; y < height_; ++y) {
    std::uint8_t* row = bitmap.row(int(y));
    for (std::uint32_t x = 0; x < width_; ++x) {
      const std::uint32_t c = texels_[std::size_t(y) * width_ + x];
      row[x * 3 + 0] = std::uint8_t(c);
      row[x * 3 + 1] = std::uint8_t(c >> 8);
      row[x * 3 + 2] = std::uint8_t(c >> 16);
    }
  }
  return bitmap;
}

void TDirect3DTexture2::ReplacePicture(const TDirect3DTexture2& source) {
  // A watcher may stop watching from inside its notice: work on a copy.
  const std::vector<ITextureObserver*> observers = observers_;
  for (ITextureObserver* o : observers) o->pictureChanging(*this);
  width_ = source.width_;
  height_ = source.height_;
  texels_ = source.texels_;
  ++revision_;
  ++pictureRevision_;
}

std::unique_ptr<TDirect3DTexture2> createTexture(const Bitmap& bitmap) {
  const auto texels = bitmap.toARGB32();
  return std::make_unique<TDirect3DTexture2>(std::uint32_t(bitmap.width()), std::uint32_t(bitmap.height()), texels);
}

}  // namespace velorina
