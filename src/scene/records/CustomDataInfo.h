#pragma once

#include <string>

#include "archive/LittleEndian.h"
#include "archive/Stream.h"

namespace velorina {

// TCustomDataInfo: a named data item; only the identifier is stored (4 bytes).
struct TCustomDataInfo {
  std::string Name;
  std::int32_t ID = 0;

  static TCustomDataInfo read(ByteReader& in) {
    TCustomDataInfo d;
    d.ID = in.i32();
    return d;
  }
  void write(Stream& out) const { out.writeI32(ID); }
  bool operator==(const TCustomDataInfo&) const = default;
};

}  // namespace velorina
