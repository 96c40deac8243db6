#pragma once
// The fixed-function OpenGL state the device uses, and a cache that sends only
// what differs from what it last sent. After the context was re-made or touched
// by anyone else, invalidate() makes the next apply send everything.

#include <epoxy/gl.h>

namespace velorina {

struct GlFixedState {
  bool blend = false;
  GLenum srcBlend = GL_ONE, destBlend = GL_ZERO;
  bool depthTest = false;
  GLenum depthFunc = GL_LEQUAL;
  bool depthWrite = true;
  bool cull = false;
  GLenum cullFace = GL_BACK;
  GLenum polygonMode = GL_FILL;  // always filled: points and lines come as squares
  GLint viewport[4] = {0, 0, 0, 0};
  GLfloat depthRange[2] = {0, 1};
  bool operator==(const GlFixedState&) const = default;
};

class GlStateCache {
 public:
  void apply(const GlFixedState& wanted);
  void invalidate() { valid_ = false; }
  // What the context holds now (valid after the first apply).
  const GlFixedState& current() const { return current_; }
  // Depth writes on regardless of the draw state, for clearing the depth buffer.
  void forceDepthWrite();

 private:
  GlFixedState current_;
  bool valid_ = false;
};

}  // namespace velorina
