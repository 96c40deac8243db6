#include "platform/render/RenderStateBlock.h"

namespace velorina {

namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

template <class E>
E decode(std::uint32_t value, E low, E high, E fallback) {
  return (value >= d3dValue(low) && value <= d3dValue(high)) ? static_cast<E>(value) : fallback;
}

D3DCMPFUNC decodeCompare(std::uint32_t v, D3DCMPFUNC fallback) {
  return decode(v, D3DCMPFUNC::D3DCMP_NEVER, D3DCMPFUNC::D3DCMP_ALWAYS, fallback);
}

D3DBLEND decodeBlend(std::uint32_t v, D3DBLEND fallback) {
  return decode(v, D3DBLEND::D3DBLEND_ZERO, D3DBLEND::D3DBLEND_BOTHINVSRCALPHA, fallback);
}

D3DTEXTUREOP decodeOp(std::uint32_t v) {
  return decode(v, D3DTEXTUREOP::D3DTOP_DISABLE, D3DTEXTUREOP::D3DTOP_ADDSMOOTH, D3DTEXTUREOP::D3DTOP_DISABLE);
}

D3DTEXTUREADDRESS decodeAddress(std::uint32_t v) {
  return decode(v, D3DTEXTUREADDRESS::D3DTADDRESS_WRAP, D3DTEXTUREADDRESS::D3DTADDRESS_BORDER,
                D3DTEXTUREADDRESS::D3DTADDRESS_WRAP);
}

// LINEAR and above (up to the highest magnification filter) sample bilinearly.
TextureFilter decodeFilter(std::uint32_t v) { return (v >= 2 && v <= 5) ? TextureFilter::Bilinear : TextureFilter::Point; }

D3DCULL decodeCull(std::uint32_t v) { return decode(v, D3DCULL::D3DCULL_NONE, D3DCULL::D3DCULL_CCW, D3DCULL::D3DCULL_NONE); }

bool readsTextureArg(std::uint32_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

}  // namespace

// Both arguments count, whichever the operation selects: a texture bound to the
// stage is sampled (and its colour key honoured) as long as the stage names it.
bool StageOperation::readsTexture() const {
  return op != D3DTEXTUREOP::D3DTOP_DISABLE && (readsTextureArg(arg1) || readsTextureArg(arg2));
}

RenderStateBlock::RenderStateBlock(bool depthBuffer) : depthBuffer_(depthBuffer) { reset(); }

void RenderStateBlock::reset() {
  render_.fill(0);
  stage_.fill(0);
  auto set = [this](D3DRENDERSTATETYPE s, std::uint32_t v) { render_[d3dValue(s)] = v; };
  set(D3DRENDERSTATE_ANTIALIAS, d3dValue(D3DANTIALIASMODE::D3DANTIALIAS_NONE));
  set(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  set(D3DRENDERSTATE_ZENABLE, depthBuffer_ ? 1 : 0);
  set(D3DRENDERSTATE_FILLMODE, d3dValue(D3DFILLMODE::D3DFILL_SOLID));
  set(D3DRENDERSTATE_SHADEMODE, d3dValue(D3DSHADEMODE::D3DSHADE_GOURAUD));
  set(D3DRENDERSTATE_ZWRITEENABLE, 1);
  set(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE));
  set(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_ZERO));
  set(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW));
  set(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL));
  set(D3DRENDERSTATE_ALPHAFUNC, d3dValue(D3DCMPFUNC::D3DCMP_ALWAYS));
  set(D3DRENDERSTATE_TEXTUREFACTOR, 0xFFFFFFFFu);
  set(D3DRENDERSTATE_CLIPPING, 1);
  set(D3DRENDERSTATE_LIGHTING, 1);

  auto tss = [this](D3DTEXTURESTAGESTATETYPE s, std::uint32_t v) { stage_[d3dValue(s)] = v; };
  tss(D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE));
  tss(D3DTSS_COLORARG1, D3DTA_TEXTURE);
  tss(D3DTSS_COLORARG2, D3DTA_CURRENT);
  tss(D3DTSS_ALPHAOP, d3dValue(D3DTEXTUREOP::D3DTOP_SELECTARG1));
  tss(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  tss(D3DTSS_ALPHAARG2, D3DTA_CURRENT);
  tss(D3DTSS_ADDRESS, d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_WRAP));
  tss(D3DTSS_ADDRESSU, d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_WRAP));
  tss(D3DTSS_ADDRESSV, d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_WRAP));
  tss(D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_POINT));
  tss(D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_POINT));
  tss(D3DTSS_MIPFILTER, d3dValue(D3DTEXTUREMIPFILTER::D3DTFP_NONE));

  states_ = RenderStates{};
  states_.depthEnable = depthBuffer_;
  ++changes_;
}

D3DRESULT RenderStateBlock::setRenderState(D3DRENDERSTATETYPE state, std::uint32_t value) {
  const auto index = d3dValue(state);
  if (index >= kRenderStateCount) return D3DRESULT::D3DERR_INVALIDCALL;
  if (render_[index] == value) return D3DRESULT::D3D_OK;
  render_[index] = value;
  decodeRenderState(state, value);
  ++changes_;
  return D3DRESULT::D3D_OK;
}

