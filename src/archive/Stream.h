#pragma once
// A byte stream with a position, in the manner of the streams the stored formats
// were designed around: reads and writes move the position, seeks set it.

#include <cstdint>
#include <span>
#include <string>

#include "archive/LittleEndian.h"

namespace velorina {

enum class SeekOrigin { Begin, Current, End };

class Stream {
 public:
  virtual ~Stream() = default;
  Stream() = default;
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

 protected:
  // Streams that own only memory may move.
  Stream(Stream&&) = default;
  Stream& operator=(Stream&&) = default;

 public:

  // Moves up to count bytes from the position and advances it by the bytes moved;
  // returns that count (0 at or past the end).
  virtual std::size_t read(void* buffer, std::size_t count) = 0;
  // Moves up to count bytes to the position and advances it; returns the count moved.
  virtual std::size_t write(const void* buffer, std::size_t count) = 0;
  // Sets the position and returns it. A position past the end is allowed; reads
  // there move nothing.
  virtual std::int64_t seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual std::int64_t size() = 0;
  // Cuts or extends the stream. Streams of fixed size throw EStreamError.
  virtual void setSize(std::int64_t newSize) = 0;
  // The bytes [offset, offset + count) when the stream keeps them in memory, so
  // decoders can read them in place; an empty span otherwise (or when out of range).
  virtual std::span<const std::uint8_t> view(std::int64_t offset, std::size_t count) = 0;
  // A name for messages: the file name, or empty.
  virtual std::string name() const = 0;

  std::int64_t position() { return seek(0, SeekOrigin::Current); }
  void setPosition(std::int64_t pos) { seek(pos, SeekOrigin::Begin); }
  // Bytes from the position to the end (0 when the position is past the end).
  std::int64_t remaining();

  // Reads exactly count bytes or throws EStreamError ("Stream read error").
  void readExact(void* buffer, std::size_t count);
  // Writes exactly count bytes or throws EStreamError ("Stream write error").
  void writeExact(const void* buffer, std::size_t count);
  void writeBytes(std::span<const std::uint8_t> bytes) { writeExact(bytes.data(), bytes.size()); }

  template <typename T>
  T readLE() {
    std::uint8_t b[sizeof(T)];
    readExact(b, sizeof(T));
    return loadLE<T>(b);
  }
  template <typename T>
  void writeLE(T value) {
    std::uint8_t b[sizeof(T)];
    storeLE(b, value);
    writeExact(b, sizeof(T));
  }
  std::uint8_t readU8() { return readLE<std::uint8_t>(); }
  std::uint16_t readU16() { return readLE<std::uint16_t>(); }
  std::int16_t readI16() { return readLE<std::int16_t>(); }
  std::uint32_t readU32() { return readLE<std::uint32_t>(); }
  std::int32_t readI32() { return readLE<std::int32_t>(); }
  float readF32() { return readLE<float>(); }
  void writeU8(std::uint8_t v) { writeLE(v); }
  void writeU16(std::uint16_t v) { writeLE(v); }
  void writeI16(std::int16_t v) { writeLE(v); }
  void writeU32(std::uint32_t v) { writeLE(v); }
  void writeI32(std::int32_t v) { writeLE(v); }
  void writeF32(float v) { writeLE(v); }

  // Copies count bytes from source's position into this stream (count < 0: all
  // that remains in source). Returns the bytes copied.
  std::int64_t copyFrom(Stream& source, std::int64_t count);
};

}  // namespace velorina
