#include "shell/Player.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "archive/FileStream.h"
#include "audio/MessageReporter.h"
#include "doommap/WadProbe.h"
#include "archive/Messages.h"
#include "platform/display/FrameFile.h"
#include "platform/display/SystemClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/RenderError.h"
#include "platform/display/sdl/SdlMessageBox.h"
#include "platform/display/sdl/SdlPresenter.h"
#include "platform/sound/SoundDevice.h"
#include "shell/EmbeddedWorld.h"
#include "shell/SceneDanceTexts.h"
#include "shell/MapStart.h"
#include "shell/SceneLumpChoice.h"
#include "shell/StartupAction.h"
#include "shell/SurfaceSetup.h"

namespace velorina {

namespace {

constexpr const char* kApplicationTitle = "DXVelorina";
constexpr std::uint32_t kVkEscape = 27;

bool displayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* w = std::getenv("WAYLAND_DISPLAY");
  return (x != nullptr && *x != '\0') || (w != nullptr && *w != '\0');
}

// Messages of the scene (a file of the wrong type, for one): a line on stderr, and
// an error box when there is a window to own it.
class PlayerMessageReporter final : public MessageReporter {
 public:
  explicit PlayerMessageReporter(bool headless) : headless_(headless) {}
  void showError(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "velorina: %s\n", withEnglishGloss(text).c_str());
    if (!headless_) showSdlErrorBox(caption, text);
  }
  void showWarning(const std::string& text) override { std::fprintf(stderr, "velorina: warning: %s\n", text.c_str()); }

 private:
  bool headless_;
};

// The keys the camera step reads: up to three virtual-key codes per input state.
TKeyAssignList keyTable() {
  using enum TDXInputState;
  TKeyAssignList t{};
  auto assign = [&](TDXInputState s, std::initializer_list<std::uint32_t> keys) {
    std::size_t slot = 0;
    for (auto k : keys) {
      if (slot < 3) t[static_cast<std::size_t>(s)][slot++] = k;
    }
  };
  assign(Up, {38, 104});
  assign(Down, {40, 98});
  assign(Left, {37, 100});
  assign(Right, {39, 102});
  assign(Button1, {105});
  assign(Button2, {99});
  assign(Button3, {107});
  assign(Button4, {109});
  return t;
}

// The dance source of a world whose texts were not found: every row is missing.
class NoDanceTexts final : public DanceTextSource {
 public:
  DanceText* findDanceText(std::int32_t) override { return nullptr; }
};

// The largest display side a package header may ask for.
constexpr std::uint32_t kMaxDisplaySide = 16384;

// Header values come from whoever made the world: a size no display can have is
// refused before anything is allocated for it.
void checkDisplaySize(const TWorldHeader& header, const std::string& source) {
  const auto fits = [](std::uint32_t side) { return side >= 1 && side <= kMaxDisplaySide; };
  if (fits(header.DisplayWidth) && fits(header.DisplayHeight)) return;
  throw EWadError("the package header asks for a display of " + std::to_string(header.DisplayWidth) + " x " +
                      std::to_string(header.DisplayHeight),
                  ErrorContext{source, std::nullopt, std::nullopt,
                               "each side must lie between 1 and " + std::to_string(kMaxDisplaySide)});
}

// The package the running player carries. A player without one says so, and how
// to give it a world, after the system's own wrong-type message.
WorldPackageInfo readCarriedPackage(FileStream& file, const std::string& source) {
  if (auto package = findWorldPackage(file)) return *package;
  throw EWadError(messages::kWrongFileType,
                  ErrorContext{source, std::nullopt, std::nullopt,
                               "no world is packed into this player: name one, as in \"velorina WORLD\" (a packed "
                               "player, a world archive or a scene file), or pack one with \"velorina-tool pack\""});
}

// The kinds of world a file named on the command line may hold.
enum class WorldKind { PackedPlayer, GameMap, Archive, SceneFile };

