#pragma once
// Builds small RIFF/WAVE images for the tests.

#include <cstdint>
#include <string>
#include <vector>

#include "archive/LittleEndian.h"

namespace velorina::testing {

// Byte by byte: GCC 12 at -O3 warns falsely about vector::insert into an empty vector.
inline void appendTag(std::vector<std::uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

template <typename T>
void append(std::vector<std::uint8_t>& out, T value) {
  std::uint8_t bytes[sizeof(T)];
  storeLE(bytes, value);
  for (auto b : bytes) out.push_back(b);
}

// 16-bit PCM; samples are interleaved when channels > 1.
inline std::vector<std::uint8_t> pcm16Wave(const std::vector<std::int16_t>& samples, int rate, int channels = 1) {
  const auto dataSize = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  appendTag(out, "RIFF");
  append<std::uint32_t>(out, dataSize + 36);
  appendTag(out, "WAVE");
  appendTag(out, "fmt ");
  append<std::uint32_t>(out, 16);
  append<std::uint16_t>(out, 1);
  append<std::uint16_t>(out, static_cast<std::uint16_t>(channels));
  append<std::uint32_t>(out, static_cast<std::uint32_t>(rate));
  append<std::uint32_t>(out, static_cast<std::uint32_t>(rate * channels * 2));
  append<std::uint16_t>(out, static_cast<std::uint16_t>(channels * 2));
  append<std::uint16_t>(out, 16);
  appendTag(out, "data");
  append<std::uint32_t>(out, dataSize);
  for (auto s : samples) append<std::int16_t>(out, s);
  return out;
}

inline std::vector<std::int16_t> constantSamples(std::size_t count, std::int16_t value) {
  return std::vector<std::int16_t>(count, value);
}

}  // namespace velorina::testing
