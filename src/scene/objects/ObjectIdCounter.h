#pragma once
// The program-wide object-identifier counter: the highest identifier in use.
// Constructing a scene object, scene, sound or tone counts up; the scene resets and
// raises it after loading; NextObjectID hands out a new identifier.

#include <atomic>
#include <cstdint>

namespace velorina {

class ObjectIdCounter {
 public:
  static std::int32_t value() noexcept { return counter().load(); }
  // Counts one construction.
  static void increment() noexcept { ++counter(); }
  // Counts up and answers the new value: a fresh identifier.
  static std::int32_t next() noexcept { return ++counter(); }
  static void reset() noexcept { counter().store(0); }
  // Raises the counter to `id` when it is lower.
  static void raiseTo(std::int32_t id) noexcept;

 private:
  static std::atomic<std::int32_t>& counter() noexcept;
};

}  // namespace velorina
