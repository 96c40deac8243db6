#pragma once
// A bounds-checked walk over the chunks of a RIFF/WAVE image, run before the
// decoder sees it, so that a truncated or lying header is rejected with a clear
// message instead of reaching the decoder.

#include "archive/Stream.h"

namespace velorina {

// Largest channel count a wave may have; every voice buffer is sized from it.
inline constexpr int kMaxWaveChannels = 8;

// When the stream starts with a RIFF/WAVE header: checks that a complete "fmt "
// chunk with a sane format precedes a "data" chunk, and that no chunk before the
// data runs past the end of the stream; throws ESoundError naming the offset
// otherwise. A data chunk that claims more bytes than exist is accepted (the
// frames present are played). Other streams are left to the decoder. The stream
// position is restored.
void checkRiffWave(Stream& stream);

}  // namespace velorina
