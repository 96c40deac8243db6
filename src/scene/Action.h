#pragma once
// TD3DAction: a continuous motion the scene applies to a set of its objects every
// frame, at the rate of its vector per Duration seconds, in steps of at least the
// scene's sort interval.

#include "scene/records/ActionInfo.h"
#include "scene/ActionScene.h"

namespace velorina {

class TD3DAction {
 public:
  // Copies the record and starts timing at the scene's current time.
  TD3DAction(const TD3DActionInfo& info, IActionScene& scene);
  // Reads the 55-byte record (never temporary) and starts timing now.
  static TD3DAction CreateFromStream(ByteReader& in, IActionScene& scene);

  std::uint8_t ActionKind() const noexcept { return info_.Kind; }
  std::int32_t ActionID() const noexcept { return info_.ID; }
  // Applies the motion for the scene time elapsed since the last application.
  void Execute();
  void SaveToStream(Stream& out) const { info_.write(out); }

  const TD3DActionInfo& info() const noexcept { return info_; }
  bool Temporary() const noexcept { return info_.Temporary != 0; }
  bool Started() const noexcept { return started_; }
  float Fraction() const noexcept { return fraction_; }
  const D3DVECTOR& LastRotation() const noexcept { return lastRotation_; }
  const D3DVECTOR& LastMove() const noexcept { return lastMove_; }

 private:
  TD3DActionInfo info_;
  IActionScene* scene_;
  double lastTime_;
  D3DVECTOR lastRotation_;
  D3DVECTOR lastMove_;
  float fraction_ = 0;
  bool started_ = false;
};

}  // namespace velorina
