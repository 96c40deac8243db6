// The run-length decoders against their reading rules applied one pixel at a time,
// on random run streams: every byte of the result (pixels and row padding) must
// match; for WZ2 with both the fastest and the portable run placement.
#include <gtest/gtest.h>

#include <random>

#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/WZFormat.h"
#include "TestPictures.h"

namespace velorina {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The reading rule, one pixel at a time, into a bitmap that starts all zero.
Bitmap referenceDecode(int width, int height, const Bytes& runs) {
  Bitmap out(width, height, PixelFormat::Bits8);
  int x = 0, y = 0;
  for (std::size_t i = 0; i + 1 < runs.size() && y < height; i += 2) {
    for (int n = 0; n < runs[i] && y < height; ++n) {
      out.setRawPixel(x++, y, runs[i + 1]);
      while (x == width && ++y < height) {
        out.setRawPixel(0, y, runs[i + 1]);
        x = 1;
      }
    }
  }
  return out;
}

// WZ1: runs stop at the row's end, the excess is dropped.
Bitmap referenceDecodeWz1(int width, int height, const Bytes& runs) {
  Bitmap out(width, height, PixelFormat::Bits8);
  int x = 0, y = 0;
  for (std::size_t i = 0; i + 1 < runs.size() && y < height; i += 2) {
    for (int n = 0; n < runs[i] && x < width; ++n) out.setRawPixel(x++, y, runs[i + 1]);
    if (x == width) x = 0, ++y;
  }
  return out;
}

Bytes stored(int width, int height, const Bytes& runs) {
  ByteBuffer header;
  wz::writeHeader(Bitmap(width, height, PixelFormat::Bits8), header);
  Bytes out(header.begin(), header.end());
  out.insert(out.end(), runs.begin(), runs.end());
  return out;
}

// The kinds of run streams: short runs (the fast path), runs around the 32-pixel
// store, long runs up to 255 with zero-length ones mixed in, and mostly single
// pixels.
enum class RunMix { Short, AroundStore, Long, Singles };

std::uint8_t drawCount(RunMix mix, std::mt19937& random) {
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  switch (mix) {
    case RunMix::Short: return static_cast<std::uint8_t>(pick(1, 8));
    case RunMix::AroundStore: return static_cast<std::uint8_t>(pick(1, 40));
    case RunMix::Long: {
      const int kind = pick(0, 9);
      return static_cast<std::uint8_t>(kind == 0 ? 0 : kind == 1 ? 255 : kind < 5 ? pick(1, 32) : pick(1, 255));
    }
    case RunMix::Singles: return static_cast<std::uint8_t>(pick(0, 9) == 0 ? pick(2, 24) : 1);
  }
  return 1;
}

// Runs covering about `coverage` times the picture's coded pixels, sometimes
// with a trailing odd byte.
Bytes randomRuns(int width, int height, RunMix mix, double coverage, std::mt19937& random) {
  const double pixels = static_cast<double>(width) * height * coverage;
  Bytes runs;
  for (double placed = 0; placed < pixels;) {
    const std::uint8_t count = drawCount(mix, random);
    runs.push_back(count);
    runs.push_back(static_cast<std::uint8_t>(random()));
    placed += count;
  }
  if (random() % 4 == 0) runs.push_back(static_cast<std::uint8_t>(random()));
  return runs;
}

void expectSameBytes(const Bitmap& got, const Bitmap& expected, const std::string& what) {
  ASSERT_EQ(got.width(), expected.width()) << what;
  ASSERT_EQ(got.height(), expected.height()) << what;
  ASSERT_EQ(got.stride(), expected.stride()) << what;
  const auto a = got.pixels(), b = expected.pixels();
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i], b[i]) << what << ": byte " << i << " (row " << i / got.stride() << ", column "
                          << i % got.stride() << ")";
  }
}

void checkDecode(int width, int height, const Bytes& runs, const std::string& what) {
  const Bitmap expected = referenceDecode(width, height, runs);
  const Bytes file = stored(width, height, runs);
  for (RunPlacement placement : {RunPlacement::Fastest, RunPlacement::Portable}) {
    TWZ2Bitmap two;
    two.decode(file, "random.wz2", placement);
    expectSameBytes(two.bitmap(), expected,
                    what + (placement == RunPlacement::Fastest ? " fastest" : " portable"));
  }
}

void checkDecodeWz1(int width, int height, const Bytes& runs, const std::string& what) {
  TWZ1Bitmap one;
  one.decode(stored(width, height, runs), "random.wz1");
  expectSameBytes(one.bitmap(), referenceDecodeWz1(width, height, runs), what + " WZ1");
}

TEST(WzRuns, RandomStreamsMatchThePixelByPixelRules) {
  std::mt19937 random(20261208);
  std::vector<int> widths;
  for (int w = 1; w <= 40; ++w) widths.push_back(w);
  for (int w : {63, 64, 65, 100, 255, 256, 257, 1021, 1024}) widths.push_back(w);
  for (int width : widths) {
    const int maxHeight = width > 200 ? 3 : 9;
    for (RunMix mix : {RunMix::Short, RunMix::AroundStore, RunMix::Long, RunMix::Singles}) {
      for (int round = 0; round < 6; ++round) {
        const int height = std::uniform_int_distribution<int>(1, maxHeight)(random);
        // Some streams end early (truncated pictures), some run past the end.
        const double coverage = std::uniform_real_distribution<double>(0.2, 1.4)(random);
        const Bytes runs = randomRuns(width, height, mix, coverage, random);
        const std::string what = std::to_string(width) + "x" + std::to_string(height) + " mix " +
                                 std::to_string(static_cast<int>(mix)) + " round " + std::to_string(round);
        checkDecode(width, height, runs, what);
        checkDecodeWz1(width, height, runs, what);
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }
}

TEST(WzRuns, Wz2RunsEndingExactlyAtRowsAndAtTheEnd) {
  // Each run completes a row exactly, so every next row starts from the
  // previous run's index; then a picture filled exactly with nothing left over.
  Bytes rowByRow;
  for (int y = 0; y < 6; ++y) rowByRow.insert(rowByRow.end(), {static_cast<std::uint8_t>(y == 0 ? 37 : 36), std::uint8_t(y + 10)});
  checkDecode(37, 6, rowByRow, "row by row");
  // Runs that cross several rows of a narrow picture, and 255-pixel runs.
  checkDecode(3, 40, {255, 7, 2, 8}, "long across rows");
  checkDecode(1, 9, {0, 4, 1, 5, 3, 6}, "one pixel wide after an empty run");
  // A stream that stops right after a row end leaves the next rows zero,
  // apart from the copied first pixel.
  checkDecode(16, 4, {8, 1, 8, 2}, "stops at a row end");
  checkDecode(16, 4, {}, "no runs");
}

}  // namespace
}  // namespace velorina
