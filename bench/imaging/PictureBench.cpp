// Decoding pictures at world load: each decoder against the plain library call
// that does the core of its work, on the same 1024 x 1024 picture in the same run.
//   JPEG  decodeJpeg            vs libjpeg-turbo decoding to BGR rows
//   BMP   readBmp (8-bit)       vs allocating the rows and copying them (memcpy)
//   BMZ   TZBitmap::decode      vs zlib's uncompress of the same stream
//   WZ2   TWZ2Bitmap::decode    vs allocating the rows and copying them (memcpy)
// Both sides allocate their output each iteration, as a decoder must.
//
// More WZ2 cases document behaviour rather than measure the target: the portable
// run placement (processors without AVX2) on the same picture, and two other
// contents, flat patches 24 pixels wide without noise (runs of 24) and patches
// 200 pixels wide (runs longer than one vector store). Their baseline is the same
// BM_Wz2Memcpy, since copying rows does not depend on the content. The "runs"
// counter is the number of (count, index) pairs in the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <jpeglib.h>
#include <zlib.h>

#include "archive/ByteBuffer.h"
#include "archive/MemoryStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/JpegDecoder.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/WZFormat.h"
#include "imaging/ZBitmap.h"

namespace velorina {
namespace {

constexpr int kSide = 1024;

// A texture-like 8-bit picture: flat patches of a few colours with some noise,
// the kind of content the run-length formats are meant for.
Bitmap texture8() {
  Bitmap b(kSide, kSide, PixelFormat::Bits8);
  for (int i = 0; i < 256; ++i) b.palette()[static_cast<std::size_t>(i)] = {std::uint8_t(i), std::uint8_t(i / 2), std::uint8_t(255 - i), 0};
  std::uint32_t seed = 12345;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      seed = seed * 1664525u + 1013904223u;
      int patch = ((x / 24) * 7 + (y / 16) * 3) & 63;
      b.row(y)[x] = static_cast<std::uint8_t>((seed >> 28) == 0 ? (seed >> 8) & 255 : patch);
    }
  return b;
}

// Flat patches `patchWidth` pixels wide and 16 rows high, without noise.
Bitmap flatPatches(int patchWidth) {
  Bitmap b(kSide, kSide, PixelFormat::Bits8);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) b.row(y)[x] = static_cast<std::uint8_t>(((x / patchWidth) * 7 + (y / 16) * 3) & 63);
  return b;
}

Bitmap photo24() {
  Bitmap b(kSide, kSide, PixelFormat::Bits24);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      std::uint8_t* p = b.row(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>((x * y) >> 10), p[1] = static_cast<std::uint8_t>(x ^ y), p[2] = static_cast<std::uint8_t>(x + y / 3);
    }
  return b;
}

std::vector<std::uint8_t> encodeJpeg(const Bitmap& rgb) {
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = kSide, info.image_height = kSide, info.input_components = 3, info.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < kSide; ++y) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.row(y));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

const std::vector<std::uint8_t>& jpegFile() {
  static const auto file = encodeJpeg(photo24());
  return file;
}
const ByteBuffer& bmpFile() {
  static const ByteBuffer file = writeBmp(texture8());
  return file;
}
const ByteBuffer& bmzFile() {
  static const ByteBuffer file = [] {
    MemoryStream s;
    TZBitmap(texture8()).SaveToStream(s);
    return s.release();
  }();
  return file;
}
const ByteBuffer& wz2File() {
  static const ByteBuffer file = TWZ2Bitmap(texture8()).encode();
  return file;
}

void BM_JpegLibrary(benchmark::State& state) {
  const auto& file = jpegFile();
  for (auto _ : state) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    ByteBuffer pixels(static_cast<std::size_t>(kSide) * kSide * 3);
    while (info.output_scanline < info.output_height) {
      JSAMPROW row = pixels.data() + static_cast<std::size_t>(info.output_scanline) * kSide * 3;
      jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
  }
}
void BM_JpegDecoder(benchmark::State& state) {
  const auto& file = jpegFile();
  for (auto _ : state) benchmark::DoNotOptimize(decodeJpeg(file, "bench.jpg"));
}

// Copies the rows of an 8-bit bitmap file (bottom-up) into a new buffer.
void copyRows(benchmark::State& state, std::span<const std::uint8_t> rows) {
  for (auto _ : state) {
    ByteBuffer pixels(rows.size());
    for (int y = 0; y < kSide; ++y)
      std::memcpy(pixels.data() + static_cast<std::size_t>(kSide - 1 - y) * kSide,
                  rows.data() + static_cast<std::size_t>(y) * kSide, kSide);
    benchmark::DoNotOptimize(pixels.data());
  }
}
void BM_BmpMemcpy(benchmark::State& state) {
  const auto& file = bmpFile();
  copyRows(state, std::span(file).subspan(file.size() - static_cast<std::size_t>(kSide) * kSide));
}
void BM_BmpDecoder(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(readBmp(bmpFile(), "bench.bmp"));
}

