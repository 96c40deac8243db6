#include <cstdio>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/SharedBytesStream.h"
#include "scene/NameResolver.h"
#include "scene/Scene.h"

namespace velorina {

std::string TD3DScene::streamKey(const std::string& name) const {
  return LoadingFromArchive ? ResolveArchiveName(name) : ResourceMode ? ResolveResourceName(name) : ResolveFileName(name);
}

std::unique_ptr<Stream> TD3DScene::GetWaveStream(std::string& name) {
  if (name.empty()) return nullptr;
  NamedList<WaveSource>& cache = *WaveStreams;
  std::ptrdiff_t index = cache.indexOf(streamKey(name));
  try {
    if (index < 0) {
      auto source = std::make_unique<WaveSource>();
      TWad* archive = LoadingFromArchive ? sourceArchive() : nullptr;
      if (archive != nullptr && archive->Exists(ResolveArchiveName(name))) {
        name = ResolveArchiveName(name);
        source->bytes = std::make_shared<const ByteBuffer>(archive->ReadEntry(name));
      } else if (ResourceMode && !isRegularFile(ResolveFileName(name))) {
        name = ResolveResourceName(name);
        const auto bytes = findProgramResource("WAVE", name);
        if (!bytes) return nullptr;
        source->bytes = std::make_shared<const ByteBuffer>(bytes->begin(), bytes->end());
      } else {
        name = ResolveFileName(name);
        if (!isRegularFile(name)) return nullptr;
        source->path = name;
      }
      cache.add(name, std::move(source));
      index = static_cast<std::ptrdiff_t>(cache.size()) - 1;
    }
    const auto& entry = cache[static_cast<std::size_t>(index)];
    name = entry.name;
    if (entry.object->bytes) return std::make_unique<SharedBytesStream>(entry.object->bytes, name);
    return std::make_unique<FileStream>(entry.object->path, FileMode::Read);
  } catch (const Error& e) {
    // A wave that cannot be read leaves its sound silent; the world still loads.
    std::fprintf(stderr, "velorina: %s\n", e.describe().c_str());
    return nullptr;
  }
}

Stream* TD3DScene::GetDataStream(std::string& name) {
  if (name.empty()) return nullptr;
  NamedList<Stream>& cache = *DataStreams;
  const std::ptrdiff_t index = cache.indexOf(streamKey(name));
  if (index >= 0) {
    name = cache[static_cast<std::size_t>(index)].name;
    return cache[static_cast<std::size_t>(index)].object.get();
  }
  try {
    std::unique_ptr<Stream> stream;
    TWad* archive = LoadingFromArchive ? sourceArchive() : nullptr;
    if (archive != nullptr && archive->Exists(ResolveArchiveName(name))) {
      name = ResolveArchiveName(name);
      stream = std::make_unique<MemoryStream>(archive->ReadEntry(name));
    } else if (ResourceMode) {
      name = ResolveResourceName(name);
      const auto bytes = findProgramResource("DATA", name);
      if (!bytes) return nullptr;
      stream = std::make_unique<MemoryStream>(*bytes);
    } else {
      name = ResolveFileName(name);
      if (!isRegularFile(name)) return nullptr;
      stream = std::make_unique<FileStream>(name, FileMode::Read);
    }
    return cache.add(name, std::move(stream));
  } catch (const Error& e) {
    std::fprintf(stderr, "velorina: %s\n", e.describe().c_str());
    return nullptr;
  }
}

}  // namespace velorina
