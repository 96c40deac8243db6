#include "scene/objects/TimedTextures.h"

#include <algorithm>
#include <cmath>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"

namespace velorina {

namespace {

constexpr std::uint8_t kFirstMaskedMode = 16;
const TexturePair kNoPair{};

// A refused device call leaves the device as it was and the object is drawn
// without that effect: the answers are not acted on (see the scene's Frame).
void setBlend(IDirect3DDevice7& device, D3DBLEND source, D3DBLEND dest) {
  static_cast<void>(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_SRCBLEND, d3dValue(source)));
  static_cast<void>(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_DESTBLEND, d3dValue(dest)));
}

void setAlphaBlending(IDirect3DDevice7& device, bool on) {
  static_cast<void>(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_ALPHABLENDENABLE, on ? 1u : 0u));
}

}  // namespace

const TexturePair& TTimedTextures::Pair(std::int32_t frame) const noexcept {
  if (frame < 0 || frame >= kMaxFrames) return kNoPair;
  return pairs_[static_cast<std::size_t>(frame)];
}

std::int32_t TTimedTextures::UsableFrames(std::int16_t frameCount) noexcept {
  return std::clamp<std::int32_t>(frameCount, 0, kMaxFrames);
}

std::int16_t TTimedTextures::CurrentFrame(const FrameTiming& timing, double time) noexcept {
  const std::int32_t frames = UsableFrames(timing.FrameCount);
  if (frames == 0 || timing.FramePeriod == 0) return 0;
  const double quotient = frames * time / timing.FramePeriod;
  if (!std::isfinite(quotient)) return 0;
  // fmod of an integral double is exact, so this equals the 64-bit integer
  // remainder wherever that is defined, without overflow for huge quotients.
  double frame = std::fmod(std::trunc(quotient), static_cast<double>(frames));
  if (frame < 0) frame += frames;
  return static_cast<std::int16_t>(frame);
}

std::int32_t TTimedTextures::BlendedDrawCount(const FrameTiming& timing, double time) const noexcept {
  if (timing.BlendMode < kFirstMaskedMode) return timing.BlendMode;
  const TexturePair& pair = Pair(CurrentFrame(timing, time));
  return pair.first == pair.second ? 1 : 2;
}

void TTimedTextures::DrawTimed(IDirect3DDevice7& device, const FrameTiming& timing, double time,
                               TDirect3DTexture2* texture, TextureOrigin origin, D3DPRIMITIVETYPE type,
                               std::span<const D3DLVERTEX> vertices) const {
  const auto count = static_cast<std::uint32_t>(vertices.size());
  auto draw = [&] { static_cast<void>(device.DrawPrimitive(type, D3DFVF_LVERTEX, vertices, count, 0)); };
  if (timing.BlendMode == 0 || origin == TextureOrigin::OwnColour) {
    static_cast<void>(device.SetTexture(0, texture));
    draw();
    return;
  }
  const TexturePair& pair = Pair(CurrentFrame(timing, time));
  if (timing.BlendMode < kFirstMaskedMode) {
    // Each pass adds the image over what lies behind it.
    setAlphaBlending(device, true);
    static_cast<void>(device.SetTexture(0, pair.first));
    setBlend(device, D3DBLEND::D3DBLEND_INVSRCCOLOR, D3DBLEND::D3DBLEND_SRCCOLOR);
    for (std::uint8_t pass = 0; pass < timing.BlendMode; ++pass) draw();
  } else if (pair.second != pair.first) {
    // The mask darkens what lies behind the image's shape, then the image fills it.
    setAlphaBlending(device, true);
    setBlend(device, D3DBLEND::D3DBLEND_INVSRCCOLOR, D3DBLEND::D3DBLEND_SRCCOLOR);
    static_cast<void>(device.SetTexture(0, pair.second));
    draw();
    setBlend(device, D3DBLEND::D3DBLEND_INVDESTCOLOR, D3DBLEND::D3DBLEND_INVSRCCOLOR);
    static_cast<void>(device.SetTexture(0, pair.first));
    draw();
  } else {
    // An image that is its own mask: black texels are not drawn.
    if (pair.first != nullptr) pair.first->SetColorKey(0);
    static_cast<void>(device.SetTexture(0, pair.first));
    draw();
  }
  setAlphaBlending(device, false);
}

}  // namespace velorina
