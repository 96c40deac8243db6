// velorina-tool doom: what a Doom-family WAD holds, its textures as pictures, and
// its maps converted into world archives that play without the WAD.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "archive/AtomicFile.h"
#include "archive/WadWriter.h"
#include "doommap/DoomTextures.h"
#include "doommap/LumpReference.h"
#include "doommap/MapLumps.h"
#include "doommap/MapPlacement.h"
#include "imaging/BmpCodec.h"
#include "imaging/PictureRegistry.h"
#include "imaging/PngCodec.h"
#include "platform/display/ManualClock.h"
#include "scene/Scene.h"
#include "scene/SceneMapSink.h"
#include "shell/MapStart.h"
#include "doommap/LumpName.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool doom probe WAD\n"
    "       velorina-tool doom maps WAD\n"
    "       velorina-tool doom texture WAD NAME -o FILE.png|FILE.bmp\n"
    "       velorina-tool doom convert WAD MAP -o WORLD.wad [--brightness B] [--scale S]\n"
    "\n"
    "  probe    prints the kind of the file: its number and name (0 doom, 1 heretic,\n"
    "           2 hexen, 3 scripts, 4 plain WAD, 5 not a WAD, 6 other WAD)\n"
    "  maps     prints the names of the maps in directory order\n"
    "  texture  writes one flat, patch or wall texture with the game's palette\n"
    "  convert  makes a world archive of a map that plays without the WAD: its\n"
    "           textures as BMP lumps, the map moved so that player 1's start lies at\n"
    "           the origin at eye height; prints the pack options that walk it\n"
    "  B        brightness from 0 (sector light) to 1 (full white), default 0.3\n"
    "  S        map units per scene unit, a whole number of at least 1, default 32\n";

const char* kindName(TWadKind kind) {
  switch (kind) {
    case TWadKind::wkDoom: return "doom";
    case TWadKind::wkHeretic: return "heretic";
    case TWadKind::wkHexen: return "hexen";
    case TWadKind::wkScripts: return "scripts";
    case TWadKind::wkPlainWad: return "plain WAD";
    case TWadKind::wkNotWad: return "not a WAD";
    case TWadKind::wkOtherWad: return "other WAD";
  }
  return "?";
}

void expectPositional(const ParsedArgs& p, std::size_t n, const char* shape) {
  if (p.positional.size() != n) throw UsageError(std::string("usage: velorina-tool doom ") + shape);
}

int probe(const ParsedArgs& p) {
  expectPositional(p, 1, "probe WAD");
  const TWadKind kind = ProbeWadKind(p.positional[0]);
  std::printf("%d %s\n", static_cast<int>(kind), kindName(kind));
  return 0;
}

int maps(const ParsedArgs& p) {
  expectPositional(p, 1, "maps WAD");
  for (const std::string& name : listMapNames(WadDirectory::open(p.positional[0]))) std::printf("%s\n", name.c_str());
  return 0;
}

std::string requiredOutput(const ParsedArgs& p) {
  const auto out = outputPath(p);
  if (!out) throw UsageError("the output file is missing (-o or --out FILE)");
  return *out;
}

int texture(const ParsedArgs& p) {
  expectPositional(p, 2, "texture WAD NAME -o FILE.png|FILE.bmp");
  const std::string out = requiredOutput(p);
  const std::string extension = PictureRegistry::extensionOf(out);
  if (extension != "PNG" && extension != "BMP") throw UsageError("the texture is written as .png or .bmp, not \"" + out + "\"");
  const auto bitmap = MakeDoomTextureBitmap(p.positional[0], LumpNameToUpper(p.positional[1]));
  if (!bitmap) return reportFailure(p.positional[0] + ": not a Doom, Heretic or Hexen WAD");
  AtomicFileWriter writer(out);
  writer.stream().writeBytes(extension == "PNG" ? encodePng(*bitmap) : writeBmp(*bitmap));
  writer.commit();
  return 0;
}

// The name a WAD's texture takes in a converted world.
std::string convertedName(const std::string& reference) {
  const auto parts = ParseLumpReference(reference);
  return parts ? parts->lump + ".BMP" : reference;
}

// The scene's sink with every WAD reference renamed to a picture lump of the
// world, keeping each texture's picture for writing.
class ConvertingSink final : public DoomMapSink {
 public:
  explicit ConvertingSink(TD3DScene& scene) : inner_(scene) {}
  bool hasTexture(const std::string& name) const override { return inner_.hasTexture(convertedName(name)); }
  void registerTexture(const std::string& name, Bitmap picture) override {
    pictures[convertedName(name)] = picture;
    inner_.registerTexture(convertedName(name), std::move(picture));
  }
  std::int32_t nextObjectId() override { return inner_.nextObjectId(); }
  void addTextureHolders(std::vector<std::string> references, std::uint8_t texMode, std::uint8_t blendMode,
                         std::int32_t cullMode) override {
    for (auto& r : references) r = convertedName(r);
    inner_.addTextureHolders(std::move(references), texMode, blendMode, cullMode);
  }
  void addOrMergeObject(const TD3DQuadrangleInfo& wall) override {
    TD3DQuadrangleInfo w = wall;
    w.TextureName = convertedName(w.TextureName);
    inner_.addOrMergeObject(w);
  }
  void addOrMergeObject(const TD3DPolygonInfo& piece) override {
    TD3DPolygonInfo p = piece;
    p.TextureNames.set(0, convertedName(p.TextureNames.get(0)));
    inner_.addOrMergeObject(p);
  }
  void removeEmptyPolygons() override { inner_.removeEmptyPolygons(); }

