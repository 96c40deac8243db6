#pragma once
// Where the OpenGL device's batches of pre-lit vertices go: a few buffers used in
// turn, each filled batch after batch through unsynchronised mappings. Before a
// buffer is filled again, the device waits for the fence set when it was left,
// so no batch is written where an earlier draw still reads, and the storage is
// kept: no new memory (and no page faults) per frame, as there would be with
// orphaning.

#include <epoxy/gl.h>

#include <array>
#include <cstddef>
#include <span>

#include "platform/render/D3DTypes.h"

namespace velorina {

class GlVertexStream {
 public:
  // Vertex attribute locations, as the shader family declares them.
  static constexpr GLuint kPosition = 0, kDiffuse = 1, kSpecular = 2, kTexCoord = 3, kLayer = 4;

  // Needs the context current; binds the first buffer's vertex array.
  GlVertexStream();
  ~GlVertexStream();
  GlVertexStream(const GlVertexStream&) = delete;
  GlVertexStream& operator=(const GlVertexStream&) = delete;

  // Copies the vertices behind the earlier ones and answers the index of the
  // first; the vertex array that holds them is bound.
  GLint append(std::span<const D3DLVERTEX> vertices);
  // After anything else touched the context: binds the buffer in use again.
  void rebind();

 private:
  static constexpr std::size_t kBuffers = 3;
  void next(std::size_t bytes);

  std::array<GLuint, kBuffers> arrays_{}, buffers_{};
  std::array<std::size_t, kBuffers> capacity_{};
  std::array<GLsync, kBuffers> fences_{};
  std::size_t current_ = 0, used_ = 0;
};

}  // namespace velorina
