#include "platform/render/opengl/GlTextureCache.h"

#include <algorithm>

namespace velorina {

namespace {

// An array grows by doubling up to this many bytes (or the card's layer limit,
// at most kMostLayers), then a new array of the same size starts.
constexpr std::size_t kArrayBytes = std::size_t(64) << 20;
constexpr GLint kMostLayers = 256;
constexpr GLint kFirstDepth = 4;

bool keyedTexel(std::uint32_t t, std::uint32_t key) { return (t & 0xFFFFFFu) == key; }

void bindForUpload(GLuint array) {
  glActiveTexture(GL_TEXTURE0 + GlTextureCache::kUploadUnit);
  glBindTexture(GL_TEXTURE_2D_ARRAY, array);
}

}  // namespace

GlTextureCache::GlTextureCache(std::function<void()> beforeChange) : beforeChange_(std::move(beforeChange)) {
  GLint layers = 0;
  glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &layers);
  maxArrayLayers_ = std::clamp(layers, 1, kMostLayers);
}

GlTextureCache::~GlTextureCache() {
  for (auto& [key, entry] : entries_) entry.texture->unwatch(this);
  for (Page& p : pages_) {
    glDeleteTextures(1, &p.picture);
    if (p.mask != 0) glDeleteTextures(1, &p.mask);
  }
}

GlTextureView GlTextureCache::prepare(TDirect3DTexture2& texture, std::optional<std::uint32_t> key) {
  auto [it, added] = entries_.try_emplace(&texture);
  Entry& e = it->second;
  if (added || e.identity != texture.identity()) {
    if (!added) {
      beforeChange_();
      release(e.plain);
      release(e.keyed);
      e.plain = e.keyed = Copy{};
    }
    e.identity = texture.identity();
    e.texture = &texture;
    texture.watch(this);
  }
  Copy& c = key ? e.keyed : e.plain;
  if (!c.current || c.pictureRevision != texture.pictureRevision() || (key && c.key != *key)) upload(texture, key, c);
  const Page& p = pages_[std::size_t(c.page)];
  return {p.picture, p.mask, c.layer};
}

void GlTextureCache::upload(const TDirect3DTexture2& texture, std::optional<std::uint32_t> key, Copy& c) {
  PageKind kind = PageKind::Plain;
  if (key) {
    // Opaque texels let the sampled alpha carry the weight; otherwise a mask does.
    const auto texels = texture.texels();
    const bool translucent = std::any_of(texels.begin(), texels.end(), [k = *key](std::uint32_t t) {
      return !keyedTexel(t, k) && (t >> 24) != 0xFF;
    });
    kind = translucent ? PageKind::KeyedMasked : PageKind::Keyed;
  }
  c.key = key.value_or(0);
  place(texture, key.has_value(), kind, c);
  write(pages_[std::size_t(c.page)], c.layer, texture, key.has_value());
  c.current = true;
  c.pictureRevision = texture.pictureRevision();
  ++uploads_;
}

// Gives the copy a layer of the right size and kind: its own where it fits,
// else a free one, else one more in a grown or new array.
void GlTextureCache::place(const TDirect3DTexture2& texture, bool keyed, PageKind kind, Copy& c) {
  const std::uint32_t w = texture.width(), h = texture.height();
  if (c.page >= 0) {
    beforeChange_();
    const Page& p = pages_[std::size_t(c.page)];
    if (p.kind == kind && p.width == w && p.height == h) return;
    release(c);
    c.page = -1;
  }
  const Owner owner{&texture, keyed};
  for (std::size_t i = 0; i < pages_.size(); ++i) {
    Page& p = pages_[i];
    if (p.kind != kind || p.width != w || p.height != h) continue;
    auto free = std::find_if(p.layers.begin(), p.layers.end(), [](const Owner& o) { return o.texture == nullptr; });
    if (free == p.layers.end()) {
      if (GLint(p.layers.size()) >= p.maxLayers) continue;
      grow(p);
      free = std::find_if(p.layers.begin(), p.layers.end(), [](const Owner& o) { return o.texture == nullptr; });
    }
    *free = owner;
    c.page = int(i);
    c.layer = GLint(free - p.layers.begin());
    return;
  }
  Page p;
  p.width = w;
  p.height = h;
  p.kind = kind;
  const std::size_t layerBytes = std::size_t(w) * h * 4;
  p.maxLayers = GLint(std::clamp<std::size_t>(kArrayBytes / layerBytes, 1, std::size_t(maxArrayLayers_)));
  allocate(p, std::min(kFirstDepth, p.maxLayers));
  p.layers[0] = owner;
  pages_.push_back(std::move(p));
  c.page = int(pages_.size() - 1);
  c.layer = 0;
}

