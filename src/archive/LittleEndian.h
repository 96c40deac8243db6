#pragma once
// Little-endian encoding of stored integers and floats, and ByteReader: the one
// bounds-checked reader that every decoder of stored data goes through.

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "archive/Error.h"

namespace velorina {

template <typename T>
T loadLE(const std::uint8_t* p) noexcept {
  static_assert(std::is_trivially_copyable_v<T>);
  std::uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, p, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

template <typename T>
void storeLE(std::uint8_t* p, T value) noexcept {
  static_assert(std::is_trivially_copyable_v<T>);
  std::uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
  }
  std::memcpy(p, bytes, sizeof(T));
}

// Reads little-endian values from a byte span. Every read checks the bytes that
// remain and throws EStreamError naming the offset; nothing reads past the span.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes, std::string source = {})
      : bytes_(bytes), source_(std::move(source)) {}

  std::size_t offset() const noexcept { return pos_; }
  std::size_t remaining() const noexcept { return bytes_.size() - pos_; }
  std::size_t size() const noexcept { return bytes_.size(); }
  bool atEnd() const noexcept { return pos_ >= bytes_.size(); }

  template <typename T>
  T read() {
    require(sizeof(T));
    T v = loadLE<T>(bytes_.data() + pos_);
    pos_ += sizeof(T);
    return v;
  }
  std::uint8_t u8() { return read<std::uint8_t>(); }
  std::int8_t i8() { return read<std::int8_t>(); }
  std::uint16_t u16() { return read<std::uint16_t>(); }
  std::int16_t i16() { return read<std::int16_t>(); }
  std::uint32_t u32() { return read<std::uint32_t>(); }
  std::int32_t i32() { return read<std::int32_t>(); }
  float f32() { return read<float>(); }
  double f64() { return read<double>(); }

  std::span<const std::uint8_t> bytes(std::size_t count) {
    require(count);
    auto s = bytes_.subspan(pos_, count);
    pos_ += count;
    return s;
  }
  std::string string(std::size_t count) {
    auto s = bytes(count);
    return std::string(s.begin(), s.end());
  }
  void skip(std::size_t count) { require(count), pos_ += count; }
  void seek(std::size_t offset) {
    if (offset > bytes_.size()) fail(offset - pos_);
    pos_ = offset;
  }

 private:
  void require(std::size_t count) const {
    if (count > bytes_.size() - pos_) fail(count);
  }
  [[noreturn]] void fail(std::size_t count) const;

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  std::string source_;
};

}  // namespace velorina
