#include "platform/render/software/SpanShadersAvx2.h"

#include <immintrin.h>

#include <algorithm>

// Only the functions marked VELORINA_AVX2 are compiled for AVX2, so nothing else in
// this file (or any inline function it uses) ever runs AVX2 instructions on a
// processor without them.
#define VELORINA_AVX2 __attribute__((target("avx2")))

namespace velorina::software {

namespace {

constexpr std::int32_t kShortSpan = 4;

// A quantity's start and step, broadcast once per row: the loop's stores to the
// depth row could otherwise alias the row's floats and force reloads.
struct Plane {
  __m256 start, step;
};

VELORINA_AVX2 inline Plane plane(const SpanRow& row, int q) {
  return {_mm256_set1_ps(row.val[q]), _mm256_set1_ps(row.dqdx[q])};
}

VELORINA_AVX2 inline __m256 at(const Plane& p, __m256 n) { return _mm256_add_ps(p.start, _mm256_mul_ps(p.step, n)); }

// floor() of values inside the int32 range, as floorToInt does.
VELORINA_AVX2 inline __m256i floorToInt(__m256 f) {
  const __m256i i = _mm256_cvttps_epi32(f);
  const __m256 below = _mm256_cmp_ps(f, _mm256_cvtepi32_ps(i), _CMP_LT_OQ);
  return _mm256_add_epi32(i, _mm256_castps_si256(below));  // -1 where f < trunc(f)
}

// f + 0.5 clamped to 0 .. 255 and truncated, as toByte does (max_ps answers its
// second operand, 0, for NaN).
VELORINA_AVX2 inline __m256i toByte(__m256 f) {
  const __m256 c = _mm256_max_ps(_mm256_add_ps(f, _mm256_set1_ps(0.5f)), _mm256_setzero_ps());
  return _mm256_cvttps_epi32(_mm256_min_ps(c, _mm256_set1_ps(255.0f)));
}

// x * y / 255, rounded, as mul255 does. Both are below 256, so the 16-bit
// multiply of each lane's low half gives the whole product.
VELORINA_AVX2 inline __m256i mul255(__m256i x, __m256i y) {
  const __m256i t = _mm256_add_epi32(_mm256_mullo_epi16(x, y), _mm256_set1_epi32(128));
  return _mm256_srli_epi32(_mm256_add_epi32(t, _mm256_srli_epi32(t, 8)), 8);
}

// Texture coordinates within +-4096 repetitions take the fast path in every lane.
VELORINA_AVX2 inline bool inRange(__m256 u, __m256 v, __m256i mask) {
  const __m256 limit = _mm256_set1_ps(4096.0f);
  const __m256 abs = _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF));
  const __m256 ok = _mm256_and_ps(_mm256_cmp_ps(_mm256_and_ps(u, abs), limit, _CMP_LT_OQ),
                                  _mm256_cmp_ps(_mm256_and_ps(v, abs), limit, _CMP_LT_OQ));
  // Every active lane must be in range.
  return _mm256_testc_si256(_mm256_castps_si256(ok), mask) != 0;
}

struct Tap {
  __m256i index, weight;
};

VELORINA_AVX2 inline Tap bilinearTap(__m256 t, float size) {
  const __m256 b = _mm256_sub_ps(_mm256_mul_ps(t, _mm256_set1_ps(size)), _mm256_set1_ps(0.5f));
  const __m256i i = floorToInt(b);
  const __m256 frac = _mm256_sub_ps(b, _mm256_cvtepi32_ps(i));
  return {i, _mm256_cvttps_epi32(_mm256_mul_ps(frac, _mm256_set1_ps(256.0f)))};
}

