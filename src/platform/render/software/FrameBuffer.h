#pragma once
// The software device's render target: 32-bit colour (0xFFRRGGBB) and a float
// depth buffer, stored at `scale` samples per pixel side. With scale 2 every
// pixel holds a 2 x 2 grid of samples that resolve() averages.
//
// Clears are lazy per tile of 64 x 64 samples: a clear that covers a whole tile
// only notes the value, and the tile is filled when it is first drawn on, while
// the drawing thread has it in its cache; resolve() reads a noted colour without
// touching the tile. A frame's clear then costs nothing where nothing is drawn,
// and the depth tests of the first surface drawn into a tile find its samples in
// the cache. Whoever writes or reads samples through colorRow() and depthRow()
// first calls prepare() for them.
//
// Rows are padded so that the rows of a tile spread over the whole of a
// set-associative cache: with a stride of a multiple of 4 KiB, the 64 rows of a
// tile's colour and depth would all fall into the same few sets and keep
// evicting each other.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

namespace velorina::software {

struct SampleRect {
  std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // half-open, in samples
};

class FrameBuffer {
 public:
  FrameBuffer(std::uint32_t width, std::uint32_t height, bool hasDepth);

  std::uint32_t width() const { return width_; }    // pixels
  std::uint32_t height() const { return height_; }  // pixels
  std::uint32_t scale() const { return scale_; }
  std::uint32_t sampleWidth() const { return width_ * scale_; }
  std::uint32_t sampleHeight() const { return height_ * scale_; }
  bool hasDepth() const { return depthBase_ != nullptr; }
  std::size_t stride() const { return stride_; }  // samples from one row to the next

  // Samples of prepared tiles only (see prepare).
  std::uint32_t* colorRow(std::int32_t y) { return colorBase_ + std::size_t(y) * stride_; }
  float* depthRow(std::int32_t y) { return depthBase_ + std::size_t(y) * stride_; }

  // Changes the samples per pixel side, keeping the picture: samples are
  // replicated when growing and averaged when shrinking.
  void setScale(std::uint32_t scale);

  // Sets the samples of `r` (within the sample grid) to `argb` and, with a depth
  // buffer, their depth to `z`; whole tiles are only noted.
  void clear(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z);

  // Carries out the clears noted for the tiles that `r` touches. Threads may
  // prepare different tiles at once.
  void prepare(const SampleRect& r);
  void prepareSample(std::int32_t x, std::int32_t y) { prepareTile(tileOf(x, y)); }
  static constexpr int kTileShift = 6;  // tiles are 64 x 64 samples
  static constexpr std::size_t kTileSide = std::size_t(1) << kTileShift;
  // Tiles are numbered row by row; a tile at the right or bottom edge may be smaller.
  SampleRect tileRect(std::size_t tile) const;

  // Copies a tile's samples (a noted clear carried out there instead of in the
  // target) into `color` and `depth`, kTileSide samples from one row to the next,
  // so that it can be drawn on where it stays in the cache; `depth` is not used
  // without a depth buffer. Threads may work on different tiles at once.
  void loadTile(std::size_t tile, std::uint32_t* color, float* depth);
  // Writes them back with stores that bypass the caches (the target does not fit
  // the caches anyway), and keeps the tile's pixels resolved from the copy for
  // resolve().
  //
  // Without write-back only the pixels are kept: the tile's samples stay as
  // loadTile found them (its noted clear included), and the caller must draw the
  // same on it again (loadTile, drawing, storeTile) before anything else reads or
  // writes them, unless a clear of both colour and depth covers the whole tile
  // first. Needs resolvesTiles().
  void storeTile(std::size_t tile, const std::uint32_t* color, const float* depth, bool writeBack = true);
  // Whether storeTile resolves tiles on their own: pixels do not straddle tiles.
  bool resolvesTiles() const { return kTileSide % scale_ == 0; }
  // How many tiles hold pixels drawn without their samples written back.
  std::size_t unstoredTiles() const;

  // Brings the picture at one sample per pixel up to date for the tile rows
  // [row0, row1) (of tileRows()); threads may work on different rows at once.
  // Tiles drawn through loadTile and storeTile are already up to date.
  void updatePicture(std::uint32_t row0, std::uint32_t row1);
  std::uint32_t tileRows() const { return tilesY_; }
  // How many tiles updatePicture would have to work on.
  std::size_t staleTiles() const;
  // The picture updatePicture keeps (width * height pixels), valid once every
  // tile row has been updated since the samples last changed.
  std::span<const std::uint32_t> picture() const { return resolved_; }

  // The picture at one sample per pixel (out holds width * height entries).
  void resolve(std::span<std::uint32_t> out) const { resolveRows(out, 0, height_); }
  // The same for the pixel rows [y0, y1) only, so that bands of rows can be
  // resolved on several threads.
  void resolveRows(std::span<std::uint32_t> out, std::uint32_t y0, std::uint32_t y1) const;

 // Releases sample storage from std::aligned_alloc.
  struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
  };

 private:
  // A clear noted for a whole tile and not yet carried out, and whether the
  // tile's pixels in resolved_ are those of its samples.
  struct TileState {
    std::uint32_t argb = 0;
    float z = 1.0f;
    bool color = false;
    bool depth = false;
    bool resolved = false;
    bool unstored = false;  // drawn without write-back: the samples are stale
  };
  // Refuses access to stale samples: the owner draws such tiles again first.
  void requireStored(std::size_t tile) const;
  std::size_t tileOf(std::int32_t x, std::int32_t y) const {
    return std::size_t(y >> kTileShift) * tilesX_ + std::size_t(x >> kTileShift);
  }
  // Readies a tile's samples to be written where they are.
  void prepareTile(std::size_t tile) {
    if (pending_[tile].unstored) requireStored(tile);
    pending_[tile].resolved = false;
    if (pending_[tile].color || pending_[tile].depth) fillTile(tile);
  }
  void fillTile(std::size_t tile);
  void fillRect(const SampleRect& r, bool color, bool depth, std::uint32_t argb, float z);
  void resetTiles(const TileState& every);
  void resolveTile(std::size_t tile, const std::uint32_t* color, std::size_t stride);
  // Sizes the sample storage for stride_ and the scale, aligned to 64 bytes.
  void allocate(bool hasDepth);
  // The colour of one sample, a noted clear included.
  std::uint32_t sampleColor(std::uint32_t x, std::uint32_t y) const;
  void resolveRow(std::uint32_t* out, std::uint32_t y) const;

  std::uint32_t width_;
  std::uint32_t height_;
  std::uint32_t scale_ = 1;
  std::size_t stride_;  // samples from one row to the next
  std::unique_ptr<std::uint32_t[], FreeDeleter> color_;
  std::unique_ptr<float[], FreeDeleter> depth_;
  std::uint32_t* colorBase_ = nullptr;  // sample (0, 0), on a 64-byte boundary
  float* depthBase_ = nullptr;          // nullptr without a depth buffer
  std::uint32_t tilesX_ = 0, tilesY_ = 0;
  std::vector<TileState> pending_;  // one per tile, row by row
  std::vector<TileState> loaded_;   // per tile, its state when loadTile last took it
  // The picture at one sample per pixel as storeTile left it, valid per tile
  // (TileState::resolved): a tile drawn in a thread's cache is averaged there
  // rather than read back from memory.
  std::vector<std::uint32_t> resolved_;
};

}  // namespace velorina::software
