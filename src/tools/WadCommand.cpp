// velorina-tool wad: list, extract, create and add to world archives.
#include <cstdio>

#include "archive/AtomicFile.h"
#include "archive/FileStream.h"
#include "archive/Wad.h"
#include "archive/WadWriter.h"
#include "tools/ArchiveFile.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/TerminalProgress.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool wad list ARCHIVE\n"
    "       velorina-tool wad extract ARCHIVE NAME [-o|--out FILE]\n"
    "       velorina-tool wad create ARCHIVE [--strip K] [--level LEVEL] FILE...\n"
    "       velorina-tool wad add ARCHIVE FILE [--name LUMP] [--strip K] [--level LEVEL]\n"
    "\n"
    "ARCHIVE may also be a packed player: list and extract read the world it carries.\n"
    "\n"
    "  list     prints the entry names, one per line, in the archive's sorted order\n"
    "  extract  writes the entry's uncompressed bytes to FILE or to standard output;\n"
    "           NAME may address an entry of a nested archive as OUTER|INNER\n"
    "  create   writes a new archive of the FILEs, each entry named by its path\n"
    "           without the first K characters (default 0); refuses an empty\n"
    "           list, a name left empty and two names stored alike\n"
    "  add      adds FILE as entry LUMP (default: FILE's path without the first K\n"
    "           characters), replacing an entry of that name; creates the archive\n"
    "           when it does not exist\n"
    "  LEVEL    none, fastest, default or max (default: max)\n";

std::size_t parseStrip(const ParsedArgs& p) {
  const auto text = p.value("--strip");
  return text ? parseUnsigned("--strip", *text) : 0;
}

void expectPositional(const ParsedArgs& p, std::size_t min, std::size_t max, const char* shape) {
  if (p.positional.size() < min || p.positional.size() > max) throw UsageError(std::string("usage: velorina-tool wad ") + shape);
}

int list(const ParsedArgs& p) {
  expectPositional(p, 1, 1, "list ARCHIVE");
  ArchiveFile archive(p.positional[0]);
  TWad& wad = archive.wad();
  for (const auto& name : wad.Names()) {
    std::fwrite(name.data(), 1, name.size(), stdout);
    std::fputc('\n', stdout);
  }
  return 0;
}

int extract(const ParsedArgs& p) {
  expectPositional(p, 2, 2, "extract ARCHIVE NAME [-o FILE]");
  ArchiveFile archive(p.positional[0]);
  const ByteBuffer bytes = archive.wad().ReadEntry(p.positional[1]);
  if (auto out = outputPath(p)) {
    AtomicFileWriter writer(*out);
    writer.stream().writeBytes(bytes);
    writer.commit();
  } else if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0) {
    throw UsageError("cannot write to standard output");
  }
  return 0;
}

int create(const ParsedArgs& p) {
  if (p.positional.size() < 1) throw UsageError("usage: velorina-tool wad create ARCHIVE [--strip K] [--level LEVEL] FILE...");
  const std::vector<std::string> files(p.positional.begin() + 1, p.positional.end());
  // An empty list would replace the archive with an empty one: almost always a
  // mistake (a glob that matched nothing).
  if (files.empty()) throw UsageError(p.positional[0] + ": no FILE to put in the archive; nothing written");
  createArchiveFile(p.positional[0], files, parseStrip(p), parseCompressionLevel(p, TCompressionLevel::clMax), terminalProgress("create"));
  return 0;
}

int add(const ParsedArgs& p) {
  expectPositional(p, 2, 2, "add ARCHIVE FILE [--name LUMP] [--strip K] [--level LEVEL]");
  FileStream source(p.positional[1], FileMode::Read);
  const std::string lump = p.value("--name").value_or(p.positional[1]);
  writeLumpToArchiveFile(p.positional[0], source, lump, parseStrip(p), parseCompressionLevel(p, TCompressionLevel::clMax));
  return 0;
}

}  // namespace

int runWadCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"-o", "--out", "--strip", "--level", "--name"});
    if (p.help || p.positional.empty()) {
      std::fputs(kUsage, p.help ? stdout : stderr);
      return p.help ? 0 : 1;
    }
    const std::string verb = p.positional[0];
    ParsedArgs rest = p;
    rest.positional.erase(rest.positional.begin());
    if (verb == "list") return list(rest);
    if (verb == "extract") return extract(rest);
    if (verb == "create") return create(rest);
    if (verb == "add") return add(rest);
    throw UsageError("unknown wad command \"" + verb + "\" (list, extract, create, add)");
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool wad: ") + e.what());
  }
}

}  // namespace velorina::tools
