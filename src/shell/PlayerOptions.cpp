#include "shell/PlayerOptions.h"

#include <stdexcept>

#include "platform/display/FrameFile.h"

namespace velorina {

const char* const kPlayerUsage =
    "usage: velorina [WORLD [--lump NAME]] [WAD [--map NAME]] [--windowed] [--headless]\n"
    "                [--frames N] [--fixed-step MS] [--screenshot FILE] [--device KIND]\n"
    "                [--antialias] [--verbose]\n"
    "       velorina --help | --version\n"
    "\n"
    "Shows the world this program carries, or WORLD (a packed player, a world\n"
    "archive or a scene file), or a map of a Doom, Heretic or Hexen WAD. Arrow keys\n"
    "and the numeric keypad walk and turn; Escape quits.\n"
    "\n"
    "  --lump NAME        the map lump of an archive WORLD (default: the header's map,\n"
    "                     else MAP01.D3D, else the archive's only .D3D lump)\n"
    "  --map NAME         the map of a game WAD (default: its first map); the camera\n"
    "                     starts at player 1's start and follows the floor\n"
    "  --windowed         a window instead of the full screen\n"
    "  --headless         no display: draw offscreen; without --frames, read the\n"
    "                     world, print a summary and exit (automatic when there is\n"
    "                     no display)\n"
    "  --frames N         stop after N frames\n"
    "  --fixed-step MS    advance every clock by MS per frame (reproducible runs)\n"
    "  --screenshot FILE  save the last frame as PNG or BMP (by FILE's extension);\n"
    "                     headless without --frames, one frame is drawn\n"
    "  --device KIND      the render device: gl (the graphics card through OpenGL),\n"
    "                     software (the CPU) or auto (OpenGL when a 3.3 context can\n"
    "                     be made, else software; the default)\n"
    "  --antialias        smooth the edges of surfaces (a game WAD's map is drawn\n"
    "                     without by default)\n"
    "  --verbose          say on standard error which render device draws and when\n"
    "                     the first frame is shown\n";

namespace {

int parseCount(const std::string& option, const std::string& value) {
  std::size_t used = 0;
  int n = 0;
  try {
    n = std::stoi(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != value.size()) throw std::invalid_argument(option + " needs a whole number, not \"" + value + "\"");
  if (n < 0) throw std::invalid_argument(option + " must lie between 0 and 2147483647, not \"" + value + "\"");
  return n;
}

}  // namespace

PlayerOptions parsePlayerOptions(const std::vector<std::string>& args) {
  PlayerOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
      return args[++i];
    };
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--windowed") {
      o.display = DisplayKind::Windowed;
    } else if (a == "--headless") {
      o.display = DisplayKind::Headless;
    } else if (a == "--lump" || a == "--map") {
      o.lump = value();
    } else if (a == "--frames") {
      o.frames = parseCount(a, value());
    } else if (a == "--fixed-step") {
      o.fixedStepMs = parseCount(a, value());
    } else if (a == "--screenshot") {
      o.screenshot = value();
      if (!frameFileFormatFor(o.screenshot)) {
        throw std::invalid_argument("--screenshot " + o.screenshot + ": " + unsupportedFrameFileReason(o.screenshot));
      }
    } else if (a == "--device") {
      const std::string& kind = value();
      const auto parsed = parseDeviceKind(kind);
      if (!parsed) throw std::invalid_argument("--device needs auto, gl or software, not \"" + kind + "\"");
      o.device = *parsed;
    } else if (a == "--antialias") {
      o.antialias = true;
    } else if (a == "--verbose") {
      o.verbose = true;
    } else if (!a.empty() && a[0] == '-') {
      throw std::invalid_argument("unknown option " + a);
    } else if (o.world.empty()) {
      o.world = a;
    } else {
      throw std::invalid_argument("more than one WORLD given: " + a);
    }
  }
  return o;
}

}  // namespace velorina
