#pragma once
// The two benchmark workloads, shared by the software device's benchmark and the
// OpenGL reference program so that both draw exactly the same geometry.
//
// Both use a 256 x 256 texture with one texel in eight black (the colour key),
// bilinear filtering, depth test less-or-equal, back-face culling and no
// blending, on a 1024 x 768 target. Vertices are given in clip space (identity
// transforms): x and y from -1 to 1, z from 0 (near) to 1.
//   fill: 8 full-screen quads drawn back to front, so every layer passes the
//         depth test: 6.3 million pixels a frame.
//   tris: 100,000 triangles of 20 pixels each at random places and depths:
//         2 million pixels a frame.

#include <cstdint>
#include <vector>

#include "platform/render/D3DTypes.h"

namespace velorina::bench {

inline constexpr std::uint32_t kWidth = 1024;
inline constexpr std::uint32_t kHeight = 768;
inline constexpr std::uint32_t kTextureSide = 256;
inline constexpr int kFillLayers = 8;
inline constexpr int kTriangles = 100000;
inline constexpr float kTriangleArea = 20.0f;

std::vector<std::uint32_t> benchTexture();
// Triangle lists, clockwise on screen (kept by D3DCULL_CCW).
std::vector<D3DLVERTEX> fillWorkload();
std::vector<D3DLVERTEX> trisWorkload();

}  // namespace velorina::bench
