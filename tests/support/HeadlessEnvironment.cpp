// Every test binary runs headless and silent unless the caller chose otherwise:
// SDL gets its dummy video and audio drivers.
#include <cstdlib>

namespace {

struct HeadlessEnvironment {
  HeadlessEnvironment() {
    ::setenv("SDL_VIDEODRIVER", "dummy", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
};

const HeadlessEnvironment kHeadless;

}  // namespace
