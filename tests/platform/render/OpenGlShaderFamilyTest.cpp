// The OpenGL device's shader family against the software device: the same
// drawing on both, states the golden scenes leave out (every stage operation and
// argument modifier, keyed bilinear sampling of opaque and translucent pictures,
// differing minification and magnification filters, mirror and clamp
// addressing, every alpha test), and the bookkeeping around programs, texture
// bindings and the vertex stream. Needs an OpenGL 3.3 context; skips without one.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/render/DeviceSelection.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderTestSupport.h"
#include "platform/render/TestScene.h"
#include "platform/render/opengl/EglHeadlessContext.h"
#include "platform/render/opengl/GlProgram.h"
#include "platform/render/opengl/OpenGlDevice.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::Canvas;
using testing::expectOk;
using testing::vtx;
using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;
using enum D3DPRIMITIVETYPE;
using enum D3DTEXTUREOP;

std::unique_ptr<IDirect3DDevice7> makeOpenGl(std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
  std::string why;
  return makeHeadlessOpenGlDevice(w, h, depth, why);
}

// A texture whose colour and alpha vary over it, with one texel in five keyed
// (pure black) where `keyed` holds.
std::vector<std::uint32_t> gradientTexels(std::uint32_t side, bool keyed, bool translucent) {
  std::vector<std::uint32_t> t(std::size_t(side) * side);
  for (std::uint32_t y = 0; y < side; ++y) {
    for (std::uint32_t x = 0; x < side; ++x) {
      const std::uint32_t a = translucent ? 0x40 + (x * 0xBF) / (side - 1) : 0xFF;
      const std::uint32_t r = 0x20 + x * 0xD0 / side, g = 0x30 + y * 0xC0 / side, b = 0xE0 - (x + y) * 0x60 / side;
      const bool key = keyed && (x * 3 + y * 2) % 5 == 0;
      t[std::size_t(y) * side + x] = key ? 0xFF000000u : (a << 24 | r << 16 | g << 8 | b);
    }
  }
  return t;
}

class OpenGlShaderFamily : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!makeHeadlessOpenGlDevice(4, 4, DepthBuffer::Attached, why)) {
      GTEST_SKIP() << "no OpenGL 3.3 context can be made here: " << why;
    }
  }

  // Draws `scene` on both devices and expects 99.5 % of the pixels within 8
  // levels per channel of each other.
  void expectBothAgree(std::uint32_t w, std::uint32_t h, const std::function<void(Canvas&)>& scene) {
    Canvas software(w, h);
    Canvas opengl(w, h, DepthBuffer::Attached, makeOpenGl);
    for (Canvas* c : {&software, &opengl}) {
      c->clear(0xFF203040);
      expectOk(c->device.BeginScene());
      expectOk(c->device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
      scene(*c);
      expectOk(c->device.EndScene());
    }
    const auto a = software.pixels(), b = opengl.pixels();
    std::size_t close = 0;
    int worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      int d = 0;
      for (int shift = 0; shift < 24; shift += 8) d = std::max(d, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
      worst = std::max(worst, d);
      close += d <= 8;
    }
    EXPECT_GE(double(close) / double(a.size()), 0.995) << "worst difference " << worst;
  }
};

void quad(Canvas& c, D3DCOLOR topLeft, D3DCOLOR bottomRight, float u0, float u1, float v0, float v1,
          D3DCOLOR specular = 0) {
  c.draw(D3DPT_TRIANGLESTRIP,
         std::array{vtx(-1, 1, 0.5f, topLeft, u0, v0, specular), vtx(1, 1, 0.5f, 0xFF80FF40, u1, v0, specular),
                    vtx(-1, -1, 0.5f, 0x80FF4080, u0, v1, specular), vtx(1, -1, 0.5f, bottomRight, u1, v1, specular)});
}

