#include "platform/render/D3DTypes.h"

#include <array>
#include <bit>
#include <cmath>

namespace velorina {

D3DMATRIX multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  using Elements = std::array<float, 16>;
  const auto ea = std::bit_cast<Elements>(a);
  const auto eb = std::bit_cast<Elements>(b);
  Elements r{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += ea[i * 4 + k] * eb[k * 4 + j];
      r[i * 4 + j] = s;
    }
  }
  return std::bit_cast<D3DMATRIX>(r);
}

bool viewportFits(const D3DVIEWPORT7& vp, std::uint32_t width, std::uint32_t height) {
  const std::uint64_t right = std::uint64_t(vp.dwX) + vp.dwWidth;
  const std::uint64_t bottom = std::uint64_t(vp.dwY) + vp.dwHeight;
  return vp.dwWidth != 0 && vp.dwHeight != 0 && right <= width && bottom <= height && std::isfinite(vp.dvMinZ) &&
         std::isfinite(vp.dvMaxZ);
}

}  // namespace velorina