WorldKind worldKindOf(FileStream& file, const std::string& path) {
  if (findWorldPackage(file)) return WorldKind::PackedPlayer;
  if (isDoomFamilyWad(ProbeWadKind(path))) return WorldKind::GameMap;
  char magic[4] = {};
  file.setPosition(0);
  return file.read(magic, 4) == 4 && std::string(magic, 4) == "PWAD" ? WorldKind::Archive : WorldKind::SceneFile;
}

// What the headless summary reports, read without drawing anything.
StartupResult readSummary(const PlayerOptions& options, const std::string& programFile, const std::string& programPath) {
  StartupResult result;
  result.source = options.world.empty() ? programPath : options.world;
  try {
    FileStream file(options.world.empty() ? programFile : options.world, FileMode::Read);
    file.setDisplayName(result.source);
    const WorldKind kind = options.world.empty() ? WorldKind::PackedPlayer : worldKindOf(file, options.world);
    if (kind == WorldKind::PackedPlayer) {
      const WorldPackageInfo package = readCarriedPackage(file, result.source);
      checkDisplaySize(package.Header, result.source);
      EmbeddedWorld world(options.world.empty() ? programFile : options.world, result.source);
      result.header = world.header();
      result.entryCount = world.archive().Count();
      result.mapLumpName = world.mapLumpName();
      result.mapBytes = world.mapLump().size();
    } else if (kind == WorldKind::GameMap) {
      const MapStart start = readMapStart(options.world, options.lump);
      result.header = start.header;
      result.entryCount = start.entryCount;
      result.mapLumpName = start.mapName;
      result.mapBytes = start.mapBytes;
    } else if (kind == WorldKind::Archive) {
      result.header = TWorldHeader::shipped();
      TWad archive(options.world);
      result.entryCount = archive.Count();
      result.mapLumpName = chooseSceneLump(
          archive, options.lump.empty() ? std::nullopt : std::optional<std::string>(options.lump), options.world);
      result.header.MapName = result.mapLumpName;
      result.mapBytes = archive.ReadEntry(result.mapLumpName).size();
    } else {
      // A scene file is its own map.
      result.header = TWorldHeader::shipped();
      result.header.MapName = fileNamePart(options.world);
      result.mapLumpName = result.header.MapName;
      result.mapBytes = static_cast<std::size_t>(file.size());
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

}  // namespace

std::string describeWorld(const StartupResult& world) {
  return "\"" + world.header.Title + "\": map \"" + world.header.MapName + "\" (lump \"" + world.mapLumpName + "\", " +
         std::to_string(world.mapBytes) + " bytes), archive of " + std::to_string(world.entryCount) + " entries";
}

TDXViewerForm::TDXViewerForm(PlayerOptions options, std::string programFile, std::string programPath)
    : options_(std::move(options)), programFile_(std::move(programFile)), programPath_(std::move(programPath)) {}

TDXViewerForm::~TDXViewerForm() { FormDestroy(); }

bool TDXViewerForm::headless() const {
  return options_.display == DisplayKind::Headless ||
         (options_.display == DisplayKind::Automatic && !displayAvailable());
}

void TDXViewerForm::reportError(const std::string& message) {
  std::fprintf(stderr, "velorina: %s\n", message.c_str());
  if (!headless()) showSdlErrorBox(kApplicationTitle, message);
}

void TDXViewerForm::createComponents() {
  if (options_.fixedStepMs) {
    fixedClock_.setMicroseconds(1'000'000);
    clock_ = &fixedClock_;
  } else {
    systemClock_ = std::make_unique<SystemClock>();
    clock_ = systemClock_.get();
  }
  // Without an audio device the device plays silently; the world still loads.
  std::string noAudio;
  sound_ = SoundDevice::openDefault(&noAudio);
  if (!noAudio.empty()) std::fprintf(stderr, "velorina: no audio device: sound is off\n");
  std::unique_ptr<IPresenter> presenter;
  if (headless()) {
    presenter = std::make_unique<OffscreenPresenter>();
  } else {
    presenter = std::make_unique<SdlPresenter>();
  }
  display_ = std::make_unique<DXDraw>(
      std::move(presenter), [this](IRenderSurface& surface, std::uint32_t width, std::uint32_t height, DepthBuffer depth) {
        DeviceReport report;
        auto device = makeDevice(options_.device, surface, width, height, depth, &report);
        if (options_.verbose) std::fprintf(stderr, "velorina: render device: %s\n", report.description.c_str());
        return device;
      });
  // A window that OpenGL can draw in, unless the software device was chosen.
  display_->SetOpenGl(!headless() && options_.device != DeviceKind::Software);
  display_->SetMode(options_.display == DisplayKind::Windowed ? PresenterMode::Windowed : PresenterMode::FullScreen);
  display_->SetTitle(kApplicationTitle);
  display_->OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display_->OnInitializeSurface = [this](DXDraw& d) { DXDrawInitializeSurface(d); };
  timer_ = std::make_unique<DXTimer>(*clock_);
  timer_->SetInterval(1);
  timer_->ActiveOnly = false;
  timer_->OnTimer = [this](DXTimer&, std::uint32_t) { DXTimerTimer(); };
  Timer1 = std::make_unique<DXTimer>(*clock_);
  Timer1->SetInterval(Dance::kIntervalMs);
  Timer1->ActiveOnly = false;
  Timer1->OnTimer = [this](DXTimer&, std::uint32_t) { Timer1Timer(); };
  timer_->OnDeactivate = [this](DXTimer&) {
    if (Scene) Scene->SetPaused(true);
  };
}

void TDXViewerForm::loadWorld(FileStream& file) {
  const std::string source = options_.world.empty() ? programPath_ : options_.world;
  // 5-7: the header, the caption and the archive behind it.
  const WorldKind kind = options_.world.empty() ? WorldKind::PackedPlayer : worldKindOf(file, options_.world);
  if (kind == WorldKind::PackedPlayer) {
    const WorldPackageInfo package = readCarriedPackage(file, source);
    checkDisplaySize(package.Header, source);
    WorldHeader = package.Header;
    display_->SetTitle(WorldHeader.Title);
    // 8: the scene resolves the header's map name against the archive's names.
    Scene->LoadFromPackage(file, package.ArchiveOffset, package.ArchiveSize,
                           options_.lump.empty() ? WorldHeader.MapName : options_.lump);
    return;
  }
  if (kind == WorldKind::GameMap) {
    loadGameMap();
    return;
  }
  WorldHeader = TWorldHeader::shipped();
  display_->SetTitle(WorldHeader.Title);
  if (kind == WorldKind::Archive) {
    const std::string lump = chooseSceneLump(
        TWad(options_.world), options_.lump.empty() ? std::nullopt : std::optional<std::string>(options_.lump),
        options_.world);
    Scene->OpenFromArchiveFile(options_.world, lump);
  } else {
    Scene->LoadFromFile(options_.world);
  }
}

// A game WAD's map has no header: the one made from the map, the camera at player
// 1's start, its height following the floor from the first frame on.
void TDXViewerForm::loadGameMap() {
  MapStart start = readMapStart(options_.world, options_.lump);
  WorldHeader = start.header;
  display_->SetTitle(WorldHeader.Title);
  Scene->OpenFromArchiveFile(options_.world, start.mapName);
  mapCamera_ = std::move(start.camera);
  D3DVECTOR eye = start.position;
  eye.y = mapCamera_->start(eye, clock_->GetTickCount());
  Scene->SetCameraPosition(eye);
  Scene->SetCameraRotation(start.rotation);
}

void TDXViewerForm::FormCreate() {
  // 1. No dance texts yet, the dance at its first frame, the window hidden.
  danceTexts_.reset();
  dance_ = Dance{};
  display_->SetVisible(false);
  // 2. The hourglass while the world loads, the default cursor however it ends.
  display_->SetCursor(kCursorHourglass);
  // 3. The scene.
  Scene = std::make_unique<TD3DScene>(display_.get(), sound_.get(), *clock_);
  Scene->SetMessageReporter(std::make_shared<PlayerMessageReporter>(headless()), kApplicationTitle);
  const std::string source = options_.world.empty() ? programPath_ : options_.world;
  bool started = false;
  try {
    // 4-8. The world, from this program's package or from the file named.
    worldFile_ = std::make_unique<FileStream>(options_.world.empty() ? programFile_ : options_.world, FileMode::Read);
    worldFile_->setDisplayName(source);
    loadWorld(*worldFile_);
    if (options_.antialias) WorldHeader.Antialias = 1;
    // 9. Spheres with identifier 5 turn a quarter turn per second.
    Scene->AddAction(startupAction());
    // 10. The dance texts: the 3D texts with identifiers 1, 2 and 3.
    danceTexts_ = std::make_unique<SceneDanceTexts>(*Scene);
    started = true;
  } catch (const Error& e) {
    Error located = e;
    located.setFileIfUnset(source);
    startup_.error = located.describe();
  }
  // 11. The file is closed and the default cursor back, however start-up ended.
  worldFile_.reset();
  display_->SetCursor(kCursorDefault);
  if (!startup_.error.empty()) reportError(startup_.error);
  // 12. The display shown, the frame timer and the dance timer running (even
  // after a failure: the empty scene is drawn in the background colour).
  display_->SetVisible(true);
  timer_->SetEnabled(true);
  Timer1->SetEnabled(true);
  // 13.
  camera_.start(clock_->GetTickCount());
  if (started) {
    // 14-17: only a world that loaded hides the pointer, takes the keys and sets
    // the display size; after a failure the designed 1024 x 768 stays.
    display_->SetCursor(kCursorNone);
    input_.Keyboard.Enabled = true;
    input_.Keyboard.BindInputStates = true;
    input_.Mouse.Enabled = true;
    input_.Mouse.BindInputStates = true;
    display_->SetDisplaySize(WorldHeader.DisplayWidth, WorldHeader.DisplayHeight);
    input_.Keyboard.KeyAssigns = keyTable();
  }
  try {
    display_->Initialize();
  } catch (const Error& e) {
    // No window can be opened (a DISPLAY whose server is not there): say so and
    // stop, instead of drawing for no one.
    std::fprintf(stderr, "velorina: %s; run with --headless to draw without a display\n", e.describe().c_str());
    running_ = false;
    displayFailed_ = true;
  }
}

void TDXViewerForm::FormDestroy() {
  input_.Keyboard.Enabled = false;
  input_.Keyboard.BindInputStates = false;
  input_.Mouse.Enabled = false;
  input_.Mouse.BindInputStates = false;
  if (Timer1) Timer1->SetEnabled(false);
  danceTexts_.reset();
  Scene.reset();
  if (display_) display_->Finalize();
  sound_.reset();
}

void TDXViewerForm::DXDrawInitializeSurface(DXDraw& d) {
  setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), WorldHeader, Scene.get());
}