TEST_F(OpenGlShaderFamily, EveryStageOperationAndArgumentModifierMatchesTheSoftwareDevice) {
  struct Stage {
    D3DTEXTUREOP op;
    std::uint32_t arg1, arg2;
  };
  const std::array<Stage, 16> stages{{
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_ADDSIGNED2X, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_ADDSMOOTH, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE},
      {D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_TFACTOR},
      {D3DTOP_MODULATE, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE | D3DTA_COMPLEMENT},
      {D3DTOP_ADD, D3DTA_SPECULAR, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE},
      {D3DTOP_SUBTRACT, D3DTA_TFACTOR | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE, D3DTA_SPECULAR},
      {D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE, D3DTA_TEXTURE},
  }};
  const auto texels = gradientTexels(8, false, true);
  TDirect3DTexture2 tex(8, 8, texels);
  expectBothAgree(128, 128, [&](Canvas& c) {
    expectOk(c.device.SetTexture(0, &tex));
    expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_TEXTUREFACTOR, 0xA0C06020u));
    // Blending makes the stage's alpha visible.
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_SRCALPHA)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_INVSRCALPHA)));
    for (std::uint32_t i = 0; i < stages.size(); ++i) {
      const Stage& s = stages[i];
      c.panel(i % 4, i / 4, 32);
      expectOk(c.device.SetTextureStageState(0, D3DTSS_COLOROP, d3dValue(s.op)));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_COLORARG1, s.arg1));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_COLORARG2, s.arg2));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_ALPHAOP, d3dValue(s.op == D3DTOP_DISABLE ? D3DTOP_MODULATE : s.op)));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_ALPHAARG1, s.arg1));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_ALPHAARG2, s.arg2));
      expectOk(c.device.SetRenderState(D3DRENDERSTATE_SPECULARENABLE, i % 3 == 0));
      expectOk(c.device.SetRenderState(D3DRENDERSTATE_SHADEMODE,
                                       d3dValue(i % 5 == 4 ? D3DSHADEMODE::D3DSHADE_FLAT : D3DSHADEMODE::D3DSHADE_GOURAUD)));
      quad(c, 0xFFFF2010u, 0x4010A0FFu, 0, 1, 0, 1, 0xFF402000u);
    }
  });
}

TEST_F(OpenGlShaderFamily, KeyedTexelsCarryNoWeightInBilinearSamplingOfOpaqueAndTranslucentPictures) {
  const auto opaque = gradientTexels(8, true, false), translucent = gradientTexels(8, true, true);
  TDirect3DTexture2 a(8, 8, opaque), b(8, 8, translucent);
  a.SetColorKey(0);
  b.SetColorKey(0);
  expectBothAgree(128, 64, [&](Canvas& c) {
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
    expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
    expectOk(c.device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_SRCALPHA)));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_INVSRCALPHA)));
    TDirect3DTexture2* textures[] = {&a, &b};
    for (std::uint32_t i = 0; i < 2; ++i) {
      c.panel(i, 0, 64);
      expectOk(c.device.SetTexture(0, textures[i]));
      quad(c, 0xFFFFFFFFu, 0xFFFFFFFFu, -0.25f, 1.25f, -0.25f, 1.25f);
    }
  });
}

TEST_F(OpenGlShaderFamily, DifferingFiltersPickTheMinificationFilterWhereTexelsOutnumberPixels) {
  const auto texels = gradientTexels(16, true, false);
  TDirect3DTexture2 tex(16, 16, texels);
  tex.SetColorKey(0);
  expectBothAgree(128, 64, [&](Canvas& c) {
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
    expectOk(c.device.SetTexture(0, &tex));
    const std::pair<D3DTEXTUREMINFILTER, D3DTEXTUREMAGFILTER> filters[] = {
        {D3DTEXTUREMINFILTER::D3DTFN_POINT, D3DTEXTUREMAGFILTER::D3DTFG_LINEAR},
        {D3DTEXTUREMINFILTER::D3DTFN_LINEAR, D3DTEXTUREMAGFILTER::D3DTFG_POINT}};
    for (std::uint32_t i = 0; i < 2; ++i) {
      expectOk(c.device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(filters[i].first)));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(filters[i].second)));
      // One batch: the left quad is magnified (16 texels on 32 pixels), the right
      // minified (80 texels on 32 pixels). Moved off the texel grid by a little,
      // so no sample ties at exactly half its weight keyed.
      c.panel(i, 0, 64);
      const float o = 0.013f;
      c.draw(D3DPT_TRIANGLELIST,
             std::array{vtx(-1, 1, 0.5f, 0xFFFFFFFF, o, o), vtx(0, 1, 0.5f, 0xFFFFFFFF, 1 + o, o),
                        vtx(-1, -1, 0.5f, 0xFFFFFFFF, o, 1 + o), vtx(0, 1, 0.5f, 0xFFFFFFFF, 1 + o, o),
                        vtx(0, -1, 0.5f, 0xFFFFFFFF, 1 + o, 1 + o), vtx(-1, -1, 0.5f, 0xFFFFFFFF, o, 1 + o),
                        vtx(0, 1, 0.5f, 0xFFFFFFFF, o, o), vtx(1, 1, 0.5f, 0xFFFFFFFF, 5 + o, o),
                        vtx(0, -1, 0.5f, 0xFFFFFFFF, o, 5 + o), vtx(1, 1, 0.5f, 0xFFFFFFFF, 5 + o, o),
                        vtx(1, -1, 0.5f, 0xFFFFFFFF, 5 + o, 5 + o), vtx(0, -1, 0.5f, 0xFFFFFFFF, o, 5 + o)});
    }
  });
}

