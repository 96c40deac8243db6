#pragma once
// Small helpers for drawing test pictures through the device interface.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/render/software/SoftwareDevice.h"
#include "support/ExpectOk.h"

namespace velorina::testing {

inline D3DLVERTEX vtx(float x, float y, float z, D3DCOLOR color, float u = 0, float v = 0, D3DCOLOR specular = 0) {
  return {x, y, z, 0, color, specular, u, v};
}

using DeviceMaker = std::function<std::unique_ptr<IDirect3DDevice7>(std::uint32_t, std::uint32_t, DepthBuffer)>;

// A device whose matrices are all identity: x and y from -1 to 1 cover the
// viewport (y up), z from 0 to 1 is the depth. The software device unless a
// maker is given.
class Canvas {
 public:
  Canvas(std::uint32_t width, std::uint32_t height, DepthBuffer depth = DepthBuffer::Attached,
         const DeviceMaker& maker = {})
      : owned_(maker ? maker(width, height, depth) : std::make_unique<SoftwareDevice>(width, height, depth)),
        device(*owned_),
        width_(width),
        height_(height) {}

  void clear(D3DCOLOR color) {
    const std::uint32_t flags = D3DCLEAR_TARGET | (device.HasDepthBuffer() ? D3DCLEAR_ZBUFFER : 0);
    expectOk(device.Clear({}, flags, color, 1.0f, 0));
  }
  // Selects the panel at (column, row) of a grid of size x size pixel panels.
  void panel(std::uint32_t column, std::uint32_t row, std::uint32_t size) {
    expectOk(device.SetViewport({column * size, row * size, size, size, 0.0f, 1.0f}));
  }
  template <std::size_t N>
  void draw(D3DPRIMITIVETYPE type, const std::array<D3DLVERTEX, N>& v) {
    expectOk(device.DrawPrimitive(type, D3DFVF_LVERTEX, v, N, 0));
  }
  std::vector<std::uint32_t> pixels() {
    std::vector<std::uint32_t> out(std::size_t(width_) * height_);
    expectOk(device.ReadRenderTarget(out));
    return out;
  }
  std::uint32_t pixel(std::uint32_t x, std::uint32_t y) { return pixels()[std::size_t(y) * width_ + x]; }
  std::uint32_t width() const { return width_; }
  std::uint32_t height() const { return height_; }


 private:
  std::unique_ptr<IDirect3DDevice7> owned_;

 public:
  IDirect3DDevice7& device;

 private:
  std::uint32_t width_, height_;
};

}  // namespace velorina::testing
