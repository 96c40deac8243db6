#include "scene/objects/FrameTextureNames.h"

#include <algorithm>
#include <cctype>

#include "platform/render/Direct3DTexture2.h"
#include "scene/objects/TimedTextures.h"
#include "scene/records/Geometry.h"

namespace velorina {

namespace {

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

std::size_t frameNameCount(std::int16_t frameCount) {
  return static_cast<std::size_t>(2 * TTimedTextures::UsableFrames(frameCount));
}

}  // namespace

void AddFrameTextureNames(const TTextureNames& names, std::int16_t frameCount, std::vector<std::string>& list) {
  const std::size_t n = frameNameCount(frameCount);
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& name = names.get(i);
    const bool listed = std::any_of(list.begin(), list.end(),
                                    [&](const std::string& entry) { return sameNameIgnoringCase(entry, name); });
    if (!name.empty() && !listed) list.push_back(name);
  }
}

bool SameFrameTextureNames(const TTextureNames& a, const TTextureNames& b, std::int16_t frameCount) {
  const std::size_t n = frameNameCount(frameCount);
  for (std::size_t i = 0; i < n; ++i) {
    if (!sameNameIgnoringCase(a.get(i), b.get(i))) return false;
  }
  return true;
}

std::unique_ptr<TDirect3DTexture2> MakeColourTexture(Bitmap& picture, std::uint32_t color) {
  picture.reset(2, 2, PixelFormat::Bits24);
  const std::uint32_t argb = ColorToDeviceColor(color, 0xFF);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) picture.setColour(x, y, argb);
  }
  return createTexture(picture);
}

}  // namespace velorina
