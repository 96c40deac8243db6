#include "imaging/TgaDecoder.h"

#include <cstring>

#include "archive/LittleEndian.h"
#include "imaging/ImagingError.h"

namespace velorina {

namespace {

struct TgaHeader {
  int idLength, mapType, imageType;
  int mapFirst, mapLength, mapBits;
  int width, height, bits, descriptor;
};

TgaHeader readHeader(ByteReader& in) {
  TgaHeader h{};
  h.idLength = in.u8();
  h.mapType = in.u8();
  h.imageType = in.u8();
  h.mapFirst = in.u16();
  h.mapLength = in.u16();
  h.mapBits = in.u8();
  in.skip(4);  // origin
  h.width = in.u16();
  h.height = in.u16();
  h.bits = in.u8();
  h.descriptor = in.u8();
  return h;
}

PixelFormat formatFor(const TgaHeader& h, const std::string& source) {
  int base = h.imageType & 7;
  if ((base == 1 || base == 3) && h.bits == 8) return PixelFormat::Bits8;
  if (base == 2 && (h.bits == 15 || h.bits == 16)) return PixelFormat::Bits16;
  if (base == 2 && h.bits == 24) return PixelFormat::Bits24;
  if (base == 2 && h.bits == 32) return PixelFormat::Bits32;
  throwInvalidPicture(source, "TGA: unsupported image type " + std::to_string(h.imageType) + " with " +
                                  std::to_string(h.bits) + " bits");
}

PaletteEntry mapEntry(std::span<const std::uint8_t> e) {
  if (e.size() == 2) {
    std::uint32_t v = loadLE<std::uint16_t>(e.data());
    auto x = [](std::uint32_t c) { return static_cast<std::uint8_t>((c << 3) | (c >> 2)); };
    return {x((v >> 10) & 31), x((v >> 5) & 31), x(v & 31), 0};
  }
  return {e[2], e[1], e[0], 0};
}

void readColourMap(ByteReader& in, const TgaHeader& h, Bitmap& out, const std::string& source) {
  if (h.mapType != 1) return;
  int entryBytes = (h.mapBits + 7) / 8;
  if (entryBytes < 2 || entryBytes > 4) throwInvalidPicture(source, "TGA: unsupported colour map entry size");
  for (int i = 0; i < h.mapLength; ++i) {
    auto e = in.bytes(static_cast<std::size_t>(entryBytes));
    int index = h.mapFirst + i;
    if ((h.imageType & 7) == 1 && index < 256) out.palette()[static_cast<std::size_t>(index)] = mapEntry(e.first(std::min(entryBytes, 3)));
  }
  if ((h.imageType & 7) == 1) out.setPaletteCount(std::min(256, h.mapFirst + h.mapLength));
}

// Pixels in file order, unpacking runs when the type says so.
void readPixels(ByteReader& in, const TgaHeader& h, ByteBuffer& raw, std::size_t pixelBytes, std::size_t count) {
  if (!(h.imageType & 8)) {
    auto data = in.bytes(pixelBytes * count);
    raw.assign(data.begin(), data.end());
    return;
  }
  raw.resize(pixelBytes * count);
  std::size_t done = 0;
  while (done < count) {
    int packet = in.u8();
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>((packet & 0x7F) + 1), count - done);
    if (packet & 0x80) {
      auto value = in.bytes(pixelBytes);
      for (std::size_t i = 0; i < n; ++i) std::memcpy(raw.data() + (done + i) * pixelBytes, value.data(), pixelBytes);
    } else {
      auto values = in.bytes(pixelBytes * n);
      std::memcpy(raw.data() + done * pixelBytes, values.data(), values.size());
    }
    done += n;
  }
}

}  // namespace

Bitmap decodeTga(std::span<const std::uint8_t> bytes, const std::string& source) {
  return guardPictureReads([&] {
    ByteReader in(bytes, source);
    TgaHeader h = readHeader(in);
    PixelFormat format = formatFor(h, source);
    if (h.width == 0 || h.height == 0) throwInvalidPicture(source, "TGA: picture has no pixels");
    auto pixelBytes = static_cast<std::size_t>((h.bits + 7) / 8);
    auto count = static_cast<std::size_t>(h.width) * static_cast<std::size_t>(h.height);
    // Uncoded pixels must all be there; a run packet of two or more bytes gives at most 128 pixels.
    std::size_t maxCount = (h.imageType & 8) ? bytes.size() * 64 : bytes.size() / pixelBytes;
    if (count > maxCount) throwInvalidPicture(source, "TGA: picture is larger than its data");
    in.skip(static_cast<std::size_t>(h.idLength));
    Bitmap out(h.width, h.height, format);
    if ((h.imageType & 7) == 3) {
      for (int i = 0; i < 256; ++i) out.palette()[static_cast<std::size_t>(i)] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
      out.setPaletteCount(256);
    }
    readColourMap(in, h, out, source);
    ByteBuffer raw;
    readPixels(in, h, raw, pixelBytes, count);
    bool topDown = h.descriptor & 0x20, rightToLeft = h.descriptor & 0x10;
    for (int i = 0; i < h.height; ++i) {
      int y = topDown ? i : h.height - 1 - i;
      const std::uint8_t* src = raw.data() + static_cast<std::size_t>(i) * h.width * pixelBytes;
      if (!rightToLeft) {
        std::memcpy(out.row(y), src, static_cast<std::size_t>(h.width) * pixelBytes);
        continue;
      }
      for (int x = 0; x < h.width; ++x)
        std::memcpy(out.row(y) + static_cast<std::size_t>(h.width - 1 - x) * pixelBytes, src + x * pixelBytes, pixelBytes);
    }
    return out;
  });
}

}  // namespace velorina
