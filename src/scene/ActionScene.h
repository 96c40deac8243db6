#pragma once
// What an action needs of the scene it runs in: the scene clock, the re-sort
// interval and the three motion bodies.

#include <cstdint>

#include "scene/records/Geometry.h"

namespace velorina {

class IActionScene {
 public:
  virtual ~IActionScene() = default;
  // Seconds of scene time.
  virtual double SceneTime() const = 0;
  // The least time between two applications of an action that has started.
  virtual double SortInterval() const = 0;
  // Moves every target (kind -1: any kind, objects and audio; below 100: objects of
  // that kind; 100 and above: audio objects of that kind) with identifier `id`.
  virtual void MoveTargets(std::int32_t kind, std::int32_t id, const D3DVECTOR& move) = 0;
  // Turns every target object about its own centre.
  virtual void RotateTargetsAboutCentres(std::int32_t kind, std::int32_t id, const D3DVECTOR& angles) = 0;
  // Turns every target object about `pivot`.
  virtual void RotateTargetsAboutPoint(std::int32_t kind, std::int32_t id, const D3DVECTOR& pivot,
                                       const D3DVECTOR& angles) = 0;
};

}  // namespace velorina
