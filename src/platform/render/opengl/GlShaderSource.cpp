#include "platform/render/opengl/GlShaderSource.h"

namespace velorina {

namespace {

using enum D3DTEXTUREOP;

constexpr auto usesArg1 = glStageReadsArg1;
constexpr auto usesArg2 = glStageReadsArg2;

bool names(std::uint32_t arg, std::uint32_t source) { return (arg & D3DTA_SELECTMASK) == source; }

bool readsSpecular(const GlShaderKey& k) {
  auto reads = [](D3DTEXTUREOP op, std::uint32_t a1, std::uint32_t a2) {
    return (usesArg1(op) && names(a1, D3DTA_SPECULAR)) || (usesArg2(op) && names(a2, D3DTA_SPECULAR));
  };
  return k.specular || reads(k.colorOp, k.colorArg1, k.colorArg2) || reads(k.alphaOp, k.alphaArg1, k.alphaArg2);
}

const char* interpolation(const GlShaderKey& k) { return k.flatShading ? "flat" : "smooth"; }

// One stage argument as a vec4 expression: its source, then the complement and
// alpha-replicate flags. The current colour of stage 0 is the diffuse colour.
const char* source(std::uint32_t arg) {
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE: return "t";
    case D3DTA_TFACTOR: return "textureFactor";
    case D3DTA_SPECULAR: return "specular";
    default: return "diffuse";
  }
}

std::string argument(std::uint32_t arg) {
  std::string v(source(arg));
  if (arg & D3DTA_COMPLEMENT) v = "(vec4(1.0) - " + v + ")";
  if (arg & D3DTA_ALPHAREPLICATE) v = "vec4(" + v + ".a)";
  return v;
}

std::string operation(D3DTEXTUREOP op, std::uint32_t arg1, std::uint32_t arg2) {
  const std::string x = argument(arg1), y = argument(arg2);
  auto saturate = [](const std::string& e) { return "clamp(" + e + ", 0.0, 1.0)"; };
  switch (op) {
    case D3DTOP_SELECTARG1: return x;
    case D3DTOP_SELECTARG2: return y;
    case D3DTOP_MODULATE: return "(" + x + " * " + y + ")";
    case D3DTOP_MODULATE2X: return saturate("2.0 * " + x + " * " + y);
    case D3DTOP_MODULATE4X: return saturate("4.0 * " + x + " * " + y);
    case D3DTOP_ADD: return saturate(x + " + " + y);
    case D3DTOP_ADDSIGNED: return saturate(x + " + " + y + " - 128.0 / 255.0");
    case D3DTOP_ADDSIGNED2X: return saturate("2.0 * (" + x + " + " + y + " - 128.0 / 255.0)");
    case D3DTOP_SUBTRACT: return saturate(x + " - " + y);
    case D3DTOP_ADDSMOOTH: return saturate(x + " + " + y + " - " + x + " * " + y);
    case D3DTOP_DISABLE: break;
  }
  return "diffuse";
}

// The alpha test's condition for a pass, alpha in 0 .. 255 against the reference.
const char* alphaPasses(D3DCMPFUNC f) {
  switch (f) {
    case D3DCMPFUNC::D3DCMP_NEVER: return "false";
    case D3DCMPFUNC::D3DCMP_LESS: return "a < alphaRef";
    case D3DCMPFUNC::D3DCMP_EQUAL: return "a == alphaRef";
    case D3DCMPFUNC::D3DCMP_LESSEQUAL: return "a <= alphaRef";
    case D3DCMPFUNC::D3DCMP_GREATER: return "a > alphaRef";
    case D3DCMPFUNC::D3DCMP_NOTEQUAL: return "a != alphaRef";
    case D3DCMPFUNC::D3DCMP_GREATEREQUAL: return "a >= alphaRef";
    case D3DCMPFUNC::D3DCMP_ALWAYS: break;
  }
  return "true";
}

// Reads the texture into `t` (and the key weight into `k`), discarding samples
// that are mostly keyed.
std::string sampling(const GlShaderKey& k) {
  std::string s;
  if (k.texturing == GlTexturing::None) return "  const vec4 t = vec4(1.0);\n";
  // The lift of the picture (see the vertex shader) moved the texture coordinates
  // with it; on far rows, where a pixel spans many texels, that picks other texels
  // than the software device does: taken back by the coordinates' change per row.
  s += "  vec2 st = vTexCoord - dFdy(vTexCoord) * coordinateLift;\n";
  if (k.reduceCoordinates) s += "  st = mix(st, fract(st), greaterThanEqual(abs(st), vec2(4096.0)));\n";
  s += "  vec3 uv = vec3(st, float(vLayer));\n";
  const bool mask = k.keying == GlKeying::InMask;
  if (k.texturing == GlTexturing::Sampled) {
    s += "  vec4 t = texture(picture0, uv);\n";
    if (mask) s += "  float k = texture(mask0, uv).r;\n";
  } else {
    // More than one texel per pixel: the minification filter. Both samples are
    // taken so no texture read sits in divergent control flow.
    s += "  vec2 size = vec2(textureSize(picture0, 0).xy);\n"
         "  vec2 dx = dFdx(vTexCoord * size), dy = dFdy(vTexCoord * size);\n"
         "  bool minify = abs(dx.x * dy.y - dx.y * dy.x) > 1.0;\n"
         "  vec4 tMag = texture(picture0, uv), tMin = texture(picture1, uv);\n"
         "  vec4 t = minify ? tMin : tMag;\n";
    if (mask) {
      s += "  float kMag = texture(mask0, uv).r, kMin = texture(mask1, uv).r;\n"
           "  float k = minify ? kMin : kMag;\n";
    }
  }
  // Where keyed texels hold half the weight or more the sample is keyed away;
  // otherwise the others share all of it. The weight arrives in steps of 1/255,
  // and an even split rounds up to 128/255: that is still half.
  if (k.keying == GlKeying::InAlpha) s += "  if (t.a < kHalf) discard;\n  t = vec4(t.rgb / t.a, 1.0);\n";
  if (mask) s += "  if (k < kHalf) discard;\n  t /= k;\n";
  return s;
}

}  // namespace

