#include "shell/StartupAction.h"

#include "platform/render/D3DTypes.h"
#include "scene/objects/ObjectIdCounter.h"

namespace velorina {

TD3DActionInfo startupAction() {
  TD3DActionInfo a;
  a.Kind = d3dValue(ActionKind::RotateAboutCentres);
  a.ID = ObjectIdCounter::next();
  a.TargetKind = 9;  // spheres
  a.TargetID = 5;
  a.Vector2 = {0, 1.5707964f, 0};  // a quarter turn about y
  a.Duration = 1.0;
  a.Temporary = 1;
  return a;
}

}  // namespace velorina
