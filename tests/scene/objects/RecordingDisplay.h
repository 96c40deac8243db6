#pragma once
// A display whose device writes down what it is asked to do (see RecordingDevice).

#include <memory>

#include "platform/display/DXDraw.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "RecordingDevice.h"

namespace velorina::testing {

struct RecordingDisplay {
  RecordingDevice* device = nullptr;
  DXDraw display{std::make_unique<OffscreenPresenter>(), [this](IRenderSurface&, std::uint32_t, std::uint32_t, DepthBuffer) {
                   auto d = std::make_unique<RecordingDevice>();
                   device = d.get();
                   return d;
                 }};
  RecordingDisplay() {
    display.SetDisplaySize(8, 8);
    display.Initialize();
    device->calls.clear();
  }
};

}  // namespace velorina::testing
