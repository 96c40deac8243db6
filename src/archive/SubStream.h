#pragma once
// TSubStream: a window of Size bytes at Offset of a parent stream. Reads and writes
// go to the parent at Offset + Position and leave the parent's own position as it
// was; nothing moves outside the window.

#include "archive/Stream.h"

namespace velorina {

class TSubStream final : public Stream {
 public:
  // Throws ESubStreamError when parent is null.
  TSubStream(Stream* parent, std::uint32_t size, std::uint32_t offset);

  std::size_t read(void* buffer, std::size_t count) override;
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t size() override { return Size_; }
  void setSize(std::int64_t newSize) override;
  std::span<const std::uint8_t> view(std::int64_t offset, std::size_t count) override;
  std::string name() const override { return Parent_->name(); }

  Stream& Parent() const noexcept { return *Parent_; }
  std::uint32_t Offset() const noexcept { return Offset_; }
  std::uint32_t Size() const noexcept { return Size_; }
  std::int64_t Position() const noexcept { return Position_; }
  // The parent position of the current byte, through every enclosing window down
  // to the outermost stream.
  std::int64_t AbsolutePosition() const;

 private:
  // Bytes that may move at the position: at most Size - Position.
  std::size_t clampToWindow(std::size_t count) const noexcept;

  Stream* Parent_;
  std::uint32_t Offset_;
  std::uint32_t Size_;
  std::int64_t Position_ = 0;
};

}  // namespace velorina
