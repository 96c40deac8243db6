// velorina: the player. Shows the world it carries behind its own executable.
#include <cstdio>
#include <stdexcept>

#include "shell/EmbeddedWorld.h"
#include "shell/Player.h"
#include "shell/Version.h"

int main(int argc, char** argv) {
  velorina::PlayerOptions options;
  try {
    options = velorina::parsePlayerOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "velorina: %s\n%s", e.what(), velorina::kPlayerUsage);
    return 1;
  }
  if (options.help) {
    std::fputs(velorina::kPlayerUsage, stdout);
    return 0;
  }
  if (options.version) {
    std::printf("velorina %s\n", velorina::versionText());
    return 0;
  }
  velorina::TDXViewerForm form(options, velorina::programFile(argv[0]), velorina::programPath(argv[0]));
  return form.run();
}
