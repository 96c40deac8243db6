#include "doommap/LumpReference.h"

namespace velorina {

namespace {

constexpr std::string_view kLead = "->";
constexpr std::string_view kSeparator = "::";

}  // namespace

std::string MakeLumpReference(const std::string& fileName, const std::string& lumpName) {
  const auto inner = ParseLumpReference(lumpName);
  return std::string(kLead) + fileName + std::string(kSeparator) + (inner ? inner->lump : lumpName);
}

std::optional<LumpReference> ParseLumpReference(const std::string& text) {
  if (text.size() < kLead.size() + kSeparator.size() + 2 || !text.starts_with(kLead)) return std::nullopt;
  const std::size_t separator = text.rfind(kSeparator);
  // The container must hold at least one character before its "::".
  if (separator == std::string::npos || separator <= kLead.size()) return std::nullopt;
  return LumpReference{text.substr(kLead.size(), separator - kLead.size()), text.substr(separator + kSeparator.size())};
}

}  // namespace velorina
