#include "platform/render/opengl/GlProgram.h"

#include <string>
#include <vector>

#include "platform/render/RenderError.h"
#include "platform/render/opengl/GlShaderSource.h"

namespace velorina {

namespace {

GLuint compile(GLenum kind, const std::string& source) {
  const GLuint shader = glCreateShader(kind);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(std::size_t(length > 0 ? length : 1));
  glGetShaderInfoLog(shader, GLsizei(log.size()), nullptr, log.data());
  glDeleteShader(shader);
  throw ERenderError("Cannot compile the OpenGL device's shader", std::string(log.data()));
}

}  // namespace

GlProgram::GlProgram(const GlShaderKey& key) {
  const GLuint vertex = compile(GL_VERTEX_SHADER, glVertexShaderSource(key));
  GLuint fragment = 0;
  try {
    fragment = compile(GL_FRAGMENT_SHADER, glFragmentShaderSource(key));
  } catch (...) {
    glDeleteShader(vertex);
    throw;
  }
  program_ = glCreateProgram();
  glAttachShader(program_, vertex);
  glAttachShader(program_, fragment);
  glLinkProgram(program_);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    std::vector<char> log(4096);
    glGetProgramInfoLog(program_, GLsizei(log.size()), nullptr, log.data());
    glDeleteProgram(program_);
    throw ERenderError("Cannot link the OpenGL device's shader", std::string(log.data()));
  }
  auto at = [this](const char* name) { return glGetUniformLocation(program_, name); };
  transform_ = at("transform");
  pixelOffset_ = at("pixelOffset");
  viewportSamples_ = at("viewportSamples");
  coordinateLift_ = at("coordinateLift");
  textureFactor_ = at("textureFactor");
  alphaRef_ = at("alphaRef");
  // Samplers the shader does not read are optimised away: their location is -1,
  // which OpenGL ignores.
  glUseProgram(program_);
  glUniform1i(at("picture0"), GLint(kPictureUnit));
  glUniform1i(at("picture1"), GLint(kPictureMinUnit));
  glUniform1i(at("mask0"), GLint(kMaskUnit));
  glUniform1i(at("mask1"), GLint(kMaskMinUnit));
}

GlProgram::~GlProgram() {
  if (program_ != 0) glDeleteProgram(program_);
}

void GlProgram::setValues(const GlProgramValues& v) {
  const GlProgramValues& o = uploaded_;
  const bool all = !valid_;
  // The row-major matrix goes up as it is; the shader knows it holds the transpose.
  if (all || !(v.transform == o.transform)) glUniformMatrix4fv(transform_, 1, GL_FALSE, &v.transform._11);
  if (all || v.pixelOffset[0] != o.pixelOffset[0] || v.pixelOffset[1] != o.pixelOffset[1]) {
    glUniform2fv(pixelOffset_, 1, v.pixelOffset);
  }
  if (all || v.viewportSamples[0] != o.viewportSamples[0] || v.viewportSamples[1] != o.viewportSamples[1]) {
    glUniform2fv(viewportSamples_, 1, v.viewportSamples);
  }
  if (all || v.coordinateLift != o.coordinateLift) glUniform1f(coordinateLift_, v.coordinateLift);
  if (all || v.textureFactor[0] != o.textureFactor[0] || v.textureFactor[1] != o.textureFactor[1] ||
      v.textureFactor[2] != o.textureFactor[2] || v.textureFactor[3] != o.textureFactor[3]) {
    glUniform4fv(textureFactor_, 1, v.textureFactor);
  }
  if (all || v.alphaRef != o.alphaRef) glUniform1f(alphaRef_, v.alphaRef);
  uploaded_ = v;
  valid_ = true;
}

}  // namespace velorina
