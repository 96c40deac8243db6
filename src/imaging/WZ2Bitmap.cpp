#include "imaging/WZ2Bitmap.h"

#include <algorithm>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "archive/LittleEndian.h"
#include "imaging/StreamBytes.h"
#include "imaging/WZFormat.h"

namespace velorina {

namespace {

// A run of up to this many pixels is placed with one fixed-size store of its index;
// the bytes the store writes past the run are overwritten by the runs that follow
// or cleared at the end.
constexpr std::size_t kStoreBytes = 32;

// Writes kStoreBytes copies of `index` at `at`. Inlined into an AVX2 function this
// is one broadcast and one 32-byte store; otherwise two 16-byte stores.
[[gnu::always_inline]] inline void storeFill(std::uint8_t* at, std::uint8_t index) {
  using Fill = std::uint8_t __attribute__((vector_size(kStoreBytes)));
  const Fill fill = Fill{} + index;
  std::memcpy(at, &fill, sizeof fill);
}

// Places the runs of a WZ2 picture into a bitmap whose bytes start undefined, and
// leaves every byte defined: pixels the runs reach take their index, everything
// else (row padding, pixels past the end of the data) is zero.
//
// Positions are byte offsets into the pixel rows. A run that ends before the row's
// last pixel takes whole fill stores; a run that completes the row or lies too
// close to the end of the buffer for a whole store takes placeSlow, which also
// steps to the next row.
class RunPlacer {
 public:
  explicit RunPlacer(Bitmap& out)
      : pixels_(out.pixels().data()),
        size_(out.pixels().size()),
        stride_(out.stride()),
        width_(static_cast<std::size_t>(out.width())),
        height_(out.height()),
        storeEnd_(size_ >= kStoreBytes ? size_ - kStoreBytes + 1 : 0),
        rowEnd_(width_),
        fastEnd_(std::min(rowEnd_, storeEnd_)) {}

  bool complete() const noexcept { return y_ == height_; }

  // One (count, index) pair.
  [[gnu::always_inline]] void place(unsigned count, std::uint8_t index) {
    if (at_ + count < fastEnd_) {
      // Whole fill stores up to the run's end (one for a short run); the last
      // may reach past it, but not past storeEnd_ + kStoreBytes - 1, the end.
      std::uint8_t* const at = pixels_ + at_;
      storeFill(at, index);
      for (unsigned done = kStoreBytes; done < count; done += kStoreBytes) storeFill(at + done, index);
      at_ += count;
    } else {
      placeSlow(count, index);
    }
  }

  // Claims the next `total` pixels for runs that the caller has checked are each
  // at most kStoreBytes long, when they all end before the row's last pixel:
  // answers the first one's address, and the caller places each with storeFill.
  // Otherwise answers nullptr and the runs must go through place().
  [[gnu::always_inline]] std::uint8_t* claimShortRuns(std::size_t total) {
    if (at_ + total >= fastEnd_) return nullptr;
    std::uint8_t* const first = pixels_ + at_;
    at_ += total;
    return first;
  }

  // Clears what the data did not reach: the rest of the current row, its padding
  // and all rows below (completed rows had their padding cleared already).
  void finish() {
    if (!complete()) std::memset(pixels_ + at_, 0, size_ - at_);
  }

 private:
  void placeSlow(unsigned count, std::uint8_t index) {
    if (!placeAcrossRowEnd(count, index)) placeExactly(count, index);
  }

  // The common way out of a row: a short run that completes it and ends inside
  // the next one takes two fill stores, one from its start (running on into the
  // padding and the next row) and one from the next row's first pixel. Answers
  // false, changing nothing, for any other run.
  bool placeAcrossRowEnd(unsigned count, std::uint8_t index) {
    const std::size_t end = at_ + count;
    const std::size_t nextStart = rowEnd_ - width_ + stride_;
    if (count > kStoreBytes || end < rowEnd_ || y_ + 1 >= height_ || nextStart >= storeEnd_) return false;
    const std::size_t nextAt = nextStart + 1 + (end - rowEnd_);
    if (nextAt >= nextStart + width_) return false;  // it completes the next row too
    storeFill(pixels_ + at_, index);
    // Up to three bytes of padding; the store may reach into the next row, which
    // the second fill store covers.
    storeLE<std::uint32_t>(pixels_ + rowEnd_, 0);
    storeFill(pixels_ + nextStart, index);
    ++y_;
    at_ = nextAt;
    rowEnd_ = nextStart + width_;
    fastEnd_ = std::min(rowEnd_, storeEnd_);
    return true;
  }

