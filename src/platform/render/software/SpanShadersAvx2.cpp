#include "platform/render/software/SpanShadersAvx2.h"

#include <immintrin.h>

#include <algorithm>

#include "platform/render/software/PixelMath.h"

// Only the functions marked VELORINA_AVX2 are compiled for AVX2, so nothing else in
// this file (or any inline function it uses) ever runs AVX2 instructions on a
// processor without them.
#define VELORINA_AVX2 __attribute__((target("avx2")))
// The helpers are forced inline: a call would pass its vectors through memory.
#define VELORINA_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

namespace velorina::software {

namespace {

constexpr std::int32_t kShortSpan = 2;

// A quantity's start and step, broadcast once per row: the loop's stores to the
// depth row could otherwise alias the row's floats and force reloads.
struct Plane {
  __m256 start, step;
};

VELORINA_AVX2_INLINE Plane plane(const SpanRow& row, int q) {
  return {_mm256_set1_ps(row.val[q]), _mm256_set1_ps(row.dqdx[q])};
}

VELORINA_AVX2_INLINE __m256 at(const Plane& p, __m256 n) { return _mm256_add_ps(p.start, _mm256_mul_ps(p.step, n)); }

// floor() of values inside the int32 range, as floorToInt does.
VELORINA_AVX2_INLINE __m256i floorToInt(__m256 f) {
  const __m256i i = _mm256_cvttps_epi32(f);
  const __m256 below = _mm256_cmp_ps(f, _mm256_cvtepi32_ps(i), _CMP_LT_OQ);
  return _mm256_add_epi32(i, _mm256_castps_si256(below));  // -1 where f < trunc(f)
}

// f + 0.5 clamped to 0 .. 255 and truncated, as toByte does (max_ps answers its
// second operand, 0, for NaN).
VELORINA_AVX2_INLINE __m256i toByte(__m256 f) {
  const __m256 c = _mm256_max_ps(_mm256_add_ps(f, _mm256_set1_ps(0.5f)), _mm256_setzero_ps());
  return _mm256_cvttps_epi32(_mm256_min_ps(c, _mm256_set1_ps(255.0f)));
}

// x * y / 255, rounded, as mul255 does. Both are below 256, so the 16-bit
// multiply of each lane's low half gives the whole product.
VELORINA_AVX2_INLINE __m256i mul255(__m256i x, __m256i y) {
  const __m256i t = _mm256_add_epi32(_mm256_mullo_epi16(x, y), _mm256_set1_epi32(128));
  return _mm256_srli_epi32(_mm256_add_epi32(t, _mm256_srli_epi32(t, 8)), 8);
}

// Texture coordinates within +-4096 repetitions take the fast path in every lane.
VELORINA_AVX2_INLINE bool inRange(__m256 u, __m256 v, __m256i mask) {
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

// As bilinearTap does, for coordinates in range (|b| < 2^24, where floor(b) is
// exactly the float of the scalar loop's integer floor).
VELORINA_AVX2_INLINE Tap bilinearTap(__m256 t, float size) {
  const __m256 b = _mm256_sub_ps(_mm256_mul_ps(t, _mm256_set1_ps(size)), _mm256_set1_ps(0.5f));
  const __m256 floor = _mm256_round_ps(b, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  const __m256 frac = _mm256_sub_ps(b, floor);
  return {_mm256_cvttps_epi32(floor), _mm256_cvttps_epi32(_mm256_mul_ps(frac, _mm256_set1_ps(256.0f)))};
}

// Eight texels, one per lane, read with scalar loads rather than a gather (see
// loadPairs).
VELORINA_AVX2_INLINE __m256i loadTexels(const std::uint32_t* texels, const std::int32_t* at) {
  return _mm256_setr_epi32(std::int32_t(texels[at[0]]), std::int32_t(texels[at[1]]), std::int32_t(texels[at[2]]),
                           std::int32_t(texels[at[3]]), std::int32_t(texels[at[4]]), std::int32_t(texels[at[5]]),
                           std::int32_t(texels[at[6]]), std::int32_t(texels[at[7]]));
}

// Two values per sample, samples 0 1 | 4 5 in `lo` and 2 3 | 6 7 in `hi`, as
// one vector of the first values and one of the second, in sample order.
VELORINA_AVX2_INLINE __m256i evenLanes(__m256i lo, __m256i hi) {
  return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi), 0x88));
}
VELORINA_AVX2_INLINE __m256i oddLanes(__m256i lo, __m256i hi) {
  return _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(lo), _mm256_castsi256_ps(hi), 0xDD));
}

