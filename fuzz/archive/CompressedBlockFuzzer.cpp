// Decodes arbitrary bytes as a compressed block with both decoders, which must agree.
#include <cstdint>
#include <cstdlib>

#include "archive/Binary.h"
#include "archive/CompressedBlock.h"
#include "archive/MemoryStream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velorina;
  ByteBuffer oneShot;
  bool oneShotOk = true;
  try {
    Inflater inflater;
    decodeCompressedBlock({data, size}, inflater, oneShot);
  } catch (const Error&) {
    oneShotOk = false;
  }
  ByteBuffer streamed;
  bool streamedOk = true;
  try {
    MemoryStream stream{std::span<const std::uint8_t>(data, size)};
    readCompressedBlock(stream, streamed);
  } catch (const Error&) {
    streamedOk = false;
  }
  if (oneShotOk && streamedOk && oneShot != streamed) std::abort();
  try {
    MemoryStream stream{std::span<const std::uint8_t>(data, size)};
    TBinary binary;
    binary.LoadFromStream(stream, BlockForm::Compressed);
  } catch (const Error&) {
  }
  return 0;
}