  // Any run, byte by byte exact: long runs, runs near the end of the buffer,
  // runs that complete more than one row.
  void placeExactly(unsigned count, std::uint8_t index) {
    while (count > 0 && !complete()) {
      const std::size_t n = std::min<std::size_t>(count, rowEnd_ - at_);
      std::memset(pixels_ + at_, index, n);
      at_ += n, count -= static_cast<unsigned>(n);
      if (at_ == rowEnd_) nextRow(index);
    }
  }

  // A completed row gets its padding cleared (fill stores may have run into it)
  // and hands its last index to the next row's uncoded first pixel; in a
  // one-pixel-wide picture that completes the next row as well.
  void nextRow(std::uint8_t index) {
    do {
      std::memset(pixels_ + rowEnd_, 0, stride_ - width_);
      if (++y_ == height_) {
        fastEnd_ = 0;
        return;
      }
      const std::size_t rowStart = static_cast<std::size_t>(y_) * stride_;
      pixels_[rowStart] = index;
      at_ = rowStart + 1;
      rowEnd_ = rowStart + width_;
    } while (at_ == rowEnd_);
    fastEnd_ = std::min(rowEnd_, storeEnd_);
  }

  std::uint8_t* const pixels_;
  const std::size_t size_, stride_, width_;
  const int height_;
  // Fill stores may start below storeEnd_ without leaving the buffer.
  const std::size_t storeEnd_;
  int y_ = 0;
  std::size_t at_ = 0, rowEnd_;
  // A short run may take the fast path when it ends below fastEnd_.
  std::size_t fastEnd_;
};

// Eight pairs (16 bytes) at once where they allow: the counts are checked and
// summed as the 16-bit lanes of two 64-bit words.
[[gnu::always_inline]] inline void placeEight(RunPlacer& placer, const std::uint8_t* pairs) {
  constexpr std::uint64_t kLanes = 0x0001000100010001ull;
  constexpr std::uint64_t kAbove = 0x100 * kLanes;  // bit 8 of each lane
  // Added to a count lane, carries into its bit 8 when the count is above kStoreBytes.
  constexpr std::uint64_t kToAbove = (0x100 - kStoreBytes - 1) * kLanes;
  const std::uint64_t counts1 = loadLE<std::uint64_t>(pairs) & (0xFF * kLanes);
  const std::uint64_t counts2 = loadLE<std::uint64_t>(pairs + 8) & (0xFF * kLanes);
  const std::uint64_t longRuns = ((counts1 + kToAbove) | (counts2 + kToAbove)) & kAbove;
  const std::uint64_t total = ((counts1 + counts2) * kLanes) >> 48;  // the top lane sums all four
  std::uint8_t* at = longRuns == 0 ? placer.claimShortRuns(total) : nullptr;
  if (at == nullptr) {
    for (int i = 0; i < 16; i += 2) placer.place(pairs[i], pairs[i + 1]);
    return;
  }
  for (int i = 0; i < 16; i += 2) {
    storeFill(at, pairs[i + 1]);
    at += pairs[i];
  }
}

void placeRunsPortable(std::span<const std::uint8_t> pairs, Bitmap& out) {
  RunPlacer placer(out);
  const std::uint8_t* pair = pairs.data();
  std::size_t left = pairs.size() / 2;
  for (; left >= 8 && !placer.complete(); left -= 8, pair += 16) placeEight(placer, pair);
  for (; left > 0 && !placer.complete(); --left, pair += 2) placer.place(pair[0], pair[1]);
  placer.finish();
}

#if defined(__x86_64__)
// Only the functions marked VELORINA_AVX2 are compiled for AVX2; they run only
// where hasAvx2() says the processor has it. storeFill and RunPlacer's inline
// members take the AVX2 form when inlined into them.
#define VELORINA_AVX2 __attribute__((target("avx2")))

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}

// Eight claimed runs, one 32-byte store each: the (count, index) pair is
// broadcast straight from memory and shuffled so that every byte takes the
// index, which needs fewer instructions than taking the pair apart.
[[gnu::always_inline]] VELORINA_AVX2 inline std::uint8_t* storeEightAvx2(std::uint8_t* at, const std::uint8_t* pairs) {
  const __m256i takeIndex = _mm256_set1_epi8(1);
  for (int i = 0; i < 16; i += 2) {
    std::int16_t pair;
    std::memcpy(&pair, pairs + i, sizeof pair);
    const __m256i fill = _mm256_shuffle_epi8(_mm256_set1_epi16(pair), takeIndex);
    std::memcpy(at, &fill, sizeof fill);
    at += pairs[i];
  }
  return at;
}

// Sixteen pairs (32 bytes) at once where they allow: the counts are checked and
// summed in one vector.
[[gnu::always_inline]] VELORINA_AVX2 inline void placeSixteenAvx2(RunPlacer& placer, const std::uint8_t* pairs) {
  __m256i raw;
  std::memcpy(&raw, pairs, sizeof raw);
  const __m256i counts = _mm256_and_si256(raw, _mm256_set1_epi16(0xFF));
  const int longRuns = _mm256_movemask_epi8(_mm256_cmpgt_epi16(counts, _mm256_set1_epi16(kStoreBytes)));
  const __m256i sums = _mm256_sad_epu8(counts, _mm256_setzero_si256());  // four sums of four counts
  const __m128i halves = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
  const auto total = static_cast<std::size_t>(_mm_cvtsi128_si64(_mm_add_epi64(halves, _mm_unpackhi_epi64(halves, halves))));
  std::uint8_t* at = longRuns == 0 ? placer.claimShortRuns(total) : nullptr;
  if (at == nullptr) {
    for (int i = 0; i < 32; i += 2) placer.place(pairs[i], pairs[i + 1]);
    return;
  }
  storeEightAvx2(storeEightAvx2(at, pairs), pairs + 16);
}

VELORINA_AVX2 void placeRunsAvx2(std::span<const std::uint8_t> pairs, Bitmap& out) {
  RunPlacer placer(out);
  const std::uint8_t* pair = pairs.data();
  std::size_t left = pairs.size() / 2;
  for (; left >= 16 && !placer.complete(); left -= 16, pair += 32) placeSixteenAvx2(placer, pair);
  for (; left > 0 && !placer.complete(); --left, pair += 2) placer.place(pair[0], pair[1]);
  placer.finish();
}
#endif

void placeRunsWith(RunPlacement placement, std::span<const std::uint8_t> pairs, Bitmap& out) {
#if defined(__x86_64__)
  if (placement == RunPlacement::Fastest && hasAvx2()) return placeRunsAvx2(pairs, out);
#endif
  placeRunsPortable(pairs, out);
}

}  // namespace

