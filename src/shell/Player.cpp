#include "shell/Player.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "scene/objects/SystemColors.h"

namespace velorina {

namespace {

constexpr const char* kApplicationTitle = "DXVelorina";

bool displayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (w != nullptr && *w != '\0');
}

// Closes SDL's video subsystem however the window loop ends.
class SdlVideo {
 public:
  SdlVideo() : ok_(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
  ~SdlVideo() {
    if (ok_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  SdlVideo(const SdlVideo&) = delete;
  SdlVideo& operator=(const SdlVideo&) = delete;
  bool ok() const noexcept { return ok_; }

 private:
  bool ok_;
};

struct WindowDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};

}  // namespace

std::string describeWorld(const StartupResult& world) {
  return "\"" + world.header.Title + "\": map \"" + world.header.MapName + "\" (lump \"" + world.mapLumpName + "\", " +
         std::to_string(world.mapBytes) + " bytes), archive of " + std::to_string(world.entryCount) + " entries";
}

Player::Player(PlayerOptions options, std::string programFile, std::string programPath)
    : options_(std::move(options)), programFile_(std::move(programFile)), programPath_(std::move(programPath)) {}

Player::~Player() = default;

StartupResult Player::startUp() {
  StartupResult result;
  result.source = options_.world.empty() ? programPath_ : options_.world;
  try {
    std::optional<WorldPackageInfo> package;
    if (!options_.world.empty()) {
      FileStream probe(options_.world, FileMode::Read);
      package = findWorldPackage(probe);
    }
    if (options_.world.empty() || package) {
      embedded_ = std::make_unique<EmbeddedWorld>(options_.world.empty() ? programFile_ : options_.world,
                                                  result.source);
      result.header = embedded_->header();
      result.entryCount = embedded_->archive().Count();
      result.mapLumpName = embedded_->mapLumpName();
      result.mapBytes = embedded_->mapLump().size();
    } else {
      // A plain world archive: the shipped settings, the map named by --lump.
      result.header = TWorldHeader::shipped();
      if (!options_.lump.empty()) result.header.MapName = options_.lump;
      archive_ = std::make_unique<TWad>(options_.world);
      result.entryCount = archive_->Count();
      result.mapLumpName = resolveArchiveEntryName(*archive_, result.header.MapName);
      result.mapBytes = archive_->ReadEntry(result.mapLumpName).size();
    }
  } catch (const Error& e) {
    Error located = e;
    located.setFileIfUnset(result.source);
    result.error = located.describe();
  } catch (const std::exception& e) {
    result.error = result.source + ": " + e.what();
  }
  return result;
}

int Player::run() {
  StartupResult world = startUp();
  const bool headless = options_.display == DisplayKind::Headless ||
                        (options_.display == DisplayKind::Automatic && !displayAvailable());
  if (headless) return runHeadless(world);
  return runWindow(world);
}

int Player::runHeadless(const StartupResult& world) {
  if (!world.error.empty()) {
    std::fprintf(stderr, "velorina: %s\n", world.error.c_str());
    return 1;
  }
  std::printf("%s\n", describeWorld(world).c_str());
  return 0;
}

int Player::runWindow(const StartupResult& world) {
  SdlVideo video;
  if (!video.ok()) {
    std::fprintf(stderr, "velorina: no display (%s); running headless\n", SDL_GetError());
    return runHeadless(world);
  }
  const TWorldHeader& h = world.header;
  const bool started = world.error.empty();
  // A failed start-up keeps the designed window size.
  const int width = started && h.DisplayWidth > 0 && h.DisplayWidth <= 16384 ? static_cast<int>(h.DisplayWidth) : 1024;
  const int height = started && h.DisplayHeight > 0 && h.DisplayHeight <= 16384 ? static_cast<int>(h.DisplayHeight) : 768;
  Uint32 flags = SDL_WINDOW_SHOWN;
  if (options_.display != DisplayKind::Windowed) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  std::unique_ptr<SDL_Window, WindowDeleter> window(SDL_CreateWindow(
      started ? h.Title.c_str() : kApplicationTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags));
  if (!window) {
    std::fprintf(stderr, "velorina: cannot open a window: %s\n", SDL_GetError());
    return 1;
  }
  std::unique_ptr<SDL_Renderer, RendererDeleter> renderer(SDL_CreateRenderer(window.get(), -1, 0));
  if (!renderer) renderer.reset(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
  if (!renderer) {
    std::fprintf(stderr, "velorina: cannot draw into the window: %s\n", SDL_GetError());
    return 1;
  }
  if (!started) {
    std::fprintf(stderr, "velorina: %s\n", world.error.c_str());
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kApplicationTitle, world.error.c_str(), window.get());
  }
  const std::uint32_t rgb = colorValueToRGB(static_cast<std::int32_t>(h.BackgroundColor));
  int frame = 0;
  bool running = true;
  while (running && (!options_.frames || frame < *options_.frames)) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) running = false;
      if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) running = false;
    }
    SDL_SetRenderDrawColor(renderer.get(), (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 255);
    SDL_RenderClear(renderer.get());
    SDL_RenderPresent(renderer.get());
    ++frame;
    SDL_Delay(1);
  }
  return 0;
}

}  // namespace velorina
