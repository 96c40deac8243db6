#include "archive/SharedBytesStream.h"

#include "archive/Messages.h"
#include "archive/SpanAccess.h"

namespace velorina {

std::size_t SharedBytesStream::read(void* buffer, std::size_t count) {
  return span_access::read(*bytes_, pos_, buffer, count);
}

std::size_t SharedBytesStream::write(const void*, std::size_t) {
  throw EStreamError(messages::kStreamWriteError, ErrorContext{name_, std::nullopt, pos_, "the stream is read-only"});
}

std::int64_t SharedBytesStream::seek(std::int64_t offset, SeekOrigin origin) {
  return pos_ = span_access::seek(pos_, size(), offset, origin);
}

void SharedBytesStream::setSize(std::int64_t) {
  throw EStreamError(messages::kStreamWriteError, ErrorContext{name_, std::nullopt, pos_, "the stream is read-only"});
}

std::span<const std::uint8_t> SharedBytesStream::view(std::int64_t offset, std::size_t count) {
  return span_access::view(*bytes_, offset, count);
}

}  // namespace velorina
