#include "scene/Action.h"

#include <cmath>

namespace velorina {

namespace {

D3DVECTOR scaled(const D3DVECTOR& v, float f) { return {v.x * f, v.y * f, v.z * f}; }

}  // namespace

TD3DAction::TD3DAction(const TD3DActionInfo& info, IActionScene& scene)
    : info_(info), scene_(&scene), lastTime_(scene.SceneTime()) {}

TD3DAction TD3DAction::CreateFromStream(ByteReader& in, IActionScene& scene) {
  return TD3DAction(TD3DActionInfo::read(in), scene);
}

void TD3DAction::Execute() {
  const double elapsed = scene_->SceneTime() - lastTime_;
  if (!(elapsed > scene_->SortInterval()) && started_) return;
  started_ = true;
  // A duration of zero, below zero or not a number gives no rate: nothing moves.
  if (!(info_.Duration > 0) || !std::isfinite(info_.Duration)) {
    lastTime_ = scene_->SceneTime();
    return;
  }
  fraction_ = static_cast<float>((scene_->SceneTime() - lastTime_) / info_.Duration);
  switch (static_cast<velorina::ActionKind>(info_.Kind)) {
    case velorina::ActionKind::RotateAboutCentres:
      lastRotation_ = scaled(info_.Vector2, fraction_);
      scene_->RotateTargetsAboutCentres(info_.TargetKind, info_.TargetID, lastRotation_);
      break;
    case velorina::ActionKind::Move:
      lastMove_ = scaled(info_.Vector1, fraction_);
      scene_->MoveTargets(info_.TargetKind, info_.TargetID, lastMove_);
      break;
    case velorina::ActionKind::RotateAboutPoint:
      lastRotation_ = scaled(info_.Vector2, fraction_);
      scene_->RotateTargetsAboutPoint(info_.TargetKind, info_.TargetID, info_.Vector1, lastRotation_);
      break;
  }
  lastTime_ = scene_->SceneTime();
}

}  // namespace velorina
