#include "archive/BinaryData.h"

#include "archive/Resources.h"

namespace velorina {

TBinaryData::TBinaryData() : binary_(std::make_unique<TBinary>()) {}

TBinary& TBinaryData::holder() {
  if (!binary_) binary_ = std::make_unique<TBinary>();
  // The holder reports through copies of the component's handlers.
  binary_->OnChange = OnChange;
  binary_->OnProgress = OnProgress;
  return *binary_;
}

TBinaryData TBinaryData::fromResource(const std::string& type, const std::string& name, TCompressionLevel level) {
  TBinaryData data;
  const auto bytes = ResourceRegistry::program().get(type, name);
  MemoryStream stream(bytes);
  stream.setName(type + "/" + name);
  data.holder().CompressionLevel = level;
  data.holder().ReadData(stream);
  return data;
}

void TBinaryData::setBinary(const TBinary& source) {
  holder().CompressionLevel = source.CompressionLevel;
  holder().assignBytes(source.bytes());
}

TCompressionLevel TBinaryData::CompressionLevel() const {
  return binary_ ? binary_->CompressionLevel : TCompressionLevel::clDefault;
}

void TBinaryData::setCompressionLevel(TCompressionLevel level) { holder().CompressionLevel = level; }

void TBinaryData::Clear() {
  if (binary_) holder().Clear();
}
void TBinaryData::LoadFromFile(const std::string& fileName, BlockForm form) { holder().LoadFromFile(fileName, form); }
void TBinaryData::SaveToFile(const std::string& fileName, BlockForm form) { holder().SaveToFile(fileName, form); }
void TBinaryData::LoadFromStream(Stream& stream, BlockForm form) { holder().LoadFromStream(stream, form); }
void TBinaryData::SaveToStream(Stream& stream, BlockForm form) { holder().SaveToStream(stream, form); }

}  // namespace velorina
