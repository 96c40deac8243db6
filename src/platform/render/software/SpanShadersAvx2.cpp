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

VELORINA_AVX2 inline __m256i channel(__m256i texel, int shift) {
  return _mm256_and_si256(_mm256_srli_epi32(texel, shift), _mm256_set1_epi32(0xFF));
}

VELORINA_AVX2 inline __m256 channelFloat(__m256i texel, int shift) { return _mm256_cvtepi32_ps(channel(texel, shift)); }

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

VELORINA_AVX2 inline __m256i gather(const std::uint32_t* texels, __m256i index, __m256i mask) {
  return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(texels), index, mask, 4);
}

VELORINA_AVX2 inline __m256i isKey(__m256i texel, __m256i key) {
  return _mm256_cmpeq_epi32(_mm256_and_si256(texel, _mm256_set1_epi32(0xFFFFFF)), key);
}

// The sampled colour (0x00RRGGBB) of every lane; lanes whose keyed texels carry
// half the weight or more are removed from mask.
template <TextureFilter Filter, bool Key>
VELORINA_AVX2 inline __m256i sample(const TextureSampler& t, __m256 u, __m256 v, __m256i& mask) {
  const __m256i wmask = _mm256_set1_epi32(t.width - 1), hmask = _mm256_set1_epi32(t.height - 1);
  const __m256i key = _mm256_set1_epi32(std::int32_t(t.keyRgb));
  const __m128i wshift = _mm_cvtsi32_si128(__builtin_ctz(std::uint32_t(t.width)));
  if constexpr (Filter == TextureFilter::Point) {
    const __m256i x = _mm256_and_si256(floorToInt(_mm256_mul_ps(u, _mm256_set1_ps(float(t.width)))), wmask);
    const __m256i y = _mm256_and_si256(floorToInt(_mm256_mul_ps(v, _mm256_set1_ps(float(t.height)))), hmask);
    const __m256i texel = gather(t.texels, _mm256_add_epi32(_mm256_sll_epi32(y, wshift), x), mask);
    if constexpr (Key) mask = _mm256_andnot_si256(isKey(texel, key), mask);
    return texel;
  } else {
    const Tap tu = bilinearTap(u, float(t.width)), tv = bilinearTap(v, float(t.height));
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i x0 = _mm256_and_si256(tu.index, wmask), x1 = _mm256_and_si256(_mm256_add_epi32(tu.index, one), wmask);
    const __m256i r0 = _mm256_sll_epi32(_mm256_and_si256(tv.index, hmask), wshift);
    const __m256i r1 = _mm256_sll_epi32(_mm256_and_si256(_mm256_add_epi32(tv.index, one), hmask), wshift);
    const __m256i t0 = gather(t.texels, _mm256_add_epi32(r0, x0), mask);
    const __m256i t1 = gather(t.texels, _mm256_add_epi32(r0, x1), mask);
    const __m256i t2 = gather(t.texels, _mm256_add_epi32(r1, x0), mask);
    const __m256i t3 = gather(t.texels, _mm256_add_epi32(r1, x1), mask);
    // Weights and weighted sums in float: every product and sum stays below 2^24,
    // so the float arithmetic is exact and equals the integer formula.
    const __m256i full = _mm256_set1_epi32(256);
    const __m256 iu = _mm256_cvtepi32_ps(_mm256_sub_epi32(full, tu.weight));
    const __m256 iv = _mm256_cvtepi32_ps(_mm256_sub_epi32(full, tv.weight));
    const __m256 fu = _mm256_cvtepi32_ps(tu.weight), fv = _mm256_cvtepi32_ps(tv.weight);
    __m256 w0 = _mm256_mul_ps(iu, iv), w1 = _mm256_mul_ps(fu, iv), w2 = _mm256_mul_ps(iu, fv), w3 = _mm256_mul_ps(fu, fv);
    __m256 total = _mm256_set1_ps(65536.0f);
    bool anyKeyed = false;
    if constexpr (Key) {
      const __m256 k0 = _mm256_castsi256_ps(isKey(t0, key)), k1 = _mm256_castsi256_ps(isKey(t1, key));
      const __m256 k2 = _mm256_castsi256_ps(isKey(t2, key)), k3 = _mm256_castsi256_ps(isKey(t3, key));
      const __m256 keyed = _mm256_add_ps(_mm256_add_ps(_mm256_and_ps(k0, w0), _mm256_and_ps(k1, w1)),
                                         _mm256_add_ps(_mm256_and_ps(k2, w2), _mm256_and_ps(k3, w3)));
      w0 = _mm256_andnot_ps(k0, w0);
      w1 = _mm256_andnot_ps(k1, w1);
      w2 = _mm256_andnot_ps(k2, w2);
      w3 = _mm256_andnot_ps(k3, w3);
      mask = _mm256_and_si256(mask, _mm256_castps_si256(_mm256_cmp_ps(keyed, _mm256_set1_ps(32768.0f), _CMP_LT_OQ)));
      total = _mm256_sub_ps(total, keyed);
      anyKeyed = !_mm256_testz_si256(_mm256_castps_si256(_mm256_cmp_ps(keyed, _mm256_setzero_ps(), _CMP_NEQ_OQ)), mask);
    }
    const __m256 half = _mm256_mul_ps(total, _mm256_set1_ps(0.5f));
    // With keyed texels the divisor varies: one reciprocal serves all channels,
    // and the estimated quotient is corrected with exact products.
    const __m256 inverse = anyKeyed ? _mm256_div_ps(_mm256_set1_ps(1.0f), total) : _mm256_set1_ps(1.0f / 65536.0f);
    __m256i out = _mm256_setzero_si256();
    for (int shift = 0; shift <= 16; shift += 8) {
      const __m256 sum =
          _mm256_add_ps(_mm256_add_ps(_mm256_mul_ps(channelFloat(t0, shift), w0), _mm256_mul_ps(channelFloat(t1, shift), w1)),
                        _mm256_add_ps(_mm256_mul_ps(channelFloat(t2, shift), w2), _mm256_mul_ps(channelFloat(t3, shift), w3)));
      // floor((sum + total / 2) / total), the integer quotient of the scalar loop.
      // Every value here is an integer (or a half) below 2^24, so the products
      // and comparisons are exact.
      const __m256 num = _mm256_add_ps(sum, half);
      __m256 q = _mm256_round_ps(_mm256_mul_ps(num, inverse), _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
      if (anyKeyed) {
        const __m256 one = _mm256_set1_ps(1.0f);
        q = _mm256_sub_ps(q, _mm256_and_ps(one, _mm256_cmp_ps(_mm256_mul_ps(q, total), num, _CMP_GT_OQ)));
        q = _mm256_add_ps(q, _mm256_and_ps(one, _mm256_cmp_ps(_mm256_mul_ps(_mm256_add_ps(q, one), total), num, _CMP_LE_OQ)));
      }
      out = _mm256_or_si256(out, _mm256_slli_epi32(_mm256_cvttps_epi32(q), shift));
    }
    return out;
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
    const __m256i texel = sample<Filter, Key>(tex, u, v, mask);
    if (_mm256_testz_si256(mask, mask)) continue;
    __m256i cr = mul255(channel(texel, 16), toByte(_mm256_mul_ps(at(pr, k), w)));
    __m256i cg = mul255(channel(texel, 8), toByte(_mm256_mul_ps(at(pg, k), w)));
    __m256i cb = mul255(channel(texel, 0), toByte(_mm256_mul_ps(at(pb, k), w)));
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
