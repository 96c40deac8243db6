#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/RenderError.h"

namespace velorina {
namespace {

TEST(Direct3DTexture2, RejectsSizesItCannotHold) {
  const std::vector<std::uint32_t> four(4, 0);
  EXPECT_THROW(TDirect3DTexture2(0, 4, {}), ERenderError);
  EXPECT_THROW(TDirect3DTexture2(2, 3, four), ERenderError);  // 4 texels for 6
  EXPECT_THROW(TDirect3DTexture2(TDirect3DTexture2::kMaxSide + 1, 1, four), ERenderError);
  EXPECT_NO_THROW(TDirect3DTexture2(2, 2, four));
}

TEST(Direct3DTexture2, EffectiveKeyPrefersTheSurfaceKeyOverTheTransparencySwitch) {
  const std::array<std::uint32_t, 4> texels{1, 2, 3, 4};
  TDirect3DTexture2 t(2, 2, texels);
  EXPECT_FALSE(t.effectiveColorKey());
  t.SetTransparentColor(0x00FF00FF);
  t.SetTransparent(true);
  EXPECT_EQ(t.effectiveColorKey(), 0x00FF00FFu);
  t.SetColorKey(0xFF000000);  // the alpha byte is no part of a key
  EXPECT_EQ(t.effectiveColorKey(), 0u);
  t.SetTransparent(false);
  EXPECT_EQ(t.effectiveColorKey(), 0u);  // the surface key stays after the switch goes off
  const auto before = t.revision();
  t.ClearColorKey();
  EXPECT_FALSE(t.effectiveColorKey());
  EXPECT_GT(t.revision(), before);
  EXPECT_EQ(t.TextureToBitmap(), std::vector<std::uint32_t>(texels.begin(), texels.end()));
  EXPECT_EQ(t.width(), 2u);
  EXPECT_EQ(t.height(), 2u);
}

}  // namespace
}  // namespace velorina
