#include "platform/sound/capture/CaptureAudioOutput.h"

namespace velorina {

std::vector<float> CaptureAudioOutput::render(std::size_t frames) {
  std::vector<float> out(frames * 2, 0.0f);
  if (renderer_ != nullptr) renderer_->render(out);
  return out;
}

}  // namespace velorina
