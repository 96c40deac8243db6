#pragma once
// Texture reference names: "->CONTAINER::ENTRY" names an entry of another file, a
// lump of a Doom-family WAD or a bitmap resource of a library. The container is
// the text between the leading "->" and the last "::", the entry the text after it.

#include <optional>
#include <string>

namespace velorina {

struct LumpReference {
  std::string file;
  std::string lump;
};

// "->FILE::LUMP"; when `lump` is itself a reference, its entry part is used.
std::string MakeLumpReference(const std::string& fileName, const std::string& lumpName);

// The two parts of a reference; nothing when `text` is not one (shorter than
// "->" + "::" + two characters, not starting with "->", or without "::" after
// the container's first character).
std::optional<LumpReference> ParseLumpReference(const std::string& text);

}  // namespace velorina
