#pragma once
// Frame-animated, blended texturing shared by the objects that draw with a table of
// texture pairs (polygon, sphere, 3D text). Each frame of the animation owns one
// pair (image, mask); the record's frame count and period choose the pair from the
// scene clock, and the blend mode says how the pair is laid over what is drawn.

#include <cstdint>
#include <span>
#include <tuple>

#include "platform/render/D3DTypes.h"
#include "scene/records/TextureNames.h"

namespace velorina {

class IDirect3DDevice7;

// The animation settings of a timed object's record.
struct FrameTiming {
  std::int16_t FrameCount = 0;
  float FramePeriod = 0;    // seconds for one pass through all frames
  std::uint8_t BlendMode = 0;
};

// Where the texture of a plain (unblended) draw comes from.
enum class TextureOrigin {
  Table,      // the image of pair 0, as handed in
  OwnColour,  // a colour texture the object made itself; blending is skipped
};

class TTimedTextures {
 public:
  // The table holds this many pairs; frames beyond it do not exist.
  static constexpr std::int32_t kMaxFrames = static_cast<std::int32_t>(std::tuple_size_v<TTexturePairs>);

  TTimedTextures() = default;
  explicit TTimedTextures(const TTexturePairs& pairs) : pairs_(pairs) {}

  const TTexturePairs& Pairs() const noexcept { return pairs_; }
  // The image of pair 0: the object's base texture.
  TDirect3DTexture2* BaseTexture() const noexcept { return pairs_[0].first; }
  // The pair of one frame; an empty pair for a frame outside the table.
  const TexturePair& Pair(std::int32_t frame) const noexcept;

  // How many frames of the table an animation of `frameCount` frames uses:
  // frameCount clamped into 0..kMaxFrames.
  static std::int32_t UsableFrames(std::int16_t frameCount) noexcept;

  // The frame shown at `time` (seconds): trunc(frames * time / FramePeriod) modulo
  // frames, taken into 0..frames-1, with frames = UsableFrames(FrameCount). 0 when
  // there are no frames, the period is 0 or the quotient is not a finite number.
  static std::int16_t CurrentFrame(const FrameTiming& timing, double time) noexcept;

  // How many times DrawTimed sends the vertices when it blends: BlendMode for
  // modes below 16 (0 for mode 0), else 1 when the frame's image is its own mask
  // and 2 when a separate mask is drawn first.
  std::int32_t BlendedDrawCount(const FrameTiming& timing, double time) const noexcept;

  // Draws the vertices with the texturing of `timing` at `time`:
  // - mode 0, or an object's own colour texture: `texture` bound, drawn once;
  // - modes 1..15: the frame's image added BlendMode times with
  //   (INVSRCCOLOR, SRCCOLOR) blending;
  // - modes 16 and up with a separate mask: the mask drawn with (INVSRCCOLOR,
  //   SRCCOLOR), then the image with (INVDESTCOLOR, INVSRCCOLOR);
  // - modes 16 and up where the image is its own mask: the image drawn with black
  //   as its colour key.
  // Blending is switched off afterwards in every blended case. A frame without a
  // texture is drawn with none bound (and no colour key is set).
  void DrawTimed(IDirect3DDevice7& device, const FrameTiming& timing, double time, TDirect3DTexture2* texture,
                 TextureOrigin origin, D3DPRIMITIVETYPE type, std::span<const D3DLVERTEX> vertices) const;

 private:
  TTexturePairs pairs_{};
};

}  // namespace velorina
