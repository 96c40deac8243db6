#include "imaging/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "imaging/ImagingError.h"

namespace velorina {

namespace {

// LZW codes are at least 2 bits (often more) and one code yields at most 4096
// pixels, so no picture holds more than about 16384 pixels per byte; anything
// claiming more is refused before it is allocated.
constexpr std::uint64_t kMaxPixelsPerByte = 16384;

struct Input {
  std::span<const std::uint8_t> bytes;
  std::size_t pos = 0;
};

int readInput(GifFileType* gif, GifByteType* buffer, int count) {
  auto* in = static_cast<Input*>(gif->UserData);
  auto n = std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)), in->bytes.size() - in->pos);
  std::memcpy(buffer, in->bytes.data() + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void fail(const std::string& source, const char* what, int code) {
  const char* text = GifErrorString(code);
  throwInvalidPicture(source, std::string(what) + (text ? std::string(": ") + text : std::string()));
}

// The transparent index from a graphic control extension, or -1.
int transparentIndex(GifFileType* gif, const std::string& source) {
  int transparent = -1;
  GifByteType* ext = nullptr;
  int code = 0;
  if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) fail(source, "damaged GIF extension", gif->Error);
  while (ext != nullptr) {
    if (code == GRAPHICS_EXT_FUNC_CODE && ext[0] >= 4 && (ext[1] & 1)) transparent = ext[4];
    code = 0;  // only the first block carries the control data
    if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) fail(source, "damaged GIF extension", gif->Error);
  }
  return transparent;
}

void setPalette(Bitmap& out, const ColorMapObject* map, int transparent) {
  int count = std::min(map->ColorCount, 256);
  for (int i = 0; i < count; ++i) {
    const GifColorType& c = map->Colors[i];
    out.palette()[static_cast<std::size_t>(i)] = {c.Red, c.Green, c.Blue, 0};
  }
  out.setPaletteCount(count);
  if (transparent >= 0) {
    out.palette()[static_cast<std::size_t>(transparent)] = {0, 0, 0, 0};
    out.setPaletteCount(std::max(count, transparent + 1));
  }
}

void readFrame(GifFileType* gif, Bitmap& out, const std::string& source) {
  const GifImageDesc& d = gif->Image;
  std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
  auto copyLine = [&](int row) {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) fail(source, "damaged GIF image data", gif->Error);
    int y = d.Top + row;
    if (y < 0 || y >= out.height()) return;
    for (int x = 0; x < d.Width; ++x) {
      int sx = d.Left + x;
      if (sx >= 0 && sx < out.width()) out.row(y)[sx] = line[static_cast<std::size_t>(x)];
    }
  };
  if (d.Interlace) {
    // The four passes of an interlaced image: every 8th row from 0, every 8th
    // from 4, every 4th from 2, every 2nd from 1.
    constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int row = kStart[pass]; row < d.Height; row += kStep[pass]) copyLine(row);
  } else {
    for (int row = 0; row < d.Height; ++row) copyLine(row);
  }
}

}  // namespace

Bitmap decodeGif(std::span<const std::uint8_t> bytes, const std::string& source) {
  Input input{bytes, 0};
  int error = 0;
  GifHandle gif(DGifOpen(&input, readInput, &error));
  if (!gif) fail(source, "not a GIF picture", error);
  int transparent = -1;
  GifRecordType record = UNDEFINED_RECORD_TYPE;
  do {
    if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) fail(source, "damaged GIF record", gif->Error);
    if (record == EXTENSION_RECORD_TYPE) {
      int t = transparentIndex(gif.get(), source);
      if (t >= 0) transparent = t;
    }
  } while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE);
  if (record != IMAGE_DESC_RECORD_TYPE) throwInvalidPicture(source, "GIF file holds no image");
  if (DGifGetImageDesc(gif.get()) == GIF_ERROR) fail(source, "damaged GIF image descriptor", gif->Error);

  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  if (!map || map->ColorCount <= 0) throwInvalidPicture(source, "GIF image has no colour table");
  if (d.Width <= 0 || d.Height <= 0) throwInvalidPicture(source, "GIF image has no pixels");
  int width = gif->SWidth > 0 ? gif->SWidth : d.Width;
  int height = gif->SHeight > 0 ? gif->SHeight : d.Height;
  checkBitmapSize(width, height, PixelFormat::Bits8, source.c_str());
  std::uint64_t budget = static_cast<std::uint64_t>(bytes.size()) * kMaxPixelsPerByte;
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > budget ||
      static_cast<std::uint64_t>(d.Width) * static_cast<std::uint64_t>(d.Height) > budget) {
    throwInvalidPicture(source, "GIF image is far larger than its data");
  }
  if (transparent >= map->ColorCount) transparent = -1;
  Bitmap out(width, height, PixelFormat::Bits8);
  setPalette(out, map, transparent);
  int background = transparent >= 0 ? transparent : std::clamp(gif->SBackGroundColor, 0, 255);
  std::fill(out.pixels().begin(), out.pixels().end(), static_cast<std::uint8_t>(background));
  readFrame(gif.get(), out, source);
  return out;
}

}  // namespace velorina
