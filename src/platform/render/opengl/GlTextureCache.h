#pragma once
// The device's textures on the graphics card: for each device texture, the
// picture as it is and, once drawn with its colour key on, the keyed picture the
// sampler can filter (keyed texels cleared to 0, 0, 0, 0, see GlShaderKey.h), each
// uploaded on first use and again only when the picture or the key changes. The
// cache watches every texture it holds and drops the copies when the texture goes
// away, so a new texture at the same address is never drawn with old texels.

#include <epoxy/gl.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/render/Direct3DTexture2.h"

namespace velorina {

// What a draw binds: the picture and, for a keyed picture with translucent
// texels, the mask holding each texel's weight (1 unless keyed); else 0.
struct GlTextureView {
  GLuint picture = 0;
  GLuint mask = 0;
};

class GlTextureCache final : private ITextureObserver {
 public:
  // beforeDrop runs before a texture's copies are deleted (the device draws what
  // it still has batched with it).
  explicit GlTextureCache(std::function<void(const TDirect3DTexture2&)> beforeDrop);
  ~GlTextureCache();
  GlTextureCache(const GlTextureCache&) = delete;
  GlTextureCache& operator=(const GlTextureCache&) = delete;

  // The texture's copy for drawing with `key` (RGB) or without a key, uploaded
  // if it is new or its picture or key changed.
  GlTextureView prepare(TDirect3DTexture2& texture, std::optional<std::uint32_t> key);
  std::size_t size() const { return entries_.size(); }
  std::uint64_t uploads() const { return uploads_; }

 private:
  struct Copy {
    GLuint picture = 0, mask = 0;
    bool current = false;
    bool translucent = false;  // keyed copy: a texel that is not keyed has alpha below 255
    std::uint64_t pictureRevision = 0;
    std::uint32_t key = 0;
  };
  struct Entry {
    TDirect3DTexture2* texture = nullptr;
    std::uint64_t identity = 0;
    Copy plain, keyed;
  };
  void textureGone(const TDirect3DTexture2& texture) override;
  void uploadPlain(const TDirect3DTexture2& texture, Copy& copy);
  void uploadKeyed(const TDirect3DTexture2& texture, std::uint32_t key, Copy& copy);
  static void deleteNames(Copy& copy);

  std::function<void(const TDirect3DTexture2&)> beforeDrop_;
  std::unordered_map<const TDirect3DTexture2*, Entry> entries_;
  std::vector<std::uint32_t> keyedTexels_;  // upload scratch, kept so uploads reuse it
  std::vector<std::uint8_t> maskTexels_;
  std::uint64_t uploads_ = 0;
};

}  // namespace velorina
