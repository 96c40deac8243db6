#pragma once
// Reads a scene description: the JSON that `velorina-tool scene dump` prints, or a
// shorter hand-written one. Every field is checked against the record field it
// fills (its type and range); a missing field keeps the record's default. The
// first problem found stops the reading with an error that names the source and
// the JSON path of the value ("world.json: objects[3].record.Scale[1]: expected a
// number"); no partly read document is handed out.

#include <string>
#include <string_view>

#include "archive/Error.h"
#include "scene/records/SceneDocument.h"

namespace velorina::tools {

// A description that cannot be read: what() is "PATH: what is wrong", the
// context's file is the source.
class ESceneDescriptionError : public Error {
 public:
  using Error::Error;
};

// `source` names the text in messages (usually the file name).
SceneDocument readSceneDescription(std::string_view json, const std::string& source);

// The most names a world's texture text can hold: its reference tables index it
// with 16-bit numbers.
inline constexpr std::size_t kMaxWorldTextureNames = 32767;

// Nesting deeper than this is refused before it is built (a dump nests six deep).
inline constexpr int kMaxDescriptionDepth = 64;

}  // namespace velorina::tools
