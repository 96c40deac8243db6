#include "imaging/IconDecoder.h"

#include "archive/LittleEndian.h"
#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/PixelConversion.h"
#include "imaging/PngCodec.h"

namespace velorina {

namespace {

constexpr std::size_t kDirectoryHeader = 6, kEntrySize = 16;

struct IconEntry {
  int width = 0, height = 0, bits = 0;
  std::uint32_t size = 0, offset = 0;
};

IconEntry readEntry(ByteReader& in) {
  IconEntry e;
  e.width = in.u8();
  e.height = in.u8();
  in.skip(4);  // colour count, reserved, planes (cursors: hot spot)
  e.bits = in.u16();
  e.size = in.u32();
  e.offset = in.u32();
  if (e.width == 0) e.width = 256;
  if (e.height == 0) e.height = 256;
  return e;
}

bool better(const IconEntry& a, const IconEntry& b) {
  auto pixelsA = a.width * a.height, pixelsB = b.width * b.height;
  return pixelsA != pixelsB ? pixelsA > pixelsB : a.bits > b.bits;
}

}  // namespace

Bitmap decodeIcon(std::span<const std::uint8_t> bytes, const std::string& source) {
  return guardPictureReads([&] {
    ByteReader in(bytes, source);
    int reserved = in.u16(), type = in.u16(), count = in.u16();
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) throwInvalidPicture(source, "not an icon file");
    if (static_cast<std::size_t>(count) > (bytes.size() - kDirectoryHeader) / kEntrySize) {
      throwInvalidPicture(source, "icon directory is larger than the file");
    }
    IconEntry best;
    bool found = false;
    for (int i = 0; i < count; ++i) {
      IconEntry e = readEntry(in);
      bool inside = e.offset <= bytes.size() && e.size <= bytes.size() - e.offset && e.size > 0;
      if (inside && (!found || better(e, best))) best = e, found = true;
    }
    if (!found) throwInvalidPicture(source, "no icon image lies inside the file");
    auto image = bytes.subspan(best.offset, best.size);
    if (isPng(image)) return convertPixelFormat(decodePng(image, source), PixelFormat::Bits32);
    return readIconDib(image, source);
  });
}

}  // namespace velorina
