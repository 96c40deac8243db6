#include "scene/objects/GlyphFont.h"

#include "archive/BinaryData.h"
#include "archive/LittleEndian.h"

#include <optional>

namespace velorina {

namespace {

constexpr std::size_t kPointBytes = 4;
const char* const kResourceType = "FONTDATA";

std::size_t glyphIndex(int code) { return static_cast<std::size_t>(code - font_tables::kFirstCode); }

[[noreturn]] void refuse(const std::string& source, std::optional<std::int64_t> code, std::int64_t offset,
                         std::string detail) {
  throw EFontError("The font " + source + " is damaged", ErrorContext{source, code, offset, std::move(detail)});
}

GlyphFont loadProgramFont(const char* name, const std::array<font_tables::GlyphEntry, font_tables::kGlyphCount>& table) {
  const TBinaryData data = TBinaryData::fromResource(kResourceType, name);
  return GlyphFont(data.bytes(), table, std::string(kResourceType) + "/" + name);
}

}  // namespace

const GlyphFont& GlyphFont::Program(GlyphStyle style) {
  // Each is decoded once, by whichever thread asks first; the others wait for it.
  if (style == GlyphStyle::Filled) {
    static const GlyphFont filled = loadProgramFont("FILLED", font_tables::kFilled);
    return filled;
  }
  static const GlyphFont outline = loadProgramFont("OUTLINE", font_tables::kOutline);
  return outline;
}

GlyphFont::GlyphFont(std::span<const std::uint8_t> payload, std::span<const font_tables::GlyphEntry> table,
                     const std::string& source) {
  if (payload.size() % kPointBytes != 0) {
    refuse(source, std::nullopt, static_cast<std::int64_t>(payload.size()),
           "a payload of " + std::to_string(payload.size()) + " bytes is not whole points of 4 bytes");
  }
  if (table.size() != ranges_.size()) {
    refuse(source, std::nullopt, 0, "a table of " + std::to_string(table.size()) + " glyphs instead of 94");
  }
  for (std::size_t i = 0; i < table.size(); ++i) {
    const font_tables::GlyphEntry& e = table[i];
    const std::int64_t code = font_tables::kFirstCode + static_cast<std::int64_t>(i);
    if (e.offset % kPointBytes != 0) refuse(source, code, e.offset, "the glyph does not start on a point");
    if (e.count % 3 != 0) {
      refuse(source, code, e.offset, "the glyph's " + std::to_string(e.count) + " points are not whole triangles");
    }
    const std::uint64_t end = std::uint64_t{e.offset} + std::uint64_t{e.count} * kPointBytes;
    if (end > payload.size()) {
      refuse(source, code, e.offset,
             "the glyph ends at byte " + std::to_string(end) + ", past the payload's " +
                 std::to_string(payload.size()));
    }
    ranges_[i] = {e.offset / static_cast<std::uint32_t>(kPointBytes), e.count};
  }
  points_.resize(payload.size() / kPointBytes);
  ByteReader in(payload, source);
  for (GlyphPoint& p : points_) {
    p.x = in.i16();
    p.y = in.i16();
  }
}

bool GlyphFont::HasGlyph(int code) noexcept {
  return code >= font_tables::kFirstCode && code <= font_tables::kLastCode;
}

std::span<const GlyphPoint> GlyphFont::Glyph(int code) const noexcept {
  if (!HasGlyph(code)) return {};
  const Range& r = ranges_[glyphIndex(code)];
  return std::span<const GlyphPoint>(points_).subspan(r.first, r.count);
}

std::uint32_t GlyphFont::PointCount(int code) const noexcept {
  return HasGlyph(code) ? ranges_[glyphIndex(code)].count : 0;
}

std::int32_t GlyphFont::Advance(int code) noexcept {
  return HasGlyph(code) ? font_tables::kAdvance[glyphIndex(code)] : font_tables::kDefaultAdvance;
}

}  // namespace velorina