// Doubles the array's depth: new arrays, every held picture written again from
// its texture (a picture changed since is written as it is now; its copy still
// says the old revision, so its next draw uploads it again).
void GlTextureCache::grow(Page& p) {
  beforeChange_();
  const GLuint oldPicture = p.picture, oldMask = p.mask;
  const std::vector<Owner> owners = p.layers;
  allocate(p, std::min(GLint(owners.size()) * 2, p.maxLayers));
  for (std::size_t layer = 0; layer < owners.size(); ++layer) {
    const Owner& o = owners[layer];
    p.layers[layer] = o;
    if (o.texture == nullptr) continue;
    if (o.texture->width() != p.width || o.texture->height() != p.height) {
      // Its picture has a new size: left for its next draw to place.
      Copy& c = o.keyed ? entries_.at(o.texture).keyed : entries_.at(o.texture).plain;
      c.current = false;
      continue;
    }
    write(p, GLint(layer), *o.texture, o.keyed);
  }
  glDeleteTextures(1, &oldPicture);
  if (oldMask != 0) glDeleteTextures(1, &oldMask);
}

void GlTextureCache::allocate(Page& p, GLint depth) {
  auto make = [&](GLuint& name, GLenum internal, GLenum format) {
    glGenTextures(1, &name);
    bindForUpload(name);
    // Filtering and addressing come from the sampler objects; one level, no mipmaps.
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GLint(internal), GLsizei(p.width), GLsizei(p.height), depth, 0, format,
                 GL_UNSIGNED_BYTE, nullptr);
  };
  make(p.picture, GL_RGBA8, GL_BGRA);
  p.mask = 0;
  if (p.kind == PageKind::KeyedMasked) make(p.mask, GL_R8, GL_RED);
  p.layers.resize(std::size_t(depth));
}

void GlTextureCache::write(const Page& p, GLint layer, const TDirect3DTexture2& texture, bool keyed) {
  const auto texels = texture.texels();
  const std::uint32_t* picture = texels.data();
  if (keyed) {
    const std::uint32_t key = entries_.at(&texture).keyed.key;
    keyedTexels_.resize(texels.size());
    maskTexels_.resize(texels.size());
    for (std::size_t i = 0; i < texels.size(); ++i) {
      const bool k = keyedTexel(texels[i], key);
      keyedTexels_[i] = k ? 0 : texels[i];
      maskTexels_[i] = k ? 0 : 0xFF;
    }
    picture = keyedTexels_.data();
  }
  const auto w = GLsizei(p.width), h = GLsizei(p.height);
  bindForUpload(p.picture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // 0xAARRGGBB words are B, G, R, A bytes in memory.
  glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, w, h, 1, GL_BGRA, GL_UNSIGNED_BYTE, picture);
  if (p.mask != 0) {
    bindForUpload(p.mask);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, w, h, 1, GL_RED, GL_UNSIGNED_BYTE, maskTexels_.data());
  }
}

void GlTextureCache::release(const Copy& c) {
  if (c.page < 0) return;
  pages_[std::size_t(c.page)].layers[std::size_t(c.layer)] = Owner{};
}

void GlTextureCache::textureGone(const TDirect3DTexture2& texture) {
  const auto it = entries_.find(&texture);
  if (it == entries_.end()) return;
  // Draws not yet sent may sample its layers, which a new texture may take.
  beforeChange_();
  release(it->second.plain);
  release(it->second.keyed);
  entries_.erase(it);
}

}  // namespace velorina
