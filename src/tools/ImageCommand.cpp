// velorina-tool image: size and format of a picture, and conversion between the
// picture formats a world may use.
#include <cstdio>
#include <string>

#include "archive/AtomicFile.h"
#include "archive/FileStream.h"
#include "imaging/BmpCodec.h"
#include "imaging/PictureRegistry.h"
#include "imaging/PngCodec.h"
#include "imaging/PpmCodec.h"
#include "imaging/WZ1Bitmap.h"
#include "imaging/WZ2Bitmap.h"
#include "imaging/ZBitmap.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool image info FILE\n"
    "       velorina-tool image convert IN OUT|-o OUT [--level LEVEL]\n"
    "\n"
    "  info     prints WIDTHxHEIGHT BITS and the format, e.g. \"128x128 8 BMZ (zBitmap)\"\n"
    "  convert  reads IN in any picture format (by its extension) and writes OUT as\n"
    "           BMP, DIB, BMZ, WZ1, WZ2, PPM or PNG (by its extension); 8-bit pictures\n"
    "           keep their palette and indices (PPM stores colours only); WZ1 and\n"
    "           WZ2 reduce true colour to 256 colours\n"
    "  LEVEL    compression of BMZ: none, fastest, default or max (default: default)\n";

Bitmap readPicture(const std::string& path) {
  PictureRegistry::standard().createFor(path);  // an unknown type fails before the file is opened
  FileStream file(path, FileMode::Read);
  return loadPicture(path, file);
}

int info(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool image info FILE");
  const std::string& path = p.positional[0];
  Bitmap b = readPicture(path);
  const PictureFormat* format = PictureRegistry::standard().find(PictureRegistry::extensionOf(path));
  std::printf("%dx%d %d %s (%s)\n", b.width(), b.height(), b.bitsPerPixel(), format->extension.c_str(),
              format->description.c_str());
  return 0;
}

// The stored form of a bitmap for an output extension.
void writePicture(const Bitmap& b, const std::string& extension, TCompressionLevel level, Stream& out) {
  if (extension == "BMP" || extension == "DIB") return out.writeBytes(writeBmp(b));
  if (extension == "PNG") return out.writeBytes(encodePng(b));
  if (extension == "PPM") return out.writeBytes(encodePpm(b));
  if (extension == "WZ1") return TWZ1Bitmap(b).SaveToStream(out);
  if (extension == "WZ2") return TWZ2Bitmap(b).SaveToStream(out);
  if (extension == "BMZ") {
    TZBitmap z(b);
    z.CompressionLevel = level;
    return z.SaveToStream(out);
  }
  throw UsageError("cannot write pictures of type \"" + extension + "\" (BMP, DIB, BMZ, WZ1, WZ2, PPM, PNG)");
}

int convert(const ParsedArgs& p) {
  const auto named = outputPath(p);
  if (p.positional.size() != (named ? 1u : 2u)) {
    throw UsageError("usage: velorina-tool image convert IN OUT [--level LEVEL] (or IN -o OUT)");
  }
  const std::string out = named ? *named : p.positional[1];
  const std::string extension = PictureRegistry::extensionOf(out);
  TCompressionLevel level = parseCompressionLevel(p, TCompressionLevel::clDefault);
  Bitmap b = readPicture(p.positional[0]);
  try {
    AtomicFileWriter writer(out);
    writePicture(b, extension, level, writer.stream());
    writer.commit();
  } catch (Error& e) {
    e.setFileIfUnset(out);
    throw;
  }
  return 0;
}

}  // namespace

int runImageCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"--level", "-o", "--out"});
    if (p.help || p.positional.empty()) {
      std::fputs(kUsage, p.help ? stdout : stderr);
      return p.help ? 0 : 1;
    }
    const std::string verb = p.positional[0];
    ParsedArgs rest = p;
    rest.positional.erase(rest.positional.begin());
    if (verb == "info") return info(rest);
    if (verb == "convert") return convert(rest);
    throw UsageError("unknown image command \"" + verb + "\" (info, convert)");
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool image: ") + e.what());
  } catch (const Error& e) {
    return reportFailure(std::string("velorina-tool image: ") + e.describe());
  }
}

}  // namespace velorina::tools