std::string glVertexShaderSource(const GlShaderKey& k) {
  const std::string flat = interpolation(k);
  const bool specular = readsSpecular(k), texture = k.texturing != GlTexturing::None;
  std::string s =
      "#version 330 core\n"
      "layout(location = 0) in vec3 position;\n"
      "layout(location = 1) in vec4 diffuse;\n"
      "layout(location = 2) in vec4 specular;\n"
      "layout(location = 3) in vec2 texCoord;\n"
      "layout(location = 4) in int layer;        // of the texture array\n"
      "uniform mat4 transform;    // world * view * projection, for row vectors\n"
      "uniform vec2 pixelOffset;  // half a pixel in clip units: Direct3D's pixel centres\n"
      "uniform vec2 viewportSamples;  // zero where the positions need no snapping\n";
  s += flat + " out vec4 vDiffuse;\n";
  if (specular) s += flat + " out vec3 vSpecular;\n";
  if (texture) s += "smooth out vec2 vTexCoord;\nflat out int vLayer;\n";
  s += "void main() {\n"
       "  // The row-major matrix arrives as its transpose: this is the row vector times it.\n"
       "  vec4 clip = transform * vec4(position, 1.0);\n"
       "  // The picture is stored top row first: flip y, then move the pixel centres.\n"
       "  clip.y = -clip.y;\n";
  // Textured draws: the software device computes its texture coordinates from
  // positions snapped to 1/16 sample; so does this one where the vertex is not
  // clipped away. Untextured draws keep their exact positions, whose edges miss
  // the ties OpenGL breaks otherwise than Direct3D.
  if (texture) {
    s += "  if (viewportSamples.x > 0.0 && clip.w > 0.0 && clip.z >= 0.0) {\n"
         "    vec2 p = (clip.xy / clip.w + 1.0) * 0.5 * viewportSamples;\n"
         "    p = floor(p * 16.0 + 0.5) / 16.0;\n"
         "    clip.xy = (p / viewportSamples * 2.0 - 1.0) * clip.w;\n"
         "  }\n";
  }
  s += "  clip.xy += pixelOffset * clip.w;\n";
  if (k.depthFixUp) s += "  clip.z = 2.0 * clip.z - clip.w;\n";
  s += "  gl_Position = clip;\n"
       "  vDiffuse = diffuse;\n";
  if (specular) s += "  vSpecular = specular.rgb;\n";
  if (texture) s += "  vTexCoord = texCoord;\n  vLayer = layer;\n";
  s += "}\n";
  return s;
}

std::string glFragmentShaderSource(const GlShaderKey& k) {
  const std::string flat = interpolation(k);
  const bool specular = readsSpecular(k);
  std::string s = "#version 330 core\n";
  s += flat + " in vec4 vDiffuse;\n";
  if (specular) s += flat + " in vec3 vSpecular;\n";
  if (k.texturing != GlTexturing::None) {
    s += "smooth in vec2 vTexCoord;\n"
         "flat in int vLayer;\n"
         "uniform sampler2DArray picture0, picture1, mask0, mask1;\n"
         "uniform float coordinateLift;  // in window pixels\n";
  }
  if (k.keying != GlKeying::None) s += "const float kHalf = 128.5 / 255.0;\n";
  s += "uniform vec4 textureFactor;\n"
       "uniform float alphaRef;  // 0 .. 255\n"
       "out vec4 fragColor;\n"
       "void main() {\n"
       "  vec4 diffuse = vDiffuse;\n";
  if (specular) s += "  vec4 specular = vec4(vSpecular, 1.0);\n";
  s += sampling(k);
  s += "  vec3 color = " + operation(k.colorOp, k.colorArg1, k.colorArg2) + ".rgb;\n";
  s += "  float alpha = " + operation(k.alphaOp, k.alphaArg1, k.alphaArg2) + ".a;\n";
  if (k.specular) s += "  color = min(color + specular.rgb, vec3(1.0));\n";
  if (k.alphaFunc != D3DCMPFUNC::D3DCMP_ALWAYS) {
    s += "  float a = round(alpha * 255.0);\n";
    s += std::string("  if (!(") + alphaPasses(k.alphaFunc) + ")) discard;\n";
  }
  s += "  fragColor = vec4(color, alpha);\n"
       "}\n";
  return s;
}

}  // namespace velorina
