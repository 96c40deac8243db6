#include "audio/ToneGenHost.h"

namespace velorina {

bool ToneGenHost::generatorCreated() {
  const bool first = live_ == 0 && mode_ == DesignMode::Running;
  if (first) {
    savedVolume_ = output_.masterVolume();
    // A device with one level reports it in the low half: copy it to both.
    if (output_.volumeControl() == VolumeControl::Mono) savedVolume_ = (savedVolume_ & 0xFFFFu) * 65537u;
  }
  ++live_;
  return first;
}

void ToneGenHost::generatorDestroyed() {
  if (live_ == 0) return;
  --live_;
  if (live_ == 0 && mode_ == DesignMode::Running) output_.setMasterVolume(savedVolume_);
}

}  // namespace velorina
