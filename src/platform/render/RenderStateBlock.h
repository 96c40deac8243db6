#pragma once
// The render and texture-stage states of a device, in both of the forms a device
// needs: the raw 32-bit values exactly as the callers set them (and read them
// back), and the typed states that drawing uses. Each value is validated and
// decoded once, when it is set, so a draw call reads plain fields.
//
// Stored worlds pass some values straight through to the device (cull modes,
// filters), so every value is accepted and kept; a value outside the published
// set decodes to the field's fallback:
// - comparisons, blend factors, fill, shade, address modes and antialiasing: the
//   device default;
// - cull mode: none (an unknown cull mode hides nothing);
// - a texture operation: DISABLE;
// - a filter: bilinear for every published filter other than POINT (anisotropic
//   and cubic filters sample bilinearly), point for anything else.
// Aliases: D3DTSS_ADDRESS sets ADDRESSU and ADDRESSV. A disabled colour
// operation disables the whole stage, alpha included.

#include <array>
#include <cstdint>

#include "platform/render/D3DTypes.h"

namespace velorina {

enum class TextureFilter { Point, Bilinear };

struct StageOperation {
  std::uint32_t arg1 = D3DTA_TEXTURE;
  std::uint32_t arg2 = D3DTA_CURRENT;
  D3DTEXTUREOP op = D3DTEXTUREOP::D3DTOP_MODULATE;
  bool operator==(const StageOperation&) const = default;
  // Whether the operation is enabled and one of its arguments names the texture.
  bool readsTexture() const;
};

// Every field starts at the Direct3D 7 device default.
struct RenderStates {
  D3DANTIALIASMODE antialias = D3DANTIALIASMODE::D3DANTIALIAS_NONE;
  bool perspective = true;
  bool depthEnable = true;  // ZENABLE on; a device without a depth buffer tests nothing
  D3DFILLMODE fill = D3DFILLMODE::D3DFILL_SOLID;
  D3DSHADEMODE shade = D3DSHADEMODE::D3DSHADE_GOURAUD;
  bool depthWrite = true;
  bool alphaTest = false;
  D3DBLEND srcBlend = D3DBLEND::D3DBLEND_ONE;
  D3DBLEND destBlend = D3DBLEND::D3DBLEND_ZERO;
  D3DCULL cull = D3DCULL::D3DCULL_CCW;
  D3DCMPFUNC depthFunc = D3DCMPFUNC::D3DCMP_LESSEQUAL;
  std::uint32_t alphaRef = 0;  // 0 .. 255
  D3DCMPFUNC alphaFunc = D3DCMPFUNC::D3DCMP_ALWAYS;
  bool blend = false;
  bool specular = false;
  bool colorKey = false;
  D3DCOLOR textureFactor = 0xFFFFFFFFu;
  StageOperation color{D3DTA_TEXTURE, D3DTA_CURRENT, D3DTEXTUREOP::D3DTOP_MODULATE};
  StageOperation alpha{D3DTA_TEXTURE, D3DTA_CURRENT, D3DTEXTUREOP::D3DTOP_SELECTARG1};  // as drawn
  D3DTEXTUREADDRESS addressU = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;
  D3DTEXTUREADDRESS addressV = D3DTEXTUREADDRESS::D3DTADDRESS_WRAP;
  TextureFilter magFilter = TextureFilter::Point;
  TextureFilter minFilter = TextureFilter::Point;

  bool operator==(const RenderStates&) const = default;
  bool filled() const { return fill == D3DFILLMODE::D3DFILL_SOLID; }
  bool readsTexture() const { return color.readsTexture() || alpha.readsTexture(); }
};

class RenderStateBlock {
 public:
  static constexpr std::size_t kRenderStateCount = 256;
  static constexpr std::size_t kStageStateCount = 32;

  // ZENABLE's default depends on whether the device has a depth buffer.
  explicit RenderStateBlock(bool depthBuffer);

  // Back to the device defaults.
  void reset();

  // A state number beyond the table is refused (D3DERR_INVALIDCALL); any value is kept.
  [[nodiscard]] D3DRESULT setRenderState(D3DRENDERSTATETYPE state, std::uint32_t value);
  std::uint32_t renderState(D3DRENDERSTATETYPE state) const;
  // Only stage 0 exists.
  [[nodiscard]] D3DRESULT setStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state, std::uint32_t value);
  std::uint32_t stageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const;

  const RenderStates& states() const { return states_; }
  // Grows with every accepted change, so a device can tell cheaply that nothing changed.
  std::uint64_t changes() const { return changes_; }

 private:
  void decodeRenderState(D3DRENDERSTATETYPE state, std::uint32_t value);
  void decodeStageState(D3DTEXTURESTAGESTATETYPE state, std::uint32_t value);
  void decodeAlpha();

  bool depthBuffer_;
  std::array<std::uint32_t, kRenderStateCount> render_{};
  std::array<std::uint32_t, kStageStateCount> stage_{};
  RenderStates states_;
  std::uint64_t changes_ = 0;
};

}  // namespace velorina