void TDXViewerForm::Timer1Timer() {
  // The dance follows its own timer, paused scene or not.
  if (danceTexts_) {
    dance_.Timer1Timer(*danceTexts_);
  } else {
    // No texts were found: the frame counter still advances once per step.
    NoDanceTexts none;
    dance_.Timer1Timer(none);
  }
}

void TDXViewerForm::DXTimerTimer() {
  if (!display_->CanDraw() || !Scene) return;
  input_.Update();
  camera_.step(*Scene, input_.States(), WorldHeader, clock_->GetTickCount(), windowActive_);
  if (mapCamera_) {
    D3DVECTOR eye = Scene->CameraPosition;
    eye.y = mapCamera_->follow(eye, clock_->GetTickCount());
    Scene->SetCameraPosition(eye);
  }
  Scene->Frame(WorldHeader.BackgroundColor);
  display_->Flip();
  ++frames_;
  // Start-up timing from the outside: the moment the first frame is out.
  if (frames_ == 1 && options_.verbose) {
    std::fprintf(stderr, "velorina: first frame shown\n");
    std::fflush(stderr);
  }
  if (options_.frames && frames_ >= *options_.frames) running_ = false;
}

// A window that comes back needs its device state again. The window itself
// survives losing the focus, so it is not re-created: re-creating it would hand
// the user a new window each time they switch back.
void TDXViewerForm::ApplicationActivate() {
  if (!display_->Visible()) return;
  try {
    if (!display_->Initialized()) display_->Initialize();
    if (display_->D3DDevice7() != nullptr) DXDrawInitializeSurface(*display_);
    display_->SetFocus();
  } catch (const Error& e) {
    // The display could not come back; say so instead of failing silently.
    std::fprintf(stderr, "velorina: the display could not be re-created: %s\n", e.describe().c_str());
  }
}

