#pragma once
// The two archive writers. Both work on files directly and write through a
// temporary file that replaces the target only when complete.

#include <string>
#include <vector>

#include "archive/ByteBuffer.h"
#include "archive/CompressionLevel.h"
#include "archive/Stream.h"

namespace velorina {

// Writes a new archive holding each file of `files`, in list order, named by its
// path without the first `prefixLength` characters (cut to 255). Progress: Working
// with the percentage of files done.
void createArchiveFile(const std::string& fileName, const std::vector<std::string>& files, std::size_t prefixLength,
                       TCompressionLevel level, const ProgressHandler& progress = {});

// Adds the whole of `source` (from its start) to the archive file as `lumpName`
// without its first `prefixLength` characters (cut to 255), replacing an entry of
// that stored name (ASCII case ignored). Creates the archive when it does not exist.
void writeLumpToArchiveFile(const std::string& fileName, Stream& source, const std::string& lumpName,
                            std::size_t prefixLength, TCompressionLevel level, const ProgressHandler& progress = {});

// One lump to write: its name as stored and its uncompressed bytes.
struct ArchiveLump {
  std::string name;
  ByteBuffer data;
};

// Writes a new archive holding `lumps` in order (names cut to 255), replacing any
// old file only once the new one is complete.
void writeArchiveFile(const std::string& fileName, const std::vector<ArchiveLump>& lumps, TCompressionLevel level);

// Adds `lumps` in order to the archive file, each replacing an entry of the same
// name (ASCII case ignored), in one pass through a temporary file. Creates the
// archive when it does not exist.
void writeLumpsToArchiveFile(const std::string& fileName, const std::vector<ArchiveLump>& lumps,
                             TCompressionLevel level, const ProgressHandler& progress = {});

// The stored name for `name`: without its first `prefixLength` characters, cut to 255.
std::string storedLumpName(const std::string& name, std::size_t prefixLength);

}  // namespace velorina
