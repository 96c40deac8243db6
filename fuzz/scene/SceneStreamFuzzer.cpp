// Reads arbitrary bytes as a scene stream, in both of its forms.
#include <cstdint>

#include "scene/records/SceneStreamReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  SceneDocument doc;
  try {
    SceneStreamReader(std::span<const std::uint8_t>(data, size), "fuzz").read(doc);
  } catch (const Error&) {
  }
  return 0;
}
