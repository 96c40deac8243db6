#pragma once
// The stick figure dancing the Velorina: three lines of 3D text (identifiers 1, 2
// and 3) replaced from a fixed table of sixteen frames, one frame per step of the
// 300 ms dance timer. The dance follows its timer only, not the scene's pause.

#include <array>
#include <cstdint>
#include <string_view>

#include "shell/DanceText.h"

namespace velorina {

class Dance {
 public:
  static constexpr std::uint32_t kIntervalMs = 300;
  static constexpr int kFrames = 16;
  static constexpr int kRows = 3;
  // Rows: head and arms, body and arms, legs; each cell exactly three characters.
  static const std::array<std::array<std::string_view, kFrames>, kRows> kTable;

  // One timer step: each row whose text object exists gets the cell of the current
  // frame, set only where it differs from the text shown; then the frame advances
  // 1, 2, ..., 16, 1, ...
  void Timer1Timer(DanceTextSource& texts);

  // The frame the next step shows, 1..16.
  int DanceFrame() const noexcept { return frame_; }

 private:
  int frame_ = 1;
};

}  // namespace velorina
