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
  EXPECT_EQ(t.width(), 2u);
  EXPECT_EQ(t.height(), 2u);
}

TEST(Direct3DTexture2, MadeFromAnyBitmapAndCopiedBackAt24Bits) {
  Bitmap indexed(3, 2, PixelFormat::Bits8);
  indexed.palette()[1] = {10, 20, 30, 0};
  indexed.setPaletteCount(2);
  indexed.setRawPixel(2, 1, 1);
  const auto tex = createTexture(indexed);
  ASSERT_EQ(tex->width(), 3u);
  ASSERT_EQ(tex->height(), 2u);
  EXPECT_EQ(tex->texels()[5], 0xFF0A141Eu);
  EXPECT_EQ(tex->texels()[0], 0xFF000000u);
  const Bitmap back = tex->TextureToBitmap();
  EXPECT_EQ(back.format(), PixelFormat::Bits24);
  EXPECT_EQ(back.colour(2, 1), 0xFF0A141Eu);
  EXPECT_THROW(createTexture(Bitmap()), ERenderError);
}

}  // namespace
}  // namespace velorina
