#pragma once
// TBinary: a block of bytes in memory that moves to and from streams and files,
// either as it is or as one compressed block.

#include <functional>
#include <string>

#include "archive/CompressionLevel.h"
#include "archive/MemoryStream.h"

namespace velorina {

class TBinary {
 public:
  TBinary() = default;
  virtual ~TBinary() = default;
  TBinary(const TBinary&) = delete;
  TBinary& operator=(const TBinary&) = delete;

  std::function<void()> OnChange;
  ProgressHandler OnProgress;

  // Fires OnChange.
  virtual void Changed();
  // Both empty, or the same class and the same bytes.
  virtual bool Equals(const TBinary& other) const;
  virtual bool IsEmpty() const { return Data.buffer().empty(); }
  virtual const std::uint8_t* Memory() const { return Data.buffer().data(); }
  virtual std::size_t Size() const { return Data.buffer().size(); }
  // The designed-property form: one compressed block.
  virtual void ReadData(Stream& stream);
  virtual void WriteData(Stream& stream);
  virtual void LoadFromFile(const std::string& fileName, BlockForm form);
  virtual void SaveToFile(const std::string& fileName, BlockForm form);
  // Compressed: one block at the position. Plain: the bytes from the position to
  // the end of the stream.
  virtual void LoadFromStream(Stream& stream, BlockForm form);
  // Compressed: one block at the position, leaving the position after it. Plain:
  // the bytes at the position.
  virtual void SaveToStream(Stream& stream, BlockForm form);
  virtual void Clear();

  std::span<const std::uint8_t> bytes() const noexcept { return Data.bytes(); }
  void assignBytes(std::span<const std::uint8_t> bytes);

  MemoryStream Data;
  std::uint32_t CompressedSize = 0;
  TCompressionLevel CompressionLevel = TCompressionLevel::clDefault;

 private:
  void report(ProgressStage stage, int percent) const {
    if (OnProgress) OnProgress(stage, percent);
  }
};

}  // namespace velorina