TEST_F(OpenGlShaderFamily, MirrorClampAndBorderAddressingMatchTheSoftwareDevice) {
  const auto texels = gradientTexels(8, false, false);
  TDirect3DTexture2 tex(8, 8, texels);
  using enum D3DTEXTUREADDRESS;
  const std::pair<D3DTEXTUREADDRESS, D3DTEXTUREADDRESS> modes[] = {
      {D3DTADDRESS_MIRROR, D3DTADDRESS_CLAMP}, {D3DTADDRESS_CLAMP, D3DTADDRESS_MIRROR},
      {D3DTADDRESS_BORDER, D3DTADDRESS_WRAP}, {D3DTADDRESS_WRAP, D3DTADDRESS_MIRROR}};
  expectBothAgree(128, 128, [&](Canvas& c) {
    expectOk(c.device.SetTexture(0, &tex));
    for (std::uint32_t i = 0; i < 4; ++i) {
      c.panel(i % 2, i / 2, 64);
      expectOk(c.device.SetTextureStageState(0, D3DTSS_ADDRESSU, d3dValue(modes[i].first)));
      expectOk(c.device.SetTextureStageState(0, D3DTSS_ADDRESSV, d3dValue(modes[i].second)));
      const auto filter = i < 2 ? D3DTEXTUREMAGFILTER::D3DTFG_LINEAR : D3DTEXTUREMAGFILTER::D3DTFG_POINT;
      expectOk(c.device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(filter)));
      quad(c, 0xFFFFFFFFu, 0xFFFFFFFFu, -1.5f, 2.5f, -1.25f, 2.25f);
    }
  });
}

TEST_F(OpenGlShaderFamily, EveryAlphaTestFunctionMatchesTheSoftwareDevice) {
  expectBothAgree(128, 64, [&](Canvas& c) {
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, 1));
    expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHAREF, 0x80));
    expectOk(c.device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE));
    for (std::uint32_t f = 1; f <= 8; ++f) {
      c.panel(f - 1, 0, 16);  // panels along the top row
      expectOk(c.device.SetRenderState(D3DRENDERSTATE_ALPHAFUNC, f));
      // Alpha runs 0 .. 255 down the panel, so each function keeps its own rows.
      c.draw(D3DPT_TRIANGLESTRIP, std::array{vtx(-1, 1, 0.5f, 0x00FF8040u), vtx(1, 1, 0.5f, 0x00FF8040u),
                                             vtx(-1, -1, 0.5f, 0xFF40C0FFu), vtx(1, -1, 0.5f, 0xFF40C0FFu)});
    }
  });
}

