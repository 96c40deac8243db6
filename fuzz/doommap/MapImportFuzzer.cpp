// The whole import of the first map of arbitrary bytes written as a file, into a
// sink that keeps nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "doommap/MapImport.h"
#include "doommap/MapLumps.h"

namespace {

class NullSink final : public velorina::DoomMapSink {
 public:
  bool hasTexture(const std::string&) const override { return false; }
  void registerTexture(const std::string&, velorina::Bitmap) override {}
  std::int32_t nextObjectId() override { return 1; }
  void addTextureHolders(std::vector<std::string>, std::uint8_t, std::uint8_t, std::int32_t) override {}
  void addOrMergeObject(const velorina::TD3DQuadrangleInfo&) override {}
  void addOrMergeObject(const velorina::TD3DPolygonInfo& p) override {
    if (p.Points.size() != static_cast<std::size_t>(p.PointCount)) __builtin_trap();
  }
  void removeEmptyPolygons() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  static const std::string path = "/tmp/velorina-fuzz-import-" + std::to_string(::getpid()) + ".wad";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  try {
    const auto maps = listMapNames(WadDirectory::open(path));
    NullSink sink;
    if (!maps.empty()) ImportDoomMap(sink, path, {}, maps.front(), 32, 0.3f, true);
  } catch (const Error&) {
  }
  return 0;
}
