#include <cctype>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Wad.h"
#include "audio/MessageRelay.h"
#include "doommap/DoomTextures.h"
#include "doommap/LumpReference.h"
#include "imaging/PeBitmapResources.h"
#include "imaging/PictureRegistry.h"
#include "imaging/PixelConversion.h"
#include "imaging/TextureShape.h"
#include "archive/Resources.h"
#include "platform/render/Direct3DTexture2.h"
#include "scene/Scene.h"
#include "scene/SceneMapSink.h"

namespace velorina {

namespace {

bool isSceneOrArchiveName(const std::string& name) {
  const std::string ext = upperAscii(PictureRegistry::extensionOf(name));
  return ext == "D3D" || ext == "WAD";
}

// A name that starts with a drive letter ("C:...").
bool hasDriveLetter(const std::string& name) {
  return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

}  // namespace

TDirect3DTexture2* TD3DScene::AcquireTexture(std::string& name) {
  if (name.empty() || isSceneOrArchiveName(name)) return nullptr;
  NamedList<TDirect3DTexture2>& cache = *Textures;
  std::ptrdiff_t index = cache.indexOf(name);
  if (index < 0) {
    if (const auto reference = ParseLumpReference(name)) {
      // Only the WAD builders make textures for lump references; a reference is
      // never read as a plain file.
      LoadDoomTexture(reference->file, reference->lump, {});
      index = cache.indexOf(name);
      if (index < 0 || !cache[static_cast<std::size_t>(index)].object) return nullptr;
    }
  }
  if (index < 0) {
    const std::string resolved = LoadingFromArchive ? ResolveArchiveName(name)
                                 : ResourceMode     ? ResolveResourceName(name)
                                                    : ResolveFileName(name);
    index = cache.indexOf(resolved);
  }
  if (index >= 0 && cache[static_cast<std::size_t>(index)].object) {
    name = cache[static_cast<std::size_t>(index)].name;
    return cache[static_cast<std::size_t>(index)].object.get();
  }
  Bitmap source;
  if (!readPicture(source, name)) {
    reporter_->warnOnce(upperAscii(name), "texture \"" + name + "\" not found; its surfaces are drawn white");
    return nullptr;
  }
  Bitmap picture = source;
  shapeForDetail(picture, TextureDetail);
  TDirect3DTexture2* texture = cache.add(name, textureFromPicture(std::move(picture)));
  (*TexturePictures)[texture] = std::move(source);
  return texture;
}

void TD3DScene::AcquireTextureSet(TTextureNames& names, TTexturePairs& pairs) {
  std::vector<std::string> columns[2];
  for (const auto& [index, name] : names.entries()) columns[index % 2].push_back(name);
  names.clear();
  for (std::size_t column = 0; column < 2; ++column) {
    for (std::size_t i = 0; i < columns[column].size(); ++i) names.set(2 * i + column, columns[column][i]);
  }
  pairs.fill({});
  for (std::size_t i = 0; i + 1 < pairs.size() && !names.get(2 * i).empty(); ++i) {
    std::string first = names.get(2 * i);
    pairs[i].first = AcquireTexture(first);
    names.set(2 * i, first);
    std::string second = names.get(2 * i + 1);
    if (second.empty()) {
      if (pairs[i].first != nullptr) pairs[i].first->SetColorKey(0);
      pairs[i].second = pairs[i].first;
    } else {
      pairs[i].second = AcquireTexture(second);
      names.set(2 * i + 1, second);
    }
  }
}

void TD3DScene::AcquireTextureList(std::vector<std::string>& names) {
  std::vector<std::pair<std::string, std::vector<std::string>>> groups;  // by WAD file, first seen first
  for (std::string& name : names) {
    if (const auto reference = ParseLumpReference(name)) {
      auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == reference->file; });
      if (group == groups.end()) group = groups.insert(groups.end(), {reference->file, {}});
      group->second.push_back(reference->lump);
    } else {
      AcquireTexture(name);
    }
  }
  for (auto& [wadFile, lumps] : groups) LoadDoomTextures(wadFile, std::move(lumps), {});
}

bool TD3DScene::LoadDoomTextures(const std::string& wadFile, std::vector<std::string> lumpNames,
                                 const std::string& extension) {
  // A reference to a WAD that is not there finds nothing, like a missing picture.
  if (!isRegularFile(wadFile)) return false;
  SceneMapSink sink(*this);
  return velorina::LoadDoomTextures(sink, wadFile, std::move(lumpNames), extension);
}

bool TD3DScene::LoadDoomTexture(const std::string& wadFile, const std::string& lumpName, const std::string& extension) {
  return LoadDoomTextures(wadFile, {lumpName}, extension);
}

std::optional<Bitmap> TD3DScene::BitmapFromLumpReference(const std::string& reference) {
  const auto parts = ParseLumpReference(reference);
  if (!parts || !isRegularFile(parts->file)) return std::nullopt;
  return MakeDoomTextureBitmap(parts->file, parts->lump);
}

std::optional<Bitmap> TD3DScene::MakeDoomTextureBitmap(const std::string& wadFile, const std::string& lumpName) {
  return velorina::MakeDoomTextureBitmap(wadFile, lumpName);
}

