#pragma once
// A read-only stream over bytes that several streams share: each stream keeps its
// own position, so many readers (one per sound, say) can use one copy of the data.

#include <memory>
#include <string>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"

namespace velorina {

class SharedBytesStream final : public Stream {
 public:
  SharedBytesStream(std::shared_ptr<const ByteBuffer> bytes, std::string name)
      : bytes_(std::move(bytes)), name_(std::move(name)) {}

  std::size_t read(void* buffer, std::size_t count) override;
  // Raises EStreamError: the shared bytes never change.
  std::size_t write(const void* buffer, std::size_t count) override;
  std::int64_t seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t size() override { return static_cast<std::int64_t>(bytes_->size()); }
  void setSize(std::int64_t newSize) override;
  std::span<const std::uint8_t> view(std::int64_t offset, std::size_t count) override;
  std::string name() const override { return name_; }

 private:
  std::shared_ptr<const ByteBuffer> bytes_;
  std::string name_;
  std::int64_t pos_ = 0;
};

}  // namespace velorina