// Every member of the family the device can ask for builds: each operation with
// modifiers on both arguments, each alpha test, each texturing and keying with
// flat shading, specular and coordinate reduction.
TEST(OpenGlShaderFamilyBuild, EveryKindOfProgramCompilesAndLinks) {
  std::string why;
  const auto context = EglHeadlessContext::create(why);
  if (!context) GTEST_SKIP() << "no OpenGL 3.3 context can be made here: " << why;
  std::vector<GlShaderKey> keys;
  for (std::uint32_t op = 1; op <= 11; ++op) {
    GlShaderKey k;
    k.texturing = GlTexturing::Sampled;
    k.colorOp = k.alphaOp = D3DTEXTUREOP(op);
    k.colorArg1 = D3DTA_TEXTURE | D3DTA_COMPLEMENT;
    k.colorArg2 = D3DTA_SPECULAR | D3DTA_ALPHAREPLICATE;
    k.alphaArg1 = D3DTA_TFACTOR | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE;
    k.alphaArg2 = D3DTA_CURRENT;
    keys.push_back(k);
  }
  for (std::uint32_t f = 1; f <= 8; ++f) {
    GlShaderKey k;
    k.alphaFunc = D3DCMPFUNC(f);
    keys.push_back(k);
  }
  for (const GlTexturing t : {GlTexturing::None, GlTexturing::Sampled, GlTexturing::Split}) {
    for (const GlKeying keying : {GlKeying::None, GlKeying::InAlpha, GlKeying::InMask}) {
      GlShaderKey k;
      k.texturing = t;
      k.keying = t == GlTexturing::None ? GlKeying::None : keying;
      k.colorOp = D3DTOP_MODULATE;
      k.colorArg1 = D3DTA_TEXTURE;
      k.colorArg2 = D3DTA_DIFFUSE;
      k.alphaOp = D3DTOP_SELECTARG1;
      k.alphaArg1 = D3DTA_TEXTURE;
      k.specular = k.flatShading = k.reduceCoordinates = k.depthFixUp = keying == GlKeying::InAlpha;
      keys.push_back(k);
    }
  }
  for (const GlShaderKey& k : keys) {
    EXPECT_NO_THROW(GlProgram{k}) << "colour op " << int(k.colorOp) << ", alpha test " << int(k.alphaFunc)
                                  << ", texturing " << int(k.texturing) << ", keying " << int(k.keying);
  }
}

class OpenGlDeviceBookkeeping : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    context_ = EglHeadlessContext::create(why);
    if (!context_) GTEST_SKIP() << "no OpenGL 3.3 context can be made here: " << why;
    device_ = std::make_unique<OpenGlDevice>(*context_, nullptr, 16, 16, DepthBuffer::Attached, false);
    expectOk(device_->SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
    expectOk(device_->Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
  }
  void whole(D3DCOLOR color = 0xFFFFFFFFu) {
    const std::array v{vtx(-1, 1, 0.5f, color, 0, 0), vtx(1, 1, 0.5f, color, 1, 0), vtx(-1, -1, 0.5f, color, 0, 1),
                       vtx(1, -1, 0.5f, color, 1, 1)};
    expectOk(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, v, 4, 0));
  }
  std::uint32_t centre() {
    std::vector<std::uint32_t> px(256);
    expectOk(device_->ReadRenderTarget(px));
    return px[8 * 16 + 8];
  }

  std::unique_ptr<EglHeadlessContext> context_;
  std::unique_ptr<OpenGlDevice> device_;
};

