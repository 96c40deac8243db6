// Reading every lump of a world archive of about 10 MB of real game data (the lumps
// of Freedoom's freedoom2.wad, each stored as a compressed block), against plain
// zlib and libdeflate calls on the same blocks in the same run.
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive/CompressedBlock.h"
#include "archive/FileStream.h"
#include "archive/MemoryStream.h"
#include "archive/Wad.h"

namespace {

using namespace velorina;

constexpr const char* kSource = "/usr/share/games/doom/freedoom2.wad";
constexpr std::size_t kTarget = 10u << 20;

struct Corpus {
  ByteBuffer archive;                   // the whole world archive
  std::vector<std::string> names;       // unique lump names
  std::vector<std::pair<std::size_t, std::size_t>> blocks;  // (offset, size) of each block
  std::size_t uncompressed = 0;
  std::string file;                     // the archive written to disk
};

// Lumps of the classic 16-byte-directory IWAD, in directory order.
std::vector<std::pair<std::string, ByteBuffer>> readIwad(const char* path) {
  FileStream in(path, FileMode::Read);
  ByteBuffer all(static_cast<std::size_t>(in.size()));
  in.readExact(all.data(), all.size());
  ByteReader header(all, path);
  header.skip(4);
  const auto count = header.u32();
  const auto dir = header.u32();
  std::vector<std::pair<std::string, ByteBuffer>> lumps;
  ByteReader r(all, path);
  r.seek(dir);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto pos = r.u32();
    const auto size = r.u32();
    std::string name = r.string(8);
    name.resize(name.find('\0') == std::string::npos ? 8 : name.find('\0'));
    if (size == 0 || pos + std::uint64_t{size} > all.size()) continue;
    lumps.emplace_back(name, ByteBuffer(all.begin() + pos, all.begin() + pos + size));
  }
  return lumps;
}

const Corpus& corpus() {
  static const Corpus c = [] {
    Corpus c;
    MemoryStream out;
    out.writeBytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("PWAD"), 4));
    out.writeU32(0);
    out.writeU32(0);
    std::vector<TWadEntry> entries;
    for (auto& [name, data] : readIwad(kSource)) {
      if (c.uncompressed >= kTarget) break;
      const ByteBuffer block = compressBlock(data, TCompressionLevel::clMax);
      const auto offset = static_cast<std::uint32_t>(out.position());
      out.writeBytes(block);
      const std::string unique = std::to_string(entries.size()) + "_" + name;
      entries.push_back({offset, static_cast<std::uint32_t>(block.size()), unique});
      c.names.push_back(unique);
      c.blocks.emplace_back(offset, block.size());
      c.uncompressed += data.size();
    }
    ByteBuffer dir(entries.size() * kWadEntrySize);
    for (std::size_t i = 0; i < entries.size(); ++i) encodeWadEntry(entries[i], dir.data() + i * kWadEntrySize);
    const auto dirOffset = static_cast<std::uint32_t>(out.position());
    writeCompressedBlock(out, dir, TCompressionLevel::clMax);
    out.setPosition(4);
    out.writeU32(dirOffset);
    out.writeU32(static_cast<std::uint32_t>(entries.size()));
    c.archive = out.release();
    c.file = "/tmp/velorina-bench-archive.wad";
    FileStream f(c.file, FileMode::Create);
    f.writeBytes(c.archive);
    std::fprintf(stderr, "corpus: %zu lumps, %zu bytes uncompressed, archive of %zu bytes\n", c.names.size(),
                 c.uncompressed, c.archive.size());
    return c;
  }();
  return c;
}

void BM_ZlibInflate(benchmark::State& state) {
  const Corpus& c = corpus();
  for (auto _ : state) {
    for (const auto& [offset, size] : c.blocks) {
      const std::uint8_t* block = c.archive.data() + offset;
      const auto n = loadLE<std::uint32_t>(block);
      ByteBuffer out(n);
      uLongf len = n;
      if (n > 0 && uncompress(out.data(), &len, block + 4, static_cast<uLong>(size - 4)) != Z_OK) state.SkipWithError("zlib");
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.uncompressed));
}

void BM_LibdeflateInflate(benchmark::State& state) {
  const Corpus& c = corpus();
  std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> d(libdeflate_alloc_decompressor(),
                                                                                     &libdeflate_free_decompressor);
  for (auto _ : state) {
    for (const auto& [offset, size] : c.blocks) {
      const std::uint8_t* block = c.archive.data() + offset;
      const auto n = loadLE<std::uint32_t>(block);
      ByteBuffer out(n);
      if (n > 0 && libdeflate_zlib_decompress(d.get(), block + 4, size - 4, out.data(), n, nullptr) != LIBDEFLATE_SUCCESS) {
        state.SkipWithError("libdeflate");
      }
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.uncompressed));
}

void BM_TWadReadEntry(benchmark::State& state) {
  const Corpus& c = corpus();
  MemoryStream stream{std::span<const std::uint8_t>(c.archive)};
  TWad wad(stream);
  for (auto _ : state) {
    for (const auto& name : c.names) {
      MemoryStream out;
      wad.ReadEntry(name, out);
      benchmark::DoNotOptimize(out.buffer().data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.uncompressed));
}

void BM_TWadReadEntryFromFile(benchmark::State& state) {
  const Corpus& c = corpus();
  TWad wad(c.file);
  for (auto _ : state) {
    for (const auto& name : c.names) {
      MemoryStream out;
      wad.ReadEntry(name, out);
      benchmark::DoNotOptimize(out.buffer().data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.uncompressed));
}

BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibdeflateInflate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TWadReadEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TWadReadEntryFromFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
