#pragma once
// Writes the C++ source of the glyph tables (FontGlyphTables.cpp) that go with the
// two font payloads.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/fontgen/FontPayload.h"

namespace velorina::fontgen {

// `fontName` is named in the file's head comment.
std::string glyphTablesSource(const std::string& fontName, const std::vector<PayloadEntry>& filled,
                              const std::vector<PayloadEntry>& outline, const std::array<std::int16_t, 94>& advances);

}  // namespace velorina::fontgen
