#pragma once
// Writes a SceneDocument as a "SCENEDEF" scene stream of the current version: the
// texture text (every name followed by CR LF), then objects, sounds and tones, data
// items, names, the actions that are not temporary, and lights, each record in the
// layout of the current version. Texture names become indices into the texture
// text, found without regard to ASCII case (-1 when a name is not there).
//
// A document read from a stream in this form (version 117, padding zero, each
// record as this writer lays it out) writes back to the same bytes.
//
// The document is checked before a byte is written: a name too long for its length
// prefix, more than 32,767 texture names, a texture name with a line break, a
// nested scene name with a zero byte or a polygon whose point count does not match
// its points raise EStreamError ("Stream write error") naming the target, the
// section and the record, and nothing is written.

#include <string>
#include <string_view>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/Stream.h"
#include "scene/records/SceneDocument.h"

namespace velorina {

class SceneStreamWriter {
 public:
  // `target` names the stream in messages (a file name, or a lump).
  explicit SceneStreamWriter(std::string target);

  // The whole stream.
  ByteBuffer write(const SceneDocument& document) const;
  // The whole stream, written to `out` at its position.
  void write(const SceneDocument& document, Stream& out) const;

  // The most texture names a stream can index (indices are 16-bit).
  static constexpr std::size_t kMaxTextureNames = 32767;
  // The longest name behind a one-byte length.
  static constexpr std::size_t kMaxShortName = 255;
  // The longest text of a text record (two-byte length).
  static constexpr std::size_t kMaxText = 65535;

 private:
  void check(const SceneDocument& document) const;
  [[noreturn]] void refuse(const char* section, std::optional<std::int64_t> record, std::string detail) const;

  std::string target_;
};

// The texture text of a list of names: each name followed by CR LF.
std::string joinTextureText(const std::vector<std::string>& names);

// The kind byte that stands before a record of this type in a scene stream.
ObjectKind kindOfRecord(const SceneObjectRecord& record);

}  // namespace velorina
