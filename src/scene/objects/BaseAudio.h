#pragma once
// TD3DBaseAudio: the abstract positioned sound of a scene. It knows where the
// listener (the camera) stands and how it is turned; the scene keeps audio
// objects in a list of their own (they are not TD3DObjects) and tells each one
// where the listener is after every camera move.

#include <cstdint>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"
#include "scene/records/Geometry.h"

namespace velorina {

// Whether a new audio object starts playing at once (a paused scene creates them
// silent).
enum class AudioStart { Play, Silent };

class TD3DBaseAudio {
 public:
  virtual ~TD3DBaseAudio() = default;
  TD3DBaseAudio(const TD3DBaseAudio&) = delete;
  TD3DBaseAudio& operator=(const TD3DBaseAudio&) = delete;

  // Stores `v` when it differs from the listener position.
  virtual void SetListenerPosition(const D3DVECTOR& v);
  // Stores `v` (angles in radians: y the heading, z the pitch) when it differs.
  virtual void SetListenerOrientation(const D3DVECTOR& v);
  // Writes the object's stored record.
  virtual void SaveToStream(Stream& out) const = 0;
  // Replaces the record with one read in the layout of `version`.
  virtual void LoadFromStream(ByteReader& in, std::int32_t version) = 0;
  virtual void Play() = 0;
  virtual void Stop() = 0;
  // Stops and goes back to the start.
  virtual void Rewind() = 0;
  virtual void MoveBy(const D3DVECTOR& v) = 0;
  virtual void MoveByXYZ(float x, float y, float z) { MoveBy({x, y, z}); }
  // Turns the object's position about the origin by the angles of `a`.
  virtual void Rotate(const D3DVECTOR& a) = 0;
  virtual void RotateXYZ(float x, float y, float z) { Rotate({x, y, z}); }
  virtual std::int32_t AudioID() const { return 0; }
  // 101 for a wave sound, 102 for a tone.
  virtual std::uint8_t AudioKind() const { return 0; }
  // Distance from the object's position to `p`.
  virtual float DistanceTo(const D3DVECTOR& p) const = 0;

  const D3DVECTOR& ListenerPosition() const noexcept { return listenerPosition_; }
  const D3DVECTOR& ListenerOrientation() const noexcept { return listenerOrientation_; }

 protected:
  TD3DBaseAudio() = default;

  D3DVECTOR listenerPosition_;
  D3DVECTOR listenerOrientation_;
};

// `position` turned about the origin by the angles of `a` (x, then y, then z
// order as RotationMatrix builds it); unchanged when the transform degenerates.
D3DVECTOR RotatedPosition(const D3DVECTOR& position, const D3DVECTOR& a) noexcept;

}  // namespace velorina
