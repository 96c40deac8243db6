// The shipped player.
//  - Start-up: the shipped `velorina` run headless to its first frame (read the
//    package, load the world, draw one 1024 x 768 frame, exit), against the same
//    program's `--version` (process start and exit alone) in the same run; the
//    process timed from outside until it says its first frame is out; and the
//    player's own part of it in this process, without the exit.
//  - A frame of the shipped world as the player draws it (1024 x 768, the header's
//    filters and antialiasing, the view it starts with, the spheres turning) on the
//    software device with every core, against the device's "fill" frame of
//    bench/render (eight full-screen textured layers) in the same run.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/FileStream.h"
#include "platform/display/DXDraw.h"
#include "platform/display/ManualClock.h"
#include "platform/display/offscreen/OffscreenPresenter.h"
#include "platform/render/DeviceSelection.h"
#include "platform/render/Direct3DTexture2.h"
#include "platform/render/software/SoftwareDevice.h"
#include "render/RenderWorkloads.h"
#include "scene/Scene.h"
#include "shell/Player.h"
#include "shell/PlayerOptions.h"
#include "shell/StartupAction.h"
#include "shell/SurfaceSetup.h"
#include "shell/WorldPackage.h"

extern char** environ;

namespace velorina::bench {
namespace {

using enum D3DRENDERSTATETYPE;
using enum D3DTEXTURESTAGESTATETYPE;

const char* const kPlayer = VELORINA_SHIPPED_PLAYER;

void must(D3DRESULT result) {
  if (result != D3DRESULT::D3D_OK) throw std::runtime_error("the software device refused the fill frame's set-up");
}

// Starts the player with `args`, its standard output thrown away and its
// standard error to `errorTo` (-1: thrown away too), closing `closeInChild`
// there; answers its process id, or -1.
pid_t spawnPlayer(const std::vector<std::string>& args, int errorTo = -1, int closeInChild = -1) {
  std::vector<char*> argv{const_cast<char*>(kPlayer)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
  if (errorTo >= 0) {
    posix_spawn_file_actions_adddup2(&files, errorTo, 2);
  } else {
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  }
  if (closeInChild >= 0) posix_spawn_file_actions_addclose(&files, closeInChild);
  pid_t pid = 0;
  const bool spawned = posix_spawn(&pid, kPlayer, &files, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&files);
  return spawned ? pid : -1;
}

// The exit status of a spawned player (-1 if it was not started or did not exit).
int exitStatus(pid_t pid) {
  int status = -1;
  if (pid >= 0) waitpid(pid, &status, 0);
  return pid >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the player with `args`, its output thrown away; answers its exit status.
int runPlayer(const std::vector<std::string>& args) { return exitStatus(spawnPlayer(args)); }

// audioDriver: SDL's "dummy" driver opens and closes a sound device (its thread
// included) without hardware; "none" names no driver, so the player plays silently.
void runProcess(benchmark::State& state, const std::vector<std::string>& args, const char* audioDriver = "dummy") {
  ::setenv("SDL_AUDIODRIVER", audioDriver, 1);
  if (runPlayer(args) != 0) {
    state.SkipWithError("the shipped player failed");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(runPlayer(args));
}

// The process from its start to its first frame, timed from outside: the
// player spawned with --verbose until it says that the first frame is out (SDL's
// dummy sound device opened). Its exit, with the sound device's drain, is not
// timed.
double secondsToFirstFrame() {
  int out[2];
  if (::pipe(out) != 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = spawnPlayer({"--headless", "--device", "software", "--frames", "1", "--verbose"}, out[1], out[0]);
  ::close(out[1]);
  std::string said;
  double seconds = -1;
  char chunk[512];
  for (ssize_t n; pid >= 0 && (n = ::read(out[0], chunk, sizeof chunk)) > 0;) {
    said.append(chunk, std::size_t(n));
    if (seconds < 0 && said.find("first frame shown") != std::string::npos) {
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
  }
  ::close(out[0]);
  return exitStatus(pid) == 0 ? seconds : -1;
}

void BM_ShippedProcessToFirstFrame(benchmark::State& state) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  for (auto _ : state) {
    const double seconds = secondsToFirstFrame();
    if (seconds < 0) {
      state.SkipWithError("the shipped player failed or never said its first frame was shown");
      return;
    }
    state.SetIterationTime(seconds);
  }
}

void BM_ShippedStartupToFirstFrame(benchmark::State& state) {
  runProcess(state, {"--headless", "--device", "software", "--frames", "1"});
}
void BM_ShippedStartupToFirstFrameWithoutSound(benchmark::State& state) {
  runProcess(state, {"--headless", "--device", "software", "--frames", "1"}, "none");
}
void BM_ShippedVersion(benchmark::State& state) { runProcess(state, {"--version"}); }

// The player's own start-up to its first frame, in this process: the form made and
// run headless for one frame; its destruction (closing the sound device waits for
// SDL to drain two buffers) is left out. With the process start that --version
// measures, it is the time to the first frame.
void BM_ShippedRunToFirstFrame(benchmark::State& state) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  const PlayerOptions options = parsePlayerOptions({"--headless", "--device", "software", "--frames", "1"});
  // The headless summary line goes nowhere while timing.
  std::fflush(stdout);
  const int savedOut = ::dup(STDOUT_FILENO);
  const int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, STDOUT_FILENO);
  bool failed = false;
  for (auto _ : state) {
    auto form = std::make_unique<TDXViewerForm>(options, kPlayer, kPlayer);
    failed = failed || form->run() != 0;
    std::fflush(stdout);
    state.PauseTiming();
    form.reset();
    state.ResumeTiming();
  }
  ::dup2(savedOut, STDOUT_FILENO);
  ::close(savedOut);
  ::close(null);
  if (failed) state.SkipWithError("the shipped player failed");
}

// The shipped world as the player shows it.
void BM_ShippedWorldFrame(benchmark::State& state) {
  ManualClock clock;
  clock.setMicroseconds(1'000'000);
  DXDraw display(std::make_unique<OffscreenPresenter>(),
                 [](IRenderSurface& surface, std::uint32_t w, std::uint32_t h, DepthBuffer depth) {
                   return makeDevice(DeviceKind::Software, surface, w, h, depth);
                 });
  TD3DScene scene(&display, nullptr, clock);
  FileStream file(kPlayer, FileMode::Read);
  const WorldPackageInfo package = readWorldPackage(file);
  const TWorldHeader& header = package.Header;
  scene.LoadFromPackage(file, package.ArchiveOffset, package.ArchiveSize, header.MapName);
  scene.AddAction(startupAction());
  display.SetDisplaySize(header.DisplayWidth, header.DisplayHeight);
  display.OnInitialize = [](DXDraw& d) { setInitialViewTransform(*d.D3DDevice7()); };
  display.OnInitializeSurface = [&](DXDraw& d) {
    setUpSurface(*d.D3DDevice7(), d.SurfaceWidth(), d.SurfaceHeight(), header, &scene);
  };
  display.Initialize();
  // The view the player starts with, the spheres turning; frames 10 ms apart.
  for (auto _ : state) {
    clock.advanceMilliseconds(10);
    scene.Frame(header.BackgroundColor);
    display.Flip();
  }
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

// The software device's fill frame, set up as bench/render sets it up.
void BM_SoftwareFillFrame(benchmark::State& state) {
  SoftwareDevice device(kWidth, kHeight, DepthBuffer::Attached);
  const auto texels = benchTexture();
  TDirect3DTexture2 texture(kTextureSide, kTextureSide, texels);
  texture.SetColorKey(0);
  must(device.SetTexture(0, &texture));
  must(device.SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1));
  must(device.SetRenderState(D3DRENDERSTATE_ZFUNC, d3dValue(D3DCMPFUNC::D3DCMP_LESSEQUAL)));
  must(device.SetRenderState(D3DRENDERSTATE_CULLMODE, d3dValue(D3DCULL::D3DCULL_CCW)));
  must(device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE));
  must(device.SetTextureStageState(0, D3DTSS_MAGFILTER, d3dValue(D3DTEXTUREMAGFILTER::D3DTFG_LINEAR)));
  must(device.SetTextureStageState(0, D3DTSS_MINFILTER, d3dValue(D3DTEXTUREMINFILTER::D3DTFN_LINEAR)));
  const std::vector<D3DLVERTEX> fill = fillWorkload();
  auto draw = [&] {
    must(device.Clear({}, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0));
    must(device.BeginScene());
    must(device.DrawPrimitive(D3DPRIMITIVETYPE::D3DPT_TRIANGLELIST, D3DFVF_LVERTEX, fill, std::uint32_t(fill.size()), 0));
    must(device.EndScene());
  };
  draw();
  for (auto _ : state) draw();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ShippedProcessToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
BENCHMARK(BM_ShippedStartupToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_ShippedStartupToFirstFrameWithoutSound)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_ShippedRunToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_ShippedVersion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_ShippedWorldFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(400);
BENCHMARK(BM_SoftwareFillFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);

}  // namespace
}  // namespace velorina::bench

BENCHMARK_MAIN();
