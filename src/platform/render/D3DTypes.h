#pragma once
// Value types and enumerations of the Direct3D 7 immediate-mode device as the
// player and the scene use it. Enumerator values are the published Direct3D 7
// numbers, because stored worlds carry some of them (cull modes, filters) and pass
// them to the device unchanged. Callers may write `using enum D3DRENDERSTATETYPE;`
// and the like to keep call sites short.

#include <cstdint>
#include <type_traits>

namespace velorina {

using D3DCOLOR = std::uint32_t;  // 0xAARRGGBB

// Any enumeration as the 32-bit value the device's state setters take.
template <class E>
  requires std::is_enum_v<E>
constexpr std::uint32_t d3dValue(E e) {
  return static_cast<std::uint32_t>(e);
}

// The pre-lit vertex (flexible vertex format D3DFVF_LVERTEX): 32 bytes.
struct D3DLVERTEX {
  float x = 0, y = 0, z = 0;
  std::uint32_t dwReserved = 0;
  D3DCOLOR color = 0;     // diffuse
  D3DCOLOR specular = 0;  // specular
  float tu = 0, tv = 0;
};
static_assert(sizeof(D3DLVERTEX) == 32);

inline constexpr std::uint32_t D3DFVF_XYZ = 0x002;
inline constexpr std::uint32_t D3DFVF_XYZRHW = 0x004;
inline constexpr std::uint32_t D3DFVF_NORMAL = 0x010;
inline constexpr std::uint32_t D3DFVF_RESERVED1 = 0x020;
inline constexpr std::uint32_t D3DFVF_DIFFUSE = 0x040;
inline constexpr std::uint32_t D3DFVF_SPECULAR = 0x080;
inline constexpr std::uint32_t D3DFVF_TEX1 = 0x100;
inline constexpr std::uint32_t D3DFVF_LVERTEX = 0x1E2;

// Row-major 4 x 4 matrix applied to row vectors: v' = v * M.
struct D3DMATRIX {
  float _11 = 0, _12 = 0, _13 = 0, _14 = 0;
  float _21 = 0, _22 = 0, _23 = 0, _24 = 0;
  float _31 = 0, _32 = 0, _33 = 0, _34 = 0;
  float _41 = 0, _42 = 0, _43 = 0, _44 = 0;

  static constexpr D3DMATRIX identity() {
    D3DMATRIX m;
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
  }
  bool operator==(const D3DMATRIX&) const = default;
};

// The product a * b (apply a first, then b).
D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b);

struct D3DVIEWPORT7 {
  std::uint32_t dwX = 0, dwY = 0, dwWidth = 0, dwHeight = 0;
  float dvMinZ = 0, dvMaxZ = 1;
  bool operator==(const D3DVIEWPORT7&) const = default;
};

// Whether a viewport may be set on a target of width x height: not empty, inside the
// target (sums taken in 64 bits) and with finite depth limits.
bool viewportFits(const D3DVIEWPORT7& vp, std::uint32_t width, std::uint32_t height);

struct D3DCOLORVALUE {
  float r = 0, g = 0, b = 0, a = 0;
  bool operator==(const D3DCOLORVALUE&) const = default;
};

// Kept for the callers that set it; pre-lit vertices carry their own colours, so
// the material does not change what is drawn.
struct D3DMATERIAL7 {
  D3DCOLORVALUE diffuse, ambient, specular, emissive;
  float power = 0;
  bool operator==(const D3DMATERIAL7&) const = default;
};

struct D3DRECT {
  std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

enum class D3DPRIMITIVETYPE : std::uint32_t {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

enum class D3DTRANSFORMSTATETYPE : std::uint32_t {
  D3DTRANSFORMSTATE_WORLD = 1,
  D3DTRANSFORMSTATE_VIEW = 2,
  D3DTRANSFORMSTATE_PROJECTION = 3,
};

enum class D3DRENDERSTATETYPE : std::uint32_t {
  D3DRENDERSTATE_ANTIALIAS = 2,
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_TEXTUREFACTOR = 60,
  D3DRENDERSTATE_CLIPPING = 136,
  D3DRENDERSTATE_LIGHTING = 137,
  D3DRENDERSTATE_AMBIENT = 139,
  D3DRENDERSTATE_NORMALIZENORMALS = 143,
};

enum class D3DANTIALIASMODE : std::uint32_t {
  D3DANTIALIAS_NONE = 0,
  D3DANTIALIAS_SORTDEPENDENT = 1,
  D3DANTIALIAS_SORTINDEPENDENT = 2,
};

enum class D3DZBUFFERTYPE : std::uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1, D3DZB_USEW = 2 };

enum class D3DFILLMODE : std::uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };

