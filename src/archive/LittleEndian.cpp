#include "archive/LittleEndian.h"

#include "archive/Messages.h"

namespace velorina {

void ByteReader::fail(std::size_t count) const {
  ErrorContext ctx;
  ctx.file = source_;
  ctx.offset = static_cast<std::int64_t>(pos_);
  ctx.detail = "needs " + std::to_string(count) + " bytes, " + std::to_string(remaining()) + " remain";
  throw EStreamError(messages::kStreamReadError, std::move(ctx));
}

}  // namespace velorina