struct TexelPair {
  __m256i left, right;
};

// The texels at at[i] and at[i] + 1 for every lane i, each pair read as one
// 64-bit word: half the loads of reading them one by one. Every at[i] + 1 must
// lie in the texture. AVX2 gathers would read them too, but four gathers for the
// 2 x 2 blocks of eight samples took about three times as long as sixteen such
// loads (bench_render_texel_loads).
VELORINA_AVX2_INLINE TexelPair loadPairs(const std::uint32_t* texels, const std::int32_t* at) {
  auto two = [&](int a, int b) { return _mm_unpacklo_epi64(_mm_loadu_si64(texels + at[a]), _mm_loadu_si64(texels + at[b])); };
  const __m256i lo = _mm256_set_m128i(two(4, 5), two(0, 1)), hi = _mm256_set_m128i(two(6, 7), two(2, 3));
  return {evenLanes(lo, hi), oddLanes(lo, hi)};
}

VELORINA_AVX2_INLINE __m256i isKey(__m256i texel, __m256i key) {
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
VELORINA_AVX2_INLINE __m256i divideExact(__m256i num, __m256 total, __m256 inverse) {
  const __m256 n = _mm256_cvtepi32_ps(num);
  const __m256 estimate = _mm256_sub_ps(_mm256_mul_ps(n, inverse), _mm256_set1_ps(1.0f / 32768.0f));
  __m256 q = _mm256_round_ps(estimate, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  const __m256 remainder = _mm256_sub_ps(n, _mm256_mul_ps(q, total));
  q = _mm256_add_ps(q, _mm256_and_ps(_mm256_set1_ps(1.0f), _mm256_cmp_ps(remainder, total, _CMP_GE_OQ)));
  return _mm256_cvttps_epi32(q);
}

// A 16-bit weight repeated in both halves of each lane.
VELORINA_AVX2_INLINE __m256i weightPair(__m256i w) { return _mm256_or_si256(w, _mm256_slli_epi32(w, 16)); }

// left * leftWeight + right * rightWeight in 16-bit lanes (below 65536 for
// channels below 256 and weights totalling 256), less 32768 as a signed value.
VELORINA_AVX2_INLINE __m256i horizontal(__m256i left, __m256i right, __m256i leftWeight, __m256i rightWeight) {
  const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(left, leftWeight), _mm256_mullo_epi16(right, rightWeight));
  return _mm256_xor_si256(sum, _mm256_set1_epi32(std::int32_t(0x80008000u)));
}

// Where a group of eight samples reads the texture, worked out by the first pass
// over a row. Bilinear: `top` holds the upper left texel of each sample's 2 x 2
// block.
struct TexelAddress {
  alignas(32) std::int32_t top[8];
  __m256i leftWeight, rightWeight;  // (256 - wu) and wu, in both 16-bit halves
  __m256i verticalWeight;           // 256 - wv in the low 16 bits, wv in the high
  bool wraps;                       // some block wraps round the right or bottom edge
};

template <TextureFilter Filter>
VELORINA_AVX2_INLINE void address(const TextureSampler& t, __m256 u, __m256 v, __m256i mask, TexelAddress& a) {
  const __m256i wmask = _mm256_set1_epi32(t.width - 1), hmask = _mm256_set1_epi32(t.height - 1);
  const __m128i wshift = _mm_cvtsi32_si128(__builtin_ctz(std::uint32_t(t.width)));
  if constexpr (Filter == TextureFilter::Point) {
    const __m256i x = _mm256_and_si256(floorToInt(_mm256_mul_ps(u, _mm256_set1_ps(float(t.width)))), wmask);
    const __m256i y = _mm256_and_si256(floorToInt(_mm256_mul_ps(v, _mm256_set1_ps(float(t.height)))), hmask);
    _mm256_store_si256(reinterpret_cast<__m256i*>(a.top), _mm256_add_epi32(_mm256_sll_epi32(y, wshift), x));
  } else {
    const Tap tu = bilinearTap(u, float(t.width)), tv = bilinearTap(v, float(t.height));
    // Inactive lanes read texel 0, so that only active lanes decide whether a
    // block wraps.
    const __m256i x0 = _mm256_and_si256(_mm256_and_si256(tu.index, wmask), mask);
    const __m256i y0 = _mm256_and_si256(_mm256_and_si256(tv.index, hmask), mask);
    _mm256_store_si256(reinterpret_cast<__m256i*>(a.top), _mm256_add_epi32(_mm256_sll_epi32(y0, wshift), x0));
    const __m256i edge = _mm256_or_si256(_mm256_cmpeq_epi32(x0, wmask), _mm256_cmpeq_epi32(y0, hmask));
    a.wraps = !_mm256_testz_si256(edge, edge);
    const __m256i full = _mm256_set1_epi32(256);
    a.leftWeight = weightPair(_mm256_sub_epi32(full, tu.weight));
    a.rightWeight = weightPair(tu.weight);
    a.verticalWeight = _mm256_or_si256(_mm256_sub_epi32(full, tv.weight), _mm256_slli_epi32(tv.weight, 16));
  }
}

// The neighbours of the texels `index` one column right or one row down,
// wrapping round the texture's edges.
VELORINA_AVX2_INLINE __m256i rightOf(__m256i index, std::int32_t width) {
  const __m256i wmask = _mm256_set1_epi32(width - 1);
  const __m256i atEdge = _mm256_cmpeq_epi32(_mm256_and_si256(index, wmask), wmask);
  return _mm256_add_epi32(index, _mm256_blendv_epi8(_mm256_set1_epi32(1), _mm256_set1_epi32(1 - width), atEdge));
}
VELORINA_AVX2_INLINE __m256i below(__m256i index, std::int32_t width, std::int32_t height) {
  const __m256i lastRow = _mm256_set1_epi32((height - 1) * width);
  const __m256i atEdge = _mm256_cmpgt_epi32(_mm256_set1_epi32(1), _mm256_sub_epi32(lastRow, index));
  return _mm256_add_epi32(index, _mm256_blendv_epi8(_mm256_set1_epi32(width), _mm256_set1_epi32(-(height - 1) * width), atEdge));
}

// The texels at `index` into eight lanes, by scalar loads.
VELORINA_AVX2_INLINE __m256i loadTexels(const std::uint32_t* texels, __m256i index) {
  alignas(32) std::int32_t at[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
  return loadTexels(texels, at);
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
// The filtered colour of eight samples. Where keyed texels took part, the
// channels are still the numerators of floor(numerator / total), the division
// being left to the shading pass.
struct Filtered {
  Rgb c;
  __m256i total;
  bool divide;
};

VELORINA_AVX2_INLINE Rgb quotients(const Filtered& f) {
  const __m256 total = _mm256_cvtepi32_ps(f.total);
  const __m256 inverse = _mm256_div_ps(_mm256_set1_ps(1.0f), total);
  return {divideExact(f.c.r, total, inverse), divideExact(f.c.g, total, inverse), divideExact(f.c.b, total, inverse)};
}

template <bool Key>
VELORINA_AVX2_INLINE Filtered sampleBilinear(const TextureSampler& t, const TexelAddress& a, __m256i& mask) {
  __m256i t0, t1, t2, t3;
  if (!a.wraps) {
    // The lower row of a block that does not wrap starts one texture row on.
    const TexelPair top = loadPairs(t.texels, a.top), bottom = loadPairs(t.texels + t.width, a.top);
    t0 = top.left, t1 = top.right, t2 = bottom.left, t3 = bottom.right;
  } else {
    const __m256i upperLeft = _mm256_load_si256(reinterpret_cast<const __m256i*>(a.top));
    const __m256i lowerLeft = below(upperLeft, t.width, t.height);
    t0 = loadTexels(t.texels, upperLeft);
    t1 = loadTexels(t.texels, rightOf(upperLeft, t.width));
    t2 = loadTexels(t.texels, lowerLeft);
    t3 = loadTexels(t.texels, rightOf(lowerLeft, t.width));
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
  const __m256i low = _mm256_set1_epi32(0x00FF00FF);
  auto high = [&](__m256i texel) VELORINA_AVX2 { return _mm256_and_si256(_mm256_srli_epi32(texel, 8), low); };
  const __m256i rbTop = horizontal(_mm256_and_si256(t0, low), _mm256_and_si256(t1, low), a.leftWeight, a.rightWeight);
  const __m256i gaTop = horizontal(high(t0), high(t1), a.leftWeight, a.rightWeight);
  const __m256i rbBottom = horizontal(_mm256_and_si256(t2, low), _mm256_and_si256(t3, low), a.leftWeight, a.rightWeight);
  const __m256i gaBottom = horizontal(high(t2), high(t3), a.leftWeight, a.rightWeight);
  // (256 - wv, wv) per sample, repeated for the two channels of a pair.
  const __m256i weightLo = _mm256_unpacklo_epi32(a.verticalWeight, a.verticalWeight);
  const __m256i weightHi = _mm256_unpackhi_epi32(a.verticalWeight, a.verticalWeight);
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
      return {{_mm256_add_epi32(sr, half), _mm256_add_epi32(sg, half), _mm256_add_epi32(sb, half)}, total, true};
    }
  }
  const __m256i round = _mm256_set1_epi32(32768);
  return {{_mm256_srli_epi32(_mm256_add_epi32(sr, round), 16), _mm256_srli_epi32(_mm256_add_epi32(sg, round), 16),
           _mm256_srli_epi32(_mm256_add_epi32(sb, round), 16)},
          _mm256_setzero_si256(),
          false};
}

VELORINA_AVX2_INLINE __m256i channel(__m256i texel, int shift) {
  return _mm256_and_si256(_mm256_srli_epi32(texel, shift), _mm256_set1_epi32(0xFF));
}

// The sampled colour of every lane; lanes whose sample is keyed away are removed
// from mask.
template <TextureFilter Filter, bool Key>
VELORINA_AVX2_INLINE Filtered sample(const TextureSampler& t, const TexelAddress& a, __m256i& mask) {
  if constexpr (Filter == TextureFilter::Point) {
    const __m256i texel = loadTexels(t.texels, a.top);
    if constexpr (Key) mask = _mm256_andnot_si256(isKey(texel, _mm256_set1_epi32(std::int32_t(t.keyRgb))), mask);
    return {{channel(texel, 16), channel(texel, 8), channel(texel, 0)}, _mm256_setzero_si256(), false};
  } else {
    return sampleBilinear<Key>(t, a, mask);
  }
}

// A row is drawn in runs of up to 64 samples (a tile's width), each in three
// passes over its groups of eight: the first tests depth and finds the texels,
// the second reads and filters them, the third divides out keyed texels, shades
// and writes. Each pass's steps for one group depend only on that group, and are
// short enough for the processor to overlap the work of neighbouring groups; the
// whole chain of one group is too long for that.
constexpr std::int32_t kRunGroups = 8;

enum class GroupKind : std::uint8_t { Empty, Vector, Scalar };

struct Group {
  GroupKind kind;
  __m256i mask;  // the samples that pass the depth test (and later the key)
  __m256 z, w;
  TexelAddress place;  // where the samples read the texture
  Filtered filtered;   // what they read there
};

template <TextureFilter Filter, bool Depth>
VELORINA_AVX2_INLINE void setUpGroup(const PixelPipeline& pipe, const SpanRow& row, const Plane (&p)[4], std::int32_t i,
                                     Group& g) {
  const std::int32_t n = row.hi - row.lo + 1;
  g.mask = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256 k = _mm256_add_ps(_mm256_set1_ps(float(i)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
  g.z = at(p[0], k);
  if constexpr (Depth) {
    const __m256 stored = _mm256_maskload_ps(row.depth + row.lo + i, g.mask);
    g.mask = _mm256_and_si256(g.mask, _mm256_castps_si256(_mm256_cmp_ps(g.z, stored, _CMP_LE_OQ)));
    if (_mm256_testz_si256(g.mask, g.mask)) {
      g.kind = GroupKind::Empty;
      return;
    }
  }
  g.w = _mm256_div_ps(_mm256_set1_ps(1.0f), at(p[1], k));
  const __m256 u = _mm256_mul_ps(at(p[2], k), g.w), v = _mm256_mul_ps(at(p[3], k), g.w);
  if (!inRange(u, v, g.mask)) {
    g.kind = GroupKind::Scalar;
    return;
  }
  g.kind = GroupKind::Vector;
  address<Filter>(pipe.texture, u, v, g.mask, g.place);
}

template <TextureFilter Filter, bool Key>
VELORINA_AVX2_INLINE void sampleGroup(const PixelPipeline& pipe, Group& g) {
  g.filtered = sample<Filter, Key>(pipe.texture, g.place, g.mask);
  if (_mm256_testz_si256(g.mask, g.mask)) g.kind = GroupKind::Empty;
}

// The diffuse colour a group's texels are modulated by, as modulateRange takes it.
template <Diffuse Colour>
VELORINA_AVX2_INLINE __m256i modulate(__m256i channel, const Plane& p, __m256 k, __m256 w, __m256i constant) {
  if constexpr (Colour == Diffuse::White) return channel;
  if constexpr (Colour == Diffuse::Constant) return mul255(channel, constant);
  return mul255(channel, toByte(_mm256_mul_ps(at(p, k), w)));
}

template <bool Specular, bool Depth, Diffuse Colour>
VELORINA_AVX2_INLINE void shadeGroup(const PixelPipeline& pipe, const SpanRow& row, const Plane (&p)[6],
                                     const __m256i (&constant)[3], std::int32_t i, const Group& g) {
  const Rgb texel = g.filtered.divide ? quotients(g.filtered) : g.filtered.c;
  const __m256 k = _mm256_add_ps(_mm256_set1_ps(float(i)), _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7));
  __m256i cr = modulate<Colour>(texel.r, p[0], k, g.w, constant[0]);
  __m256i cg = modulate<Colour>(texel.g, p[1], k, g.w, constant[1]);
  __m256i cb = modulate<Colour>(texel.b, p[2], k, g.w, constant[2]);
  if constexpr (Specular) {
    const __m256i max = _mm256_set1_epi32(255);
    cr = _mm256_min_epi32(max, _mm256_add_epi32(cr, toByte(_mm256_mul_ps(at(p[3], k), g.w))));
    cg = _mm256_min_epi32(max, _mm256_add_epi32(cg, toByte(_mm256_mul_ps(at(p[4], k), g.w))));
    cb = _mm256_min_epi32(max, _mm256_add_epi32(cb, toByte(_mm256_mul_ps(at(p[5], k), g.w))));
  }
  const __m256i argb =
      _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(std::int32_t(0xFF000000u)), _mm256_slli_epi32(cr, 16)),
                      _mm256_or_si256(_mm256_slli_epi32(cg, 8), cb));
  _mm256_maskstore_epi32(reinterpret_cast<int*>(row.color + row.lo + i), g.mask, argb);
  if (Depth && pipe.depthWrite) _mm256_maskstore_ps(row.depth + row.lo + i, g.mask, g.z);
}

template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
VELORINA_AVX2 void spanBody(const PixelPipeline& pipe, const SpanRow& row) {
  const std::int32_t n = row.hi - row.lo + 1;
  // A few samples cost less one at a time than as a mostly empty vector.
  if (n < kShortSpan) {
    modulateRange<Filter, Key, Specular, Depth, Colour>(pipe, row, row.lo, row.hi);
    return;
  }
  const __m256i constant[3] = {_mm256_set1_epi32(software::toByte(row.diffuse[0])),
                               _mm256_set1_epi32(software::toByte(row.diffuse[1])),
                               _mm256_set1_epi32(software::toByte(row.diffuse[2]))};
  const Plane setUpPlanes[4] = {plane(row, kZ), plane(row, kQ), plane(row, kU), plane(row, kV)};
  const Plane shadePlanes[6] = {plane(row, kR),     plane(row, kG),     plane(row, kB),
                                plane(row, kSpecR), plane(row, kSpecG), plane(row, kSpecB)};
  Group groups[kRunGroups];
  for (std::int32_t run = 0; run < n; run += 8 * kRunGroups) {
    const std::int32_t count = std::min(kRunGroups, (n - run + 7) / 8);
    for (std::int32_t j = 0; j < count; ++j) {
      setUpGroup<Filter, Depth>(pipe, row, setUpPlanes, run + 8 * j, groups[j]);
    }
    for (std::int32_t j = 0; j < count; ++j) {
      if (groups[j].kind == GroupKind::Vector) sampleGroup<Filter, Key>(pipe, groups[j]);
    }
    for (std::int32_t j = 0; j < count; ++j) {
      const std::int32_t i = run + 8 * j;
      if (groups[j].kind == GroupKind::Vector) {
        shadeGroup<Specular, Depth, Colour>(pipe, row, shadePlanes, constant, i, groups[j]);
      } else if (groups[j].kind == GroupKind::Scalar) {
        const std::int32_t from = row.lo + i;
        modulateRange<Filter, Key, Specular, Depth, Colour>(pipe, row, from, std::min(from + 7, row.hi));
      }
    }
  }
}

}  // namespace

