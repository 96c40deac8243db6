#pragma once
// The table of resources compiled into the program (generated from data/resources).

#include <cstddef>
#include <span>

namespace velorina {

struct EmbeddedResource {
  const char* type;
  const char* name;
  const unsigned char* data;
  std::size_t size;
};

std::span<const EmbeddedResource> embeddedResources();

}  // namespace velorina