enum class D3DSHADEMODE : std::uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2, D3DSHADE_PHONG = 3 };

enum class D3DBLEND : std::uint32_t {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
  D3DBLEND_BOTHSRCALPHA = 12,
  D3DBLEND_BOTHINVSRCALPHA = 13,
};

enum class D3DCULL : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum class D3DCMPFUNC : std::uint32_t {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

enum class D3DTEXTURESTAGESTATETYPE : std::uint32_t {
  D3DTSS_COLOROP = 1,
  D3DTSS_COLORARG1 = 2,
  D3DTSS_COLORARG2 = 3,
  D3DTSS_ALPHAOP = 4,
  D3DTSS_ALPHAARG1 = 5,
  D3DTSS_ALPHAARG2 = 6,
  D3DTSS_ADDRESS = 12,
  D3DTSS_ADDRESSU = 13,
  D3DTSS_ADDRESSV = 14,
  D3DTSS_MAGFILTER = 16,
  D3DTSS_MINFILTER = 17,
  D3DTSS_MIPFILTER = 18,
};

enum class D3DTEXTUREOP : std::uint32_t {
  D3DTOP_DISABLE = 1,
  D3DTOP_SELECTARG1 = 2,
  D3DTOP_SELECTARG2 = 3,
  D3DTOP_MODULATE = 4,
  D3DTOP_MODULATE2X = 5,
  D3DTOP_MODULATE4X = 6,
  D3DTOP_ADD = 7,
  D3DTOP_ADDSIGNED = 8,
  D3DTOP_ADDSIGNED2X = 9,
  D3DTOP_SUBTRACT = 10,
  D3DTOP_ADDSMOOTH = 11,
};

// Texture-stage arguments: a source in the low bits plus optional modifier flags.
inline constexpr std::uint32_t D3DTA_DIFFUSE = 0;
inline constexpr std::uint32_t D3DTA_CURRENT = 1;
inline constexpr std::uint32_t D3DTA_TEXTURE = 2;
inline constexpr std::uint32_t D3DTA_TFACTOR = 3;
inline constexpr std::uint32_t D3DTA_SPECULAR = 4;
inline constexpr std::uint32_t D3DTA_SELECTMASK = 0x0F;
inline constexpr std::uint32_t D3DTA_COMPLEMENT = 0x10;
inline constexpr std::uint32_t D3DTA_ALPHAREPLICATE = 0x20;

enum class D3DTEXTUREMAGFILTER : std::uint32_t {
  D3DTFG_POINT = 1,
  D3DTFG_LINEAR = 2,
  D3DTFG_FLATCUBIC = 3,
  D3DTFG_GAUSSIANCUBIC = 4,
  D3DTFG_ANISOTROPIC = 5,
};

enum class D3DTEXTUREMINFILTER : std::uint32_t { D3DTFN_POINT = 1, D3DTFN_LINEAR = 2, D3DTFN_ANISOTROPIC = 3 };

enum class D3DTEXTUREMIPFILTER : std::uint32_t { D3DTFP_NONE = 1, D3DTFP_POINT = 2, D3DTFP_LINEAR = 3 };

enum class D3DTEXTUREADDRESS : std::uint32_t {
  D3DTADDRESS_WRAP = 1,
  D3DTADDRESS_MIRROR = 2,
  D3DTADDRESS_CLAMP = 3,
  D3DTADDRESS_BORDER = 4,
};

inline constexpr std::uint32_t D3DCLEAR_TARGET = 1;
inline constexpr std::uint32_t D3DCLEAR_ZBUFFER = 2;
inline constexpr std::uint32_t D3DCLEAR_STENCIL = 4;

// What a device call answers. The device never throws for a refused call: it
// leaves its state unchanged and says why here, so a caller that goes on without
// looking at the answer must say why that is safe.
enum class [[nodiscard]] D3DRESULT : std::int32_t {
  D3D_OK = 0,
  D3DERR_INVALIDCALL,        // an argument out of range or unsupported
  D3DERR_SCENE_IN_SCENE,     // BeginScene while a scene is open
  D3DERR_SCENE_NOT_IN_SCENE, // EndScene or a draw without BeginScene
  D3DERR_INVALIDVERTEXFORMAT,
};

}  // namespace velorina
