#include "archive/CompressedBlock.h"

#include <gtest/gtest.h>

#include "archive/Binary.h"
#include "archive/MemoryStream.h"
#include "support/ArchiveBuilder.h"

namespace velorina {
namespace {

using test::Bytes;
using test::zblock;

std::string sample(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 13) & 0xFF);
  return s;
}

MemoryStream streamOf(const Bytes& b) { return MemoryStream(std::span<const std::uint8_t>(b)); }

TEST(CompressedBlock, RoundTripsAtEveryLevelAndWritesTheBestCompressionHeaderAtMax) {
  const std::string text = sample(200000);
  const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  for (auto level : {TCompressionLevel::clNone, TCompressionLevel::clFastest, TCompressionLevel::clDefault,
                     TCompressionLevel::clMax}) {
    MemoryStream s;
    writeCompressedBlock(s, data, level);
    const Bytes stored(s.bytes().begin(), s.bytes().end());
    EXPECT_EQ(loadLE<std::uint32_t>(stored.data()), text.size());
    if (level == TCompressionLevel::clMax) {
      EXPECT_EQ(stored[4], 0x78);
      EXPECT_EQ(stored[5], 0xDA);
    }
    // Both decoders agree and leave the stream just after the block.
    s.writeU32(0xDEADBEEF);
    s.setPosition(0);
    ByteBuffer streamed;
    readCompressedBlock(s, streamed);
    EXPECT_EQ(s.readU32(), 0xDEADBEEFu);
    Inflater inflater;
    ByteBuffer oneShot;
    decodeCompressedBlock(stored, inflater, oneShot);
    EXPECT_EQ(std::string(streamed.begin(), streamed.end()), text);
    EXPECT_EQ(std::string(oneShot.begin(), oneShot.end()), text);
  }
}

TEST(CompressedBlock, EmptyDataWritesAnEmptyStreamAndAZeroLengthReadsNothingMore) {
  MemoryStream s;
  writeCompressedBlock(s, {}, TCompressionLevel::clMax);
  EXPECT_GT(s.size(), 4);  // u32 0 and an empty zlib stream
  EXPECT_EQ(loadLE<std::uint32_t>(s.bytes().data()), 0u);

  // N = 0: the bytes after the u32 are not touched.
  Bytes b = {0, 0, 0, 0, 'n', 'e', 'x', 't'};
  MemoryStream in = streamOf(b);
  ByteBuffer out = {1, 2, 3};
  EXPECT_EQ(readCompressedBlock(in, out), 0);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(in.position(), 4);
}

TEST(CompressedBlock, RefusesLengthsThatTheStreamCannotDeliver) {
  Inflater inflater;
  ByteBuffer out;
  const Bytes good = zblock(sample(5000));

  // A declared length beyond deflate's expansion limit: refused before allocating.
  Bytes bomb = good;
  test::setU32(bomb, 0, 0xFFFFFFF0u);
  EXPECT_THROW(decodeCompressedBlock(bomb, inflater, out), EDecompressionError);
  MemoryStream bombStream = streamOf(bomb);
  EXPECT_THROW(readCompressedBlock(bombStream, out), EDecompressionError);

  // A stream that ends before N bytes, and one that runs past N.
  for (std::uint32_t declared : {5001u, 4999u, 1u}) {
    Bytes bent = good;
    test::setU32(bent, 0, declared);
    EXPECT_THROW(decodeCompressedBlock(bent, inflater, out), EDecompressionError) << declared;
    MemoryStream bentStream = streamOf(bent);
    EXPECT_THROW(readCompressedBlock(bentStream, out), EDecompressionError) << declared;
  }

  // Truncated and damaged streams.
  Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
  EXPECT_THROW(decodeCompressedBlock(cut, inflater, out), EDecompressionError);
  MemoryStream cutStream = streamOf(cut);
  EXPECT_THROW(readCompressedBlock(cutStream, out), EDecompressionError);
  Bytes damaged = good;
  damaged[good.size() / 2] ^= 0x5A;
  damaged[good.size() / 2 + 1] ^= 0xA5;
  EXPECT_THROW(decodeCompressedBlock(damaged, inflater, out), EDecompressionError);
  EXPECT_THROW(decodeCompressedBlock(Bytes{1, 2}, inflater, out), EDecompressionError);
}

TEST(CompressedBlock, ALargeClaimBackedByRealDataStillInflates) {
  // 80 MiB of zeros compresses about a thousandfold: above the up-front limit, so
  // the buffer grows with the output instead of trusting the claim.
  const std::size_t n = 80u << 20;
  std::string zeros(n, '\0');
  const Bytes block = zblock(zeros);
  Inflater inflater;
  ByteBuffer out;
  decodeCompressedBlock(block, inflater, out);
  ASSERT_EQ(out.size(), n);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<std::ptrdiff_t>(n));
}

TEST(Binary, CompressedLoadReportsChunkedProgressAndCompressedSize) {
  const std::string text = sample(200000);
  const Bytes block = zblock(text);
  MemoryStream s = streamOf(block);
  TBinary bin;
  std::vector<std::pair<ProgressStage, int>> seen;
  bin.OnProgress = [&](ProgressStage st, int pct) { seen.emplace_back(st, pct); };
  int changes = 0;
  bin.OnChange = [&] { ++changes; };
  bin.LoadFromStream(s, BlockForm::Compressed);
  ASSERT_EQ(bin.Size(), text.size());
  EXPECT_EQ(bin.CompressedSize, block.size() - 4);
  EXPECT_EQ(changes, 1);
  ASSERT_GE(seen.size(), 6u);  // 200000 bytes in chunks of at most 65535: 4 steps
  EXPECT_EQ(seen.front().first, ProgressStage::Start);
  EXPECT_EQ(seen.back().first, ProgressStage::Done);
  EXPECT_EQ(seen[seen.size() - 2], std::make_pair(ProgressStage::Working, 100));

  // Saving compressed sets CompressedSize to N and round-trips.
  MemoryStream out;
  bin.CompressionLevel = TCompressionLevel::clFastest;
  bin.SaveToStream(out, BlockForm::Compressed);
  EXPECT_EQ(bin.CompressedSize, text.size());
  out.setPosition(0);
  TBinary back;
  back.LoadFromStream(out, BlockForm::Compressed);
  EXPECT_TRUE(back.Equals(bin));
}

TEST(Binary, PlainLoadTakesTheBytesFromThePositionToTheEnd) {
  Bytes b = {'s', 'k', 'i', 'p', 'd', 'a', 't', 'a'};
  MemoryStream s = streamOf(b);
  s.setPosition(4);
  TBinary bin;
  bin.LoadFromStream(s, BlockForm::Plain);
  EXPECT_EQ(std::string(bin.bytes().begin(), bin.bytes().end()), "data");
  EXPECT_EQ(bin.CompressedSize, 4u);

  TBinary empty1, empty2, other;
  EXPECT_TRUE(empty1.Equals(empty2));
  EXPECT_FALSE(bin.Equals(empty1));
  other.assignBytes(std::span<const std::uint8_t>(b).subspan(4));
  EXPECT_TRUE(bin.Equals(other));
}

}  // namespace
}  // namespace velorina
