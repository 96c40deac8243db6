#pragma once
// TCustomData: a named reference to a block of user data that travels with a
// scene (the scene's "DATA" entries).

#include "archive/Stream.h"
#include "scene/records/CustomDataInfo.h"

namespace velorina {

class TCustomData {
 public:
  // `dataStream` holds the entry's data and is not owned.
  TCustomData(const TCustomDataInfo& info, Stream* dataStream) : info_(info), dataStream_(dataStream) {}
  static TCustomData CreateFromStream(ByteReader& in, std::string name, Stream* dataStream) {
    TCustomDataInfo info = TCustomDataInfo::read(in);
    info.Name = std::move(name);
    return TCustomData(info, dataStream);
  }

  void SaveToStream(Stream& out) const { info_.write(out); }
  std::uint8_t KindCode() const noexcept { return 201; }
  std::int32_t DataID() const noexcept { return info_.ID; }
  const TCustomDataInfo& info() const noexcept { return info_; }
  Stream* DataStream() const noexcept { return dataStream_; }

 private:
  TCustomDataInfo info_;
  Stream* dataStream_;
};

}  // namespace velorina
