#include "imaging/Quantizer.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace velorina {

namespace {

constexpr int kBins = 32 * 32 * 32;

int binOf(std::uint32_t argb) {
  return static_cast<int>(((argb >> 19) & 31) << 10 | ((argb >> 11) & 31) << 5 | ((argb >> 3) & 31));
}

// Exact palette when the picture has few enough colours; false otherwise.
bool exactPalette(const Bitmap& source, int maxColours, Bitmap& out) {
  std::unordered_map<std::uint32_t, std::uint8_t> index;
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      std::uint32_t c = source.colour(x, y) & 0xFFFFFFu;
      auto it = index.find(c);
      if (it == index.end()) {
        if (static_cast<int>(index.size()) == maxColours) return false;
        auto i = static_cast<std::uint8_t>(index.size());
        out.palette()[i] = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                            static_cast<std::uint8_t>(c), 0};
        it = index.emplace(c, i).first;
      }
      out.setRawPixel(x, y, it->second);
    }
  }
  out.setPaletteCount(std::max<int>(1, static_cast<int>(index.size())));
  return true;
}

struct Box {
  std::array<int, 3> lo{}, hi{};  // inclusive channel bounds, 5 bits each
  std::uint64_t pixels = 0;
};

int channel(int bin, int c) { return (bin >> (10 - 5 * c)) & 31; }

// Shrinks the box to the colours it really holds and counts its pixels.
void fitBox(Box& box, const std::vector<std::uint32_t>& histogram) {
  std::array<int, 3> lo{31, 31, 31}, hi{0, 0, 0};
  std::uint64_t pixels = 0;
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        std::uint32_t n = histogram[static_cast<std::size_t>(r << 10 | g << 5 | b)];
        if (!n) continue;
        pixels += n;
        lo = {std::min(lo[0], r), std::min(lo[1], g), std::min(lo[2], b)};
        hi = {std::max(hi[0], r), std::max(hi[1], g), std::max(hi[2], b)};
      }
  box.pixels = pixels;
  if (pixels) box.lo = lo, box.hi = hi;
}

int longestAxis(const Box& box) {
  int axis = 0;
  for (int c = 1; c < 3; ++c)
    if (box.hi[c] - box.lo[c] > box.hi[axis] - box.lo[axis]) axis = c;
  return axis;
}

// Splits at the median pixel of the longest axis; false when the box is one colour.
bool splitBox(Box& box, Box& other, const std::vector<std::uint32_t>& histogram) {
  int axis = longestAxis(box);
  if (box.hi[axis] == box.lo[axis]) return false;
  std::array<std::uint64_t, 32> perValue{};
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        int bin = r << 10 | g << 5 | b;
        perValue[static_cast<std::size_t>(channel(bin, axis))] += histogram[static_cast<std::size_t>(bin)];
      }
  std::uint64_t seen = 0;
  int cut = box.lo[axis];
  for (int v = box.lo[axis]; v < box.hi[axis]; ++v) {
    seen += perValue[static_cast<std::size_t>(v)];
    cut = v;
    if (seen * 2 >= box.pixels) break;
  }
  other = box;
  box.hi[axis] = cut;
  other.lo[axis] = cut + 1;
  fitBox(box, histogram);
  fitBox(other, histogram);
  return true;
}

PaletteEntry meanColour(const Box& box, const std::vector<std::uint32_t>& histogram,
                        const std::vector<std::array<std::uint64_t, 3>>& sums) {
  std::array<std::uint64_t, 3> total{};
  std::uint64_t n = 0;
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b) {
        auto bin = static_cast<std::size_t>(r << 10 | g << 5 | b);
        n += histogram[bin];
        for (int c = 0; c < 3; ++c) total[static_cast<std::size_t>(c)] += sums[bin][static_cast<std::size_t>(c)];
      }
  if (!n) return {};
  return {static_cast<std::uint8_t>(total[0] / n), static_cast<std::uint8_t>(total[1] / n),
          static_cast<std::uint8_t>(total[2] / n), 0};
}

