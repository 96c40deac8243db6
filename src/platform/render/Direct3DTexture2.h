#pragma once
// A device texture: the picture a scene object is painted with, kept as 32-bit
// ARGB texels (0xAARRGGBB) that every device backend can read, together with the
// surface's source colour key and the transparency switch.
//
// Colour keying: a texel whose RGB equals the effective key is not drawn while
// the device's COLORKEYENABLE state is on. The effective key is the surface's own
// source colour key when one is set, otherwise TransparentColor while the
// Transparent switch is on, otherwise none. The alpha byte takes no part in the
// comparison: surfaces made from 24-bit pictures have no meaningful alpha.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "imaging/Bitmap.h"

namespace velorina {

class TDirect3DTexture2;

// A device that keeps something of a texture (a converted copy, a texture on the
// graphics card, a binding, draws not yet carried out that read its texels)
// watches it and hears when it goes away, so nothing it keeps can outlive the
// texture or be taken for a new texture at the same address; and hears before
// its picture is replaced, while the old texels are still there.
class ITextureObserver {
 public:
  virtual void textureGone(const TDirect3DTexture2& texture) = 0;
  virtual void pictureChanging(const TDirect3DTexture2& texture) = 0;

 protected:
  ~ITextureObserver() = default;
};

class TDirect3DTexture2 {
 public:
  static constexpr std::uint32_t kMaxSide = 4096;

  // Copies width * height texels, row by row from the top. Throws ERenderError when
  // a side is 0 or above kMaxSide or the span holds a different number of texels.
  TDirect3DTexture2(std::uint32_t width, std::uint32_t height, std::span<const std::uint32_t> argb);
  // A copy is a new texture: its own identity, nobody watching it.
  TDirect3DTexture2(const TDirect3DTexture2& other);
  TDirect3DTexture2& operator=(const TDirect3DTexture2&) = delete;
  // Tells every watcher that the texture goes away.
  ~TDirect3DTexture2();

  // Unique among all textures of this run, never reused.
  std::uint64_t identity() const { return identity_; }

  // Watching is idempotent; a watcher that goes away first must stop watching.
  void watch(ITextureObserver* observer);
  void unwatch(ITextureObserver* observer);

  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }
  std::span<const std::uint32_t> texels() const { return texels_; }

  // The surface's source colour key (low and high value alike), RGB in 0x00RRGGBB.
  void SetColorKey(std::uint32_t rgb) { colorKey_ = rgb & 0xFFFFFFu; ++revision_; }
  void ClearColorKey() { colorKey_.reset(); ++revision_; }
  std::optional<std::uint32_t> ColorKey() const { return colorKey_; }

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) { transparent_ = on; ++revision_; }
  std::uint32_t TransparentColor() const { return transparentColor_; }
  void SetTransparentColor(std::uint32_t rgb) { transparentColor_ = rgb & 0xFFFFFFu; ++revision_; }

  // The key that drawing honours (see the class comment), if any.
  std::optional<std::uint32_t> effectiveColorKey() const;

  // Grows with every change that affects how the texture draws, so a backend that
  // keeps a converted copy knows when to refresh it.
  std::uint64_t revision() const { return revision_; }
  // Grows only when the picture itself changes (size or texels), so a copy on the
  // graphics card is re-uploaded for new pixels and not for a new key.
  std::uint64_t pictureRevision() const { return pictureRevision_; }

  // A 24-bit copy of the surface.
  Bitmap TextureToBitmap() const;

  // Takes the picture (size and texels) of `source` and keeps this surface's colour
  // key and transparency, so every object holding this texture draws the new
  // picture. Watchers hear of it first.
  void ReplacePicture(const TDirect3DTexture2& source);

 private:
  std::uint32_t width_;
  std::uint32_t height_;
  std::vector<std::uint32_t> texels_;
  std::optional<std::uint32_t> colorKey_;
  bool transparent_ = false;
  std::uint32_t transparentColor_ = 0;
  std::uint64_t revision_ = 0;
  std::uint64_t pictureRevision_ = 0;
  std::uint64_t identity_;
  std::vector<ITextureObserver*> observers_;
};

// A texture of the bitmap's size from its pixels (any format, palettes resolved,
// alpha opaque). Throws ERenderError for an empty or oversized bitmap.
std::unique_ptr<TDirect3DTexture2> createTexture(const Bitmap& bitmap);

}  // namespace velorina
