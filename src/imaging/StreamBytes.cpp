#include "imaging/StreamBytes.h"

#include <algorithm>

namespace velorina {

std::span<const std::uint8_t> remainingBytes(Stream& source, ByteBuffer& storage) {
  std::int64_t start = source.position();
  auto count = static_cast<std::size_t>(std::max<std::int64_t>(0, source.size() - start));
  auto view = source.view(start, count);
  if (view.size() == count && count > 0) {
    source.seek(0, SeekOrigin::End);
    return view;
  }
  storage.resize(count);
  source.readExact(storage.data(), count);
  return storage;
}

}  // namespace velorina
