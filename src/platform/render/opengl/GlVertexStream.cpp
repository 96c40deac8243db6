#include "platform/render/opengl/GlVertexStream.h"

#include <algorithm>
#include <cstring>

namespace velorina {

namespace {

constexpr std::size_t kMinimumBytes = std::size_t(8) << 20;

void* at(std::size_t offset) { return reinterpret_cast<void*>(offset); }

// The pre-lit vertex as it is: colours are B, G, R, A bytes in memory, and the
// reserved word of the device's copy carries the texture's array layer.
void describeVertex() {
  constexpr GLsizei stride = sizeof(D3DLVERTEX);
  glEnableVertexAttribArray(GlVertexStream::kPosition);
  glVertexAttribPointer(GlVertexStream::kPosition, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(D3DLVERTEX, x)));
  glEnableVertexAttribArray(GlVertexStream::kDiffuse);
  glVertexAttribPointer(GlVertexStream::kDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        at(offsetof(D3DLVERTEX, color)));
  glEnableVertexAttribArray(GlVertexStream::kSpecular);
  glVertexAttribPointer(GlVertexStream::kSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        at(offsetof(D3DLVERTEX, specular)));
  glEnableVertexAttribArray(GlVertexStream::kTexCoord);
  glVertexAttribPointer(GlVertexStream::kTexCoord, 2, GL_FLOAT, GL_FALSE, stride, at(offsetof(D3DLVERTEX, tu)));
  glEnableVertexAttribArray(GlVertexStream::kLayer);
  glVertexAttribIPointer(GlVertexStream::kLayer, 1, GL_INT, stride, at(offsetof(D3DLVERTEX, dwReserved)));
}

}  // namespace

GlVertexStream::GlVertexStream() {
  glGenVertexArrays(GLsizei(kBuffers), arrays_.data());
  glGenBuffers(GLsizei(kBuffers), buffers_.data());
  for (std::size_t i = 0; i < kBuffers; ++i) {
    glBindVertexArray(arrays_[i]);
    glBindBuffer(GL_ARRAY_BUFFER, buffers_[i]);
    describeVertex();
  }
  current_ = kBuffers - 1;  // the first append moves on to buffer 0 and sizes it
  rebind();
}

GlVertexStream::~GlVertexStream() {
  for (GLsync f : fences_)
    if (f != nullptr) glDeleteSync(f);
  glDeleteBuffers(GLsizei(kBuffers), buffers_.data());
  glDeleteVertexArrays(GLsizei(kBuffers), arrays_.data());
}

void GlVertexStream::rebind() {
  glBindVertexArray(arrays_[current_]);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_[current_]);
}

GLint GlVertexStream::append(std::span<const D3DLVERTEX> vertices) {
  const std::size_t bytes = vertices.size_bytes();
  if (used_ + bytes > capacity_[current_]) next(bytes);
  void* to = glMapBufferRange(GL_ARRAY_BUFFER, GLintptr(used_), GLsizeiptr(bytes),
                              GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (to != nullptr) {
    std::memcpy(to, vertices.data(), bytes);
    glUnmapBuffer(GL_ARRAY_BUFFER);
  } else {
    glBufferSubData(GL_ARRAY_BUFFER, GLintptr(used_), GLsizeiptr(bytes), vertices.data());
  }
  const auto first = GLint(used_ / sizeof(D3DLVERTEX));
  used_ += bytes;
  return first;
}

// Leaves the buffer in use behind a fence and moves to the next one, once the
// draws that last read it are done; grows it where the batch would not fit.
void GlVertexStream::next(std::size_t bytes) {
  if (fences_[current_] != nullptr) glDeleteSync(fences_[current_]);
  fences_[current_] = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  current_ = (current_ + 1) % kBuffers;
  rebind();
  if (GLsync& f = fences_[current_]; f != nullptr) {
    constexpr GLuint64 kSecond = 1000000000;
    while (glClientWaitSync(f, GL_SYNC_FLUSH_COMMANDS_BIT, kSecond) == GL_TIMEOUT_EXPIRED) {
    }
    glDeleteSync(f);
    f = nullptr;
  }
  if (bytes > capacity_[current_]) {
    capacity_[current_] = std::max(kMinimumBytes, bytes + bytes / 2);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(capacity_[current_]), nullptr, GL_STREAM_DRAW);
  }
  used_ = 0;
}

}  // namespace velorina
