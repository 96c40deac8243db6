#include "archive/Resources.h"

#include "archive/Error.h"
#include "archive/Messages.h"

namespace velorina {

namespace {

bool equalsIgnoreAsciiCase(const char* a, const std::string& b) {
  std::size_t i = 0;
  for (; a[i] != '\0'; ++i) {
    if (i >= b.size()) return false;
    auto up = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; };
    if (up(static_cast<unsigned char>(a[i])) != up(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == b.size();
}

[[noreturn]] void notFound(const std::string& name) {
  throw EResNotFound(formatMessage(messages::kResourceNotFound, {name}));
}

}  // namespace

const ResourceRegistry& ResourceRegistry::program() {
  static const ResourceRegistry registry(embeddedResources());
  return registry;
}

ResourceRegistry::ResourceRegistry(std::span<const EmbeddedResource> table) : table_(table) {}

std::optional<std::span<const std::uint8_t>> ResourceRegistry::find(const std::string& type,
                                                                    const std::string& name) const {
  for (const auto& r : table_) {
    if (equalsIgnoreAsciiCase(r.type, type) && equalsIgnoreAsciiCase(r.name, name)) {
      return std::span<const std::uint8_t>(r.data, r.size);
    }
  }
  return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> ResourceRegistry::find(const std::string& type, int id) const {
  if (id < 0) return std::nullopt;
  return find(type, std::to_string(id));
}

std::span<const std::uint8_t> ResourceRegistry::get(const std::string& type, const std::string& name) const {
  if (auto r = find(type, name)) return *r;
  notFound(name);
}

std::span<const std::uint8_t> ResourceRegistry::get(const std::string& type, int id) const {
  if (auto r = find(type, id)) return *r;
  notFound(std::to_string(id));
}

std::vector<std::string> ResourceRegistry::names(const std::string& type) const {
  std::vector<std::string> out;
  for (const auto& r : table_) {
    if (equalsIgnoreAsciiCase(r.type, type)) out.emplace_back(r.name);
  }
  return out;
}

}  // namespace velorina
