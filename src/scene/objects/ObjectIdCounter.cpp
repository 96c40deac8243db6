#include "scene/objects/ObjectIdCounter.h"

namespace velorina {

std::atomic<std::int32_t>& ObjectIdCounter::counter() noexcept {
  static std::atomic<std::int32_t> value{0};
  return value;
}

void ObjectIdCounter::raiseTo(std::int32_t id) noexcept {
  std::int32_t current = counter().load();
  while (current < id && !counter().compare_exchange_weak(current, id)) {
  }
}

}  // namespace velorina
