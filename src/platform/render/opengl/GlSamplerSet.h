#pragma once
// OpenGL sampler objects for every filter and addressing pair the device draws
// with, made once: a draw binds the one it needs instead of changing the
// texture's own parameters. Direct3D's wrap, mirror and clamp are OpenGL's
// repeat, mirrored repeat and clamp to edge; border addressing clamps, as the
// software device does. No mipmaps.

#include <epoxy/gl.h>

#include <array>

#include "platform/render/D3DTypes.h"
#include "platform/render/RenderStateBlock.h"

namespace velorina {

class GlSamplerSet {
 public:
  GlSamplerSet();
  ~GlSamplerSet();
  GlSamplerSet(const GlSamplerSet&) = delete;
  GlSamplerSet& operator=(const GlSamplerSet&) = delete;

  GLuint get(TextureFilter filter, D3DTEXTUREADDRESS u, D3DTEXTUREADDRESS v) const;

 private:
  static constexpr std::size_t kAddressModes = 3;  // repeat, mirrored repeat, clamp to edge
  std::array<GLuint, 2 * kAddressModes * kAddressModes> samplers_{};
};

}  // namespace velorina
