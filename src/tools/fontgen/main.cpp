// velorina-fontgen: makes the two built-in vector fonts ("FONTDATA" resources
// "FILLED" and "OUTLINE") and their glyph tables from a TrueType font.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "archive/AtomicFile.h"
#include "archive/CompressedBlock.h"
#include "archive/Error.h"
#include "tools/fontgen/AdvanceWidths.h"
#include "tools/fontgen/FontOutlineReader.h"
#include "tools/fontgen/FontPayload.h"
#include "tools/fontgen/GlyphShapes.h"
#include "tools/fontgen/GlyphTablesSource.h"

namespace velorina::fontgen {
namespace {

constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf";
constexpr int kFirstCode = 33;
constexpr int kLastCode = 126;
// The apostrophe is drawn with the right single quotation mark, which fits its
// 333-unit advance (the font's straight apostrophe is much narrower).
constexpr char32_t kApostropheGlyph = 0x2019;

constexpr const char* kUsage =
    "Usage: velorina-fontgen [--font FILE] [--resources DIR] [--tables FILE]\n"
    "\n"
    "Makes the program's two built-in vector fonts from a TrueType font: solid\n"
    "letters (triangulated outlines) and hollow letters (a narrow band along each\n"
    "contour), glyphs for the codes 33..126, each font one compressed block.\n"
    "\n"
    "  --font FILE      font to read (default\n"
    "                   /usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf)\n"
    "  --resources DIR  write DIR/FONTDATA/FILLED.zblk and DIR/FONTDATA/OUTLINE.zblk\n"
    "                   (the program's resources folder is data/resources)\n"
    "  --tables FILE    write the glyph tables' C++ source\n"
    "                   (src/scene/objects/FontGlyphTables.cpp)\n"
    "  -h, --help       show this help\n"
    "\n"
    "The same font always gives the same bytes.\n";

struct Options {
  std::string font = kDefaultFont;
  std::optional<std::string> resources;
  std::optional<std::string> tables;
};

struct UsageError {
  std::string message;
};

std::optional<Options> parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") return std::nullopt;
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError{a + " needs a value"};
      return argv[++i];
    };
    if (a == "--font") {
      o.font = value();
    } else if (a == "--resources") {
      o.resources = value();
    } else if (a == "--tables") {
      o.tables = value();
    } else {
      throw UsageError{"unknown argument '" + a + "'"};
    }
  }
  if (!o.resources && !o.tables) throw UsageError{"nothing to write: give --resources, --tables or both"};
  return o;
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  AtomicFileWriter writer(path.string());
  writer.stream().writeBytes(bytes);
  writer.commit();
}

struct Fonts {
  FontPayload filled;
  FontPayload outline;
};

Fonts makeFonts(const FontOutlineReader& reader) {
  Fonts f;
  for (int code = kFirstCode; code <= kLastCode; ++code) {
    const char32_t codePoint = code == '\'' ? kApostropheGlyph : char32_t(code);
    const GlyphOutline glyph = reader.glyph(codePoint);
    const int table = kAdvanceWidths[code - kFirstCode];
    if (std::lround(glyph.advance) != table) {
      std::cerr << "velorina-fontgen: note: code " << code << " advances " << table << " (the font's glyph: "
                << glyph.advance << ")\n";
    }
    const Contours contours = roundedContours(glyph.contours);
    f.filled.appendGlyph(filledTriangles(contours));
    f.outline.appendGlyph(outlineTriangles(contours));
  }
  return f;
}

int run(const Options& o) {
  const FontOutlineReader reader(o.font);
  const Fonts fonts = makeFonts(reader);
  if (o.resources) {
    const std::filesystem::path dir = std::filesystem::path(*o.resources) / "FONTDATA";
    writeFile(dir / "FILLED.zblk", compressBlock(fonts.filled.bytes(), TCompressionLevel::clMax));
    writeFile(dir / "OUTLINE.zblk", compressBlock(fonts.outline.bytes(), TCompressionLevel::clMax));
  }
  if (o.tables) {
    const std::string source = glyphTablesSource(std::filesystem::path(o.font).filename().string(),
                                                 fonts.filled.entries(), fonts.outline.entries(), kAdvanceWidths);
    writeFile(*o.tables, std::span(reinterpret_cast<const std::uint8_t*>(source.data()), source.size()));
  }
  std::cout << "FILLED: " << fonts.filled.bytes().size() / 4 << " points, OUTLINE: "
            << fonts.outline.bytes().size() / 4 << " points\n";
  return 0;
}

}  // namespace
}  // namespace velorina::fontgen

int main(int argc, char** argv) {
  using namespace velorina::fontgen;
  try {
    const auto options = parse(argc, argv);
    if (!options) {
      std::cout << kUsage;
      return 0;
    }
    return run(*options);
  } catch (const UsageError& e) {
    std::cerr << "velorina-fontgen: " << e.message << "\n(velorina-fontgen --help shows the usage)\n";
    return 2;
  } catch (const velorina::Error& e) {
    std::cerr << "velorina-fontgen: " << e.describe() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "velorina-fontgen: " << e.what() << "\n";
    return 1;
  }
}
