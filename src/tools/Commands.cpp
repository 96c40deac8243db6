#include "tools/Commands.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "archive/Error.h"
#include "shell/Version.h"

namespace velorina::tools {

namespace {

struct Command {
  std::string_view name;
  std::string_view summary;
  int (*run)(const Args&);
};

// One line per subcommand.
constexpr Command kCommands[] = {
    {"wad", "list, extract, create and add to world archives", runWadCommand},
    {"pack", "make a player with an embedded world, or show a packed header", runPackCommand},
    {"image", "show a picture's size and format, or convert it", runImageCommand},
    {"render-test", "draw the render device's test scene headless into a PNG file", runRenderTestCommand},
    {"tone", "write (and play) a synthesised tone as a WAVE file", runToneCommand},
    {"sound", "show the format of a wave file", runSoundCommand},
    {"scene", "show a world as JSON, build one from JSON, or save it again", runSceneCommand},
    {"render", "draw a world without a display into a PNG file", runRenderCommand},
    {"doom", "probe Doom-family WADs, list their maps, write textures, convert maps", runDoomCommand},
};

void printUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: velorina-tool COMMAND [ARGS...]\n"
               "       velorina-tool COMMAND --help\n"
               "       velorina-tool --version\n\ncommands:\n");
  for (const auto& c : kCommands) {
    std::fprintf(out, "  %-14.*s %.*s\n", static_cast<int>(c.name.size()), c.name.data(),
                 static_cast<int>(c.summary.size()), c.summary.data());
  }
}

}  // namespace

int dispatch(const Args& argv) {
  if (argv.empty() || argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help") {
    printUsage(argv.empty() ? stderr : stdout);
    return argv.empty() ? 1 : 0;
  }
  if (argv[0] == "--version") {
    std::printf("velorina-tool %s\n", versionText());
    return 0;
  }
  for (const auto& c : kCommands) {
    if (argv[0] != c.name) continue;
    // Every failure reads "velorina-tool COMMAND: what went wrong".
    const std::string prefix = "velorina-tool " + std::string(c.name) + ": ";
    try {
      return c.run(Args(argv.begin() + 1, argv.end()));
    } catch (const Error& e) {
      std::fprintf(stderr, "%s%s\n", prefix.c_str(), e.describe().c_str());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s%s\n", prefix.c_str(), e.what());
    }
    return 1;
  }
  std::fprintf(stderr, "velorina-tool: unknown command \"%s\" (see velorina-tool --help)\n", argv[0].c_str());
  return 1;
}

}  // namespace velorina::tools
