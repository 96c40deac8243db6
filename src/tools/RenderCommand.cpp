// velorina-tool render: draws a world without a display and saves the frame as PNG.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "archive/FileStream.h"
#include "audio/StderrMessageReporter.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/FrameFile.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/DeviceSelection.h"
#include "platform/render/RenderError.h"
#include "scene/Scene.h"
#include "shell/SceneLumpChoice.h"
#include "shell/SurfaceSetup.h"
#include "shell/WorldPackage.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"
#include "tools/TerminalProgress.h"
#include "tools/WorldSource.h"

namespace velorina::tools {

namespace {

// The largest side of a frame drawn here.
constexpr std::int64_t kMaxSide = 8192;

constexpr const char* kUsage =
    "usage: velorina-tool render WORLD [--lump NAME] [--size WxH] [--camera X,Y,Z]\n"
    "           [--rotation RX,RY,RZ] [--time SECONDS] [--detail N]\n"
    "           [--device KIND] [--verbose] -o|--out FILE\n"
    "\n"
    "Loads WORLD (a scene file, a world archive or a packed player), sets up the\n"
    "render device as the player does (with a packed player's filters, antialiasing\n"
    "and background, the shipped settings otherwise), places the camera, runs frames\n"
    "10 ms apart up to SECONDS of scene time (default 0) and writes the last frame\n"
    "as PNG or BMP, by FILE's extension. Angles are radians.\n"
    "  --size WxH      frame size (default: the header's display size, 1024x768)\n"
    "  --detail N      texture detail mode (0 normal, 1 half, 2 quarter, 3 double,\n"
    "                  4 to 6 tiny; 5 draws wireframe and 6 points)\n"
    "  --device KIND   the render device: gl (the graphics card through OpenGL,\n"
    "                  without a display), software (the CPU) or auto (OpenGL\n"
    "                  when a 3.3 context can be made, else software; the default)\n"
    "  --verbose       say on standard error which render device draws\n";

D3DVECTOR parseVector(std::string_view option, const std::string& text) {
  D3DVECTOR v;
  float* parts[3] = {&v.x, &v.y, &v.z};
  std::size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const auto comma = text.find(',', start);
    if ((i < 2) != (comma != std::string::npos)) throw UsageError(std::string(option) + " needs X,Y,Z, not \"" + text + "\"");
    *parts[i] = parseFloat(option, text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    start = comma + 1;
  }
  return v;
}

// Loads the world the way its kind asks for; answers the header that applies.
TWorldHeader loadWorld(TD3DScene& scene, const std::string& path, const std::string& lump) {
  switch (worldFileKind(path)) {
    case WorldFileKind::PackedPlayer: {
      FileStream file(path, FileMode::Read);
      const WorldPackageInfo package = *findWorldPackage(file);
      scene.LoadFromPackage(file, package.ArchiveOffset, package.ArchiveSize, *wantedSceneLump(lump, package));
      return package.Header;
    }
    case WorldFileKind::Archive:
      scene.OpenFromArchiveFile(path, chooseSceneLump(TWad(path), wantedSceneLump(lump, std::nullopt), path));
      return TWorldHeader::shipped();
    case WorldFileKind::SceneFile: break;
  }
  scene.LoadFromFile(path);
  return TWorldHeader::shipped();
}

int render(const ParsedArgs& p) {
  if (p.positional.size() != 1) throw UsageError("usage: velorina-tool render WORLD ... --out FILE.png");
  const auto out = outputPath(p);
  if (!out) throw UsageError("render needs --out FILE.png");
  if (!frameFileFormatFor(*out)) throw UsageError(*out + ": " + unsupportedFrameFileReason(*out));
  ManualClock clock;
  clock.setMicroseconds(1'000'000);
  DeviceKind kind = DeviceKind::Automatic;
  if (auto d = p.value("--device")) {
    const auto parsed = parseDeviceKind(*d);
    if (!parsed) throw UsageError("--device needs auto, gl or software, not \"" + *d + "\"");
    kind = *parsed;
  }
  const bool verbose = p.flag("--verbose");
  DXDraw display(std::make_unique<OffscreenPresenter>(),
                 [kind, verbose](IRenderSurface& surface, std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
                   DeviceReport report;
                   auto device = makeDevice(kind, surface, w, h, depth, &report);
                   if (verbose) std::fprintf(stderr, "velorina-tool render: render device: %s\n", report.description.c_str());
                   return device;
                 });
  TD3DScene scene(&display, nullptr, clock);
  scene.SetMessageReporter(std::make_shared<StderrMessageReporter>("velorina-tool render"), "velorina-tool render");
  if (auto d = p.value("--detail")) scene.TextureDetail = static_cast<std::uint8_t>(parseRanged("--detail", *d, 0, 6));
  const double seconds = p.value("--time") ? parseFloat("--time", *p.value("--time")) : 0.0;
  checkRange("--time", seconds, 0, 3600, p.value("--time").value_or("0"));
  const TWorldHeader header = loadWorld(scene, p.positional[0], p.value("--lump").value_or(""));
  std::uint32_t width = header.DisplayWidth, height = header.DisplayHeight;
  if (auto size = p.value("--size")) {
    const auto x = size->find('x');
    if (x == std::string::npos) throw UsageError("--size needs WIDTHxHEIGHT");
    width = static_cast<std::uint32_t>(parseRanged("--size", size->substr(0, x), 1, kMaxSide));
    height = static_cast<std::uint32_t>(parseRanged("--size", size->substr(x + 1), 1, kMaxSide));
  }
  // A packed header's size comes from whoever made the world.
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    throw UsageError(p.positional[0] + ": the display size " + std::to_string(width) + "x" + std::to_string(height) +
                     " lies outside 1x1 to " + std::to_string(kMaxSide) + "x" + std::to_string(kMaxSide) +
                     "; give --size");
  }
  display.SetDisplaySize(width, height);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), header, &scene);
  };
  display.Initialize();
  if (auto c = p.value("--camera")) scene.SetCameraPosition(parseVector("--camera", *c));
  if (auto r = p.value("--rotation")) scene.SetCameraRotation(parseVector("--rotation", *r));
  const double start = scene.SceneTime();
  // Long renders (many frames of scene time) show how far they are.
  const ProgressHandler progress = seconds >= 1 ? terminalProgress("render") : ProgressHandler{};
  int shown = -1;
  for (;;) {
    const double t = scene.SceneTime() - start;
    scene.Frame(header.BackgroundColor);
    if (progress && static_cast<int>(100 * t / seconds) != shown) {
      shown = static_cast<int>(100 * t / seconds);
      progress(ProgressStage::Working, std::min(shown, 100));
    }
    if (t >= seconds) break;
    clock.advanceMilliseconds(std::min(10.0, (seconds - t) * 1000.0 + 0.001));
  }
  if (progress) progress(ProgressStage::Done, 100);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (display.D3DDevice7()->ReadRenderTarget(pixels) != D3DRESULT::D3D_OK) {
    throw ERenderError("Cannot read the frame back", *out);
  }
  writeFrameFile(*out, width, height, pixels);
  return 0;
}

}  // namespace

int runRenderCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(
        args, {"--lump", "--size", "--camera", "--rotation", "--time", "--detail", "--out", "-o", "--device"},
        {"--verbose"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    return render(p);
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool render: ") + e.what());
  }
}

}  // namespace velorina::tools
