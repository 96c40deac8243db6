#pragma once
// The one shader program of the OpenGL device: Direct3D 7's fixed-function
// pipeline for pre-lit vertices as the scene uses it. The vertex stage applies
// the row-vector matrix, Direct3D's pixel centres and its 0 .. 1 clip depth; the
// fragment stage samples the texture by hand (point or bilinear, wrap, mirror or
// clamp, colour-keyed texels carrying no weight, as the software device does),
// runs texture stage 0's colour and alpha operations, adds the specular colour
// and applies the alpha test. Blending and depth stay in fixed-function OpenGL.

#include <epoxy/gl.h>

#include <string>

namespace velorina {

struct GlUniforms {
  GLint transform = -1, pixelOffset = -1, depthFixUp = -1;
  GLint colorOp = -1, colorArgs = -1, alphaOp = -1, alphaArgs = -1, textureFactor = -1;
  GLint useTexture = -1, texture = -1, textureSize = -1, address = -1, filters = -1;
  GLint hasKey = -1, keyRgb = -1, specular = -1, flatShading = -1, alphaTest = -1, alphaFunc = -1, alphaRef = -1;
};

class GlProgram {
 public:
  // Throws ERenderError with the compiler's log when the program does not build.
  GlProgram();
  ~GlProgram();
  GlProgram(const GlProgram&) = delete;
  GlProgram& operator=(const GlProgram&) = delete;

  GLuint name() const { return program_; }
  const GlUniforms& uniforms() const { return uniforms_; }

  // Vertex attribute locations, fixed at link time.
  static constexpr GLuint kPosition = 0, kDiffuse = 1, kSpecular = 2, kTexCoord = 3;

 private:
  GLuint program_ = 0;
  GlUniforms uniforms_;
};

}  // namespace velorina
