#pragma once
// A scene document as JSON: the toolbox's `scene dump` output.

#include <string>

#include "scene/records/SceneDocument.h"

namespace velorina::tools {

std::string sceneDocumentToJson(const SceneDocument& doc);

}  // namespace velorina::tools
