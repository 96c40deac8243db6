#pragma once
// The GLSL text of one member of the OpenGL device's shader family (see
// GlShaderKey.h). The vertex stage applies the row-vector matrix, Direct3D's
// pixel centres and its 0 .. 1 clip depth; the fragment stage samples the
// texture, runs texture stage 0's colour and alpha operations, adds the specular
// colour and applies the alpha test, each written out for the key's one choice.
// Blending and depth stay in fixed-function OpenGL.
//
// Pictures are layers of 2D array textures, the layer a flat vertex attribute.
// Samplers: unit 0 holds the picture with the magnification filter (the only
// filter when there is one), unit 1 the same picture with the minification
// filter; units 2 and 3 hold the key mask likewise.

#include <string>

#include "platform/render/opengl/GlShaderKey.h"

namespace velorina {

std::string glVertexShaderSource(const GlShaderKey& key);
std::string glFragmentShaderSource(const GlShaderKey& key);

}  // namespace velorina
