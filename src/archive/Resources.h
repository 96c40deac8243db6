#pragma once
// Resources of the program's own module, looked up by type and by name or integer
// identifier, without regard to ASCII letter case.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "archive/EmbeddedResources.h"

namespace velorina {

class ResourceRegistry {
 public:
  // The resources compiled into this program.
  static const ResourceRegistry& program();

  explicit ResourceRegistry(std::span<const EmbeddedResource> table);

  // Soft lookups: empty when there is no such resource.
  std::optional<std::span<const std::uint8_t>> find(const std::string& type, const std::string& name) const;
  std::optional<std::span<const std::uint8_t>> find(const std::string& type, int id) const;
  // Hard lookups: throw EResNotFound ("Resource NAME not found").
  std::span<const std::uint8_t> get(const std::string& type, const std::string& name) const;
  std::span<const std::uint8_t> get(const std::string& type, int id) const;

  // Names of every resource of a type, in table order.
  std::vector<std::string> names(const std::string& type) const;

 private:
  std::span<const EmbeddedResource> table_;
};

}  // namespace velorina