void TWZ2Bitmap::decode(std::span<const std::uint8_t> bytes, const std::string& source, RunPlacement placement) {
  Bitmap out = wz::readHeader(bytes, source, PixelInit::Uninitialised);
  placeRunsWith(placement, bytes.subspan(wz::kHeaderSize), out);
  bitmap_ = std::move(out);
}

ByteBuffer TWZ2Bitmap::encode() const {
  Bitmap b = wz::prepareForSaving(bitmap_);
  ByteBuffer out;
  wz::writeHeader(b, out);
  int count = 0;
  std::uint8_t current = 0;
  auto code = [&](std::uint8_t index) {
    if (count > 0 && (index != current || count == 255)) {
      out.push_back(static_cast<std::uint8_t>(count));
      out.push_back(current);
      count = 0;
    }
    current = index;
    ++count;
  };
  for (int y = 0; y < b.height(); ++y) {
    const std::uint8_t* row = b.row(y);
    for (int x = y == 0 ? 0 : 1; x < b.width(); ++x) code(row[x]);
  }
  if (count > 0) {
    out.push_back(static_cast<std::uint8_t>(count));
    out.push_back(current);
  }
  return out;
}

void TWZ2Bitmap::LoadFromStream(Stream& source) {
  ByteBuffer storage;
  decode(remainingBytes(source, storage), source.name());
}

void TWZ2Bitmap::LoadFromFile(const std::string& path) { decode(wz::readWholeFile(path), path); }

void TWZ2Bitmap::SaveToStream(Stream& target) const { target.writeBytes(encode()); }

}  // namespace velorina
