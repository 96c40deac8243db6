#pragma once
// The player: start-up from the world package, then the window's frame loop until
// Escape (or, headless, a one-line summary of what start-up read).

#include <memory>
#include <string>

#include "shell/EmbeddedWorld.h"
#include "shell/PlayerOptions.h"

namespace velorina {

// What start-up read of the world.
struct StartupResult {
  TWorldHeader header;          // as read; zeroed when the package could not be read
  std::string source;           // the file the world came from
  std::uint32_t entryCount = 0;
  std::string mapLumpName;      // the archive entry the map name resolved to
  std::size_t mapBytes = 0;
  std::string error;            // the message of a failed start-up, one line
};

class Player {
 public:
  // `programFile` is opened for the carried world; `programPath` names it in messages.
  Player(PlayerOptions options, std::string programFile, std::string programPath);
  ~Player();

  // Runs until Escape, the window closes or the frame count is reached. Returns the
  // process exit status.
  int run();

  // Reads the package (or WORLD), the archive directory and the map lump. A failure
  // is recorded in the result's `error`, as the window still runs with an empty scene.
  StartupResult startUp();

 private:
  int runHeadless(const StartupResult& world);
  int runWindow(const StartupResult& world);

  PlayerOptions options_;
  std::string programFile_;
  std::string programPath_;
  std::unique_ptr<EmbeddedWorld> embedded_;
  std::unique_ptr<TWad> archive_;
};

// The one-line headless summary.
std::string describeWorld(const StartupResult& world);

}  // namespace velorina