void BM_BmzZlib(benchmark::State& state) {
  const auto& file = bmzFile();
  std::uint32_t size = 0;
  std::memcpy(&size, file.data() + file.size() - 4, 4);
  for (auto _ : state) {
    ByteBuffer out(size);
    uLongf got = size;
    if (uncompress(out.data(), &got, file.data(), static_cast<uLong>(file.size() - 4)) != Z_OK) state.SkipWithError("zlib");
    benchmark::DoNotOptimize(out.data());
  }
}
void BM_BmzDecoder(benchmark::State& state) {
  for (auto _ : state) {
    TZBitmap z;
    z.decode(bmzFile(), "bench.bmz");
    benchmark::DoNotOptimize(z.bitmap().pixels().data());
  }
}

void BM_Wz2Memcpy(benchmark::State& state) {
  const auto& file = bmpFile();
  copyRows(state, std::span(file).subspan(file.size() - static_cast<std::size_t>(kSide) * kSide));
}
void decodeWz2(benchmark::State& state, const ByteBuffer& file, RunPlacement placement = RunPlacement::Fastest) {
  for (auto _ : state) {
    TWZ2Bitmap w;
    w.decode(file, "bench.wz2", placement);
    benchmark::DoNotOptimize(w.bitmap().pixels().data());
  }
  state.counters["runs"] = static_cast<double>((file.size() - wz::kHeaderSize) / 2);
}
// The same copy through the C library's memcpy: with a row length the compiler
// cannot see, it calls the library instead of expanding each row into a
// `rep movsq` (which is slower here, as the BMP file's rows are not 8-byte
// aligned). A stricter baseline for the WZ2 decoder, reported beside the first.
void BM_Wz2LibraryMemcpy(benchmark::State& state) {
  const auto& file = bmpFile();
  const auto rows = std::span(file).subspan(file.size() - static_cast<std::size_t>(kSide) * kSide);
  std::size_t rowBytes = kSide;
  benchmark::DoNotOptimize(rowBytes);
  for (auto _ : state) {
    ByteBuffer pixels(rows.size());
    for (std::size_t y = 0; y < kSide; ++y)
      std::memcpy(pixels.data() + (kSide - 1 - y) * rowBytes, rows.data() + y * rowBytes, rowBytes);
    benchmark::DoNotOptimize(pixels.data());
  }
}
void BM_Wz2Decoder(benchmark::State& state) { decodeWz2(state, wz2File()); }

#if defined(__x86_64__)
// The floor of a decoder that places each run with its own store: one 32-byte
// AVX2 store per pair of the file into one long buffer, with no row handling and
// no checks (the output is not a picture). What BM_Wz2Decoder adds is the rest.
__attribute__((target("avx2"))) std::uint8_t* storeEveryRun(std::span<const std::uint8_t> pairs, std::uint8_t* at) {
  const __m256i takeIndex = _mm256_set1_epi8(1);
  for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
    std::int16_t pair;  // broadcast from memory and shuffled, as the decoder does
    std::memcpy(&pair, pairs.data() + i, sizeof pair);
    const __m256i fill = _mm256_shuffle_epi8(_mm256_set1_epi16(pair), takeIndex);
    std::memcpy(at, &fill, sizeof fill);
    at += pairs[i];
  }
  return at;
}
void BM_Wz2RunStoresOnly(benchmark::State& state) {
  if (!__builtin_cpu_supports("avx2")) return state.SkipWithError("no AVX2");
  const auto pairs = std::span(wz2File()).subspan(wz::kHeaderSize);
  ByteBuffer pixels(static_cast<std::size_t>(kSide) * kSide + 64);
  for (auto _ : state) benchmark::DoNotOptimize(storeEveryRun(pairs, pixels.data()));
  state.counters["runs"] = static_cast<double>(pairs.size() / 2);
}
BENCHMARK(BM_Wz2RunStoresOnly)->Unit(benchmark::kMicrosecond);
#endif
// The placement processors without AVX2 get (two 16-byte stores per short run).
void BM_Wz2Decoder_Portable(benchmark::State& state) { decodeWz2(state, wz2File(), RunPlacement::Portable); }
void BM_Wz2Decoder_Patches24(benchmark::State& state) {
  static const ByteBuffer file = TWZ2Bitmap(flatPatches(24)).encode();
  decodeWz2(state, file);
}
void BM_Wz2Decoder_Patches200(benchmark::State& state) {
  static const ByteBuffer file = TWZ2Bitmap(flatPatches(200)).encode();
  decodeWz2(state, file);
}

BENCHMARK(BM_JpegLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecoder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BmpDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BmzZlib)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BmzDecoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2LibraryMemcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2Decoder)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2Decoder_Portable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2Decoder_Patches24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Wz2Decoder_Patches200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velorina

BENCHMARK_MAIN();
