// velorina-tool scene: inspects worlds.
#include <cstdio>

#include "scene/records/SceneStreamReader.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/SceneCommands.h"
#include "tools/SceneJson.h"
#include "tools/WorldSource.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool scene dump WORLD [--lump NAME]\n"
    "       velorina-tool scene build DESCRIPTION.json -o WORLD.wad   (see scene build --help)\n"
    "       velorina-tool scene save WORLD -o OUT                     (see scene save --help)\n"
    "\n"
    "Prints the scene stream of WORLD as JSON: version, texture names, objects with\n"
    "their records and texture names, sounds, data items, actions and lights.\n"
    "WORLD is a scene file, a world archive (the lump NAME, or else its only lump\n"
    "whose name ends in .D3D) or a player carrying a world (NAME, or else the map\n"
    "its header names).\n";

int dump(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool scene dump WORLD [--lump NAME]");
  const WorldSource world = openWorldSource(p.positional[0], p.value("--lump").value_or(""));
  SceneDocument doc;
  SceneStreamReader reader(world.sceneStream, world.name);
  try {
    reader.read(doc);
  } catch (const Error&) {
    // What was read before the damage is still shown.
    std::printf("%s\n", sceneDocumentToJson(doc).c_str());
    throw;
  }
  std::printf("%s\n", sceneDocumentToJson(doc).c_str());
  return 0;
}

}  // namespace

int runSceneCommand(const Args& args) {
  if (!args.empty() && args[0] == "build") return runSceneBuildCommand(Args(args.begin() + 1, args.end()));
  if (!args.empty() && args[0] == "save") return runSceneSaveCommand(Args(args.begin() + 1, args.end()));
  try {
    const ParsedArgs p = parseArgs(args, {"--lump"});
    if (p.help || p.positional.empty()) {
      std::fputs(kUsage, p.help ? stdout : stderr);
      return p.help ? 0 : 1;
    }
    ParsedArgs rest = p;
    rest.positional.erase(rest.positional.begin());
    if (p.positional[0] == "dump") return dump(rest);
    throw UsageError("unknown scene command \"" + p.positional[0] + "\" (dump, build, save)");
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool scene: ") + e.what());
  }
}

}  // namespace velorina::tools
