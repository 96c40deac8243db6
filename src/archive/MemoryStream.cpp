#include "archive/MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "archive/Messages.h"
#include "archive/SpanAccess.h"

namespace velorina {

std::size_t MemoryStream::read(void* buffer, std::size_t count) { return span_access::read(data_, pos_, buffer, count); }

std::size_t MemoryStream::write(const void* buffer, std::size_t count) {
  if (pos_ < 0 || count == 0) return 0;
  const auto end = static_cast<std::size_t>(pos_) + count;
  if (end > data_.size()) {
    const auto old = data_.size();
    data_.resize(end);
    // Bytes between the old end and a position sought past it read as zeros.
    if (static_cast<std::size_t>(pos_) > old) std::memset(data_.data() + old, 0, static_cast<std::size_t>(pos_) - old);
  }
  std::memcpy(data_.data() + pos_, buffer, count);
  pos_ += static_cast<std::int64_t>(count);
  return count;
}

std::int64_t MemoryStream::seek(std::int64_t offset, SeekOrigin origin) {
  return pos_ = span_access::seek(pos_, size(), offset, origin);
}

void MemoryStream::setSize(std::int64_t newSize) {
  if (newSize < 0) {
    throw EStreamError(messages::kStreamWriteError, ErrorContext{name_, std::nullopt, newSize, "negative size"});
  }
  const auto old = data_.size();
  data_.resize(static_cast<std::size_t>(newSize));
  if (data_.size() > old) std::memset(data_.data() + old, 0, data_.size() - old);
  if (pos_ > newSize) pos_ = newSize;
}

std::span<const std::uint8_t> MemoryStream::view(std::int64_t offset, std::size_t count) {
  return span_access::view(data_, offset, count);
}

}  // namespace velorina
