// The raw device states and their decoded form, for every device.

#include <gtest/gtest.h>

#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderStateBlock.h"
#include "platform/render/RenderTestSupport.h"

namespace velorina {
namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

void set(RenderStateBlock& b, D3DRENDERSTATETYPE s, std::uint32_t v) {
  ASSERT_EQ(b.setRenderState(s, v), D3DRESULT::D3D_OK);
}
void setStage(RenderStateBlock& b, D3DTEXTURESTAGESTATETYPE s, std::uint32_t v) {
  ASSERT_EQ(b.setStageState(0, s, v), D3DRESULT::D3D_OK);
}

TEST(RenderStateBlock, StartsAtTheDeviceDefaultsInBothForms) {
  const RenderStateBlock withDepth(true), withoutDepth(false);
  RenderStates expected;
  EXPECT_EQ(withDepth.states(), expected);
  expected.depthEnable = false;
  EXPECT_EQ(withoutDepth.states(), expected);
  EXPECT_EQ(withDepth.renderState(D3DRENDERSTATE_ZENABLE), 1u);
  EXPECT_EQ(withoutDepth.renderState(D3DRENDERSTATE_ZENABLE), 0u);
  EXPECT_EQ(withDepth.renderState(D3DRENDERSTATE_CULLMODE), d3dValue(D3DCULL::D3DCULL_CCW));
  EXPECT_EQ(withDepth.renderState(D3DRENDERSTATE_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(withDepth.stageState(0, D3DTSS_COLOROP), d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE));
  EXPECT_EQ(withDepth.stageState(0, D3DTSS_ALPHAOP), d3dValue(D3DTEXTUREOP::D3DTOP_SELECTARG1));
  EXPECT_EQ(withDepth.stageState(0, D3DTSS_ADDRESSV), d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_WRAP));
}

TEST(RenderStateBlock, ValuesOutsideThePublishedSetAreKeptButDecodeToFallbacks) {
  RenderStateBlock b(true);
  set(b, D3DRENDERSTATE_SRCBLEND, 0);
  set(b, D3DRENDERSTATE_DESTBLEND, 14);
  set(b, D3DRENDERSTATE_CULLMODE, 0xFFFFFFFFu);  // a stored -1
  set(b, D3DRENDERSTATE_ZFUNC, 99);
  set(b, D3DRENDERSTATE_FILLMODE, 0);
  set(b, D3DRENDERSTATE_ALPHAREF, 0x1FF);
  setStage(b, D3DTSS_COLOROP, 0);
  setStage(b, D3DTSS_ADDRESSU, 7);
  setStage(b, D3DTSS_MAGFILTER, 3);  // flat cubic samples bilinearly
  setStage(b, D3DTSS_MINFILTER, 9);
  EXPECT_EQ(b.renderState(D3DRENDERSTATE_CULLMODE), 0xFFFFFFFFu);
  EXPECT_EQ(b.stageState(0, D3DTSS_MINFILTER), 9u);
  const RenderStates& s = b.states();
  EXPECT_EQ(s.srcBlend, D3DBLEND::D3DBLEND_ONE);
  EXPECT_EQ(s.destBlend, D3DBLEND::D3DBLEND_ZERO);
  EXPECT_EQ(s.cull, D3DCULL::D3DCULL_NONE);
  EXPECT_EQ(s.depthFunc, D3DCMPFUNC::D3DCMP_LESSEQUAL);
  EXPECT_EQ(s.fill, D3DFILLMODE::D3DFILL_SOLID);
  EXPECT_EQ(s.alphaRef, 0xFFu);
  EXPECT_EQ(s.color.op, D3DTEXTUREOP::D3DTOP_DISABLE);
  EXPECT_EQ(s.addressU, D3DTEXTUREADDRESS::D3DTADDRESS_WRAP);
  EXPECT_EQ(s.magFilter, TextureFilter::Bilinear);
  EXPECT_EQ(s.minFilter, TextureFilter::Point);
}

TEST(RenderStateBlock, AddressAliasAndDisabledColourStage) {
  RenderStateBlock b(true);
  setStage(b, D3DTSS_ADDRESS, d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP));
  EXPECT_EQ(b.stageState(0, D3DTSS_ADDRESSU), d3dValue(D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP));
  EXPECT_EQ(b.states().addressV, D3DTEXTUREADDRESS::D3DTADDRESS_CLAMP);

