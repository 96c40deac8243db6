#include "tools/fontgen/GlyphTablesSource.h"

#include <sstream>
#include <stdexcept>

namespace velorina::fontgen {

namespace {

constexpr int kFirstCode = 33;

std::string codeComment(int code) {
  std::string s = "// " + std::to_string(code) + " ";
  if (code == '\\') return s + "backslash";
  return s + char(code);
}

void writeEntries(std::ostringstream& out, const char* name, const std::vector<PayloadEntry>& entries) {
  out << "const std::array<GlyphEntry, kGlyphCount> " << name << " = {{\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out << "    {" << entries[i].offset << ", " << entries[i].count << "},  " << codeComment(kFirstCode + int(i))
        << "\n";
  }
  out << "}};\n\n";
}

}  // namespace

std::string glyphTablesSource(const std::string& fontName, const std::vector<PayloadEntry>& filled,
                              const std::vector<PayloadEntry>& outline, const std::array<std::int16_t, 94>& advances) {
  if (filled.size() != advances.size() || outline.size() != advances.size()) {
    throw std::runtime_error("both fonts need one glyph for every code 33..126");
  }
  std::ostringstream out;
  out << "// Written by velorina-fontgen from " << fontName << "; regenerate rather than edit\n"
      << "// (see data/README.md).\n"
      << "#include \"scene/objects/FontGlyphTables.h\"\n\n"
      << "namespace velorina::font_tables {\n\n";
  writeEntries(out, "kFilled", filled);
  writeEntries(out, "kOutline", outline);
  out << "const std::array<std::int16_t, kGlyphCount> kAdvance = {\n";
  for (std::size_t i = 0; i < advances.size(); ++i) {
    out << (i % 16 == 0 ? "    " : " ") << advances[i] << ",";
    if (i % 16 == 15 || i + 1 == advances.size()) out << "\n";
  }
  out << "};\n\n}  // namespace velorina::font_tables\n";
  return out.str();
}

}  // namespace velorina::fontgen
