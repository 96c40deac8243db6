#include "archive/WadWriter.h"

#include <algorithm>
#include <cmath>

#include "archive/AtomicFile.h"
#include "archive/CompressedBlock.h"
#include "archive/FileStream.h"
#include "archive/Wad.h"

namespace velorina {

namespace {

void writeHeader(Stream& out, std::uint32_t directoryOffset, std::uint32_t count) {
  out.setPosition(0);
  out.writeBytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>("PWAD"), 4));
  out.writeU32(directoryOffset);
  out.writeU32(count);
}

// Appends the directory block at the end and points the header at it.
void finishArchive(Stream& out, const std::vector<TWadEntry>& entries, TCompressionLevel level) {
  ByteBuffer dir(entries.size() * kWadEntrySize);
  for (std::size_t i = 0; i < entries.size(); ++i) encodeWadEntry(entries[i], dir.data() + i * kWadEntrySize);
  const std::int64_t directoryOffset = out.seek(0, SeekOrigin::End);
  if (directoryOffset > 0xFFFFFFFFll) {
    throw EWadError("Stream write error", ErrorContext{out.name(), std::nullopt, directoryOffset, "archive above 4 GiB"});
  }
  writeCompressedBlock(out, dir, level);
  writeHeader(out, static_cast<std::uint32_t>(directoryOffset), static_cast<std::uint32_t>(entries.size()));
}

// Appends `data` as a compressed block at the end and returns its entry.
TWadEntry appendLump(Stream& out, std::span<const std::uint8_t> data, std::string storedName,
                     TCompressionLevel level) {
  const ByteBuffer block = compressBlock(data, level);
  const std::int64_t offset = out.seek(0, SeekOrigin::End);
  if (offset + static_cast<std::int64_t>(block.size()) > 0xFFFFFFFFll) {
    throw EWadError("Stream write error", ErrorContext{out.name(), std::nullopt, offset, "archive above 4 GiB"});
  }
  out.writeBytes(block);
  return TWadEntry{static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(block.size()), std::move(storedName)};
}

ByteBuffer readWholeFile(const std::string& path) {
  FileStream in(path, FileMode::Read);
  ByteBuffer bytes(static_cast<std::size_t>(in.size()));
  in.readExact(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace

std::string storedLumpName(const std::string& name, std::size_t prefixLength) {
  std::string stored = prefixLength >= name.size() ? std::string() : name.substr(prefixLength);
  if (stored.size() > kWadMaxNameLength) stored.resize(kWadMaxNameLength);
  return stored;
}

void createArchiveFile(const std::string& fileName, const std::vector<std::string>& files, std::size_t prefixLength,
                       TCompressionLevel level, const ProgressHandler& progress) {
  if (files.size() > kWadMaxEntries) {
    throw EWadError("Stream write error", ErrorContext{fileName, std::nullopt, std::nullopt, "more than 65536 files"});
  }
  AtomicFileWriter writer(fileName);
  Stream& out = writer.stream();
  writeHeader(out, 0, static_cast<std::uint32_t>(files.size()));
  if (progress) progress(ProgressStage::Start, 0);
  std::vector<TWadEntry> entries;
  entries.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    entries.push_back(appendLump(out, readWholeFile(files[i]), storedLumpName(files[i], prefixLength), level));
    if (progress) progress(ProgressStage::Working, static_cast<int>(std::lround(100.0 * (i + 1) / files.size())));
  }
  finishArchive(out, entries, level);
  writer.commit();
  if (progress) progress(ProgressStage::Done, 100);
}

void writeArchiveFile(const std::string& fileName, const std::vector<ArchiveLump>& lumps, TCompressionLevel level) {
  if (lumps.size() > kWadMaxEntries) {
    throw EWadError("Stream write error", ErrorContext{fileName, std::nullopt, std::nullopt, "more than 65536 lumps"});
  }
  AtomicFileWriter writer(fileName);
  Stream& out = writer.stream();
  writeHeader(out, 0, static_cast<std::uint32_t>(lumps.size()));
  std::vector<TWadEntry> entries;
  entries.reserve(lumps.size());
  for (const auto& lump : lumps) entries.push_back(appendLump(out, lump.data, storedLumpName(lump.name, 0), level));
  finishArchive(out, entries, level);
  writer.commit();
}

void writeLumpsToArchiveFile(const std::string& fileName, const std::vector<ArchiveLump>& lumps,
                             TCompressionLevel level, const ProgressHandler& progress) {
  std::vector<TWadEntry> entries;
  std::uint32_t keep = kWadHeaderSize;  // bytes of the old file that stay: header and lump data
  std::unique_ptr<TWad> old;
  if (isRegularFile(fileName)) {
    old = std::make_unique<TWad>(fileName);
    entries = old->Directory();
    keep = old->DirectoryOffset();
  }
  if (progress) progress(ProgressStage::Start, 0);
  AtomicFileWriter writer(fileName);
  Stream& out = writer.stream();
  if (old) {
    Stream& in = old->GetStream();
    in.setPosition(0);
    out.copyFrom(in, keep);
  } else {
    writeHeader(out, 0, 0);
  }
  for (std::size_t i = 0; i < lumps.size(); ++i) {
    const std::string stored = storedLumpName(lumps[i].name, 0);
    const std::string key = upperAscii(stored);
    TWadEntry entry = appendLump(out, lumps[i].data, stored, level);
    auto same =
        std::find_if(entries.begin(), entries.end(), [&](const TWadEntry& e) { return upperAscii(e.Name) == key; });
    if (same != entries.end()) {
      *same = std::move(entry);
    } else {
      if (entries.size() >= kWadMaxEntries) {
        throw EWadError("Stream write error",
                        ErrorContext{fileName, std::nullopt, std::nullopt, "the archive holds 65536 entries"});
      }
      entries.push_back(std::move(entry));
    }
    if (progress) progress(ProgressStage::Working, static_cast<int>(std::lround(100.0 * (i + 1) / lumps.size())));
  }
  finishArchive(out, entries, level);
  old.reset();
  writer.commit();
  if (progress) progress(ProgressStage::Done, 100);
}

void writeLumpToArchiveFile(const std::string& fileName, Stream& source, const std::string& lumpName,
                            std::size_t prefixLength, TCompressionLevel level, const ProgressHandler& progress) {
  source.setPosition(0);
  std::vector<ArchiveLump> lumps(1);
  lumps[0].name = storedLumpName(lumpName, prefixLength);
  lumps[0].data.resize(static_cast<std::size_t>(source.remaining()));
  source.readExact(lumps[0].data.data(), lumps[0].data.size());
  writeLumpsToArchiveFile(fileName, lumps, level, progress);
}

}  // namespace velorina