  setStage(b, D3DTSS_ALPHAOP, d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE));
  setStage(b, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_DISABLE));
  EXPECT_EQ(b.states().alpha.op, D3DTEXTUREOP::D3DTOP_DISABLE);
  EXPECT_FALSE(b.states().readsTexture());
  EXPECT_EQ(b.stageState(0, D3DTSS_ALPHAOP), d3dValue(D3DTEXTUREOP::D3DTOP_MODULATE));  // raw value kept
  setStage(b, D3DTSS_COLOROP, d3dValue(D3DTEXTUREOP::D3DTOP_SELECTARG2));
  EXPECT_EQ(b.states().alpha.op, D3DTEXTUREOP::D3DTOP_MODULATE);
  setStage(b, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  setStage(b, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  setStage(b, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE | D3DTA_COMPLEMENT);
  // Colour arg1 still names the texture: the texture is sampled and keyed.
  EXPECT_TRUE(b.states().readsTexture());
  setStage(b, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  EXPECT_FALSE(b.states().readsTexture());
}

TEST(RenderStateBlock, RefusedCallsChangeNothing) {
  RenderStateBlock b(true);
  const auto before = b.changes();
  EXPECT_EQ(b.setRenderState(static_cast<D3DRENDERSTATETYPE>(RenderStateBlock::kRenderStateCount), 1),
            D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(b.setStageState(1, D3DTSS_COLOROP, 1), D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(b.setStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(RenderStateBlock::kStageStateCount), 1),
            D3DRESULT::D3DERR_INVALIDCALL);
  EXPECT_EQ(b.changes(), before);
  EXPECT_EQ(b.states(), RenderStates{});
  set(b, D3DRENDERSTATE_ALPHABLENDENABLE, 1);
  EXPECT_GT(b.changes(), before);
  b.reset();
  EXPECT_EQ(b.states(), RenderStates{});
  EXPECT_EQ(b.renderState(D3DRENDERSTATE_ALPHABLENDENABLE), 0u);
}

struct Watcher final : ITextureObserver {
  std::vector<std::uint64_t> gone;
  std::vector<std::uint64_t> changing;
  void textureGone(const TDirect3DTexture2& t) override { gone.push_back(t.identity()); }
  void pictureChanging(const TDirect3DTexture2& t) override { changing.push_back(t.identity()); }
};

TEST(TextureIdentity, CopiesAreNewTexturesAndWatchersHearOfTheEnd) {
  const std::vector<std::uint32_t> texels(4, 0xFF808080u);
  Watcher w;
  std::uint64_t id = 0;
  {
    TDirect3DTexture2 a(2, 2, texels);
    a.watch(&w);
    a.watch(&w);  // once only
    const TDirect3DTexture2 b(a);
    EXPECT_NE(a.identity(), b.identity());
    id = a.identity();
  }
  EXPECT_EQ(w.gone, std::vector<std::uint64_t>{id});  // the copy had no watcher
  {
    TDirect3DTexture2 c(2, 2, texels);
    c.watch(&w);
    c.unwatch(&w);
  }
  EXPECT_EQ(w.gone.size(), 1u);
}

TEST(TextureIdentity, ATextureDestroyedWhileBoundIsUnboundFromTheSoftwareDevice) {
  using testing::vtx;
  testing::Canvas c(4, 4);
  c.clear(0xFF000000);
  {
    const std::vector<std::uint32_t> red(4, 0xFFFF0000u);
    TDirect3DTexture2 tex(2, 2, red);
    testing::expectOk(c.device.SetTexture(0, &tex));
  }
  // Drawing now reads no freed memory and shows the vertex colour (no texture).
  testing::expectOk(c.device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
  testing::expectOk(c.device.BeginScene());
  c.draw(D3DPRIMITIVETYPE::D3DPT_TRIANGLESTRIP, std::array{vtx(-1, 1, 0.5f, 0xFF00FF00), vtx(1, 1, 0.5f, 0xFF00FF00),
                                                           vtx(-1, -1, 0.5f, 0xFF00FF00), vtx(1, -1, 0.5f, 0xFF00FF00)});
  testing::expectOk(c.device.EndScene());
  EXPECT_EQ(c.pixel(2, 2), 0xFF00FF00u);
}

}  // namespace
}  // namespace velorina
