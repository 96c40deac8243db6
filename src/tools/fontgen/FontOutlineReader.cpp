#include "tools/fontgen/FontOutlineReader.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <stdexcept>

#include "geometry/OutlineFlattener.h"

namespace velorina::fontgen {

struct FontOutlineReader::Handles {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Handles() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

namespace {

struct Walk {
  explicit Walk(double tolerance) : flattener(tolerance) {}
  OutlineFlattener flattener;
  double scale = 1;
  Point2 point(const FT_Vector* v) const { return {double(v->x) * scale, double(v->y) * scale}; }
};

Walk& walk(void* user) { return *static_cast<Walk*>(user); }

int onMove(const FT_Vector* to, void* user) {
  walk(user).flattener.moveTo(walk(user).point(to));
  return 0;
}
int onLine(const FT_Vector* to, void* user) {
  walk(user).flattener.lineTo(walk(user).point(to));
  return 0;
}
int onConic(const FT_Vector* control, const FT_Vector* to, void* user) {
  walk(user).flattener.conicTo(walk(user).point(control), walk(user).point(to));
  return 0;
}
int onCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  walk(user).flattener.cubicTo(walk(user).point(c1), walk(user).point(c2), walk(user).point(to));
  return 0;
}

std::string hex(char32_t c) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", unsigned(c));
  return text;
}

}  // namespace

FontOutlineReader::FontOutlineReader(const std::string& path, double tolerance)
    : handles_(std::make_unique<Handles>()), path_(path), tolerance_(tolerance) {
  if (FT_Init_FreeType(&handles_->library) != 0) throw std::runtime_error("FreeType could not be initialised");
  if (FT_New_Face(handles_->library, path.c_str(), 0, &handles_->face) != 0) {
    throw std::runtime_error(path + ": not a font FreeType can read (or the file is missing)");
  }
  if (!FT_IS_SCALABLE(handles_->face) || handles_->face->units_per_EM == 0) {
    throw std::runtime_error(path + ": the font has no outlines");
  }
}

FontOutlineReader::~FontOutlineReader() = default;

GlyphOutline FontOutlineReader::glyph(char32_t codePoint) const {
  FT_Face face = handles_->face;
  const FT_UInt index = FT_Get_Char_Index(face, codePoint);
  if (index == 0) throw std::runtime_error(path_ + ": the font has no glyph for " + hex(codePoint));
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
      face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
    throw std::runtime_error(path_ + ": the glyph for " + hex(codePoint) + " is not an outline");
  }
  Walk w(tolerance_);
  w.scale = 1000.0 / face->units_per_EM;
  const FT_Outline_Funcs funcs{onMove, onLine, onConic, onCubic, 0, 0};
  if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &w) != 0) {
    throw std::runtime_error(path_ + ": the outline of " + hex(codePoint) + " is damaged");
  }
  GlyphOutline out;
  out.contours = w.flattener.finish();
  out.advance = double(face->glyph->metrics.horiAdvance) * w.scale;
  return out;
}

}  // namespace velorina::fontgen