bool hasAvx2() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported;
}

template <TextureFilter Filter, bool Key, bool Specular, bool Depth, Diffuse Colour>
void modulateSpanAvx2(const PixelPipeline& pipe, const SpanRow& row) {
  spanBody<Filter, Key, Specular, Depth, Colour>(pipe, row);
}

#define VELORINA_SPAN_COLOUR(F, K, S, D, C) \
  template void modulateSpanAvx2<F, K, S, D, C>(const PixelPipeline&, const SpanRow&);
#define VELORINA_SPAN(F, K, S, D)                           \
  VELORINA_SPAN_COLOUR(F, K, S, D, Diffuse::Interpolated) \
  VELORINA_SPAN_COLOUR(F, K, S, D, Diffuse::Constant)     \
  VELORINA_SPAN_COLOUR(F, K, S, D, Diffuse::White)
#define VELORINA_SPAN_DEPTH(F, K, S) VELORINA_SPAN(F, K, S, true) VELORINA_SPAN(F, K, S, false)
#define VELORINA_SPAN_SPEC(F, K) VELORINA_SPAN_DEPTH(F, K, true) VELORINA_SPAN_DEPTH(F, K, false)
#define VELORINA_SPAN_KEY(F) VELORINA_SPAN_SPEC(F, true) VELORINA_SPAN_SPEC(F, false)
VELORINA_SPAN_KEY(TextureFilter::Point)
VELORINA_SPAN_KEY(TextureFilter::Bilinear)

}  // namespace velorina::software
