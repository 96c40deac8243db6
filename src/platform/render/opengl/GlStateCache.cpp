#include "platform/render/opengl/GlStateCache.h"

namespace velorina {

namespace {

void enable(GLenum cap, bool on) {
  if (on) glEnable(cap);
  else glDisable(cap);
}

}  // namespace

void GlStateCache::apply(const GlFixedState& w) {
  GlFixedState& c = current_;
  const bool all = !valid_;
  if (all || w.blend != c.blend) enable(GL_BLEND, w.blend);
  if (all || w.srcBlend != c.srcBlend || w.destBlend != c.destBlend) glBlendFunc(w.srcBlend, w.destBlend);
  if (all || w.depthTest != c.depthTest) enable(GL_DEPTH_TEST, w.depthTest);
  if (all || w.depthFunc != c.depthFunc) glDepthFunc(w.depthFunc);
  if (all || w.depthWrite != c.depthWrite) glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE);
  if (all || w.cull != c.cull) enable(GL_CULL_FACE, w.cull);
  if (all || w.cullFace != c.cullFace) glCullFace(w.cullFace);
  if (all || w.polygonMode != c.polygonMode) glPolygonMode(GL_FRONT_AND_BACK, w.polygonMode);
  if (all || w.viewport[0] != c.viewport[0] || w.viewport[1] != c.viewport[1] || w.viewport[2] != c.viewport[2] ||
      w.viewport[3] != c.viewport[3]) {
    glViewport(w.viewport[0], w.viewport[1], w.viewport[2], w.viewport[3]);
  }
  if (all || w.depthRange[0] != c.depthRange[0] || w.depthRange[1] != c.depthRange[1]) {
    glDepthRange(w.depthRange[0], w.depthRange[1]);
  }
  c = w;
  valid_ = true;
}

void GlStateCache::forceDepthWrite() {
  if (valid_ && current_.depthWrite) return;
  glDepthMask(GL_TRUE);
  current_.depthWrite = true;
}

}  // namespace velorina
