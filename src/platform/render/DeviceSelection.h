#pragma once
// Which device draws: the graphics card through OpenGL, or the CPU. One choice
// for the player and every toolbox command that draws (--device auto|gl|software).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/render/IDirect3DDevice7.h"
#include "platform/render/IRenderSurface.h"

namespace velorina {

enum class DeviceKind { Automatic, OpenGl, Software };

// "auto", "gl" or "software"; nothing for anything else.
std::optional<DeviceKind> parseDeviceKind(std::string_view text);
extern const char* const kDeviceKindHelp;

// What was made and why, for --verbose.
struct DeviceReport {
  DeviceKind made = DeviceKind::Software;
  std::string description;
};

// Makes the device of the chosen kind for `surface`. OpenGL draws in the
// surface's own OpenGL window when it has one, otherwise in a headless context
// (Mesa's surfaceless EGL) whose picture is handed to the surface as pixels.
// Automatic: OpenGL when a 3.3 context can be made, else the software device.
// Throws ERenderError when OpenGL was asked for and cannot be had.
std::unique_ptr<IDirect3DDevice7> makeDevice(DeviceKind kind, IRenderSurface& surface, std::uint32_t width,
                                             std::uint32_t height, DepthBuffer depth, DeviceReport* report = nullptr);

// An OpenGL device in a headless context of its own, for tests, benchmarks and
// pictures; nullptr with `why` filled when no context can be made.
std::unique_ptr<IDirect3DDevice7> makeHeadlessOpenGlDevice(std::uint32_t width, std::uint32_t height,
                                                           DepthBuffer depth, std::string& why);

}  // namespace velorina
