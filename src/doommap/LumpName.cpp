#include "doommap/LumpName.h"

#include <algorithm>

namespace velorina {

std::string LumpNameToString(std::span<const std::uint8_t> name) {
  std::string text;
  for (std::uint8_t c : name.first(std::min<std::size_t>(8, name.size()))) {
    if (c == 0) break;
    if (c == '/' || c == '[' || c == '\\' || c == ']') c = '-';
    if (c >= 'a' && c <= 'z') c = static_cast<std::uint8_t>(c - 'a' + 'A');
    text.push_back(static_cast<char>(c));
  }
  return text;
}

std::string LumpNameToString(const std::string& name) {
  return LumpNameToString(std::span(reinterpret_cast<const std::uint8_t*>(name.data()), name.size()));
}

std::string LumpNameToUpper(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

bool IsMapMarkerName(std::span<const std::uint8_t, 8> n) {
  const auto digit = [](std::uint8_t c, char low, char high) { return c >= low && c <= high; };
  if (n[0] == 'E' && digit(n[1], '1', '6') && n[2] == 'M' && n[4] == 0) return true;
  return n[0] == 'M' && n[1] == 'A' && n[2] == 'P' && digit(n[3], '0', '3') && digit(n[4], '0', '9') && n[5] == 0;
}

}  // namespace velorina
