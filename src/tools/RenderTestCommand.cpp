// velorina-tool render-test: draws the device test scene headless and saves it as PNG.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/Error.h"
#include "platform/display/FrameFile.h"
#include "platform/render/RenderError.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/DeviceSelection.h"
#include "platform/render/TestScene.h"
#include "platform/render/software/SoftwareDevice.h"
#include "tools/ArgParser.h"
#include "tools/Commands.h"

namespace velorina::tools {

namespace {

constexpr const char* kUsage =
    "usage: velorina-tool render-test -o|--out FILE [--size WxH] [--antialias]\n"
    "                                [--device KIND] [--verbose]\n"
    "\n"
    "Draws the render device's test scene without a display and saves the\n"
    "picture as FILE (PNG or BMP, by its extension). The size defaults to\n"
    "640x480; --antialias draws with 2 x 2 supersampling.\n"
    "  --device KIND      the render device: gl (the graphics card through OpenGL),\n"
    "                     software (the CPU) or auto (OpenGL when a 3.3 context can\n"
    "                     be made, else software; the default)\n"
    "  --verbose          say on standard error which render device draws\n";

struct Size {
  std::uint32_t width = 640, height = 480;
};

Size parseSize(const std::string& text) {
  const auto x = text.find('x');
  if (x == std::string::npos) throw UsageError("--size must be WIDTHxHEIGHT, not \"" + text + "\"");
  const std::int64_t most = SoftwareDevice::kMaxSide;
  return Size{static_cast<std::uint32_t>(parseRanged("--size", text.substr(0, x), 1, most)),
              static_cast<std::uint32_t>(parseRanged("--size", text.substr(x + 1), 1, most))};
}

int render(const std::string& out, Size size, bool antialias, DeviceKind kind, bool verbose) {
  OffscreenPresenter surface;
  DeviceReport report;
  const auto made = makeDevice(kind, surface, size.width, size.height, DepthBuffer::Attached, &report);
  if (verbose) std::fprintf(stderr, "velorina-tool render-test: render device: %s\n", report.description.c_str());
  IDirect3DDevice7& device = *made;
  if (antialias) {
    // A state the device table holds: never refused.
    static_cast<void>(device.SetRenderState(D3DRENDERSTATETYPE::D3DRENDERSTATE_ANTIALIAS,
                          d3dValue(D3DANTIALIASMODE::D3DANTIALIAS_SORTINDEPENDENT)));
  }
  TestScene scene;
  scene.draw(device);
  std::vector<std::uint32_t> pixels(std::size_t(size.width) * size.height);
  if (device.ReadRenderTarget(pixels) != D3DRESULT::D3D_OK) throw ERenderError("Cannot read the frame back", out);
  writeFrameFile(out, size.width, size.height, pixels);
  return 0;
}

}  // namespace

int runRenderTestCommand(const Args& args) {
  try {
    const ParsedArgs p = parseArgs(args, {"--out", "-o", "--size", "--device"}, {"--antialias", "--verbose"});
    if (p.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!p.positional.empty()) throw UsageError("unexpected argument \"" + p.positional[0] + "\"");
    const auto out = outputPath(p);
    if (!out) throw UsageError("--out FILE.png is required");
    if (!frameFileFormatFor(*out)) throw UsageError(*out + ": " + unsupportedFrameFileReason(*out));
    const Size size = p.value("--size") ? parseSize(*p.value("--size")) : Size{};
    DeviceKind kind = DeviceKind::Automatic;
    if (auto d = p.value("--device")) {
      const auto parsed = parseDeviceKind(*d);
      if (!parsed) throw UsageError("--device needs auto, gl or software, not \"" + *d + "\"");
      kind = *parsed;
    }
    return render(*out, size, p.flag("--antialias"), kind, p.flag("--verbose"));
  } catch (const UsageError& e) {
    return reportFailure(std::string("velorina-tool render-test: ") + e.what());
  } catch (const Error& e) {
    return reportFailure(std::string("velorina-tool render-test: ") + e.describe());
  }
}

}  // namespace velorina::tools