TEST_F(OpenGlDeviceBookkeeping, ANewKeyTakesEffectAndIsUploadedOnceWhileKeyingIsOn) {
  const std::vector<std::uint32_t> red(4, 0xFFFF0000u);
  TDirect3DTexture2 texture(2, 2, red);
  expectOk(device_->SetTexture(0, &texture));
  expectOk(device_->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  texture.SetColorKey(0x0000FF);
  for (int frame = 0; frame < 2; ++frame) {
    expectOk(device_->BeginScene());
    whole();
    expectOk(device_->EndScene());
  }
  EXPECT_EQ(centre(), 0xFFFF0000u);
  EXPECT_EQ(device_->textureUploads(), 1u);
  // Now every texel is keyed: nothing may be drawn over the green.
  texture.SetColorKey(0xFF0000);
  expectOk(device_->Clear({}, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0));
  expectOk(device_->BeginScene());
  whole();
  expectOk(device_->EndScene());
  EXPECT_EQ(centre(), 0xFF00FF00u);
  EXPECT_EQ(device_->textureUploads(), 2u);
}

TEST_F(OpenGlDeviceBookkeeping, ATextureMadeAfterAnotherWentAwayIsBoundAfresh) {
  // OpenGL hands out a deleted texture's name again: the device must not take
  // the new texture for the one it had bound.
  {
    const std::vector<std::uint32_t> red(4, 0xFFFF0000u);
    TDirect3DTexture2 first(2, 2, red);
    expectOk(device_->SetTexture(0, &first));
    expectOk(device_->BeginScene());
    whole();
    expectOk(device_->EndScene());
  }
  const std::vector<std::uint32_t> blue(4, 0xFF0000FFu);
  TDirect3DTexture2 second(2, 2, blue);
  expectOk(device_->SetTexture(0, &second));
  expectOk(device_->BeginScene());
  whole();
  expectOk(device_->EndScene());
  EXPECT_EQ(centre(), 0xFF0000FFu);
}

TEST_F(OpenGlDeviceBookkeeping, TexturesOfOneSizeShareAnArraySoTheirDrawsBatch) {
  // Sixteen textures of one size, one column each: the array grows while the
  // first frame places them (its pictures written again), after that a frame is
  // one OpenGL draw.
  std::vector<std::unique_ptr<TDirect3DTexture2>> textures;
  for (std::uint32_t i = 0; i < 16; ++i) {
    textures.push_back(std::make_unique<TDirect3DTexture2>(4, 2, std::vector<std::uint32_t>(8, 0xFF000000u | i * 0x0F0F10u)));
  }
  auto frame = [&] {
    expectOk(device_->BeginScene());
    for (std::uint32_t i = 0; i < 16; ++i) {
      const float x0 = -1.0f + float(i) / 8.0f, x1 = x0 + 1.0f / 8.0f;
      expectOk(device_->SetTexture(0, textures[i].get()));
      const std::array v{vtx(x0, 1, 0.5f, 0xFFFFFFFFu, 0, 0), vtx(x1, 1, 0.5f, 0xFFFFFFFFu, 1, 0),
                         vtx(x0, -1, 0.5f, 0xFFFFFFFFu, 0, 1), vtx(x1, -1, 0.5f, 0xFFFFFFFFu, 1, 1)};
      expectOk(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, v, 4, 0));
    }
    expectOk(device_->EndScene());
    std::vector<std::uint32_t> px(256);
    expectOk(device_->ReadRenderTarget(px));
    for (std::uint32_t i = 0; i < 16; ++i) EXPECT_EQ(px[8 * 16 + i], 0xFF000000u | i * 0x0F0F10u) << "column " << i;
  };
  frame();
  const std::uint64_t draws = device_->glDraws();
  frame();
  EXPECT_EQ(device_->glDraws() - draws, 1u);
  EXPECT_EQ(device_->textureUploads(), 16u);
}

TEST_F(OpenGlDeviceBookkeeping, BatchesBeyondTheStreamBuffersRoomAreDrawnWhole) {
  // Sixteen batches of 100,002 vertices (3.2 MB each) pass the stream buffer's
  // end several times; each batch paints one column, the rest of it degenerate.
  expectOk(device_->BeginScene());
  std::vector<D3DLVERTEX> v(100002, vtx(0, 0, 0.5f, 0));
  for (int column = 0; column < 16; ++column) {
    const float x0 = -1.0f + float(column) / 8.0f, x1 = x0 + 1.0f / 8.0f;
    const D3DCOLOR color = 0xFF000000u | std::uint32_t(column * 16) << 16 | 0x80;
    v[0] = vtx(x0, 1, 0.5f, color);
    v[1] = vtx(x1, 1, 0.5f, color);
    v[2] = vtx(x0, -1, 0.5f, color);
    v[3] = vtx(x1, 1, 0.5f, color);
    v[4] = vtx(x1, -1, 0.5f, color);
    v[5] = vtx(x0, -1, 0.5f, color);
    // A state change per batch: the alpha reference is unused but keeps the batches apart.
    expectOk(device_->SetRenderState(D3DRENDERSTATE_ALPHAREF, std::uint32_t(column)));
    expectOk(device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, v, std::uint32_t(v.size()), 0));
  }
  expectOk(device_->EndScene());
  EXPECT_EQ(device_->glDraws(), 16u);
  std::vector<std::uint32_t> px(256);
  expectOk(device_->ReadRenderTarget(px));
  for (std::uint32_t column = 0; column < 16; ++column) {
    EXPECT_EQ(px[4 * 16 + column], 0xFF000000u | (column * 16) << 16 | 0x80) << "column " << column;
  }
}

}  // namespace
}  // namespace velorina
