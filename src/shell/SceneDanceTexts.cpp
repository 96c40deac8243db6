#include "shell/SceneDanceTexts.h"

#include "scene/Scene.h"
#include "scene/objects/Text.h"

namespace velorina {

std::string SceneDanceTexts::Row::GetText() const { return text->GetText(); }

void SceneDanceTexts::Row::SetText(const std::string& value) { text->SetText(value); }

SceneDanceTexts::SceneDanceTexts(TD3DScene& scene) : scene_(scene) {
  for (std::int32_t id = 1; id <= kRows; ++id) refresh(rows_[static_cast<std::size_t>(id - 1)], id);
}

DanceText* SceneDanceTexts::findDanceText(std::int32_t objectId) {
  if (objectId < 1 || objectId > kRows) return nullptr;
  Row& row = rows_[static_cast<std::size_t>(objectId - 1)];
  return refresh(row, objectId) != nullptr ? &row : nullptr;
}

const TD3DText* SceneDanceTexts::heldText(std::int32_t objectId) const {
  if (objectId < 1 || objectId > kRows) return nullptr;
  return rows_[static_cast<std::size_t>(objectId - 1)].text;
}

TD3DText* SceneDanceTexts::refresh(Row& row, std::int32_t id) const {
  // The held object is compared by address only, so a freed one is never read; an
  // object listed at that address is alive, and is taken only as the right text.
  if (row.listed != nullptr) {
    for (const auto& entry : scene_.Objects) {
      if (entry.object.get() != row.listed) continue;
      auto* text = dynamic_cast<TD3DText*>(entry.object.get());
      if (text != nullptr && text->ObjectID() == id) {
        row.text = text;
        return text;
      }
      break;
    }
  }
  row.text = nullptr;
  row.listed = nullptr;
  for (const auto& entry : scene_.Objects) {
    auto* text = dynamic_cast<TD3DText*>(entry.object.get());
    if (text != nullptr && text->ObjectID() == id) {
      row.text = text;
      row.listed = entry.object.get();
    }
  }
  return row.text;
}

}  // namespace velorina
