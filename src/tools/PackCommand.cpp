// velorina-tool pack: makes a player that carries a world, or shows the header of one.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/AtomicFile.h"
#include "archive/FileStream.h"
#include "archive/Messages.h"
#include "archive/Wad.h"
#include "shell/EmbeddedWorld.h"
#include "shell/SceneLumpChoice.h"
#include "shell/WorldPackage.h"
#include "tools/ArchiveFile.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/Json.h"
#include "tools/TerminalProgress.h"

namespace velorina::tools {

namespace {

// The largest display side a package may ask for.
constexpr std::int64_t kMaxDisplaySide = 16384;

constexpr const char* kUsage =
    "usage: velorina-tool pack --archive ARCHIVE -o|--out OUT [--player EXE] [--title TEXT]\n"
    "           [--map NAME] [--min-x F] [--max-x F] [--min-y F] [--max-y F]\n"
    "           [--min-z F] [--max-z F] [--move-speed F] [--turn-factor F]\n"
    "           [--min-filter N] [--mag-filter N] [--antialias N] [--display WxH]\n"
    "           [--background COLOR]\n"
    "       velorina-tool pack --info EXE\n"
    "       velorina-tool pack --extract EXE -o|--out WORLD.wad\n"
    "\n"
    "Copies the player EXE (default: the velorina beside this tool) to OUT and appends\n"
    "a world package: the header, ARCHIVE and the trailer. A player that already\n"
    "carries a world has it replaced. Unset values take the shipped defaults (box\n"
    "-100..100 x 0..0 x -100..100, move speed 6, turn factor 25, filters 2, antialias 1,\n"
    "display 1024x768, black background). The map is --map NAME, else MAP01.D3D or\n"
    "the archive's only .D3D entry. EXE must be a player: an executable (ELF) file,\n"
    "or one that already carries a world. Each display side lies in 1..16384.\n"
    "COLOR: 0x00BBGGRR or a decimal value (negative: a system colour), or #RRGGBB.\n"
    "--info prints the header of a packed player as JSON; --extract writes the\n"
    "archive it carries.\n";

std::string defaultPlayer() {
  const std::string self = programPath(nullptr);
  const auto slash = self.rfind('/');
  return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/velorina";
}

std::uint32_t parseColor(const std::string& text) {
  if (text.size() == 7 && text[0] == '#') {
    const auto rgb = static_cast<std::uint32_t>(parseInteger("--background", "0x" + text.substr(1)));
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
  }
  const std::int64_t v = parseInteger("--background", text);
  if (v < -2147483648ll || v > 0xFFFFFFFFll) throw UsageError("--background is out of range");
  return static_cast<std::uint32_t>(v);
}

void parseDisplay(const std::string& text, TWorldHeader& h) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("--display needs WIDTHxHEIGHT, not \"" + text + "\"");
  h.DisplayWidth = static_cast<std::uint32_t>(parseRanged("--display", text.substr(0, x), 1, kMaxDisplaySide));
  h.DisplayHeight = static_cast<std::uint32_t>(parseRanged("--display", text.substr(x + 1), 1, kMaxDisplaySide));
}

TWorldHeader headerFrom(const ParsedArgs& p) {
  TWorldHeader h = TWorldHeader::shipped();
  const std::pair<const char*, float*> floats[] = {
      {"--min-x", &h.MinX}, {"--max-x", &h.MaxX}, {"--min-y", &h.MinY}, {"--max-y", &h.MaxY},
      {"--min-z", &h.MinZ}, {"--max-z", &h.MaxZ}, {"--move-speed", &h.MoveSpeed}, {"--turn-factor", &h.TurnFactor}};
  for (const auto& [name, field] : floats) {
    if (auto v = p.value(name)) *field = parseFloat(name, *v);
  }
  if (auto v = p.value("--min-filter")) h.MinFilter = parseUnsigned("--min-filter", *v);
  if (auto v = p.value("--mag-filter")) h.MagFilter = parseUnsigned("--mag-filter", *v);
  if (auto v = p.value("--antialias")) h.Antialias = static_cast<std::uint8_t>(parseRanged("--antialias", *v, 0, 255));
  if (auto v = p.value("--display")) parseDisplay(*v, h);
  if (auto v = p.value("--background")) h.BackgroundColor = parseColor(*v);
  if (auto v = p.value("--title")) h.Title = *v;
  if (auto v = p.value("--map")) h.MapName = *v;
  if (h.Title.size() > 32767 || h.MapName.size() > 32767) throw UsageError("--title and --map hold at most 32767 characters");
  return h;
}

// The package of a player, or an error saying that it carries none.
WorldPackageInfo carriedPackage(FileStream& file, const std::string& path) {
  if (auto pkg = findWorldPackage(file)) return *pkg;
  // The reader's own message says what is wrong with a damaged package.
  readWorldPackage(file);
  throw EWadError(messages::kWrongFileType,
                  ErrorContext{path, std::nullopt, std::nullopt, "the file carries no world package"});
}

int info(const std::string& path) {
  FileStream file(path, FileMode::Read);
  const WorldPackageInfo pkg = carriedPackage(file, path);
  const TWorldHeader& h = pkg.Header;
  JsonWriter j;
  j.beginObject();
  j.field("MinX", h.MinX).field("MaxX", h.MaxX).field("MinY", h.MinY).field("MaxY", h.MaxY);
  j.field("MinZ", h.MinZ).field("MaxZ", h.MaxZ).field("MoveSpeed", h.MoveSpeed).field("TurnFactor", h.TurnFactor);
  j.field("MinFilter", h.MinFilter).field("MagFilter", h.MagFilter).field("Antialias", h.Antialias);
  j.field("DisplayWidth", h.DisplayWidth).field("DisplayHeight", h.DisplayHeight);
  j.field("BackgroundColor", h.BackgroundColor).field("Title", h.Title).field("MapName", h.MapName);
  j.field("ArchiveSize", pkg.ArchiveSize).field("PackageOffset", pkg.PackageOffset);
  j.endObject();
  std::printf("%s\n", j.text().c_str());
  return 0;
}

int extract(const std::string& path, const std::optional<std::string>& out) {
  if (!out) throw UsageError("--extract needs -o WORLD.wad");
  ArchiveFile player(path);
  if (!player.package()) {
    throw EWadError(messages::kWrongFileType,
                    ErrorContext{path, std::nullopt, std::nullopt, "the file carries no world package"});
  }
  const ByteBuffer archive = player.bytes();
  AtomicFileWriter writer(*out);
  writer.stream().writeBytes(archive);
  writer.commit();
  return 0;
}

// A player is an executable of ours: an ELF file, or a file that already carries a
// package. Anything else (a script, a text file) would be run as something else.
void checkPlayer(FileStream& player, const std::string& path) {
  char magic[4] = {};
  player.setPosition(0);
  const bool elf = player.read(magic, 4) == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0;
  if (elf || findWorldPackage(player)) return;
  throw EWadError(messages::kWrongFileType,
                  ErrorContext{path, std::nullopt, std::nullopt, "--player must be a velorina executable (an ELF file)"});
}

// The bytes of the player without any package it already carries.
std::int64_t playerImageSize(FileStream& player) {
  if (auto pkg = findWorldPackage(player)) return pkg->PackageOffset;
  return player.size();
}

int pack(const ParsedArgs& p) {
  const auto archivePath = p.value("--archive");
  const auto outPath = outputPath(p);
  if (!archivePath || !outPath) throw UsageError("pack needs --archive ARCHIVE and -o OUT (or --info EXE)");
  TWorldHeader header = headerFrom(p);

  // The archive must be one the player can open, and hold the map (a packed
  // player's archive will do as well).
  ArchiveFile source(*archivePath);
  const std::string lump =
      chooseSceneLump(source.wad(), p.value("--map") ? p.value("--map") : std::nullopt, *archivePath);
  if (!p.value("--map") && upperAscii(fileNamePart(lump)) != kDefaultMapName) header.MapName = lump;
  const ByteBuffer archive = source.bytes();

  const std::string playerPath = p.value("--player").value_or(defaultPlayer());
  FileStream player(playerPath, FileMode::Read);
  checkPlayer(player, playerPath);
  const ProgressHandler progress = terminalProgress("pack");
  if (progress) progress(ProgressStage::Start, 0);
  AtomicFileWriter writer(*outPath);
  const std::int64_t imageSize = playerImageSize(player);
  player.setPosition(0);
  writer.stream().copyFrom(player, imageSize);
  if (progress) progress(ProgressStage::Working, 50);
  appendWorldPackage(writer.stream(), header, archive);
  writer.commit();
  if (progress) progress(ProgressStage::Done, 100);
  struct stat st {};
  if (::stat(playerPath.c_str(), &st) == 0) ::chmod(outPath->c_str(), (st.st_mode & 07777) | 0100);
  return 0;
}

}  // namespace

int runPackCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"--archive", "-o", "--player", "--title", "--map", "--min-x", "--max-x",
                                         "--min-y", "--max-y", "--min-z", "--max-z", "--move-speed", "--turn-factor",
                                         "--min-filter", "--mag-filter", "--antialias", "--display", "--background",
                                         "--info", "--extract", "--out"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!p.positional.empty()) throw UsageError("unexpected argument \"" + p.positional[0] + "\"");
    if (auto exe = p.value("--info")) return info(*exe);
    if (auto exe = p.value("--extract")) return extract(*exe, outputPath(p));
    return pack(p);
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool pack: ") + e.what());
  }
}

}  // namespace velorina::tools
