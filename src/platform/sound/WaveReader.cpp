#include "platform/sound/WaveReader.h"

#include <sndfile.h>

#include <algorithm>

#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "platform/sound/RiffCheck.h"
#include "platform/sound/SoundError.h"

namespace velorina {

namespace {

constexpr int kMaxSampleRate = 1'000'000;

// libsndfile's virtual I/O over a velorina::Stream. The callbacks are called from
// C, so nothing may throw through them: a failing stream reads as the end.
sf_count_t streamLength(void* user) {
  try {
    return static_cast<Stream*>(user)->size();
  } catch (...) {
    return 0;
  }
}

sf_count_t streamSeek(sf_count_t offset, int whence, void* user) {
  const SeekOrigin origin = whence == SEEK_SET   ? SeekOrigin::Begin
                            : whence == SEEK_CUR ? SeekOrigin::Current
                                                 : SeekOrigin::End;
  try {
    return static_cast<Stream*>(user)->seek(offset, origin);
  } catch (...) {
    return -1;
  }
}

sf_count_t streamRead(void* buffer, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  try {
    return static_cast<sf_count_t>(static_cast<Stream*>(user)->read(buffer, static_cast<std::size_t>(count)));
  } catch (...) {
    return 0;
  }
}

sf_count_t streamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t streamTell(void* user) {
  try {
    return static_cast<Stream*>(user)->position();
  } catch (...) {
    return -1;
  }
}

SF_VIRTUAL_IO virtualIo() { return SF_VIRTUAL_IO{streamLength, streamSeek, streamRead, streamWrite, streamTell}; }

// The name libsndfile gives a container or encoding code.
std::string formatName(int format) {
  SF_FORMAT_INFO info{};
  info.format = format;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) != 0 || info.name == nullptr) return "unknown";
  return info.name;
}

[[noreturn]] void fail(const Stream& stream, const std::string& detail) {
  throw ESoundError("Invalid wave data", {stream.name(), std::nullopt, std::nullopt, detail});
}

}  // namespace

struct WaveReader::Handle {
  SF_VIRTUAL_IO io = virtualIo();
  SNDFILE* file = nullptr;
  ~Handle() {
    if (file != nullptr) sf_close(file);
  }
};

WaveReader::WaveReader(std::unique_ptr<Stream> stream) : stream_(std::move(stream)), handle_(std::make_unique<Handle>()) {
  checkRiffWave(*stream_);
  stream_->setPosition(0);
  SF_INFO info{};
  handle_->file = sf_open_virtual(&handle_->io, SFM_READ, &info, stream_.get());
  if (handle_->file == nullptr) fail(*stream_, sf_strerror(nullptr));
  if (info.channels <= 0 || info.channels > kMaxWaveChannels) {
    fail(*stream_, "unsupported channel count " + std::to_string(info.channels));
  }
  if (info.samplerate <= 0 || info.samplerate > kMaxSampleRate) {
    fail(*stream_, "unsupported sample rate " + std::to_string(info.samplerate));
  }
  format_.channels = info.channels;
  format_.sampleRate = info.samplerate;
  format_.frames = std::max<sf_count_t>(info.frames, 0);
  format_.container = formatName(info.format & SF_FORMAT_TYPEMASK);
  format_.encoding = formatName(info.format & SF_FORMAT_SUBMASK);
}

WaveReader::~WaveReader() = default;

std::unique_ptr<WaveReader> WaveReader::openFile(const std::string& path) {
  return std::make_unique<WaveReader>(std::make_unique<FileStream>(path, FileMode::Read));
}

std::unique_ptr<WaveReader> WaveReader::openMemory(std::span<const std::uint8_t> bytes, std::string name) {
  auto stream = std::make_unique<MemoryStream>(bytes);
  stream->setName(std::move(name));
  return std::make_unique<WaveReader>(std::move(stream));
}

std::size_t WaveReader::readFrames(float* out, std::size_t frames) noexcept {
  if (frames == 0) return 0;
  const sf_count_t got = sf_readf_float(handle_->file, out, static_cast<sf_count_t>(frames));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool WaveReader::seekFrame(std::int64_t frame) noexcept {
  frame = std::clamp<std::int64_t>(frame, 0, format_.frames);
  return sf_seek(handle_->file, frame, SEEK_SET) >= 0;
}

}  // namespace velorina
