// Reads arbitrary bytes as a scene description. Whatever is accepted must dump to
// JSON that reads back to the same dump.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/SceneJson.h"
#include "tools/SceneJsonReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  SceneDocument doc;
  try {
    doc = tools::readSceneDescription(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.json");
  } catch (const tools::ESceneDescriptionError&) {
    return 0;
  }
  const std::string dump = tools::sceneDocumentToJson(doc);
  if (tools::sceneDocumentToJson(tools::readSceneDescription(dump, "dump.json")) != dump) std::abort();
  return 0;
}
