#pragma once
// Reads a scene stream: the "SCENEDEF" form (version, texture text, then objects,
// sounds and the optional data, names, actions and lights sections) or the older
// headerless form. Every count is checked against the bytes that remain; a record
// that ends early stops the reading with EStreamError naming the section, the
// record and the byte offset, and what was read before stays in the document.

#include <span>
#include <string>

#include "scene/records/SceneDocument.h"

namespace velorina {

class SceneStreamReader {
 public:
  // `source` names the stream in messages.
  SceneStreamReader(std::span<const std::uint8_t> bytes, std::string source);

  // Appends what the stream holds to `document`. A stream of 8 bytes or fewer
  // holds nothing.
  void read(SceneDocument& document);

 private:
  void readHeaded(SceneDocument& doc);
  void readHeaderless(SceneDocument& doc);
  void readTextureText(SceneDocument& doc);
  TTextureNames readTextureTable(const SceneDocument& doc);
  void readObject(SceneDocument& doc, std::int32_t version);
  void readHeaderlessObject(SceneDocument& doc);
  void readSounds(SceneDocument& doc, std::int32_t version, bool headerless);
  void readOptionalSections(SceneDocument& doc, std::int32_t version);
  std::string readShortName();
  std::string readZeroTerminatedName();
  // A u32 count, refused when `minRecordSize` bytes per record cannot remain.
  std::uint32_t readCount(std::size_t minRecordSize);
  template <typename F>
  void section(const char* name, F&& body);

  ByteReader in_;
  std::string source_;
  const char* section_ = "header";
  std::int64_t record_ = -1;
};

// Splits texture text into lines at CR LF, CR or LF; a final line break adds no
// empty line.
std::vector<std::string> splitTextureText(std::string_view text);

}  // namespace velorina
