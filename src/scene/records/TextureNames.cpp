#include "scene/records/TextureNames.h"

#include <algorithm>

namespace velorina {

namespace {
const std::string kEmpty;

auto findIndex(auto& entries, std::size_t index) {
  return std::lower_bound(entries.begin(), entries.end(), index,
                          [](const auto& e, std::size_t i) { return e.first < i; });
}
}  // namespace

const std::string& TTextureNames::get(std::size_t index) const {
  auto it = findIndex(entries_, index);
  return it != entries_.end() && it->first == index ? it->second : kEmpty;
}

void TTextureNames::set(std::size_t index, std::string name) {
  if (index >= kCount) return;
  auto it = findIndex(entries_, index);
  const bool present = it != entries_.end() && it->first == index;
  if (name.empty()) {
    if (present) entries_.erase(it);
  } else if (present) {
    it->second = std::move(name);
  } else {
    entries_.insert(it, {static_cast<std::uint16_t>(index), std::move(name)});
  }
}

}  // namespace velorina
