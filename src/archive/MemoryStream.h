#pragma once
// A stream over a byte buffer it owns; grows on writes past the end.

#include <utility>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"

namespace velorina {

class MemoryStream final : public Stream {
 public:
  MemoryStream() = default;
  explicit MemoryStream(ByteBuffer bytes) : data_(std::move(bytes)) {}
  explicit MemoryStream(std::span<const std::uint8_t> bytes) : data_(bytes.begin(), bytes.end()) {}

  std::size_t read(void* buffer, std::size_t count) override;
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t size() override { return static_cast<std::int64_t>(data_.size()); }
  void setSize(std::int64_t newSize) override;
  std::span<const std::uint8_t> view(std::int64_t offset, std::size_t count) override;
  std::string name() const override { return name_; }

  void setName(std::string name) { name_ = std::move(name); }
  const ByteBuffer& buffer() const noexcept { return data_; }
  ByteBuffer& buffer() noexcept { return data_; }
  std::span<const std::uint8_t> bytes() const noexcept { return data_; }
  // Empties the stream (size 0, position 0).
  void clear() noexcept { data_.clear(), pos_ = 0; }
  // Replaces the contents and sets the position to 0.
  void assign(ByteBuffer bytes) noexcept { data_ = std::move(bytes), pos_ = 0; }
  ByteBuffer release() noexcept {
    pos_ = 0;
    return std::exchange(data_, ByteBuffer{});
  }

 private:
  ByteBuffer data_;
  std::int64_t pos_ = 0;
  std::string name_;
};

}  // namespace velorina