void TDXViewerForm::handleEvent(const DisplayEvent& event) {
  switch (event.kind) {
    case DisplayEventKind::Quit: running_ = false; break;
    case DisplayEventKind::KeyDown:
      if (event.virtualKey == kVkEscape) running_ = false;
      break;
    case DisplayEventKind::FocusLost:
      windowActive_ = false;
      timer_->setApplicationActive(false);
      break;
    case DisplayEventKind::FocusGained:
      windowActive_ = true;
      timer_->setApplicationActive(true);
      ApplicationActivate();
      break;
    default: break;
  }
  input_.handleEvent(event);
}

void TDXViewerForm::saveScreenshot() {
  if (options_.screenshot.empty() || !display_ || display_->D3DDevice7() == nullptr) return;
  IDirect3DDevice7& device = *display_->D3DDevice7();
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(device.RenderTargetWidth()) * device.RenderTargetHeight());
  if (device.ReadRenderTarget(pixels) != D3DRESULT::D3D_OK) {
    throw ERenderError("Cannot read the frame back for the screenshot", options_.screenshot);
  }
  writeFrameFile(options_.screenshot, device.RenderTargetWidth(), device.RenderTargetHeight(), pixels);
}

int TDXViewerForm::run() {
  if (headless()) {
    // Headless runs report what they found first, then draw the frames asked for.
    const StartupResult summary = readSummary(options_, programFile_, programPath_);
    if (!summary.error.empty()) {
      std::fprintf(stderr, "velorina: %s\n", summary.error.c_str());
      return 1;
    }
    std::printf("%s\n", describeWorld(summary).c_str());
    std::fflush(stdout);
    // A screenshot asked for headless needs a frame to show.
    if (!options_.frames && !options_.screenshot.empty()) options_.frames = 1;
    if (!options_.frames) return 0;
  }
  createComponents();
  FormCreate();
  while (running_) {
    DisplayEvent event;
    while (display_->pollEvent(event)) handleEvent(event);
    if (!running_) break;
    if (options_.fixedStepMs) fixedClock_.advanceMilliseconds(*options_.fixedStepMs);
    Timer1->DoIdle();
    if (!timer_->DoIdle() && !options_.fixedStepMs) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (options_.fixedStepMs && *options_.fixedStepMs == 0) DXTimerTimer();
  }
  try {
    saveScreenshot();
  } catch (const Error& e) {
    std::fprintf(stderr, "velorina: %s\n", e.describe().c_str());
    return 1;
  }
  if (displayFailed_) return 1;
  return headless() && !startup_.error.empty() ? 1 : 0;
}

}  // namespace velorina
