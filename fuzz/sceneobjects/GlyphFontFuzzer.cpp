// Reads arbitrary bytes as a glyph table (94 entries of u32 offset and u32 count)
// followed by a font payload, and reads every glyph of what is accepted: an
// accepted table never hands out a point beyond the payload.
#include <array>
#include <cstdint>
#include <cstring>

#include "archive/LittleEndian.h"
#include "scene/objects/GlyphFont.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  std::array<font_tables::GlyphEntry, font_tables::kGlyphCount> table{};
  constexpr std::size_t kTableBytes = sizeof(table) / sizeof(table[0]) * 8;
  if (size < kTableBytes) return 0;
  ByteReader in(std::span<const std::uint8_t>(data, kTableBytes), "fuzz");
  for (auto& e : table) {
    // Small numbers mostly, so that some tables fit their payload.
    e.offset = in.u32() % 4096;
    e.count = in.u32() % 1024;
  }
  const std::span<const std::uint8_t> payload(data + kTableBytes, size - kTableBytes);
  try {
    const GlyphFont font(payload, table, "fuzz");
    std::int64_t sum = 0;
    for (int code = 0; code < 256; ++code) {
      for (const GlyphPoint& p : font.Glyph(code)) sum += p.x + p.y;
      if (font.Glyph(code).size() % 3 != 0) __builtin_trap();
    }
    volatile std::int64_t keep = sum;
    (void)keep;
  } catch (const EFontError&) {
  }
  return 0;
}
