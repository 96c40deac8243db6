#include "scene/records/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene/records/TextureNames.h"

namespace velorina {
namespace {

TEST(Geometry, WrapAngleStepsOnceOnly) {
  EXPECT_FLOAT_EQ(WrapAngle(7.0f), 7.0f - 2 * kPi);
  EXPECT_FLOAT_EQ(WrapAngle(10.0f), 10.0f - 2 * kPi);  // still above pi
  EXPECT_FLOAT_EQ(WrapAngle(-4.0f), -4.0f + 2 * kPi);
  EXPECT_EQ(WrapAngle(1.0f), 1.0f);
}

TEST(Geometry, TransformPointRefusesAVanishingW) {
  D3DMATRIX m = D3DMATRIX::identity();
  m._44 = 0;  // w = 0 for every point with no x, y or z weight in the fourth column
  D3DVECTOR dest{9, 9, 9};
  EXPECT_EQ(TransformPoint(dest, {1, 2, 3}, m), kE_INVALIDARG);
  EXPECT_EQ(dest, (D3DVECTOR{9, 9, 9}));
  m._44 = 2;
  EXPECT_EQ(TransformPoint(dest, {1, 2, 3}, m), kS_OK);
  EXPECT_EQ(dest, (D3DVECTOR{0.5f, 1, 1.5f}));
}

TEST(Geometry, RotationMatrixTurnsZFirstThenYThenX) {
  D3DMATRIX m;
  RotationMatrix(m, 1, 0, kPi / 2, 0);
  D3DVECTOR v;
  TransformPoint(v, {1, 0, 0}, m);
  // Ry(-ay) applied to x: (cos(-a), 0, -sin(-a)) = (0, 0, 1).
  EXPECT_NEAR(v.x, 0, 1e-6);
  EXPECT_NEAR(v.z, 1, 1e-6);
  RotationMatrix(m, 1, kPi / 2, 0, kPi / 2);
  TransformPoint(v, {1, 0, 0}, m);
  // z turns x into y, then x turns y into z.
  EXPECT_NEAR(v.y, 0, 1e-6);
  EXPECT_NEAR(v.z, 1, 1e-6);
}

TEST(Geometry, ColoursSwapToDeviceOrder) {
  EXPECT_EQ(ColorToDeviceColor(0x00332211, 0x80), 0x80112233u);
  EXPECT_EQ(ColorToDeviceColor(0xFF332211, 0), 0x00112233u);  // the high byte is not a channel
  EXPECT_EQ(RGB(0x11, 0x22, 0x33), 0x00332211u);
  EXPECT_EQ(MinSingle(2, -1), -1);
}

TEST(TextureNames, KeepsOnlyNonEmptyEntriesInIndexOrder) {
  TTextureNames n;
  n.set(5, "b");
  n.set(1, "a");
  n.set(400, "outside");
  n.set(5, "");
  EXPECT_EQ(n.get(1), "a");
  EXPECT_EQ(n.get(5), "");
  EXPECT_EQ(n.entries().size(), 1u);
}

}  // namespace
}  // namespace velorina
