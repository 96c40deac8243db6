// Finding items by kind and identifier: action targets, counts, collections, showing, hiding and audio control.
#include "scene/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Messages.h"
#include "audio/MessageRelay.h"
#include "audio/StderrMessageReporter.h"
#include "audio/ToneGenHost.h"
#include "doommap/LumpReference.h"
#include "doommap/WadProbe.h"
#include "imaging/PictureRegistry.h"
#include "archive/Resources.h"
#include "platform/sound/SoundDevice.h"
#include "platform/sound/null/NullAudioOutput.h"
#include "scene/objects/Sound.h"
#include "scene/objects/Tone.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/records/SceneStreamReader.h"
#include "scene/objects/ObjectIdCounter.h"
#include "scene/objects/Polygon.h"
#include "scene/objects/QuadrAngle.h"

namespace velorina {

// --- actions ----------------------------------------------------------------

template <typename F>
void TD3DScene::forEachTarget(std::int32_t kind, std::int32_t id, F&& f) {
  for (auto& e : Objects) {
    TD3DObject* o = e.object.get();
    if (o == nullptr || o->ObjectID() != id) continue;
    if (kind != -1 && o->KindCode() != static_cast<std::uint8_t>(kind)) continue;
    f(*o);
  }
}

void TD3DScene::MoveTargets(std::int32_t kind, std::int32_t id, const D3DVECTOR& move) {
  if (kind == -1) {
    forEachTarget(-1, id, [&](TD3DObject& o) { o.MoveByXYZ(move.x, move.y, move.z); });
    for (auto& a : AudioObjects) {
      if (a.object && a.object->AudioID() == id) a.object->MoveByXYZ(move.x, move.y, move.z);
    }
  } else if (kind >= 100) {
    for (auto& a : AudioObjects) {
      if (a.object && a.object->AudioKind() == kind && a.object->AudioID() == id) {
        a.object->MoveByXYZ(move.x, move.y, move.z);
      }
    }
  } else {
    forEachTarget(kind, id, [&](TD3DObject& o) {
      o.MoveByXYZ(move.x, move.y, move.z);
      o.ApplyLights(lightPointers_);
    });
  }
  PendingChanges |= pcPosition;
}

void TD3DScene::RotateTargetsAboutCentres(std::int32_t kind, std::int32_t id, const D3DVECTOR& angles) {
  forEachTarget(kind, id, [&](TD3DObject& o) {
    const D3DVECTOR centre = o.GetCenter(0);
    o.MoveBy({-centre.x, -centre.y, -centre.z});
    o.RotateXYZ(angles.x, angles.y, angles.z);
    o.MoveBy(centre);
    if (auto* s = dynamic_cast<TD3DScene*>(&o)) s->ApplyChanges();
    o.ApplyLights(lightPointers_);
  });
}

void TD3DScene::RotateTargetsAboutPoint(std::int32_t kind, std::int32_t id, const D3DVECTOR& pivot,
                                        const D3DVECTOR& angles) {
  forEachTarget(kind, id, [&](TD3DObject& o) {
    o.MoveBy({-pivot.x, -pivot.y, -pivot.z});
    o.RotateXYZ(angles.x, angles.y, angles.z);
    o.MoveBy(pivot);
    if (auto* s = dynamic_cast<TD3DScene*>(&o)) s->ApplyChanges();
    o.ApplyLights(lightPointers_);
  });
}

// --- queries and audio control --------------------------------------------------

std::size_t TD3DScene::CountByKind(std::int32_t kind) const {
  const auto byteKind = static_cast<std::uint8_t>(kind);
  auto matches = [&](std::uint8_t k) { return kind == -1 || k == byteKind; };
  std::size_t n = 0;
  for (const auto& e : Objects) n += e.object && matches(e.object->KindCode());
  for (const auto& a : AudioObjects) n += a.object && (kind == -1 || a.object->AudioKind() == kind);
  for (const auto& d : DataItems) n += matches(d.object->KindCode());
  for (const auto& a : Actions) n += matches(a.object->ActionKind());
  for (const auto& l : Lights) n += matches(l.object->KindCode());
  return n;
}

std::size_t TD3DScene::CollectByKindAndId(std::int32_t kind, std::int32_t id, std::vector<SceneItemRef>& out) {
  const auto byteKind = static_cast<std::uint8_t>(kind);
  auto matches = [&](std::uint8_t k) { return kind == -1 || k == byteKind; };
  const std::size_t before = out.size();
  for (auto& e : Objects) {
    if (e.object && matches(e.object->KindCode()) && e.object->ObjectID() == id) out.emplace_back(e.object.get());
  }
  for (auto& a : AudioObjects) {
    if (a.object && (kind == -1 || a.object->AudioKind() == kind) && a.object->AudioID() == id) {
      out.emplace_back(a.object.get());
    }
  }
  for (auto& d : DataItems) {
    if (matches(d.object->KindCode()) && d.object->DataID() == id) out.emplace_back(d.object.get());
  }
  for (auto& a : Actions) {
    if (matches(a.object->ActionKind()) && a.object->ActionID() == id) out.emplace_back(a.object.get());
  }
  for (auto& l : Lights) {
    if (matches(l.object->KindCode()) && l.object->LightID() == id) out.emplace_back(l.object.get());
  }
  return out.size() - before;
}

void TD3DScene::setObjectsHidden(std::int32_t kind, std::int32_t id, bool hidden) {
  forEachTarget(kind, id, [&](TD3DObject& o) { o.SetHidden(hidden); });
}

void TD3DScene::ShowObjects(std::int32_t kind, std::int32_t id) { setObjectsHidden(kind, id, false); }

void TD3DScene::HideObjects(std::int32_t kind, std::int32_t id) { setObjectsHidden(kind, id, true); }

void TD3DScene::controlAudio(std::uint8_t kind, std::int32_t id, AudioControl what) {
  for (auto& a : AudioObjects) {
    if (!a.object || a.object->AudioKind() != kind || a.object->AudioID() != id) continue;
    switch (what) {
      case AudioControl::Play: a.object->Play(); break;
      case AudioControl::Stop: a.object->Stop(); break;
      case AudioControl::Rewind: a.object->Rewind(); break;
    }
  }
}

void TD3DScene::UpdateSoundPositions() {
  if (Paused) return;
  // Sub-scenes place their sounds in the outermost scene's space, so every sound
  // hears the outermost camera.
  const TD3DScene* root = this;
  while (root->ParentScene != nullptr) root = root->ParentScene;
  for (auto& a : AudioObjects) {
    if (!a.object) continue;
    a.object->SetListenerPosition(root->CameraPosition);
    a.object->SetListenerOrientation(root->CameraRotation);
  }
  for (TD3DScene* s : SubScenes) s->UpdateSoundPositions();
}

}  // namespace velorina
