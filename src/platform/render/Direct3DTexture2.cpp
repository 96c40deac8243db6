#include "platform/render/Direct3DTexture2.h"

#include <string>

#include "platform/render/RenderError.h"

namespace velorina {

TDirect3DTexture2::TDirect3DTexture2(std::uint32_t width, std::uint32_t height,
                                     std::span<const std::uint32_t> argb)
    : width_(width), height_(height) {
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

std::optional<std::uint32_t> TDirect3DTexture2::effectiveColorKey() const {
  if (colorKey_) return colorKey_;
  if (transparent_) return transparentColor_;
  return std::nullopt;
}

}  // namespace velorina
