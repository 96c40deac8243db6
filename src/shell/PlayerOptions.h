#pragma once
// Command-line options of the player.

#include <optional>
#include <string>
#include <vector>

#include "platform/render/DeviceSelection.h"

namespace velorina {

enum class DisplayKind { Automatic, Windowed, FullScreen, Headless };

struct PlayerOptions {
  std::string world;  // empty: the world this program carries
  std::string lump;   // map lump of an archive world, or the map of a game WAD; empty:
                      // the header's map name, or the WAD's first map
  DisplayKind display = DisplayKind::Automatic;
  std::optional<int> frames;       // stop after this many frames
  std::optional<int> fixedStepMs;  // advance every clock by this much per frame
  DeviceKind device = DeviceKind::Automatic;
  bool verbose = false;            // say which render device draws
  bool antialias = false;          // antialiasing on whatever the world's header says
  std::string screenshot;          // save the last frame here (PNG or BMP by extension)
  bool help = false;
  bool version = false;
};

// Parses argv[1..]; throws std::invalid_argument with a one-line message.
PlayerOptions parsePlayerOptions(const std::vector<std::string>& args);

extern const char* const kPlayerUsage;

}  // namespace velorina
