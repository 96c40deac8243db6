#include "platform/render/opengl/GlSamplerSet.h"

namespace velorina {

namespace {

constexpr GLenum kWraps[] = {GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE};

std::size_t wrapIndex(D3DTEXTUREADDRESS a) {
  switch (a) {
    case D3DTEXTUREADDRESS::D3DTADDRESS_WRAP: return 0;
    case D3DTEXTUREADDRESS::D3DTADDRESS_MIRROR: return 1;
    case D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP:
    case D3DTEXTUREADDRESS::D3DTADDRESS_BORDER: return 2;
  }
  return 0;
}

}  // namespace

GlSamplerSet::GlSamplerSet() {
  glGenSamplers(GLsizei(samplers_.size()), samplers_.data());
  for (std::size_t f = 0; f < 2; ++f) {
    for (std::size_t u = 0; u < kAddressModes; ++u) {
      for (std::size_t v = 0; v < kAddressModes; ++v) {
        const GLuint s = samplers_[(f * kAddressModes + u) * kAddressModes + v];
        const GLint filter = f == 0 ? GL_NEAREST : GL_LINEAR;
        glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, filter);
        glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, filter);
        glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GLint(kWraps[u]));
        glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GLint(kWraps[v]));
      }
    }
  }
}

GlSamplerSet::~GlSamplerSet() { glDeleteSamplers(GLsizei(samplers_.size()), samplers_.data()); }

GLuint GlSamplerSet::get(TextureFilter filter, D3DTEXTUREADDRESS u, D3DTEXTUREADDRESS v) const {
  const std::size_t f = filter == TextureFilter::Bilinear ? 1 : 0;
  return samplers_[(f * kAddressModes + wrapIndex(u)) * kAddressModes + wrapIndex(v)];
}

}  // namespace velorina
