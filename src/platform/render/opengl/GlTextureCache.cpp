#include "platform/render/opengl/GlTextureCache.h"

namespace velorina {

GlTextureCache::GlTextureCache(std::function<void(const TDirect3DTexture2&)> beforeDrop)
    : beforeDrop_(std::move(beforeDrop)) {}

GlTextureCache::~GlTextureCache() {
  for (auto& [key, entry] : entries_) {
    entry.texture->unwatch(this);
    glDeleteTextures(1, &entry.name);
  }
}

GLuint GlTextureCache::prepare(TDirect3DTexture2& texture) {
  auto [it, added] = entries_.try_emplace(&texture);
  Entry& e = it->second;
  if (added || e.identity != texture.identity()) {
    if (e.name == 0) glGenTextures(1, &e.name);
    e.identity = texture.identity();
    e.texture = &texture;
    texture.watch(this);
    upload(texture, e.name);
    e.pictureRevision = texture.pictureRevision();
    ++uploads_;
  } else if (e.pictureRevision != texture.pictureRevision()) {
    upload(texture, e.name);
    e.pictureRevision = texture.pictureRevision();
    ++uploads_;
  }
  return e.name;
}

void GlTextureCache::upload(const TDirect3DTexture2& texture, GLuint name) {
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, name);
  // Sampled by hand with texelFetch: no mipmaps, no filtering by the card.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // 0xAARRGGBB words are B, G, R, A bytes in memory.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(texture.width()), GLsizei(texture.height()), 0, GL_BGRA,
               GL_UNSIGNED_BYTE, texture.texels().data());
}

void GlTextureCache::textureGone(const TDirect3DTexture2& texture) {
  const auto it = entries_.find(&texture);
  if (it == entries_.end()) return;
  if (beforeDrop_) beforeDrop_(texture);
  glDeleteTextures(1, &it->second.name);
  entries_.erase(it);
}

}  // namespace velorina
