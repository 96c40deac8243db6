#pragma once
// The device's textures on the graphics card: one OpenGL texture per device
// texture, uploaded on first use and again only when its picture changes. The
// cache watches every texture it holds and drops the copy when the texture goes
// away, so a new texture at the same address is never drawn with old texels.

#include <epoxy/gl.h>

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "platform/render/Direct3DTexture2.h"

namespace velorina {

class GlTextureCache final : private ITextureObserver {
 public:
  // beforeDrop runs before a texture's copy is deleted (the device draws what it
  // still has batched with it).
  explicit GlTextureCache(std::function<void(const TDirect3DTexture2&)> beforeDrop);
  ~GlTextureCache();
  GlTextureCache(const GlTextureCache&) = delete;
  GlTextureCache& operator=(const GlTextureCache&) = delete;

  // The texture's OpenGL name, uploading its picture if it is new or changed.
  GLuint prepare(TDirect3DTexture2& texture);
  std::size_t size() const { return entries_.size(); }
  std::uint64_t uploads() const { return uploads_; }

 private:
  struct Entry {
    TDirect3DTexture2* texture = nullptr;
    GLuint name = 0;
    std::uint64_t identity = 0;
    std::uint64_t pictureRevision = 0;
  };
  void textureGone(const TDirect3DTexture2& texture) override;
  static void upload(const TDirect3DTexture2& texture, GLuint name);

  std::function<void(const TDirect3DTexture2&)> beforeDrop_;
  std::unordered_map<const TDirect3DTexture2*, Entry> entries_;
  std::uint64_t uploads_ = 0;
};

}  // namespace velorina
