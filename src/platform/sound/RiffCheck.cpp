#include "platform/sound/RiffCheck.h"

#include <array>
#include <cstring>

#include "platform/sound/SoundError.h"

namespace velorina {

namespace {

constexpr std::uint32_t kFmtMinimum = 16;
constexpr std::uint32_t kMaxSampleRate = 1'000'000;

[[noreturn]] void fail(Stream& stream, std::int64_t offset, const std::string& detail) {
  throw ESoundError("Invalid wave data", {stream.name(), std::nullopt, offset, detail});
}

bool sameTag(const std::uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

void checkFormat(Stream& stream, std::int64_t offset, const std::uint8_t* fmt) {
  const auto channels = loadLE<std::uint16_t>(fmt + 2);
  const auto rate = loadLE<std::uint32_t>(fmt + 4);
  const auto blockAlign = loadLE<std::uint16_t>(fmt + 12);
  if (channels == 0 || channels > kMaxWaveChannels) {
    fail(stream, offset, "unsupported channel count " + std::to_string(channels));
  }
  if (rate == 0 || rate > kMaxSampleRate) fail(stream, offset, "unsupported sample rate " + std::to_string(rate));
  if (blockAlign == 0) fail(stream, offset, "block align is 0");
}

void walkChunks(Stream& stream, std::int64_t size) {
  std::int64_t pos = 12;
  bool haveFormat = false;
  while (pos + 8 <= size) {
    std::array<std::uint8_t, 8> header{};
    stream.setPosition(pos);
    stream.readExact(header.data(), header.size());
    const std::int64_t length = loadLE<std::uint32_t>(header.data() + 4);
    const std::int64_t body = pos + 8;
    if (sameTag(header.data(), "data")) {
      if (!haveFormat) fail(stream, pos, "data chunk before the fmt chunk");
      return;
    }
    if (body + length > size) fail(stream, pos, "chunk runs past the end of the data");
    if (sameTag(header.data(), "fmt ")) {
      if (length < kFmtMinimum) fail(stream, pos, "fmt chunk is too short");
      std::array<std::uint8_t, kFmtMinimum> fmt{};
      stream.readExact(fmt.data(), fmt.size());
      checkFormat(stream, pos, fmt.data());
      haveFormat = true;
    }
    pos = body + length + (length & 1);
  }
  fail(stream, size, haveFormat ? "no data chunk" : "no fmt chunk");
}

}  // namespace

void checkRiffWave(Stream& stream) {
  const std::int64_t start = stream.position();
  const std::int64_t size = stream.size();
  std::array<std::uint8_t, 12> head{};
  stream.setPosition(0);
  if (size < 4 || stream.read(head.data(), 4) != 4 || !sameTag(head.data(), "RIFF")) {
    stream.setPosition(start);
    return;
  }
  if (size < 12) fail(stream, 0, "RIFF header is truncated");
  stream.readExact(head.data() + 4, 8);
  if (!sameTag(head.data() + 8, "WAVE")) {
    stream.setPosition(start);
    return;
  }
  walkChunks(stream, size);
  stream.setPosition(start);
}

}  // namespace velorina
