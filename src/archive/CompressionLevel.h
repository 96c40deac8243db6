#pragma once

#include <cstdint>
#include <functional>

namespace velorina {

// zlib level classes; the stored value is the enumerator's number.
enum class TCompressionLevel : std::uint8_t { clNone = 0, clFastest = 1, clDefault = 2, clMax = 3 };

// The zlib level for a class (0, 1, 6, 9).
int zlibLevel(TCompressionLevel level) noexcept;

// Stages of a long read or write: Start, then Working with a percentage after each
// chunk, then Done.
enum class ProgressStage : int { Start = 0, Working = 1, Done = 2 };
using ProgressHandler = std::function<void(ProgressStage stage, int percent)>;

// How a holder's bytes are stored: as they are, or as one compressed block.
enum class BlockForm { Plain, Compressed };

}  // namespace velorina