// Eight texels, one per lane, read with scalar loads. Vector gathers would do
// the same, but on the processors we measured one 8-lane gather costs about three
// times as much as the eight loads it replaces (bench/render).
VELORINA_AVX2 inline __m256i loadTexels(const std::uint32_t* texels, __m256i index) {
  alignas(32) std::int32_t at[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
  return _mm256_setr_epi32(std::int32_t(texels[at[0]]), std::int32_t(texels[at[1]]), std::int32_t(texels[at[2]]),
                           std::int32_t(texels[at[3]]), std::int32_t(texels[at[4]]), std::int32_t(texels[at[5]]),
                           std::int32_t(texels[at[6]]), std::int32_t(texels[at[7]]));
}

// Two values per sample, samples 0 1 | 4 5 in `lo` and 2 3 | 6 7 in `hi`, as
// one vector of the first values and one of the second, in sample order.
VELORINA_AVX2 inline __m256i evenLanes(__m256i lo, __m256i hi) {
  return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi), 0x88));
}
VELORINA_AVX2 inline __m256i oddLanes(__m256i lo, __m256i hi) {
  return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi), 0xDD));
}

struct TexelPair {
  __m256i left, right;
};

// The texels at index and index + 1 of every lane, each pair read as one 64-bit
// word: half the loads of reading them one by one. Every index + 1 must lie in
// the texture.
VELORINA_AVX2 inline TexelPair loadPairs(const std::uint32_t* texels, __m256i index) {
  alignas(32) std::int32_t at[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
  auto two = [&](int a, int b) { return _mm_unpacklo_epi64(_mm_loadu_si64(texels + at[a]), _mm_loadu_si64(texels + at[b])); };
  const __m256i lo = _mm256_set_m128i(two(4, 5), two(0, 1)), hi = _mm256_set_m128i(two(6, 7), two(2, 3));
  return {evenLanes(lo, hi), oddLanes(lo, hi)};
}

VELORINA_AVX2 inline __m256i isKey(__m256i texel, __m256i key) {
  return _mm256_cmpeq_epi32(_mm256_and_si256(texel, _mm256_set1_epi32(0xFFFFFF)), key);
}

// The sampled channels of eight samples, each 0 .. 255 in a 32-bit lane.
struct Rgb {
  __m256i r, g, b;
};

// floor(num / total) for integers num < 2^24 and 32768 < total <= 65536, exact.
// The float quotient is within 2^-15 of the true one (two roundings of a value
// below 256); lowered by 2^-15 and truncated it is the answer or one below, and
// the remainder, exact in float, tells which.
VELORINA_AVX2 inline __m256i divideExact(__m256i num, __m256 total, __m256 inverse) {
  const __m256 n = _mm256_cvtepi32_ps(num);
  const __m256 estimate = _mm256_sub_ps(_mm256_mul_ps(n, inverse), _mm256_set1_ps(1.0f / 32768.0f));
  __m256 q = _mm256_round_ps(estimate, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  const __m256 remainder = _mm256_sub_ps(n, _mm256_mul_ps(q, total));
  q = _mm256_add_ps(q, _mm256_and_ps(_mm256_set1_ps(1.0f), _mm256_cmp_ps(remainder, total, _CMP_GE_OQ)));
  return _mm256_cvttps_epi32(q);
}

// A 16-bit weight repeated in both halves of each lane.
VELORINA_AVX2 inline __m256i weightPair(__m256i w) { return _mm256_or_si256(w, _mm256_slli_epi32(w, 16)); }

// left * leftWeight + right * rightWeight in 16-bit lanes (below 65536 for
// channels below 256 and weights totalling 256), less 32768 as a signed value.
VELORINA_AVX2 inline __m256i horizontal(__m256i left, __m256i right, __m256i leftWeight, __m256i rightWeight) {
  const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(left, leftWeight), _mm256_mullo_epi16(right, rightWeight));
  return _mm256_xor_si256(sum, _mm256_set1_epi32(std::int32_t(0x80008000u)));
}

// Bilinear sampling with the integer weights of sampleWrapped, and the same
// result bit for bit. The 2 x 2 texels are split into 16-bit channel pairs (blue
// and red, green and alpha) and blended horizontally in 16 bits: c0 (256 - wu) +
// c1 wu stays below 65536. The vertical blend takes those sums less 32768 as
// signed 16-bit values into a multiply-add with the 16-bit weights (256 - wv, wv),
// which yields the full weighted sum less 32768 * 256.
//
// Keyed texels are replaced by one with colour 0 and alpha 1 before blending: the
// colour sums then leave them out, and the alpha sum is the weight they carry.
template <bool Key>
VELORINA_AVX2 inline Rgb sampleBilinear(const TextureSampler& t, __m256 u, __m256 v, __m256i& mask) {
  const __m256i wmask = _mm256_set1_epi32(t.width - 1), hmask = _mm256_set1_epi32(t.height - 1);
  const __m128i wshift = _mm_cvtsi32_si128(__builtin_ctz(std::uint32_t(t.width)));
  const Tap tu = bilinearTap(u, float(t.width)), tv = bilinearTap(v, float(t.height));
  const __m256i one = _mm256_set1_epi32(1);
  // Inactive lanes read column 0, so that only active lanes at the right edge
  // need the wrapped neighbour.
  const __m256i x0 = _mm256_and_si256(_mm256_and_si256(tu.index, wmask), mask);
  const __m256i r0 = _mm256_sll_epi32(_mm256_and_si256(tv.index, hmask), wshift);
  const __m256i r1 = _mm256_sll_epi32(_mm256_and_si256(_mm256_add_epi32(tv.index, one), hmask), wshift);
  __m256i t0, t1, t2, t3;
  if (_mm256_testz_si256(_mm256_cmpeq_epi32(x0, wmask), _mm256_cmpeq_epi32(x0, x0))) {
    const TexelPair top = loadPairs(t.texels, _mm256_add_epi32(r0, x0));
    const TexelPair bottom = loadPairs(t.texels, _mm256_add_epi32(r1, x0));
    t0 = top.left, t1 = top.right, t2 = bottom.left, t3 = bottom.right;
  } else {  // some right neighbour wraps to column 0
    const __m256i x1 = _mm256_and_si256(_mm256_add_epi32(x0, one), wmask);
    t0 = loadTexels(t.texels, _mm256_add_epi32(r0, x0));
    t1 = loadTexels(t.texels, _mm256_add_epi32(r0, x1));
    t2 = loadTexels(t.texels, _mm256_add_epi32(r1, x0));
    t3 = loadTexels(t.texels, _mm256_add_epi32(r1, x1));
  }
  if constexpr (Key) {
    const __m256i key = _mm256_set1_epi32(std::int32_t(t.keyRgb));
    const __m256i flip = _mm256_set1_epi32(std::int32_t(t.keyRgb ^ 0x01000000u));  // key -> alpha 1, colour 0
    const __m256i rgb = _mm256_set1_epi32(0xFFFFFF);
    for (__m256i* texel : {&t0, &t1, &t2, &t3}) {
      const __m256i c = _mm256_and_si256(*texel, rgb);
      *texel = _mm256_xor_si256(c, _mm256_and_si256(_mm256_cmpeq_epi32(c, key), flip));
    }
  }
  const __m256i full = _mm256_set1_epi32(256);
  const __m256i leftWeight = weightPair(_mm256_sub_epi32(full, tu.weight)), rightWeight = weightPair(tu.weight);
  const __m256i low = _mm256_set1_epi32(0x00FF00FF);
  const __m256i rbTop = horizontal(_mm256_and_si256(t0, low), _mm256_and_si256(t1, low), leftWeight, rightWeight);
  const __m256i gaTop = horizontal(_mm256_and_si256(_mm256_srli_epi32(t0, 8), low),
                                   _mm256_and_si256(_mm256_srli_epi32(t1, 8), low), leftWeight, rightWeight);
  const __m256i rbBottom = horizontal(_mm256_and_si256(t2, low), _mm256_and_si256(t3, low), leftWeight, rightWeight);
  const __m256i gaBottom = horizontal(_mm256_and_si256(_mm256_srli_epi32(t2, 8), low),
                                      _mm256_and_si256(_mm256_srli_epi32(t3, 8), low), leftWeight, rightWeight);
  // (256 - wv, wv) per sample, repeated for the two channels of a pair.
  const __m256i vertical = _mm256_or_si256(_mm256_sub_epi32(full, tv.weight), _mm256_slli_epi32(tv.weight, 16));
  const __m256i weightLo = _mm256_unpacklo_epi32(vertical, vertical), weightHi = _mm256_unpackhi_epi32(vertical, vertical);
  const __m256i rbLo = _mm256_madd_epi16(_mm256_unpacklo_epi16(rbTop, rbBottom), weightLo);
  const __m256i rbHi = _mm256_madd_epi16(_mm256_unpackhi_epi16(rbTop, rbBottom), weightHi);
  const __m256i gaLo = _mm256_madd_epi16(_mm256_unpacklo_epi16(gaTop, gaBottom), weightLo);
  const __m256i gaHi = _mm256_madd_epi16(_mm256_unpackhi_epi16(gaTop, gaBottom), weightHi);
  // The weighted sums (of weights totalling 65536) in sample order.
  const __m256i offset = _mm256_set1_epi32(32768 * 256);
  const __m256i sb = _mm256_add_epi32(evenLanes(rbLo, rbHi), offset), sr = _mm256_add_epi32(oddLanes(rbLo, rbHi), offset);
  const __m256i sg = _mm256_add_epi32(evenLanes(gaLo, gaHi), offset);
  if constexpr (Key) {
    const __m256i keyed = _mm256_add_epi32(oddLanes(gaLo, gaHi), offset);
    mask = _mm256_and_si256(mask, _mm256_cmpgt_epi32(_mm256_set1_epi32(32768), keyed));
    if (!_mm256_testz_si256(_mm256_cmpgt_epi32(keyed, _mm256_setzero_si256()), mask)) {
      // floor((sum + total / 2) / total) over the weight of the texels kept.
      const __m256i total = _mm256_sub_epi32(_mm256_set1_epi32(65536), keyed);
      const __m256i half = _mm256_srli_epi32(total, 1);
      const __m256 totalf = _mm256_cvtepi32_ps(total);
      const __m256 inverse = _mm256_div_ps(_mm256_set1_ps(1.0f), totalf);
      return {divideExact(_mm256_add_epi32(sr, half), totalf, inverse),
              divideExact(_mm256_add_epi32(sg, half), totalf, inverse),
              divideExact(_mm256_add_epi32(sb, half), totalf, inverse)};
    }
  }
  const __m256i round = _mm256_set1_epi32(32768);
  return {_mm256_srli_epi32(_mm256_add_epi32(sr, round), 16), _mm256_srli_epi32(_mm256_add_epi32(sg, round), 16),
          _mm256_srli_epi32(_mm256_add_epi32(sb, round), 16)};
}

VELORINA_AVX2 inline __m256i channel(__m256i texel, int shift) {
  return _mm256_and_si256(_mm256_srli_epi32(texel, shift), _mm256_set1_epi32(0xFF));
}

// The sampled colour of every lane; lanes whose sample is keyed away are removed
// from mask.
template <TextureFilter Filter, bool Key>
VELORINA_AVX2 inline Rgb sample(const TextureSampler& t, __m256 u, __m256 v, __m256i& mask) {
  if constexpr (Filter == TextureFilter::Point) {
    const __m256i wmask = _mm256_set1_epi32(t.width - 1), hmask = _mm256_set1_epi32(t.height - 1);
    const __m128i wshift = _mm_cvtsi32_si128(__builtin_ctz(std::uint32_t(t.width)));
    const __m256i x = _mm256_and_si256(floorToInt(_mm256_mul_ps(u, _mm256_set1_ps(float(t.width)))), wmask);
    const __m256i y = _mm256_and_si256(floorToInt(_mm256_mul_ps(v, _mm256_set1_ps(float(t.height)))), hmask);
    const __m256i texel = loadTexels(t.texels, _mm256_add_epi32(_mm256_sll_epi32(y, wshift), x));
    if constexpr (Key) mask = _mm256_andnot_si256(isKey(texel, _mm256_set1_epi32(std::int32_t(t.keyRgb))), mask);
    return {channel(texel, 16), channel(texel, 8), channel(texel, 0)};
  } else {
    return sampleBilinear<Key>(t, u, v, mask);
  }
}

template <TextureFilter Filter, bool Key, bool Specular, bool Depth>
VELORINA_AVX2 void spanBody(const PixelPipeline& pipe, const SpanRow& row) {
  const TextureSampler& tex = pipe.texture;
  const __m256 lanes = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i laneIndex = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const std::int32_t n = row.hi - row.lo + 1;
  // A few samples cost less one at a time than as a mostly empty vector.
  if (n < kShortSpan) {
    modulateRange<Filter, Key, Specular, Depth>(pipe, row, row.lo, row.hi);
    return;
  }
  const Plane pz = plane(row, kZ), pq = plane(row, kQ), pu = plane(row, kU), pv = plane(row, kV);
  const Plane pr = plane(row, kR), pg = plane(row, kG), pb = plane(row, kB);
  const Plane psr = plane(row, kSpecR), psg = plane(row, kSpecG), psb = plane(row, kSpecB);
  for (std::int32_t i = 0; i < n; i += 8) {
    __m256i mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), laneIndex);
    const __m256 k = _mm256_add_ps(_mm256_set1_ps(float(i)), lanes);
    const __m256 z = at(pz, k);
    float* depth = Depth ? row.depth + row.lo + i : nullptr;
    if constexpr (Depth) {
      const __m256 stored = _mm256_maskload_ps(depth, mask);
      mask = _mm256_and_si256(mask, _mm256_castps_si256(_mm256_cmp_ps(z, stored, _CMP_LE_OQ)));
      if (_mm256_testz_si256(mask, mask)) continue;
    }
    const __m256 w = _mm256_div_ps(_mm256_set1_ps(1.0f), at(pq, k));
    const __m256 u = _mm256_mul_ps(at(pu, k), w), v = _mm256_mul_ps(at(pv, k), w);
    if (!inRange(u, v, mask)) {
      const std::int32_t from = row.lo + i;
      modulateRange<Filter, Key, Specular, Depth>(pipe, row, from, std::min(from + 7, row.hi));
      continue;
    }
    const Rgb texel = sample<Filter, Key>(tex, u, v, mask);
    if (_mm256_testz_si256(mask, mask)) continue;
    __m256i cr = mul255(texel.r, toByte(_mm256_mul_ps(at(pr, k), w)));
    __m256i cg = mul255(texel.g, toByte(_mm256_mul_ps(at(pg, k), w)));
    __m256i cb = mul255(texel.b, toByte(_mm256_mul_ps(at(pb, k), w)));
    if constexpr (Specular) {
      const __m256i max = _mm256_set1_epi32(255);
      cr = _mm256_min_epi32(max, _mm256_add_epi32(cr, toByte(_mm256_mul_ps(at(psr, k), w))));
      cg = _mm256_min_epi32(max, _mm256_add_epi32(cg, toByte(_mm256_mul_ps(at(psg, k), w))));
      cb = _mm256_min_epi32(max, _mm256_add_epi32(cb, toByte(_mm256_mul_ps(at(psb, k), w))));
    }
    const __m256i argb = _mm256_or_si256(
        _mm256_or_si256(_mm256_set1_epi32(std::int32_t(0xFF000000u)), _mm256_slli_epi32(cr, 16)),
        _mm256_or_si256(_mm256_slli_epi32(cg, 8), cb));
    _mm256_maskstore_epi32(reinterpret_cast<int*>(row.color + row.lo + i), mask, argb);
    if (Depth && pipe.depthWrite) _mm256_maskstore_ps(depth, mask, z);
  }
}

}  // namespace

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}

template <TextureFilter Filter, bool Key, bool Specular, bool Depth>
void modulateSpanAvx2(const PixelPipeline& pipe, const SpanRow& row) {
  spanBody<Filter, Key, Specular, Depth>(pipe, row);
}

#define VELORINA_SPAN(F, K, S, D) template void modulateSpanAvx2<F, K, S, D>(const PixelPipeline&, const SpanRow&);
#define VELORINA_SPAN_DEPTH(F, K, S) VELORINA_SPAN(F, K, S, true) VELORINA_SPAN(F, K, S, false)
#define VELORINA_SPAN_SPEC(F, K) VELORINA_SPAN_DEPTH(F, K, true) VELORINA_SPAN_DEPTH(F, K, false)
#define VELORINA_SPAN_KEY(F) VELORINA_SPAN_SPEC(F, true) VELORINA_SPAN_SPEC(F, false)
VELORINA_SPAN_KEY(TextureFilter::Point)
VELORINA_SPAN_KEY(TextureFilter::Bilinear)

}  // namespace velorina::software
