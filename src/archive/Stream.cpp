#include "archive/Stream.h"

#include <algorithm>
#include <vector>

#include "archive/Messages.h"

namespace velorina {

std::int64_t Stream::remaining() {
  return std::max<std::int64_t>(0, size() - position());
}

void Stream::readExact(void* buffer, std::size_t count) {
  const std::int64_t at = position();
  const std::size_t got = read(buffer, count);
  if (got != count) {
    ErrorContext ctx{name(), std::nullopt, at,
                     "needs " + std::to_string(count) + " bytes, " + std::to_string(got) + " remain"};
    throw EStreamError(messages::kStreamReadError, std::move(ctx));
  }
}

void Stream::writeExact(const void* buffer, std::size_t count) {
  const std::int64_t at = position();
  if (write(buffer, count) != count) {
    throw EStreamError(messages::kStreamWriteError,
                       ErrorContext{name(), std::nullopt, at, "could not write " + std::to_string(count) + " bytes"});
  }
}

std::int64_t Stream::copyFrom(Stream& source, std::int64_t count) {
  if (count < 0) count = source.remaining();
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
  std::int64_t done = 0;
  while (done < count) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count - done, static_cast<std::int64_t>(chunk.size())));
    source.readExact(chunk.data(), n);
    writeExact(chunk.data(), n);
    done += static_cast<std::int64_t>(n);
  }
  return done;
}

}  // namespace velorina
