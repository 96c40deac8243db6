#pragma once
// A small JSON writer for the toolbox's reports. Floats are written with enough
// digits to read back to the same single; strings of 8-bit characters that are not
// UTF-8 are written as if they were Latin-1.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velorina::tools {

class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  // Starts a member of the current object; follow with a value or begin*.
  JsonWriter& key(std::string_view name);

  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(float number);
  JsonWriter& value(double number);
  JsonWriter& value(std::int64_t number);
  JsonWriter& value(std::uint64_t number);
  JsonWriter& value(std::int32_t number) { return value(static_cast<std::int64_t>(number)); }
  JsonWriter& value(std::uint32_t number) { return value(static_cast<std::uint64_t>(number)); }
  JsonWriter& value(std::uint8_t number) { return value(static_cast<std::uint64_t>(number)); }
  JsonWriter& value(bool flag);

  template <typename T>
  JsonWriter& field(std::string_view name, const T& v) {
    key(name);
    return value(v);
  }
  JsonWriter& field(std::string_view name, const std::string& v) {
    key(name);
    return value(std::string_view(v));
  }

  const std::string& text() const noexcept { return out_; }

 private:
  void separate();
  std::string out_;
  std::vector<bool> first_;  // per open container: no member written yet
  bool afterKey_ = false;
};

// The text as a JSON string literal, quotes included.
std::string jsonQuote(std::string_view text);

}  // namespace velorina::tools
