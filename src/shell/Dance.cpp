#include "shell/Dance.h"

#include <string>

namespace velorina {

const std::array<std::array<std::string_view, Dance::kFrames>, Dance::kRows> Dance::kTable = {{
    {" o ", " o ", " o ", " o ", " o ", " o ", "<o ", "<o>", " o>", " o ", " o ", " o ", " o ", " o ", " o ", " o "},
    {"^|\\", "^|^", "v|^", "v|v", "|/v", "|X|", " \\|", " | ", " \\ ", " x ", "</ ", "<|>", "</>", "<\\>", "<)>", " |\\"},
    {" /\\", " >\\", "/< ", " >\\", "/< ", " >\\", "/< ", " >\\", "/< ", " >\\", "/< ", " >\\", "/< ", " >\\", " >>", " L "},
}};

void Dance::Timer1Timer(DanceTextSource& texts) {
  for (int row = 0; row < kRows; ++row) {
    DanceText* text = texts.findDanceText(row + 1);
    if (text == nullptr) continue;
    const std::string cell(kTable[static_cast<std::size_t>(row)][static_cast<std::size_t>(frame_ - 1)]);
    // An unchanged cell (row 1 on most frames) costs no rebuild.
    if (text->GetText() != cell) text->SetText(cell);
  }
  frame_ = frame_ % kFrames + 1;
}

}  // namespace velorina
