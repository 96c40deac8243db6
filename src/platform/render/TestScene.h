#pragma once
// The device test scene: a small fixed picture that exercises the device through
// its interface only (clipping at the near plane, perspective texturing with
// bilinear filtering, a colour-keyed texture, blending, specular highlights and
// Gouraud shading) with the camera matrices the scene uses. The render-test
// subcommand draws it, and a golden test keeps it stable.

#include <memory>
#include <vector>

#include "platform/render/Direct3DTexture2.h"
#include "platform/render/IDirect3DDevice7.h"

namespace velorina {

class TestScene {
 public:
  TestScene();

  // Draws one frame at any render target size (one BeginScene / EndScene pair).
  void draw(IDirect3DDevice7& device);

 private:
  std::unique_ptr<TDirect3DTexture2> checker_;
  std::unique_ptr<TDirect3DTexture2> keyed_;
};

// The camera matrices of the scene: an eye at the origin looking along +z, the
// horizontal axis scaled by 0.75 for a 4:3 picture, the near plane at 0.05.
D3DMATRIX sceneViewMatrix(float pitch, float motionStep);
D3DMATRIX sceneProjectionMatrix();
D3DMATRIX translationMatrix(float x, float y, float z);

// A width x height checkerboard of `cell`-texel squares in the two colours.
std::vector<std::uint32_t> checkerTexels(std::uint32_t width, std::uint32_t height, std::uint32_t cell,
                                         std::uint32_t colorA, std::uint32_t colorB);

}  // namespace velorina