// Two rounds of k-means (Lloyd's algorithm) over the histogram bins: each bin
// joins its nearest palette colour, each colour moves to the mean of its bins.
// Median cut places colours by population only; this pulls them towards the
// colours really present.
void refine(Bitmap& out, const std::vector<std::uint32_t>& histogram,
            const std::vector<std::array<std::uint64_t, 3>>& sums) {
  for (int round = 0; round < 2; ++round) {
    std::vector<std::array<std::uint64_t, 4>> acc(static_cast<std::size_t>(out.paletteCount()), {0, 0, 0, 0});
    for (std::size_t bin = 0; bin < histogram.size(); ++bin) {
      if (!histogram[bin]) continue;
      std::uint64_t n = histogram[bin];
      auto i = out.nearestIndex(static_cast<std::uint8_t>(sums[bin][0] / n), static_cast<std::uint8_t>(sums[bin][1] / n),
                                static_cast<std::uint8_t>(sums[bin][2] / n));
      for (std::size_t c = 0; c < 3; ++c) acc[i][c] += sums[bin][c];
      acc[i][3] += n;
    }
    for (std::size_t i = 0; i < acc.size(); ++i) {
      if (!acc[i][3]) continue;
      out.palette()[i] = {static_cast<std::uint8_t>(acc[i][0] / acc[i][3]), static_cast<std::uint8_t>(acc[i][1] / acc[i][3]),
                          static_cast<std::uint8_t>(acc[i][2] / acc[i][3]), 0};
    }
  }
}

void medianCut(const Bitmap& source, int maxColours, Bitmap& out) {
  std::vector<std::uint32_t> histogram(kBins, 0);
  std::vector<std::array<std::uint64_t, 3>> sums(kBins, {0, 0, 0});
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x) {
      std::uint32_t c = source.colour(x, y);
      auto bin = static_cast<std::size_t>(binOf(c));
      ++histogram[bin];
      sums[bin][0] += (c >> 16) & 0xFF, sums[bin][1] += (c >> 8) & 0xFF, sums[bin][2] += c & 0xFF;
    }
  std::vector<Box> boxes(1, Box{{0, 0, 0}, {31, 31, 31}, 0});
  fitBox(boxes[0], histogram);
  while (static_cast<int>(boxes.size()) < maxColours) {
    // The box with the most pixels times its longest range goes next.
    auto score = [](const Box& b) {
      int a = longestAxis(b);
      return b.pixels * static_cast<std::uint64_t>(b.hi[a] - b.lo[a]);
    };
    auto it = std::max_element(boxes.begin(), boxes.end(),
                               [&](const Box& a, const Box& b) { return score(a) < score(b); });
    if (score(*it) == 0) break;
    Box other;
    if (!splitBox(*it, other, histogram)) break;
    boxes.push_back(other);
  }
  for (std::size_t i = 0; i < boxes.size(); ++i) out.palette()[i] = meanColour(boxes[i], histogram, sums);
  out.setPaletteCount(static_cast<int>(boxes.size()));
  refine(out, histogram, sums);
  // Each bin maps to its nearest palette colour, looked up once per bin in use.
  std::vector<std::int16_t> mapped(kBins, -1);
  for (int y = 0; y < source.height(); ++y)
    for (int x = 0; x < source.width(); ++x) {
      std::uint32_t c = source.colour(x, y);
      auto bin = static_cast<std::size_t>(binOf(c));
      if (mapped[bin] < 0) {
        mapped[bin] = out.nearestIndex(static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                       static_cast<std::uint8_t>(c));
      }
      out.setRawPixel(x, y, static_cast<std::uint32_t>(mapped[bin]));
    }
}

}  // namespace

Bitmap quantize(const Bitmap& source, int maxColours) {
  maxColours = std::clamp(maxColours, 1, 256);
  Bitmap out(source.width(), source.height(), PixelFormat::Bits8);
  if (!exactPalette(source, maxColours, out)) medianCut(source, maxColours, out);
  return out;
}

}  // namespace velorina