  std::map<std::string, Bitmap> pictures;

 private:
  SceneMapSink inner_;
};

ImportProgress terminalProgress() {
  if (!::isatty(STDERR_FILENO)) return {};
  return [](std::string_view stage, std::size_t done, std::size_t total) {
    std::fprintf(stderr, "\r%.*s: %zu of %zu   ", static_cast<int>(stage.size()), stage.data(), done, total);
    if (done == total) std::fputc('\n', stderr);
  };
}

int convert(const ParsedArgs& p) {
  expectPositional(p, 2, "convert WAD MAP -o WORLD.wad [--brightness B] [--scale S]");
  const std::string& wad = p.positional[0];
  const std::string mapName = LumpNameToUpper(p.positional[1]);
  const std::string out = requiredOutput(p);
  const float brightness = p.value("--brightness") ? parseFloat("--brightness", *p.value("--brightness")) : kDefaultMapBrightness;
  if (!(brightness >= 0 && brightness <= 1)) throw UsageError("--brightness must lie between 0 and 1");
  const std::int64_t scale = p.value("--scale") ? parseInteger("--scale", *p.value("--scale")) : kDefaultMapScale;
  if (scale < 1 || scale > 32767) throw UsageError("--scale must be a whole number from 1 to 32767");
  const TWadKind kind = ProbeWadKind(wad);
  if (!isDoomFamilyWad(kind)) return reportFailure(wad + ": not a Doom, Heretic or Hexen WAD");

  const DoomMapLumps map = ReadMapLumps(wad, mapName, kind);
  ManualClock clock;
  TD3DScene scene(nullptr, nullptr, clock);
  ConvertingSink sink(scene);
  const int s = static_cast<int>(scale);
  const DoomImportReport report = ImportDoomMap(sink, wad, {}, mapName, s, brightness, true, terminalProgress());
  if (report.skipped() > 0) {
    std::fprintf(stderr, "warning: %s %s: %zu lines or sides with indices outside their arrays were left out\n",
                 wad.c_str(), mapName.c_str(), report.skipped());
  }

  // Player 1's start at the origin, at eye height above the floor under it.
  const MapFloorLocator locator(map);
  const DoomThing start = report.playerStart.value_or(DoomThing{});
  const int floor = locator.floorAt(start.x, start.y).value_or(0);
  const D3DVECTOR eye = mapToScene(start.x, start.y, floor + kEyeHeightMapUnits, s);
  scene.MoveAllBy({-eye.x, -eye.y, -eye.z});

  TD3DScene::ArchiveSaveOptions options;
  options.form = TD3DScene::ArchiveSave::SceneOnly;
  scene.SaveToArchiveFile(out, mapName, options);
  std::vector<ArchiveLump> lumps;
  for (const auto& [name, picture] : sink.pictures) {
    const ByteBuffer bmp = writeBmp(picture);
    lumps.push_back({name, bmp});
  }
  writeLumpsToArchiveFile(out, lumps, TCompressionLevel::clDefault);

  int lowest = 32767, highest = -32768;
  for (const DoomSector& sector : map.sectors) {
    lowest = std::min<int>(lowest, sector.floor);
    highest = std::max<int>(highest, sector.ceiling);
  }
  const D3DVECTOR low = mapToScene(report.bounds.minX, report.bounds.minY, lowest + kEyeHeightMapUnits, s);
  const D3DVECTOR high = mapToScene(report.bounds.maxX, report.bounds.maxY, std::max(highest, lowest + kEyeHeightMapUnits), s);
  std::printf("%s: %zu walls, %zu floor and ceiling pieces, %zu textures\n", out.c_str(),
              report.middleWalls + report.upperWalls + report.lowerWalls, report.floorPieces + report.ceilingPieces,
              sink.pictures.size());
  // The walking speeds and the look of the player's own opening of a game map.
  std::printf("velorina-tool pack --archive %s --map %s.D3D --min-x %g --max-x %g --min-y %g --max-y %g --min-z %g "
              "--max-z %g --move-speed %g --turn-factor %g --min-filter 1 --mag-filter 1 --antialias 0 -o PLAYER\n",
              out.c_str(), mapName.c_str(), low.x - eye.x, high.x - eye.x, low.y - eye.y, high.y - eye.y,
              low.z - eye.z, high.z - eye.z, kMapMoveSpeed, kMapTurnFactor);
  return 0;
}

}  // namespace

int runDoomCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"-o", "--out", "--brightness", "--scale"});
    if (p.help || p.positional.empty()) {
      std::fputs(kUsage, p.help ? stdout : stderr);
      return p.help ? 0 : 1;
    }
    const std::string verb = p.positional[0];
    ParsedArgs rest = p;
    rest.positional.erase(rest.positional.begin());
    if (verb == "probe") return probe(rest);
    if (verb == "maps") return maps(rest);
    if (verb == "texture") return texture(rest);
    if (verb == "convert") return convert(rest);
    throw UsageError("unknown doom command \"" + verb + "\" (probe, maps, texture, convert)");
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool doom: ") + e.what());
  } catch (const Error& e) {
    return reportFailure(e.describe());
  } catch (const std::invalid_argument& e) {
    return reportFailure(std::string("velorina-tool doom: ") + e.what());
  }
}

}  // namespace velorina::tools
