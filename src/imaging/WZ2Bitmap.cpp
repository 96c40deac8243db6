#include "imaging/WZ2Bitmap.h"

#include <algorithm>
#include <cstring>

#include "archive/LittleEndian.h"
#include "imaging/StreamBytes.h"
#include "imaging/WZFormat.h"

namespace velorina {

namespace {

// A run of up to this many pixels is placed with one fixed-size store of its index;
// the bytes the store writes past the run are overwritten by the runs that follow
// or cleared at the end.
constexpr std::size_t kStoreBytes = 32;

// Writes kStoreBytes copies of `index` at `at`. Inlined into an AVX2 caller this is
// one broadcast and one 32-byte store; otherwise two 16-byte stores.
[[gnu::always_inline]] inline void storeFill(std::uint8_t* at, std::uint8_t index) {
  using Fill = std::uint8_t __attribute__((vector_size(kStoreBytes)));
  const Fill fill = Fill{} + index;
  std::memcpy(at, &fill, sizeof fill);
}

// Places the runs of a WZ2 picture into a bitmap whose bytes start undefined, and
// leaves every byte defined: pixels the runs reach take their index, everything
// else (row padding, pixels past the end of the data) is zero.
//
// Positions are byte offsets into the pixel rows. Inside a row, a run that ends
// before the row's last pixel and fits one fill store takes the fast path; a run
// that completes the row, is longer, or lies too close to the end of the buffer
// for a whole store takes placeSlow, which also steps to the next row.
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
    if (count <= kStoreBytes && at_ + count < fastEnd_) {
      storeFill(pixels_ + at_, index);
      at_ += count;
    } else {
      placeSlow(count, index);
    }
  }

  // Eight pairs (16 bytes at `pairs`). When all eight runs are short and end
  // before the row's last pixel, they are placed without a check per run: the
  // counts are summed as four 16-bit lanes of two 64-bit words.
  [[gnu::always_inline]] void placeEight(const std::uint8_t* pairs) {
    constexpr std::uint64_t kLanes = 0x0001000100010001ull;
    constexpr std::uint64_t kCountLanes = 0xFF * kLanes;
    constexpr std::uint64_t kAboveStore = 0x100 * kLanes;  // bit 8 of each lane
    // Added to a lane, carries into bit 8 when the count is above kStoreBytes.
    constexpr std::uint64_t kToAbove = (0x100 - kStoreBytes - 1) * kLanes;
    const std::uint64_t first = loadLE<std::uint64_t>(pairs), second = loadLE<std::uint64_t>(pairs + 8);
    const std::uint64_t counts1 = first & kCountLanes, counts2 = second & kCountLanes;
    const std::uint64_t total = ((counts1 + counts2) * kLanes) >> 48;  // the top lane sums all four
    const std::uint64_t longRuns = ((counts1 + kToAbove) | (counts2 + kToAbove)) & kAboveStore;
    if (longRuns == 0 && at_ + total < fastEnd_) {
      at_ = placeFour(second, placeFour(first, at_));
    } else {
      for (int i = 0; i < 16; i += 2) place(pairs[i], pairs[i + 1]);
    }
  }

  // Clears what the data did not reach: the rest of the current row, its padding
  // and all rows below (completed rows had their padding cleared already).
  void finish() {
    if (!complete()) std::memset(pixels_ + at_, 0, size_ - at_);
  }

 private:
  // Four pairs of a little-endian word, every run short and inside the row.
  [[gnu::always_inline]] std::size_t placeFour(std::uint64_t pairs, std::size_t at) {
    for (int i = 0; i < 4; ++i, pairs >>= 16) {
      storeFill(pixels_ + at, static_cast<std::uint8_t>(pairs >> 8));
      at += pairs & 0xFF;
    }
    return at;
  }

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

[[gnu::always_inline]] inline void placeRuns(std::span<const std::uint8_t> pairs, Bitmap& out) {
  RunPlacer placer(out);
  const std::uint8_t* pair = pairs.data();
  std::size_t left = pairs.size() / 2;
  for (; left >= 8 && !placer.complete(); left -= 8, pair += 16) placer.placeEight(pair);
  for (; left > 0 && !placer.complete(); --left, pair += 2) placer.place(pair[0], pair[1]);
  placer.finish();
}

#if defined(__x86_64__) || defined(__i386__)
// The same code compiled for AVX2, so that each fill is a single 32-byte store;
// chosen at run time on processors that have it.
__attribute__((target("avx2"))) void placeRunsAvx2(std::span<const std::uint8_t> pairs, Bitmap& out) {
  placeRuns(pairs, out);
}

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}
#endif

void placeRunsWith(RunPlacement placement, std::span<const std::uint8_t> pairs, Bitmap& out) {
#if defined(__x86_64__) || defined(__i386__)
  if (placement == RunPlacement::Fastest && hasAvx2()) return placeRunsAvx2(pairs, out);
#endif
  placeRuns(pairs, out);
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
