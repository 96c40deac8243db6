// velorina-tool scene: inspects worlds.
#include <cstdio>

#include "archive/Error.h"
#include "archive/Messages.h"
#include "scene/records/SceneStreamReader.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/SceneCommands.h"
#include "tools/SceneJson.h"
#include "tools/WorldSource.h"

namespace velorina::tools {

namespace {

// A stream of at most this many bytes holds no scene (the loader reads nothing).
constexpr std::size_t kShortestScene = 8;

constexpr const char* kUsage =
    "usage: velorina-tool scene dump WORLD [--lump NAME]\n"
    "       velorina-tool scene build DESCRIPTION.json -o WORLD.wad   (see scene build --help)\n"
    "       velorina-tool scene save WORLD -o OUT                     (see scene save --help)\n"
    "\n"
    "Prints the scene stream of WORLD as JSON: version, texture names, objects with\n"
    "their records and texture names, sounds, data items, actions and lights.\n"
    "WORLD is a scene file, a world archive (the lump NAME, else MAP01.D3D, else its\n"
    "only lump whose name ends in .D3D) or a player carrying a world (NAME, else the\n"
    "map its header names). On failure nothing is\n"
    "printed on standard output; an empty or truncated scene is an error.\n";

int dump(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool scene dump WORLD [--lump NAME]");
  const WorldSource world = openWorldSource(p.positional[0], p.value("--lump").value_or(""));
  // The loader takes a stream this short for an empty scene; a file to inspect that
  // holds no scene at all is a mistake worth naming.
  if (world.sceneStream.size() <= kShortestScene) {
    throw EStreamError(messages::kStreamReadError,
                       ErrorContext{world.name, std::nullopt, static_cast<std::int64_t>(world.sceneStream.size()),
                                    "the file holds " + std::to_string(world.sceneStream.size()) +
                                        " bytes, too few for a scene"});
  }
  SceneDocument doc;
  SceneStreamReader reader(world.sceneStream, world.name);
  // Nothing reaches standard output unless the whole stream was read: half a
  // document would pass for a whole one in a pipe.
  reader.read(doc);
  const std::string json = sceneDocumentToJson(doc);
  if (std::printf("%s\n", json.c_str()) < 0 || std::fflush(stdout) != 0) throw UsageError("cannot write to standard output");
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
