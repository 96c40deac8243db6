#include "platform/render/opengl/GlProgram.h"

#include <vector>

#include "platform/render/RenderError.h"

namespace velorina {

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 diffuse;
layout(location = 2) in vec4 specular;
layout(location = 3) in vec2 texCoord;
uniform mat4 transform;      // world * view * projection, for row vectors
uniform vec2 pixelOffset;    // half a pixel in clip units: Direct3D's pixel centres
uniform bool depthFixUp;     // no clip control: map depth 0 .. 1 onto -1 .. 1
smooth out vec4 vDiffuse;
smooth out vec3 vSpecular;
flat out vec4 vFlatDiffuse;
flat out vec3 vFlatSpecular;
smooth out vec2 vTexCoord;
void main() {
  // The row-major matrix arrives as its transpose: this is the row vector times it.
  vec4 clip = transform * vec4(position, 1.0);
  // The picture is stored top row first: flip y, then move the pixel centres.
  clip.y = -clip.y;
  clip.xy += pixelOffset * clip.w;
  if (depthFixUp) clip.z = 2.0 * clip.z - clip.w;
  gl_Position = clip;
  vDiffuse = diffuse;
  vSpecular = specular.rgb;
  vFlatDiffuse = diffuse;
  vFlatSpecular = specular.rgb;
  vTexCoord = texCoord;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
smooth in vec4 vDiffuse;
smooth in vec3 vSpecular;
flat in vec4 vFlatDiffuse;
flat in vec3 vFlatSpecular;
smooth in vec2 vTexCoord;
uniform int colorOp, alphaOp;
uniform ivec2 colorArgs, alphaArgs;
uniform vec4 textureFactor;
uniform bool useTexture;
uniform sampler2D tex;
uniform ivec2 textureSize;
uniform ivec2 address;       // per axis: 1 wrap, 2 mirror, 3 clamp, 4 border
uniform ivec2 filters;       // minification, magnification: 0 point, 1 bilinear
uniform bool hasKey;
uniform ivec3 keyRgb;
uniform bool specularOn, flatShading, alphaTestOn;
uniform int alphaTest;       // D3DCMPFUNC
uniform float alphaRef;      // 0 .. 255
out vec4 fragColor;

int addressed(int i, int size, int mode) {
  if (mode == 3 || mode == 4) return clamp(i, 0, size - 1);
  if (mode == 2) {
    int m = i % (2 * size);
    if (m < 0) m += 2 * size;
    return m < size ? m : 2 * size - 1 - m;
  }
  int m = i % size;
  return m < 0 ? m + size : m;
}
vec4 texel(ivec2 at) {
  return texelFetch(tex, ivec2(addressed(at.x, textureSize.x, address.x), addressed(at.y, textureSize.y, address.y)), 0);
}
bool keyed(vec4 t) { return hasKey && ivec3(round(t.rgb * 255.0)) == keyRgb; }
float reduceCoordinate(float t) { return abs(t) < 4096.0 ? t : fract(t); }

vec4 sampleTexture() {
  vec2 size = vec2(textureSize);
  vec2 uv = vec2(reduceCoordinate(vTexCoord.x), reduceCoordinate(vTexCoord.y)) * size;
  // More than one texel per sample: the minification filter.
  vec2 dx = dFdx(vTexCoord * size), dy = dFdy(vTexCoord * size);
  bool minify = abs(dx.x * dy.y - dx.y * dy.x) > 1.0;
  int chosen = minify ? filters.x : filters.y;
  if (chosen == 0) {
    vec4 t = texel(ivec2(floor(uv)));
    if (keyed(t)) discard;
    return t;
  }
  vec2 b = uv - 0.5;
  ivec2 i = ivec2(floor(b));
  vec2 w = floor((b - vec2(i)) * 256.0) / 256.0;
  vec4 t[4] = vec4[4](texel(i), texel(i + ivec2(1, 0)), texel(i + ivec2(0, 1)), texel(i + ivec2(1, 1)));
  float weight[4] = float[4]((1.0 - w.x) * (1.0 - w.y), w.x * (1.0 - w.y), (1.0 - w.x) * w.y, w.x * w.y);
  float keyedWeight = 0.0;
  vec4 sum = vec4(0.0);
  for (int k = 0; k < 4; ++k) {
    if (keyed(t[k])) keyedWeight += weight[k];
    else sum += t[k] * weight[k];
  }
  // Keyed texels lend no colour; where they hold half the weight the sample is keyed away.
  if (keyedWeight >= 0.5) discard;
  return sum / (1.0 - keyedWeight);
}

vec4 argument(int arg, vec4 diffuse, vec4 specular, vec4 t) {
  int source = arg & 15;
  vec4 v = source == 2 ? t : source == 3 ? textureFactor : source == 4 ? specular : diffuse;
  if ((arg & 16) != 0) v = vec4(1.0) - v;
  if ((arg & 32) != 0) v = vec4(v.a);
  return v;
}
vec4 operate(int op, vec4 x, vec4 y, vec4 current) {
  if (op == 2) return x;
  if (op == 3) return y;
  if (op == 4) return x * y;
  if (op == 5) return clamp(2.0 * x * y, 0.0, 1.0);
  if (op == 6) return clamp(4.0 * x * y, 0.0, 1.0);
  if (op == 7) return clamp(x + y, 0.0, 1.0);
  if (op == 8) return clamp(x + y - 128.0 / 255.0, 0.0, 1.0);
  if (op == 9) return clamp(2.0 * (x + y - 128.0 / 255.0), 0.0, 1.0);
  if (op == 10) return clamp(x - y, 0.0, 1.0);
  if (op == 11) return clamp(x + y - x * y, 0.0, 1.0);
  return current;
}
bool passes(int func, float value, float reference) {
  if (func == 1) return false;
  if (func == 2) return value < reference;
  if (func == 3) return value == reference;
  if (func == 4) return value <= reference;
  if (func == 5) return value > reference;
  if (func == 6) return value != reference;
  if (func == 7) return value >= reference;
  return true;
}
void main() {
  vec4 diffuse = flatShading ? vFlatDiffuse : vDiffuse;
  vec4 specular = vec4(flatShading ? vFlatSpecular : vSpecular, 1.0);
  vec4 t = useTexture ? sampleTexture() : vec4(1.0);
  vec3 color = operate(colorOp, argument(colorArgs.x, diffuse, specular, t),
                       argument(colorArgs.y, diffuse, specular, t), diffuse).rgb;
  float alpha = operate(alphaOp, argument(alphaArgs.x, diffuse, specular, t),
                        argument(alphaArgs.y, diffuse, specular, t), diffuse).a;
  if (specularOn) color = min(color + specular.rgb, vec3(1.0));
  if (alphaTestOn && !passes(alphaTest, round(alpha * 255.0), alphaRef)) discard;
  fragColor = vec4(color, alpha);
}
)";

GLuint compile(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
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

GlProgram::GlProgram() {
  const GLuint vertex = compile(GL_VERTEX_SHADER, kVertexShader);
  GLuint fragment = 0;
  try {
    fragment = compile(GL_FRAGMENT_SHADER, kFragmentShader);
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
  GlUniforms& u = uniforms_;
  u.transform = at("transform");
  u.pixelOffset = at("pixelOffset");
  u.depthFixUp = at("depthFixUp");
  u.colorOp = at("colorOp");
  u.colorArgs = at("colorArgs");
  u.alphaOp = at("alphaOp");
  u.alphaArgs = at("alphaArgs");
  u.textureFactor = at("textureFactor");
  u.useTexture = at("useTexture");
  u.texture = at("tex");
  u.textureSize = at("textureSize");
  u.address = at("address");
  u.filters = at("filters");
  u.hasKey = at("hasKey");
  u.keyRgb = at("keyRgb");
  u.specular = at("specularOn");
  u.flatShading = at("flatShading");
  u.alphaTest = at("alphaTestOn");
  u.alphaFunc = at("alphaTest");
  u.alphaRef = at("alphaRef");
  glUseProgram(program_);
  glUniform1i(u.texture, 0);
}

GlProgram::~GlProgram() {
  if (program_ != 0) glDeleteProgram(program_);
}

}  // namespace velorina
