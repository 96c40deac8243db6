// Reading the 2 x 2 texel blocks of eight bilinear samples: four 8-lane AVX2
// gathers (one per corner) against sixteen 64-bit scalar loads (one per row of
// each block), the way the software device's span loops read them. The indices
// are random places in a 256 x 256 texture, as in a scene's texture reads.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <cstdint>
#include <random>
#include <vector>

namespace velorina::bench {
namespace {

#define VELORINA_AVX2 __attribute__((target("avx2")))

constexpr std::int32_t kSide = 256;
constexpr std::size_t kGroups = 4096;  // groups of eight samples

struct Workload {
  Workload() : texels(std::size_t(kSide) * kSide), top(kGroups * 8), bottom(kGroups * 8) {
    std::mt19937 rng(1234);
    for (auto& t : texels) t = std::uint32_t(rng());
    for (std::size_t i = 0; i < top.size(); ++i) {
      const auto x = std::int32_t(rng() % (kSide - 1)), y = std::int32_t(rng() % (kSide - 1));
      top[i] = y * kSide + x;
      bottom[i] = top[i] + kSide;
    }
  }
  std::vector<std::uint32_t> texels;
  std::vector<std::int32_t> top, bottom;  // the upper and lower left texel of each block
};

VELORINA_AVX2 __m256i gatherCorners(const Workload& w, std::size_t group) {
  const auto* base = reinterpret_cast<const int*>(w.texels.data());
  const __m256i top = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&w.top[group * 8]));
  const __m256i bottom = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&w.bottom[group * 8]));
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i t0 = _mm256_i32gather_epi32(base, top, 4), t1 = _mm256_i32gather_epi32(base, _mm256_add_epi32(top, one), 4);
  const __m256i t2 = _mm256_i32gather_epi32(base, bottom, 4);
  const __m256i t3 = _mm256_i32gather_epi32(base, _mm256_add_epi32(bottom, one), 4);
  return _mm256_xor_si256(_mm256_xor_si256(t0, t1), _mm256_xor_si256(t2, t3));
}

VELORINA_AVX2 __m256i loadRowPairs(const std::uint32_t* texels, const std::int32_t* at) {
  auto two = [&](int a, int b) { return _mm_unpacklo_epi64(_mm_loadu_si64(texels + at[a]), _mm_loadu_si64(texels + at[b])); };
  const __m256i lo = _mm256_set_m128i(two(4, 5), two(0, 1)), hi = _mm256_set_m128i(two(6, 7), two(2, 3));
  return _mm256_xor_si256(lo, hi);
}

VELORINA_AVX2 __m256i loadCorners(const Workload& w, std::size_t group) {
  return _mm256_xor_si256(loadRowPairs(w.texels.data(), &w.top[group * 8]),
                          loadRowPairs(w.texels.data(), &w.bottom[group * 8]));
}

template <__m256i (*Read)(const Workload&, std::size_t)>
VELORINA_AVX2 void readBlocks(benchmark::State& state) {
  if (!__builtin_cpu_supports("avx2")) {
    state.SkipWithError("no AVX2");
    return;
  }
  const Workload w;
  __m256i sum = _mm256_setzero_si256();
  for (auto _ : state) {
    for (std::size_t g = 0; g < kGroups; ++g) sum = _mm256_add_epi32(sum, Read(w, g));
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(kGroups) * 8);
}

void BM_BilinearBlocksByGather(benchmark::State& state) { readBlocks<gatherCorners>(state); }
void BM_BilinearBlocksByPairLoads(benchmark::State& state) { readBlocks<loadCorners>(state); }

BENCHMARK(BM_BilinearBlocksByGather);
BENCHMARK(BM_BilinearBlocksByPairLoads);

}  // namespace
}  // namespace velorina::bench
BENCHMARK_MAIN();
