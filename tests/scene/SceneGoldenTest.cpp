// Scene frames drawn by the software device, compared with reference pictures in
// tests/scene/golden (VELORINA_REGENERATE_GOLDEN=1 rewrites them).
#include <gtest/gtest.h>

#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "scene/Scene.h"
#include "shell/SurfaceSetup.h"
#include "support/GoldenImage.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"
#include "support/ExpectOk.h"

namespace velorina {
namespace {

using testing::expectOk;

// A 16 x 16 checker of `a` and `b` (colour values 0x00BBGGRR).
std::string checker(std::uint32_t a, std::uint32_t b) {
  Bitmap bitmap(16, 16, PixelFormat::Bits24);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t c = ((x / 4 + y / 4) % 2) ? b : a;
      std::uint8_t* p = bitmap.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(c >> 16), p[1] = static_cast<std::uint8_t>(c >> 8);
      p[2] = static_cast<std::uint8_t>(c);
    }
  }
  const ByteBuffer bytes = writeBmp(bitmap);
  return std::string(bytes.begin(), bytes.end());
}

TD3DQuadrangleInfo quad(std::int32_t id, float x, float y, float z, float size) {
  TD3DQuadrangleInfo q;
  q.ID = id;
  q.Corners = {D3DVECTOR{x - size, y + size, z}, {x + size, y + size, z}, {x - size, y - size, z},
               {x + size, y - size, z}};
  q.TexSpanU = q.TexSpanV = 1;
  q.Colors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  q.Flags = 1;
  return q;
}

// Back wall (textured, lit red near its left edge), a keyed grille in front of it
// and a bare quadrangle shaded by its corner colours.
std::string world() {
  MemoryStream s;
  test::writeSceneHead(s, "wall.bmp\r\ngrille.bmp", 3);
  auto object = [&](const TD3DQuadrangleInfo& q, std::int16_t texture) {
    s.writeU8(2);
    s.writeI16(1);
    s.writeI16(texture);
    s.writeI16(-1);
    q.write(s);
  };
  object(quad(1, 0, 0, 6, 3), 0);
  TD3DQuadrangleInfo grille = quad(2, -1, 0, 4, 1);
  grille.Transparent = true;
  object(grille, 1);
  TD3DQuadrangleInfo shaded = quad(3, 1.5f, -0.5f, 4, 0.8f);
  shaded.Colors = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
  object(shaded, -1);
  s.writeU32(0);  // sounds
  s.writeU32(0);  // data
  s.writeU32(0);  // names
  s.writeU32(0);  // actions
  s.writeU32(1);  // lights
  TD3DSceneLightInfo light;
  light.ID = 9;
  light.Color = 0x0000FF;
  light.Range = 4;
  light.RangeFactor = 10;
  light.Position = {-3, 0, 6};
  light.write(s);
  return std::string(s.bytes().begin(), s.bytes().end());
}

TEST(SceneGolden, WallsKeyedGrilleCornerColoursAndALight) {
  test::TempDir dir;
  dir.write("world.d3d", world());
  dir.write("wall.bmp", checker(0xC0C0C0, 0x404040));
  dir.write("grille.bmp", checker(0x00FFFF, 0x000000));  // black squares are see-through
  ManualClock clock;
  DXDraw display(std::make_unique<OffscreenPresenter>());
  TD3DScene scene(&display, nullptr, clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  TWorldHeader header = TWorldHeader::shipped();
  header.MinFilter = header.MagFilter = 1;  // point sampling keeps the reference crisp
  header.Antialias = 0;
  display.SetDisplaySize(160, 120);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), header, &scene);
  };
  display.Initialize();
  clock.advanceMilliseconds(20);
  scene.Frame(0x00402010);
  std::vector<std::uint32_t> pixels(160 * 120);
  expectOk(display.D3DDevice7()->ReadRenderTarget(pixels));
  EXPECT_TRUE(testing::matchesGoldenIn("scene/golden", "walls_grille_corners_light", 160, 120, pixels));
}

}  // namespace
}  // namespace velorina
