#pragma once
// The device's textures on the graphics card. Pictures of one size share a 2D
// array texture, one layer each, so that draws with different textures can
// still be one OpenGL draw (each vertex names its layer). For each device
// texture the cache holds the picture as it is and, once drawn with its colour
// key on, the keyed picture the sampler can filter (keyed texels cleared to
// 0, 0, 0, 0, see GlShaderKey.h); each is uploaded on first use and again only
// when the picture or the key changes. The cache watches every texture it holds
// and frees its layers when the texture goes away, so a new texture at the same
// address is never drawn with old texels.

#include <epoxy/gl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/render/Direct3DTexture2.h"

namespace velorina {

// What a draw binds: the array holding the picture, its layer, and for a keyed
// picture with translucent texels the mask array (same layer) holding each
// texel's weight, 1 unless keyed; else 0.
struct GlTextureView {
  GLuint picture = 0;
  GLuint mask = 0;
  GLint layer = 0;
};

class GlTextureCache final : private ITextureObserver {
 public:
  // The unit the cache binds for uploading, which drawing leaves alone.
  static constexpr GLuint kUploadUnit = 4;

  // beforeChange runs before the cache rewrites or frees a layer, or moves an
  // array, that draws not yet sent may sample: the device sends them first.
  explicit GlTextureCache(std::function<void()> beforeChange);
  ~GlTextureCache();
  GlTextureCache(const GlTextureCache&) = delete;
  GlTextureCache& operator=(const GlTextureCache&) = delete;

  // The texture's copy for drawing with `key` (RGB) or without a key, uploaded
  // if it is new or its picture or key changed.
  GlTextureView prepare(TDirect3DTexture2& texture, std::optional<std::uint32_t> key);
  std::size_t size() const { return entries_.size(); }
  std::uint64_t uploads() const { return uploads_; }
  std::size_t arrays() const { return pages_.size(); }

 private:
  enum class PageKind { Plain, Keyed, KeyedMasked };
  struct Copy {
    int page = -1;  // index into pages_, -1: none yet
    GLint layer = 0;
    bool current = false;
    std::uint64_t pictureRevision = 0;
    std::uint32_t key = 0;
  };
  struct Entry {
    TDirect3DTexture2* texture = nullptr;
    std::uint64_t identity = 0;
    Copy plain, keyed;
  };
  struct Owner {
    const TDirect3DTexture2* texture = nullptr;  // nullptr: the layer is free
    bool keyed = false;
  };
  struct Page {
    GLuint picture = 0, mask = 0;
    std::uint32_t width = 0, height = 0;
    PageKind kind = PageKind::Plain;
    std::vector<Owner> layers;  // its size is the array's depth
    GLint maxLayers = 1;
  };

  void textureGone(const TDirect3DTexture2& texture) override;
  // Pictures are uploaded again by their revision when next bound.
  void pictureChanging(const TDirect3DTexture2& /*texture*/) override {}
  void upload(const TDirect3DTexture2& texture, std::optional<std::uint32_t> key, Copy& copy);
  void place(const TDirect3DTexture2& texture, bool keyed, PageKind kind, Copy& copy);
  void grow(Page& page);
  void allocate(Page& page, GLint depth);
  void write(const Page& page, GLint layer, const TDirect3DTexture2& texture, bool keyed);
  void release(const Copy& copy);

  std::function<void()> beforeChange_;
  std::unordered_map<const TDirect3DTexture2*, Entry> entries_;
  std::vector<Page> pages_;
  std::vector<std::uint32_t> keyedTexels_;  // upload scratch, kept so uploads reuse it
  std::vector<std::uint8_t> maskTexels_;
  std::uint64_t uploads_ = 0;
  GLint maxArrayLayers_ = 256;
};

}  // namespace velorina
