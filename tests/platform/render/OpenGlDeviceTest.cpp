// What the OpenGL device does beyond the pictures: batching, the texture cache,
// presenting, device selection. Needs an OpenGL 3.3 context (Mesa's surfaceless
// EGL with llvmpipe is enough); where none can be made the tests say so and skip.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/render/DeviceSelection.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderTestSupport.h"
#include "platform/render/opengl/EglHeadlessContext.h"
#include "platform/render/opengl/OpenGlDevice.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;
using testing::vtx;
using enum D3DRENDERSTATETYPE;
using enum D3DPRIMITIVETYPE;

struct FrameSink final : IRenderSurface {
  std::vector<std::uint32_t> last;
  int frames = 0;
  void present(std::span<const std::uint32_t> frame) override {
    last.assign(frame.begin(), frame.end());
    ++frames;
  }
};

class OpenGlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    context_ = EglHeadlessContext::create(why);
    if (!context_) GTEST_SKIP() << "no OpenGL 3.3 context can be made here: " << why;
    device_ = std::make_unique<OpenGlDevice>(*context_, &sink_, 8, 8, DepthBuffer::Attached, false);
    expectOk(device_->SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_NONE)));
    expectOk(device_->Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
  }
  void quad(float x0, float x1, D3DCOLOR color) {
    const std::array v{vtx(x0, 1, 0.5f, color, 0, 0), vtx(x1, 1, 0.5f, color, 1, 0), vtx(x0, -1, 0.5f, color, 0, 1),
                       vtx(x1, -1, 0.5f, color, 1, 1)};
    expectOk(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_LVERTEX, v, 4, 0));
  }
  std::vector<std::uint32_t> pixels() {
    std::vector<std::uint32_t> px(64);
    expectOk(device_->ReadRenderTarget(px));
    return px;
  }

  std::unique_ptr<EglHeadlessContext> context_;
  FrameSink sink_;
  std::unique_ptr<OpenGlDevice> device_;
};

TEST_F(OpenGlDeviceTest, DrawsWithUnchangedStateBecomeOneOpenGlDraw) {
  expectOk(device_->BeginScene());
  quad(-1, 0, 0xFFFF0000u);
  quad(0, 1, 0xFF00FF00u);  // same state, other vertices: joins the batch
  expectOk(device_->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1));
  expectOk(device_->SetRenderState(D3DRENDERSTATE_SRCBLEND, d3dValue(D3DBLEND::D3DBLEND_ZERO)));
  expectOk(device_->SetRenderState(D3DRENDERSTATE_DESTBLEND, d3dValue(D3DBLEND::D3DBLEND_ONE)));
  quad(-1, 1, 0xFF0000FFu);  // a new state: a second draw, which leaves the picture alone
  expectOk(device_->EndScene());
  EXPECT_EQ(device_->glDraws(), 2u);
  const auto px = pixels();
  EXPECT_EQ(px[3 * 8 + 1], 0xFFFF0000u);
  EXPECT_EQ(px[3 * 8 + 6], 0xFF00FF00u);
}

TEST_F(OpenGlDeviceTest, TexturesUploadOnceAndAgainOnlyForANewPicture) {
  const std::vector<std::uint32_t> red(4, 0xFFFF0000u), blue(4, 0xFF0000FFu);
  TDirect3DTexture2 texture(2, 2, red);
  expectOk(device_->SetTexture(0, &texture));
  for (int frame = 0; frame < 3; ++frame) {
    expectOk(device_->BeginScene());
    quad(-1, 1, 0xFFFFFFFFu);
    expectOk(device_->EndScene());
    texture.SetColorKey(0x123456);  // keying is off: a new key uploads nothing
  }
  EXPECT_EQ(device_->textureUploads(), 1u);
  texture.ReplacePicture(TDirect3DTexture2(2, 2, blue));
  expectOk(device_->BeginScene());
  quad(-1, 1, 0xFFFFFFFFu);
  expectOk(device_->EndScene());
  EXPECT_EQ(device_->textureUploads(), 2u);
  EXPECT_EQ(pixels()[27], 0xFF0000FFu);
}

TEST_F(OpenGlDeviceTest, ATextureDestroyedWithDrawsPendingIsDrawnFirstThenForgotten) {
  {
    const std::vector<std::uint32_t> red(4, 0xFFFF0000u);
    TDirect3DTexture2 texture(2, 2, red);
    expectOk(device_->SetTexture(0, &texture));
    expectOk(device_->BeginScene());
    quad(-1, 1, 0xFFFFFFFFu);  // still batched when the texture goes
  }
  quad(-1, 0, 0xFF00FF00u);  // unbound now: the vertex colour
  expectOk(device_->EndScene());
  const auto px = pixels();
  EXPECT_EQ(px[3 * 8 + 1], 0xFF00FF00u);
  EXPECT_EQ(px[3 * 8 + 6], 0xFFFF0000u);
}

TEST_F(OpenGlDeviceTest, PresentHandsASurfaceWithoutAWindowThePicture) {
  expectOk(device_->BeginScene());
  EXPECT_EQ(device_->Present(), D3DRESULT::D3DERR_INVALIDCALL);  // not inside a scene
  quad(-1, 1, 0xFF336699u);
  expectOk(device_->EndScene());
  device_->invalidateStateCache();
  expectOk(device_->Present());
  ASSERT_EQ(sink_.frames, 1);
  ASSERT_EQ(sink_.last.size(), 64u);
  EXPECT_EQ(sink_.last[10], 0xFF336699u);
}

TEST(DeviceSelection, KindsParseAndSoftwareIsAlwaysThere) {
  EXPECT_EQ(parseDeviceKind("auto"), DeviceKind::Automatic);
  EXPECT_EQ(parseDeviceKind("gl"), DeviceKind::OpenGl);
  EXPECT_EQ(parseDeviceKind("software"), DeviceKind::Software);
  EXPECT_FALSE(parseDeviceKind("GL").has_value());
  EXPECT_FALSE(parseDeviceKind("").has_value());
  FrameSink sink;
  DeviceReport report;
  const auto software = makeDevice(DeviceKind::Software, sink, 4, 4, DepthBuffer::None, &report);
  EXPECT_EQ(report.made, DeviceKind::Software);
  EXPECT_FALSE(software->HasDepthBuffer());
  // Automatic always gives a device: OpenGL where a context can be made.
  const auto automatic = makeDevice(DeviceKind::Automatic, sink, 4, 4, DepthBuffer::Attached, &report);
  ASSERT_NE(automatic, nullptr);
  EXPECT_FALSE(report.description.empty());
  expectOk(automatic->Present());
  EXPECT_EQ(sink.frames, 1);
}

}  // namespace
}  // namespace velorina
