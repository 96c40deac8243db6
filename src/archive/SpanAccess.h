#pragma once
// The position arithmetic that streams over bytes in memory have in common.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "archive/Stream.h"

namespace velorina::span_access {

// Copies up to `count` bytes at `pos` and advances it; nothing outside the bytes.
inline std::size_t read(std::span<const std::uint8_t> bytes, std::int64_t& pos, void* buffer, std::size_t count) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  if (pos < 0 || pos >= size) return 0;
  const auto n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(count), size - pos));
  std::memcpy(buffer, bytes.data() + pos, n);
  pos += static_cast<std::int64_t>(n);
  return n;
}

// The new position; positions outside the bytes are allowed and read nothing.
inline std::int64_t seek(std::int64_t pos, std::int64_t size, std::int64_t offset, SeekOrigin origin) {
  switch (origin) {
    case SeekOrigin::Begin: return offset;
    case SeekOrigin::Current: return pos + offset;
    case SeekOrigin::End: return size + offset;
  }
  return pos;
}

// `count` bytes at `offset`, or an empty span when they are not all there.
inline std::span<const std::uint8_t> view(std::span<const std::uint8_t> bytes, std::int64_t offset, std::size_t count) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) > bytes.size() ||
      count > bytes.size() - static_cast<std::size_t>(offset)) {
    return {};
  }
  return bytes.subspan(static_cast<std::size_t>(offset), count);
}

}  // namespace velorina::span_access
