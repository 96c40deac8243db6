#include "scene/objects/BaseAudio.h"

namespace velorina {

void TD3DBaseAudio::SetListenerPosition(const D3DVECTOR& v) {
  if (!(v == listenerPosition_)) listenerPosition_ = v;
}

void TD3DBaseAudio::SetListenerOrientation(const D3DVECTOR& v) {
  if (!(v == listenerOrientation_)) listenerOrientation_ = v;
}

D3DVECTOR RotatedPosition(const D3DVECTOR& position, const D3DVECTOR& a) noexcept {
  D3DMATRIX m;
  RotationMatrix(m, 1, a.x, a.y, a.z);
  D3DVECTOR result = position;
  TransformPoint(result, position, m);
  return result;
}

}  // namespace velorina
