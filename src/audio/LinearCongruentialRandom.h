#pragma once
// The program's pseudo-random numbers: seed := seed * 134775813 + 1 (mod 2^32),
// and a number below `range` is (seed * range) >> 32 taken after the step. The
// same generator as Borland's run-time library (Delphi's Random), kept so that
// noise tones come out the same sample for sample.

#include <cstdint>

namespace velorina {

class LinearCongruentialRandom {
 public:
  explicit LinearCongruentialRandom(std::uint32_t seed = 0) : seed_(seed) {}

  // A number in [0, range).
  std::uint32_t next(std::uint32_t range) noexcept {
    seed_ = seed_ * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * range) >> 32);
  }
  std::uint32_t seed() const noexcept { return seed_; }

 private:
  std::uint32_t seed_;
};

}  // namespace velorina
