#pragma once
#include <cstdint>
#include <span>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"

namespace velorina {

// The stream from its position to its end, in place when the stream keeps its
// bytes in memory; `storage` holds them otherwise. Leaves the position at the end.
std::span<const std::uint8_t> remainingBytes(Stream& source, ByteBuffer& storage);

}  // namespace velorina
