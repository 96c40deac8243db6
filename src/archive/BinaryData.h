#pragma once
// TBinaryData: the component form of TBinary. Its bytes usually come from a
// program resource that holds them as one compressed block.

#include <memory>

#include "archive/Binary.h"

namespace velorina {

class TBinaryData {
 public:
  TBinaryData();
  // A holder whose bytes are the compressed-block resource `name` of `type`
  // (throws EResNotFound when the program has no such resource).
  static TBinaryData fromResource(const std::string& type, const std::string& name,
                                  TCompressionLevel level = TCompressionLevel::clMax);

  TBinary* Binary() const noexcept { return binary_.get(); }
  // Copies the compression level and the bytes.
  void setBinary(const TBinary& source);
  TCompressionLevel CompressionLevel() const;
  void setCompressionLevel(TCompressionLevel level);

  std::function<void()> OnChange;
  ProgressHandler OnProgress;

  bool IsEmpty() const { return !binary_ || binary_->IsEmpty(); }
  const std::uint8_t* Memory() const { return binary_ ? binary_->Memory() : nullptr; }
  std::size_t Size() const { return binary_ ? binary_->Size() : 0; }
  MemoryStream* DataStream() const { return binary_ ? &binary_->Data : nullptr; }
  std::uint32_t CompressedSize() const { return binary_ ? binary_->CompressedSize : 0; }
  std::span<const std::uint8_t> bytes() const { return binary_ ? binary_->bytes() : std::span<const std::uint8_t>{}; }
  void Clear();
  void LoadFromFile(const std::string& fileName, BlockForm form);
  void SaveToFile(const std::string& fileName, BlockForm form);
  void LoadFromStream(Stream& stream, BlockForm form);
  void SaveToStream(Stream& stream, BlockForm form);

 private:
  TBinary& holder();
  std::unique_ptr<TBinary> binary_;
};

}  // namespace velorina
