#include "archive/CompressedBlock.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>

#include "archive/Messages.h"

namespace velorina {

namespace {

// Inflating a block whose N is at most this, or at most kTrustedRatio times its
// compressed size, allocates N at once; larger claims grow with the real output.
constexpr std::uint64_t kUpfrontLimit = 64u << 20;
constexpr std::uint64_t kTrustedRatio = 16;
constexpr std::size_t kChunk = 65535;

[[noreturn]] void fail(const std::string& message, const std::string& source, std::string detail) {
  throw EDecompressionError(message, ErrorContext{source, std::nullopt, std::nullopt, std::move(detail)});
}

std::string lengths(std::uint64_t got, std::uint32_t declared) {
  return std::to_string(got) + " of " + std::to_string(declared) + " declared bytes";
}

class ZStream {
 public:
  ZStream() {
    if (inflateInit(&z) != Z_OK) throw std::bad_alloc();
  }
  ~ZStream() { inflateEnd(&z); }
  ZStream(const ZStream&) = delete;
  ZStream& operator=(const ZStream&) = delete;
  z_stream z{};
};

// Streams a zlib stream out of `pull` (which hands over the next input bytes, an
// empty span at the end) into `out`, growing `out` with the data that really comes
// out, up to `declared` bytes. Returns the compressed bytes used.
template <typename Pull>
std::uint64_t inflateChunked(Pull&& pull, std::uint32_t declared, ByteBuffer& out, const ProgressHandler& progress,
                             const std::string& source) {
  ZStream zs;
  z_stream& z = zs.z;
  out.clear();
  std::size_t produced = 0;
  bool ended = false;
  auto refill = [&] {
    auto in = pull();
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    return !in.empty();
  };
  while (!ended) {
    std::uint8_t spare = 0;
    const bool full = produced == declared;
    const std::size_t want = full ? 1 : std::min<std::size_t>(kChunk, declared - produced);
    if (!full && out.size() < produced + want) {
      out.resize(std::min<std::size_t>(declared, std::max(produced + want, out.size() * 2)));
    }
    z.next_out = full ? &spare : out.data() + produced;
    z.avail_out = static_cast<uInt>(want);
    int rc = inflate(&z, Z_NO_FLUSH);
    const std::size_t got = want - z.avail_out;
    if (full && got > 0) fail("data error", source, "the zlib stream runs past the declared length " + std::to_string(declared));
    produced += got;
    if (rc == Z_STREAM_END) {
      ended = true;
    } else if (rc == Z_BUF_ERROR || (rc == Z_OK && z.avail_in == 0)) {
      if (z.avail_in == 0 && !refill()) fail("data error", source, "the zlib stream ends early: " + lengths(produced, declared));
    } else if (rc != Z_OK) {
      fail(z.msg ? z.msg : "data error", source, "damaged zlib stream after " + lengths(produced, declared));
    }
    if (got > 0 && progress) {
      progress(ProgressStage::Working, static_cast<int>(std::lround(100.0 * produced / declared)));
    }
  }
  if (produced != declared) fail("data error", source, "the zlib stream ends early: " + lengths(produced, declared));
  out.resize(produced);
  return z.total_in;
}

int levelFor(TCompressionLevel level) { return zlibLevel(level); }

}  // namespace

int zlibLevel(TCompressionLevel level) noexcept {
  switch (level) {
    case TCompressionLevel::clNone: return Z_NO_COMPRESSION;
    case TCompressionLevel::clFastest: return Z_BEST_SPEED;
    case TCompressionLevel::clDefault: return 6;
    case TCompressionLevel::clMax: return Z_BEST_COMPRESSION;
  }
  return 6;
}

void checkDeclaredLength(std::uint32_t declared, std::uint64_t available, const std::string& source) {
  if (declared > 0 && declared > available * kMaxDeflateRatio) {
    fail("data error", source,
         "declares " + std::to_string(declared) + " bytes from only " + std::to_string(available) +
             " compressed bytes, more than deflate can expand to");
  }
}

Inflater::Inflater() : d_(libdeflate_alloc_decompressor()) {
  if (d_ == nullptr) throw std::bad_alloc();
}

Inflater::~Inflater() { libdeflate_free_decompressor(d_); }

std::size_t Inflater::inflate(std::span<const std::uint8_t> zlib, std::uint32_t declared, ByteBuffer& out,
                              const std::string& source) {
  checkDeclaredLength(declared, zlib.size(), source);
  if (declared == 0) {
    out.clear();
    return 0;
  }
  if (declared > kUpfrontLimit && declared > kTrustedRatio * zlib.size()) {
    bool given = false;
    return inflateChunked(
        [&]() -> std::span<const std::uint8_t> {
          if (given) return {};
          given = true;
          return zlib;
        },
        declared, out, {}, source);
  }
  out.resize(declared);
  std::size_t usedIn = 0;
  std::size_t usedOut = 0;
  const auto rc = libdeflate_zlib_decompress_ex(d_, zlib.data(), zlib.size(), out.data(), declared, &usedIn, &usedOut);
  if (rc == LIBDEFLATE_INSUFFICIENT_SPACE) {
    fail("data error", source, "the zlib stream runs past the declared length " + std::to_string(declared));
  }
  if (rc != LIBDEFLATE_SUCCESS) {
    fail("data error", source, "damaged or truncated zlib stream (" + std::to_string(zlib.size()) + " compressed bytes)");
  }
  if (usedOut != declared) fail("data error", source, "the zlib stream ends early: " + lengths(usedOut, declared));
  return usedIn;
}

std::int64_t readCompressedBlock(Stream& source, ByteBuffer& out, const ProgressHandler& progress) {
  const std::uint32_t declared = source.readU32();
  const std::int64_t start = source.position();
  out.clear();
  if (declared == 0) return 0;
  checkDeclaredLength(declared, static_cast<std::uint64_t>(source.remaining()), source.name());
  if (progress) progress(ProgressStage::Start, 0);
  std::array<std::uint8_t, 1 << 16> chunk;
  std::int64_t pulled = 0;
  const std::uint64_t used = inflateChunked(
      [&]() -> std::span<const std::uint8_t> {
        const std::size_t n = source.read(chunk.data(), chunk.size());
        pulled += static_cast<std::int64_t>(n);
        return {chunk.data(), n};
      },
      declared, out, progress, source.name());
  source.setPosition(start + static_cast<std::int64_t>(used));
  (void)pulled;
  if (progress) progress(ProgressStage::Done, 100);
  return static_cast<std::int64_t>(used);
}

void decodeCompressedBlock(std::span<const std::uint8_t> block, Inflater& inflater, ByteBuffer& out,
                           const std::string& source) {
  if (block.size() < 4) fail("data error", source, "a compressed block needs at least 4 bytes");
  const auto declared = loadLE<std::uint32_t>(block.data());
  inflater.inflate(block.subspan(4), declared, out, source);
}

ByteBuffer compressBlock(std::span<const std::uint8_t> data, TCompressionLevel level) {
  if (data.size() > 0xFFFFFFFFu) {
    throw ECompressionError("Stream write error", ErrorContext{{}, std::nullopt, std::nullopt, "data above 4 GiB"});
  }
  z_stream z{};
  if (deflateInit(&z, levelFor(level)) != Z_OK) throw ECompressionError("deflateInit failed");
  ByteBuffer out(4 + deflateBound(&z, static_cast<uLong>(data.size())));
  storeLE<std::uint32_t>(out.data(), static_cast<std::uint32_t>(data.size()));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data() + 4;
  z.avail_out = static_cast<uInt>(out.size() - 4);
  const int rc = deflate(&z, Z_FINISH);
  const auto written = z.total_out;
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw ECompressionError("deflate failed");
  out.resize(4 + written);
  return out;
}

void writeCompressedBlock(Stream& target, std::span<const std::uint8_t> data, TCompressionLevel level,
                          const ProgressHandler& progress) {
  if (progress) progress(ProgressStage::Start, 0);
  const ByteBuffer block = compressBlock(data, level);
  target.writeBytes(block);
  if (progress) progress(ProgressStage::Done, 100);
}

}  // namespace velorina
