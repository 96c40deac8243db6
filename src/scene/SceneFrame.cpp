#include <algorithm>
#include <cmath>

#include "platform/display/DXDraw.h"
#include "scene/Scene.h"
#include "scene/objects/Tone.h"
#include "scene/objects/SystemColors.h"

namespace velorina {

namespace {

constexpr std::uint32_t kClearTarget = 0x1;  // D3DCLEAR_TARGET
constexpr std::uint32_t kClearZBuffer = 0x2; // D3DCLEAR_ZBUFFER

IDirect3DDevice7* deviceOf(DXDraw* d) { return d != nullptr ? d->D3DDevice7() : nullptr; }

}  // namespace

void TD3DScene::SetCameraPosition(const D3DVECTOR& v) {
  if (v == CameraPosition || v == LastCameraPosition) return;
  LastCameraPosition = CameraPosition;
  CameraPosition = v;
  PendingChanges |= pcPosition | pcLighting;
}

void TD3DScene::SetCameraRotation(const D3DVECTOR& v) {
  if (v == CameraRotation) return;
  LastCameraRotation = CameraRotation;
  CameraRotation = {WrapAngle(v.x), WrapAngle(v.y), WrapAngle(v.z)};
  PendingChanges |= pcRotation;
}

D3DVECTOR TD3DScene::GetCameraPosition() const {
  D3DVECTOR p = VectorAdd(CameraPosition, SceneInfo.Position);
  return ParentScene != nullptr ? VectorAdd(p, ParentScene->GetCameraPosition()) : p;
}

D3DVECTOR TD3DScene::GetCameraRotation() const {
  D3DVECTOR r = VectorAdd(CameraRotation, SceneInfo.Rotation);
  return ParentScene != nullptr ? VectorAdd(r, ParentScene->GetCameraRotation()) : r;
}

bool TD3DScene::RootInScene() const {
  const TD3DScene* s = this;
  while (s->ParentScene != nullptr) s = s->ParentScene;
  return s->InScene;
}

void TD3DScene::SetPaused(bool paused) {
  if (paused != Paused) {
    Paused = paused;
    if (paused) {
      for (auto& a : AudioObjects) {
        if (a.object) a.object->Stop();
      }
    } else {
      UpdateSoundPositions();
      for (auto& a : AudioObjects) {
        if (!a.object) continue;
        if (auto* tone = dynamic_cast<TD3DTone*>(a.object.get())) tone->Prepare();
        a.object->Play();
      }
    }
  }
  for (TD3DScene* s : SubScenes) s->SetPaused(paused);
}

void TD3DScene::RebuildDeviceState() {
  InvalidateAll();
  ApplyChanges();
}

void TD3DScene::setViewTransform() {
  IDirect3DDevice7* device = deviceOf(DXDraw_);
  if (device == nullptr) return;
  const D3DVECTOR r = GetCameraRotation();
  D3DMATRIX view;
  RotationMatrix(view, 0.75f, r.x, r.y, r.z);
  view._44 = MotionStep;
  device->SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_VIEW, view);
}

void TD3DScene::setWorldTransform() {
  IDirect3DDevice7* device = deviceOf(DXDraw_);
  if (device == nullptr) return;
  const D3DVECTOR p = GetCameraPosition();
  D3DMATRIX world = D3DMATRIX::identity();
  world._41 = -p.x;
  world._42 = -p.y;
  world._43 = -p.z;
  device->SetTransform(D3DTRANSFORMSTATETYPE::D3DTRANSFORMSTATE_WORLD, world);
}

// Far objects first, so that what is drawn later lies in front.
void TD3DScene::SortByDistance() {
  const D3DVECTOR eye = GetCameraPosition();
  for (auto& e : Objects) {
    if (e.object) e.object->UpdateDistance(eye);
  }
  objectsReordered();
  Objects.stableSort([](const auto& a, const auto& b) {
    const float da = a.object ? a.object->Distance : 0;
    const float db = b.object ? b.object->Distance : 0;
    return da > db;
  });
}

void TD3DScene::ApplyChanges() {
  if (PendingChanges == 0) return;
  const double now = SceneTime();
  const std::uint8_t f = PendingChanges & static_cast<std::uint8_t>(~pcLighting);
  const bool due = now - LastSortTime > sortInterval_;
  for (TD3DScene* s : SubScenes) s->ApplyChanges();
  if (f == pcRotation) {
    if (due) {
      UpdateSoundPositions();
      LastSortTime = now;
    }
    if (!IsChild) setViewTransform();
  } else {
    if (due) {
      if (MotionStep == 0) SortByDistance();
      UpdateSoundPositions();
      LastSortTime = now;
    }
    if (!IsChild) {
      if (f != pcPosition) setViewTransform();
      setWorldTransform();
    }
  }
  if (PendingChanges & pcLighting) {
    for (auto& l : Lights) {
      for (auto& o : Objects) {
        if (o.object && l.object) o.object->ApplyLight(*l.object);
      }
    }
  }
  PendingChanges = 0;
}

void TD3DScene::Frame(std::uint32_t backgroundColor) {
  double now = SceneTime();
  if (now == LastFrameTime) LastFrameTime -= 0.001;
  CameraSpeed = VectorMagnitude(VectorSub(CameraPosition, LastCameraPosition)) / (now - LastFrameTime);
  for (auto& e : Objects) {
    if (auto* timed = dynamic_cast<TD3DTimingObject*>(e.object.get())) timed->Time = now;
  }
  if (!IsChild) {
    for (TD3DScene* s : SubScenes) s->ApplyChanges();
  }
  ApplyChanges();
  for (std::size_t i = 0; i < Actions.size(); ++i) Actions[i].object->Execute();
  IDirect3DDevice7* device = deviceOf(DXDraw_);
  if (!IsChild) {
    FrameRate = (1.0 / (now - LastFrameTime) + FrameRate) / 2;
    if (device != nullptr) {
      using enum D3DRENDERSTATETYPE;
      device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
      const std::uint32_t flags = DXDraw_->HasDepthBuffer() ? (kClearTarget | kClearZBuffer) : kClearTarget;
      const D3DRECT all{0, 0, static_cast<std::int32_t>(DXDraw_->SurfaceWidth()),
                        static_cast<std::int32_t>(DXDraw_->SurfaceHeight())};
      device->Clear(std::span<const D3DRECT>(&all, 1), flags, ColorToDeviceColor(resolveColorValue(static_cast<std::int32_t>(backgroundColor)), 0), 1.0f, 0);
      const D3DFILLMODE fill = TextureDetail == 5   ? D3DFILLMODE::D3DFILL_WIREFRAME
                               : TextureDetail == 6 ? D3DFILLMODE::D3DFILL_POINT
                                                    : D3DFILLMODE::D3DFILL_SOLID;
      device->SetRenderState(D3DRENDERSTATE_FILLMODE, d3dValue(fill));
      InScene = true;
      device->BeginScene();
    }
  }
  if (!Hidden) {
    for (auto& e : Objects) {
      if (e.object && !e.object->Hidden) e.object->Draw();
    }
  }
  if (!IsChild && device != nullptr) {
    device->EndScene();
    InScene = false;
  }
  LastFrameTime = now;
}

}  // namespace velorina
