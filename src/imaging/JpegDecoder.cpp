#include "imaging/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "imaging/ImagingError.h"

namespace velorina {

namespace {

// Flat areas code an 8x8 block in a few bits; no real picture comes near 4096
// pixels per stored byte, and hostile headers claiming more are refused early.
constexpr std::uint64_t kMaxPixelsPerByte = 4096;
// Working memory libjpeg may take (progressive pictures keep all coefficients).
constexpr long kMaxDecoderMemory = 512L << 20;

// The error manager: error_exit jumps back to decodeInto instead of exit().
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  info->err->format_message(info, err->message);
  std::longjmp(err->jump, 1);
}

void onMessage(j_common_ptr, int) {}

void cmykRowToBgr(const std::uint8_t* in, std::uint8_t* out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, in += 4, out += 3) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    out[0] = static_cast<std::uint8_t>(y * k / 255);
    out[1] = static_cast<std::uint8_t>(m * k / 255);
    out[2] = static_cast<std::uint8_t>(c * k / 255);
  }
}

enum class Outcome { Decoded, LibraryError, TooLarge };

// The part that libjpeg may longjmp out of. No object with a destructor lives in
// this frame: the bitmap and the scratch row belong to the caller.
Outcome decodeInto(jpeg_decompress_struct& info, ErrorManager& err, std::span<const std::uint8_t> bytes,
                   Bitmap& out, std::vector<std::uint8_t>& scratch) {
  if (setjmp(err.jump)) return Outcome::LibraryError;
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&info, TRUE);
  std::uint64_t pixels = static_cast<std::uint64_t>(info.image_width) * info.image_height;
  if (info.image_width > static_cast<unsigned>(kMaxBitmapSide) || info.image_height > static_cast<unsigned>(kMaxBitmapSide) ||
      pixels > bytes.size() * kMaxPixelsPerByte) {
    return Outcome::TooLarge;
  }
  bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
  bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  PixelFormat format = grey ? PixelFormat::Bits8 : PixelFormat::Bits24;
  if (strideFor(static_cast<int>(info.image_width), format) * info.image_height > kMaxBitmapBytes) return Outcome::TooLarge;
  out.reset(static_cast<int>(info.image_width), static_cast<int>(info.image_height), format, PixelInit::Uninitialised);
  const std::size_t used = static_cast<std::size_t>(info.image_width) * (grey ? 1 : 3);
  if (cmyk) scratch.resize(static_cast<std::size_t>(info.image_width) * 4);
  jpeg_start_decompress(&info);
  while (info.output_scanline < info.output_height) {
    int y = static_cast<int>(info.output_scanline);
    JSAMPROW row = cmyk ? scratch.data() : out.row(y);
    jpeg_read_scanlines(&info, &row, 1);
    if (cmyk) cmykRowToBgr(scratch.data(), out.row(y), out.width(), info.saw_Adobe_marker);
    std::memset(out.row(y) + used, 0, out.stride() - used);  // row padding
  }
  jpeg_finish_decompress(&info);
  return Outcome::Decoded;
}

}  // namespace

Bitmap decodeJpeg(std::span<const std::uint8_t> bytes, const std::string& source) {
  if (bytes.empty()) throwInvalidPicture(source, "empty JPEG picture");
  jpeg_decompress_struct info{};
  ErrorManager err{};
  info.err = jpeg_std_error(&err.base);
  err.base.error_exit = onError;
  err.base.emit_message = onMessage;
  Bitmap out;
  std::vector<std::uint8_t> scratch;
  Outcome outcome = Outcome::LibraryError;
  try {
    outcome = decodeInto(info, err, bytes, out, scratch);
  } catch (...) {
    jpeg_destroy_decompress(&info);
    throw;
  }
  jpeg_destroy_decompress(&info);
  if (outcome == Outcome::LibraryError) throwInvalidPicture(source, std::string("JPEG: ") + err.message);
  if (outcome == Outcome::TooLarge) throwInvalidPicture(source, "JPEG picture is far larger than its data");
  if (out.format() == PixelFormat::Bits8) {
    for (int i = 0; i < 256; ++i) {
      auto v = static_cast<std::uint8_t>(i);
      out.palette()[static_cast<std::size_t>(i)] = {v, v, v, 0};
    }
    out.setPaletteCount(256);
  }
  return out;
}

}  // namespace velorina
