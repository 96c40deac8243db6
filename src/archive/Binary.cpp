#include "archive/Binary.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <typeinfo>

#include "archive/CompressedBlock.h"
#include "archive/FileStream.h"

namespace velorina {

namespace {
constexpr std::size_t kChunk = 65535;
}

void TBinary::Changed() {
  if (OnChange) OnChange();
}

bool TBinary::Equals(const TBinary& other) const {
  if (IsEmpty() && other.IsEmpty()) return true;
  if (typeid(*this) != typeid(other)) return false;
  const auto a = bytes();
  const auto b = other.bytes();
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

void TBinary::ReadData(Stream& stream) { LoadFromStream(stream, BlockForm::Compressed); }

void TBinary::WriteData(Stream& stream) { SaveToStream(stream, BlockForm::Compressed); }

void TBinary::LoadFromFile(const std::string& fileName, BlockForm form) {
  FileStream file(fileName, FileMode::Read);
  try {
    LoadFromStream(file, form);
  } catch (Error& e) {
    e.setFileIfUnset(fileName);
    throw;
  }
}

void TBinary::SaveToFile(const std::string& fileName, BlockForm form) {
  FileStream file(fileName, FileMode::Create);
  SaveToStream(file, form);
}

void TBinary::LoadFromStream(Stream& stream, BlockForm form) {
  Clear();
  if (form == BlockForm::Compressed) {
    ByteBuffer out;
    CompressedSize = static_cast<std::uint32_t>(readCompressedBlock(stream, out, OnProgress));
    Data.assign(std::move(out));
  } else {
    report(ProgressStage::Start, 0);
    const auto total = static_cast<std::size_t>(stream.remaining());
    ByteBuffer out(total);
    std::size_t done = 0;
    while (done < total) {
      const std::size_t n = std::min(kChunk, total - done);
      stream.readExact(out.data() + done, n);
      done += n;
      report(ProgressStage::Working, static_cast<int>(std::lround(100.0 * done / total)));
    }
    Data.assign(std::move(out));
    CompressedSize = static_cast<std::uint32_t>(Size());
    report(ProgressStage::Done, 100);
  }
  Changed();
}

void TBinary::SaveToStream(Stream& stream, BlockForm form) {
  if (form == BlockForm::Compressed) {
    writeCompressedBlock(stream, bytes(), CompressionLevel, OnProgress);
    CompressedSize = static_cast<std::uint32_t>(Size());
  } else {
    report(ProgressStage::Start, 0);
    stream.writeBytes(bytes());
    CompressedSize = static_cast<std::uint32_t>(Size());
    report(ProgressStage::Done, 100);
  }
}

void TBinary::Clear() {
  Data.clear();
  CompressedSize = 0;
}

void TBinary::assignBytes(std::span<const std::uint8_t> bytes) {
  Data.assign(ByteBuffer(bytes.begin(), bytes.end()));
  Changed();
}

}  // namespace velorina
