#include "platform/render/opengl/GlTextureCache.h"

namespace velorina {

namespace {

void store(GLuint name, GLsizei width, GLsizei height, GLenum internal, GLenum format, GLint alignment,
           const void* texels) {
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, name);
  // Filtering and addressing come from the sampler objects; one level, no mipmaps.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexImage2D(GL_TEXTURE_2D, 0, GLint(internal), width, height, 0, format, GL_UNSIGNED_BYTE, texels);
}

// 0xAARRGGBB words are B, G, R, A bytes in memory.
void storeArgb(GLuint name, const TDirect3DTexture2& t, const std::uint32_t* texels) {
  store(name, GLsizei(t.width()), GLsizei(t.height()), GL_RGBA8, GL_BGRA, 4, texels);
}

}  // namespace

GlTextureCache::GlTextureCache(std::function<void(const TDirect3DTexture2&)> beforeDrop)
    : beforeDrop_(std::move(beforeDrop)) {}

GlTextureCache::~GlTextureCache() {
  for (auto& [key, entry] : entries_) {
    entry.texture->unwatch(this);
    deleteNames(entry.plain);
    deleteNames(entry.keyed);
  }
}

GlTextureView GlTextureCache::prepare(TDirect3DTexture2& texture, std::optional<std::uint32_t> key) {
  auto [it, added] = entries_.try_emplace(&texture);
  Entry& e = it->second;
  if (added || e.identity != texture.identity()) {
    e.identity = texture.identity();
    e.texture = &texture;
    e.plain.current = e.keyed.current = false;
    texture.watch(this);
  }
  const std::uint64_t revision = texture.pictureRevision();
  if (!key) {
    Copy& c = e.plain;
    if (!c.current || c.pictureRevision != revision) uploadPlain(texture, c);
    return {c.picture, 0};
  }
  Copy& c = e.keyed;
  if (!c.current || c.pictureRevision != revision || c.key != *key) uploadKeyed(texture, *key, c);
  return {c.picture, c.translucent ? c.mask : 0};
}

void GlTextureCache::uploadPlain(const TDirect3DTexture2& texture, Copy& c) {
  if (c.picture == 0) glGenTextures(1, &c.picture);
  storeArgb(c.picture, texture, texture.texels().data());
  c.current = true;
  c.pictureRevision = texture.pictureRevision();
  ++uploads_;
}

void GlTextureCache::uploadKeyed(const TDirect3DTexture2& texture, std::uint32_t key, Copy& c) {
  const auto texels = texture.texels();
  keyedTexels_.resize(texels.size());
  maskTexels_.resize(texels.size());
  bool translucent = false;
  for (std::size_t i = 0; i < texels.size(); ++i) {
    const std::uint32_t t = texels[i];
    const bool keyed = (t & 0xFFFFFFu) == key;
    keyedTexels_[i] = keyed ? 0 : t;
    maskTexels_[i] = keyed ? 0 : 0xFF;
    translucent |= !keyed && (t >> 24) != 0xFF;
  }
  if (c.picture == 0) glGenTextures(1, &c.picture);
  storeArgb(c.picture, texture, keyedTexels_.data());
  // Opaque texels let the sampled alpha carry the weight; otherwise a mask does.
  if (translucent) {
    if (c.mask == 0) glGenTextures(1, &c.mask);
    store(c.mask, GLsizei(texture.width()), GLsizei(texture.height()), GL_R8, GL_RED, 1, maskTexels_.data());
  }
  c.translucent = translucent;
  c.current = true;
  c.pictureRevision = texture.pictureRevision();
  c.key = key;
  ++uploads_;
}

void GlTextureCache::deleteNames(Copy& c) {
  if (c.picture != 0) glDeleteTextures(1, &c.picture);
  if (c.mask != 0) glDeleteTextures(1, &c.mask);
  c = Copy{};
}

void GlTextureCache::textureGone(const TDirect3DTexture2& texture) {
  const auto it = entries_.find(&texture);
  if (it == entries_.end()) return;
  if (beforeDrop_) beforeDrop_(texture);
  deleteNames(it->second.plain);
  deleteNames(it->second.keyed);
  entries_.erase(it);
}

}  // namespace velorina
