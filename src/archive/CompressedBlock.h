#pragma once
// The compressed block: a u32 uncompressed length N followed by a zlib stream
// (RFC 1950) that inflates to exactly N bytes; the stored form of archive entries,
// the archive directory and designed binary data.
//
// The declared N is not trusted. Deflate cannot expand data by more than about
// 1032 to 1 (a 258-byte match coded in two bits), so an N beyond that ratio of the
// compressed bytes available is refused before anything is allocated, and a large
// N that is not backed by enough input is inflated into a buffer that grows with
// what really comes out.

#include <cstdint>
#include <memory>
#include <span>

#include "archive/ByteBuffer.h"
#include "archive/CompressionLevel.h"
#include "archive/Stream.h"

struct libdeflate_decompressor;

namespace velorina {

inline constexpr std::uint64_t kMaxDeflateRatio = 1032;

// Throws EDecompressionError unless N could come from `available` compressed bytes.
void checkDeclaredLength(std::uint32_t declared, std::uint64_t available, const std::string& source);

// A one-shot zlib decoder (libdeflate) for blocks whose compressed bytes are all in
// memory. Keeps its decompressor between calls; not shareable between threads.
class Inflater {
 public:
  Inflater();
  ~Inflater();
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  // Inflates `zlib` (a whole zlib stream, possibly followed by other bytes) into
  // `out`, which becomes exactly `declared` bytes. Returns the compressed bytes the
  // stream used. Throws EDecompressionError on damaged data, on a stream that ends
  // before `declared` bytes or that would run past them.
  std::size_t inflate(std::span<const std::uint8_t> zlib, std::uint32_t declared, ByteBuffer& out,
                      const std::string& source = {});

 private:
  libdeflate_decompressor* d_;
};

// Reads one compressed block at the stream's position into `out` (replacing its
// contents), with zlib's streaming inflater, reporting progress after each chunk
// of at most 65,535 output bytes. Leaves the stream just after the zlib stream.
// Returns the bytes consumed from the stream (the u32 included).
std::int64_t readCompressedBlock(Stream& source, ByteBuffer& out, const ProgressHandler& progress = {});

// Reads one compressed block whose bytes all lie in `block` (u32 + zlib stream),
// with the one-shot inflater.
void decodeCompressedBlock(std::span<const std::uint8_t> block, Inflater& inflater, ByteBuffer& out,
                           const std::string& source = {});

// Writes `data` as one compressed block at the stream's position: the u32 N, then a
// zlib stream at `level` (an empty zlib stream when N is 0). Leaves the position
// after the zlib stream.
void writeCompressedBlock(Stream& target, std::span<const std::uint8_t> data, TCompressionLevel level,
                          const ProgressHandler& progress = {});

// The block as bytes (u32 N + zlib stream).
ByteBuffer compressBlock(std::span<const std::uint8_t> data, TCompressionLevel level);

}  // namespace velorina
