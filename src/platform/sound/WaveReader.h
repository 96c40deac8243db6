#pragma once
// Decodes wave data with libsndfile, a block of frames at a time, so that memory
// stays bounded whatever the length of the wave. Reads PCM of 8 to 32 bits, float,
// IMA and Microsoft ADPCM, mu-law and A-law, from files, memory or any Stream
// (an archive lump, a window of a file). The input is treated as hostile: RIFF
// headers are checked first, and every open failure becomes an ESoundError.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "archive/Stream.h"

namespace velorina {

struct WaveFormat {
  int channels = 0;
  int sampleRate = 0;
  std::int64_t frames = 0;
  std::string container;  // "WAV (Microsoft)", ...
  std::string encoding;   // "Signed 16 bit PCM", "IMA ADPCM", ...

  double durationSeconds() const { return sampleRate > 0 ? static_cast<double>(frames) / sampleRate : 0.0; }
};

class WaveReader {
 public:
  // Takes ownership of the stream and decodes from its current contents.
  explicit WaveReader(std::unique_ptr<Stream> stream);
  ~WaveReader();
  WaveReader(const WaveReader&) = delete;
  WaveReader& operator=(const WaveReader&) = delete;

  static std::unique_ptr<WaveReader> openFile(const std::string& path);
  // Copies the bytes, so the caller's buffer may go away.
  static std::unique_ptr<WaveReader> openMemory(std::span<const std::uint8_t> bytes, std::string name = {});

  const WaveFormat& format() const noexcept { return format_; }

  // Reads up to `frames` interleaved frames (format().channels floats each, -1..1)
  // and returns the frames read; 0 at the end or when the data is damaged.
  // Allocates nothing.
  std::size_t readFrames(float* out, std::size_t frames) noexcept;
  // Moves to a frame (clamped to the wave); false when the decoder cannot seek.
  bool seekFrame(std::int64_t frame) noexcept;

 private:
  struct Handle;
  std::unique_ptr<Stream> stream_;
  std::unique_ptr<Handle> handle_;
  WaveFormat format_;
};

}  // namespace velorina