std::uint32_t RenderStateBlock::renderState(D3DRENDERSTATETYPE state) const {
  const auto index = d3dValue(state);
  return index < kRenderStateCount ? render_[index] : 0;
}

D3DRESULT RenderStateBlock::setStageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state, std::uint32_t value) {
  const auto index = d3dValue(state);
  if (stage != 0 || index >= kStageStateCount) return D3DRESULT::D3DERR_INVALIDCALL;
  stage_[index] = value;
  if (state == D3DTSS_ADDRESS) {
    stage_[d3dValue(D3DTSS_ADDRESSU)] = value;
    stage_[d3dValue(D3DTSS_ADDRESSV)] = value;
  }
  decodeStageState(state, value);
  ++changes_;
  return D3DRESULT::D3D_OK;
}

std::uint32_t RenderStateBlock::stageState(std::uint32_t stage, D3DTEXTURESTAGESTATETYPE state) const {
  const auto index = d3dValue(state);
  return (stage == 0 && index < kStageStateCount) ? stage_[index] : 0;
}

void RenderStateBlock::decodeRenderState(D3DRENDERSTATETYPE state, std::uint32_t v) {
  RenderStates& s = states_;
  switch (state) {
    case D3DRENDERSTATE_ANTIALIAS:
      s.antialias = decode(v, D3DANTIALIASMODE::D3DANTIALIAS_NONE, D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT,
                           D3DANTIALIASMODE::D3DANTIALIAS_NONE);
      break;
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE: s.perspective = v != 0; break;
    case D3DRENDERSTATE_ZENABLE: s.depthEnable = v != 0; break;
    case D3DRENDERSTATE_FILLMODE:
      s.fill = decode(v, D3DFILLMODE::D3DFILL_POINT, D3DFILLMODE::D3DFILL_SOLID, D3DFILLMODE::D3DFILL_SOLID);
      break;
    case D3DRENDERSTATE_SHADEMODE:
      s.shade = decode(v, D3DSHADEMODE::D3DSHADE_FLAT, D3DSHADEMODE::D3DSHADE_PHONG, D3DSHADEMODE::D3DSHADE_GOURAUD);
      break;
    case D3DRENDERSTATE_ZWRITEENABLE: s.depthWrite = v != 0; break;
    case D3DRENDERSTATE_ALPHATESTENABLE: s.alphaTest = v != 0; break;
    case D3DRENDERSTATE_SRCBLEND: s.srcBlend = decodeBlend(v, D3DBLEND::D3DBLEND_ONE); break;
    case D3DRENDERSTATE_DESTBLEND: s.destBlend = decodeBlend(v, D3DBLEND::D3DBLEND_ZERO); break;
    case D3DRENDERSTATE_CULLMODE: s.cull = decodeCull(v); break;
    case D3DRENDERSTATE_ZFUNC: s.depthFunc = decodeCompare(v, D3DCMPFUNC::D3DCMP_LESSEQUAL); break;
    case D3DRENDERSTATE_ALPHAREF: s.alphaRef = v & 0xFF; break;
    case D3DRENDERSTATE_ALPHAFUNC: s.alphaFunc = decodeCompare(v, D3DCMPFUNC::D3DCMP_ALWAYS); break;
    case D3DRENDERSTATE_ALPHABLENDENABLE: s.blend = v != 0; break;
    case D3DRENDERSTATE_SPECULARENABLE: s.specular = v != 0; break;
    case D3DRENDERSTATE_COLORKEYENABLE: s.colorKey = v != 0; break;
    case D3DRENDERSTATE_TEXTUREFACTOR: s.textureFactor = v; break;
    default: break;  // kept for the callers; no effect on drawing
  }
}

void RenderStateBlock::decodeStageState(D3DTEXTURESTAGESTATETYPE state, std::uint32_t v) {
  RenderStates& s = states_;
  switch (state) {
    case D3DTSS_COLOROP: s.color.op = decodeOp(v); break;
    case D3DTSS_COLORARG1: s.color.arg1 = v; break;
    case D3DTSS_COLORARG2: s.color.arg2 = v; break;
    case D3DTSS_ADDRESS:
      s.addressU = s.addressV = decodeAddress(v);
      break;
    case D3DTSS_ADDRESSU: s.addressU = decodeAddress(v); break;
    case D3DTSS_ADDRESSV: s.addressV = decodeAddress(v); break;
    case D3DTSS_MAGFILTER: s.magFilter = decodeFilter(v); break;
    case D3DTSS_MINFILTER: s.minFilter = decodeFilter(v); break;
    default: break;
  }
  decodeAlpha();
}

void RenderStateBlock::decodeAlpha() {
  StageOperation& a = states_.alpha;
  a.arg1 = stage_[d3dValue(D3DTSS_ALPHAARG1)];
  a.arg2 = stage_[d3dValue(D3DTSS_ALPHAARG2)];
  a.op = states_.color.op == D3DTEXTUREOP::D3DTOP_DISABLE ? D3DTEXTUREOP::D3DTOP_DISABLE
                                                           : decodeOp(stage_[d3dValue(D3DTSS_ALPHAOP)]);
}

}  // namespace velorina
