#pragma once
// One compiled member of the OpenGL device's shader family (GlShaderKey.h,
// GlShaderSource.h), with the uniform values it was last given: uniforms belong
// to the program, so each program sends only what changed since it last drew.

#include <epoxy/gl.h>

#include "platform/render/D3DTypes.h"
#include "platform/render/opengl/GlShaderKey.h"

namespace velorina {

// The per-draw values that stay uniforms in every program.
struct GlProgramValues {
  D3DMATRIX transform = D3DMATRIX::identity();  // world * view * projection, row-major
  GLfloat pixelOffset[2] = {0, 0};
  GLfloat viewportSamples[2] = {0, 0};  // zero: positions already on the sample grid
  GLfloat coordinateLift = 0;           // the picture's lift, in window pixels
  GLfloat textureFactor[4] = {1, 1, 1, 1};
  GLfloat alphaRef = 0;
  bool operator==(const GlProgramValues&) const = default;
};

class GlProgram {
 public:
  // Throws ERenderError with the compiler's log when the program does not build.
  explicit GlProgram(const GlShaderKey& key);
  ~GlProgram();
  GlProgram(const GlProgram&) = delete;
  GlProgram& operator=(const GlProgram&) = delete;

  GLuint name() const { return program_; }
  // Sends the values that differ from what the program holds; it must be in use.
  void setValues(const GlProgramValues& values);
  // After the context was touched by anyone else: the next setValues sends all.
  void forgetValues() { valid_ = false; }

  // Texture units: the picture with the magnification (or only) filter, with the
  // minification filter, then the key mask likewise.
  static constexpr GLuint kPictureUnit = 0, kPictureMinUnit = 1, kMaskUnit = 2, kMaskMinUnit = 3;

 private:
  GLuint program_ = 0;
  GLint transform_ = -1, pixelOffset_ = -1, viewportSamples_ = -1, coordinateLift_ = -1;
  GLint textureFactor_ = -1, alphaRef_ = -1;
  GlProgramValues uploaded_;
  bool valid_ = false;
};

}  // namespace velorina