TDirect3DTexture2* TD3DScene::RegisterTexture(const std::string& name, Bitmap picture) {
  NamedList<TDirect3DTexture2>& cache = *Textures;
  const std::ptrdiff_t index = cache.indexOf(name);
  if (index >= 0 && cache[static_cast<std::size_t>(index)].object) return cache[static_cast<std::size_t>(index)].object.get();
  FitTexture(picture, TextureStretch::Stretch);
  Bitmap source = picture;
  TDirect3DTexture2* texture = cache.add(name, textureFromPicture(std::move(picture)));
  (*TexturePictures)[texture] = std::move(source);
  return texture;
}

Bitmap TD3DScene::LoadLibraryBitmap(const std::string& libraryName, const std::string& resourceName) const {
  return velorina::LoadLibraryBitmap(ResolveFileName(libraryName), resourceName);
}

std::optional<Bitmap> TD3DScene::LoadLibraryBitmapRef(const std::string& reference) const {
  const auto parts = ParseLumpReference(reference);
  if (!parts) return std::nullopt;
  return LoadLibraryBitmap(parts->file, parts->lump);
}

TDirect3DTexture2* TD3DScene::GetLibraryTexture(const std::string& libraryName, const std::string& resourceName) {
  const std::string key = MakeLumpReference(libraryName, resourceName);
  NamedList<TDirect3DTexture2>& cache = *Textures;
  const std::ptrdiff_t index = cache.indexOf(key);
  if (index >= 0) return cache[static_cast<std::size_t>(index)].object.get();
  const auto parts = ParseLumpReference(key);
  Bitmap bitmap = LoadLibraryBitmap(libraryName, parts ? parts->lump : resourceName);
  if (bitmap.format() == PixelFormat::Bits1) bitmap = convertPixelFormat(bitmap, PixelFormat::Bits4);
  FitTexture(bitmap, TextureStretch::Stretch);
  TDirect3DTexture2* texture = cache.add(key, textureFromPicture(std::move(bitmap)));
  texture->SetTransparent(true);
  texture->SetTransparentColor(0);
  return texture;
}

std::unique_ptr<TDirect3DTexture2> TD3DScene::textureFromPicture(Bitmap picture) {
  if (picture.width() != picture.height()) tileToSquare(picture);
  if (picture.format() == PixelFormat::Bits1 || picture.format() == PixelFormat::Bits4) {
    picture = convertPixelFormat(picture, PixelFormat::Bits8);
  }
  return createTexture(picture);
}

void TD3DScene::SetTextureDetail(std::uint8_t mode) {
  if (mode == TextureDetail) return;
  TextureDetail = mode;
  for (TD3DScene* s : SubScenes) s->TextureDetail = mode;
  for (auto& entry : *Textures) {
    const auto source = TexturePictures->find(entry.object.get());
    if (!entry.object || source == TexturePictures->end()) continue;
    Bitmap picture = source->second;
    shapeForDetail(picture, TextureDetail);
    entry.object->ReplacePicture(*textureFromPicture(std::move(picture)));
  }
  InvalidateAll();
}

bool TD3DScene::LoadPicture(Bitmap& image, std::string& name) {
  if (!readPicture(image, name)) return false;
  shapeForDetail(image, TextureDetail);
  return true;
}

bool TD3DScene::readPicture(Bitmap& image, std::string& name) {
  bool decoded = false;
  {
    TWad* archive = LoadingFromArchive ? sourceArchive() : nullptr;
    if (archive != nullptr && archive->Exists(ResolveArchiveName(name))) {
      name = ResolveArchiveName(name);
      MemoryStream lump(archive->ReadEntry(name));
      image = loadPicture(name, lump);
      decoded = true;
    }
    if (!decoded) {
      std::string path = ResolveFileName(name);
      if (!isRegularFile(path) && hasDriveLetter(name)) {
        // Worlds made on Windows may name the other of the two usual drives.
        std::string swapped = name;
        const char d = static_cast<char>(std::toupper(static_cast<unsigned char>(swapped[0])));
        if (d == 'C' || d == 'D') swapped[0] = d == 'C' ? 'D' : 'C';
        path = ResolveFileName(swapped);
      }
      if (isRegularFile(path)) {
        name = path;
        FileStream file(path, FileMode::Read);
        image = loadPicture(name, file);
        decoded = true;
      }
    }
    if (!decoded && ResourceMode) {
      const std::string resource = ResolveResourceName(name);
      const std::string type = PictureRegistry::extensionOf(name);
      auto bytes = findProgramResource(type, resource);
      if (bytes) {
        MemoryStream stream(*bytes);
        image = loadPicture(name, stream);
        decoded = true;
        name = resource;
      }
    }
  }
  if (!decoded) {
    image.reset(2, 2, PixelFormat::Bits24);
    return false;
  }
  return true;
}

std::optional<Bitmap> TD3DScene::TextureToBitmap(const std::string& name) const {
  const std::ptrdiff_t index = Textures->indexOf(name);
  if (index < 0 || !(*Textures)[static_cast<std::size_t>(index)].object) return std::nullopt;
  return (*Textures)[static_cast<std::size_t>(index)].object->TextureToBitmap();
}

}  // namespace velorina
