#pragma once
// The three text objects of a scene that the dance drives: the 3D texts with
// identifiers 1, 2 and 3 of the scene's object list (a later one in list order
// replaces an earlier one with the same identifier). The object list can be
// rebuilt while the player runs (cleared, reloaded, edited), so each row checks on
// every step that the object it holds is still listed, and looks again when it is
// not: the dance never touches a freed object.

#include <array>
#include <cstdint>
#include <string>

#include "shell/DanceText.h"

namespace velorina {

class TD3DObject;
class TD3DScene;
class TD3DText;

class SceneDanceTexts final : public DanceTextSource {
 public:
  static constexpr std::int32_t kRows = 3;

  // Finds the texts at once, as start-up does.
  explicit SceneDanceTexts(TD3DScene& scene);

  DanceText* findDanceText(std::int32_t objectId) override;

  // The object that drives a row (identifier 1..3) now, or nullptr; for tests.
  const TD3DText* heldText(std::int32_t objectId) const;

 private:
  // One row: the dance's view of the text object it drives.
  class Row final : public DanceText {
   public:
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    TD3DText* text = nullptr;
    const TD3DObject* listed = nullptr;  // the same object as the list holds it
  };

  // Keeps the row's object when the list still holds it as a text with identifier
  // `id`; otherwise looks for the last such text. Answers the row's text.
  TD3DText* refresh(Row& row, std::int32_t id) const;
  // The last 3D text of the list with identifier `id`, or nullptr.
  TD3DText* lastTextWithId(std::int32_t id) const;

  TD3DScene& scene_;
  std::array<Row, kRows> rows_;
};

}  // namespace velorina
