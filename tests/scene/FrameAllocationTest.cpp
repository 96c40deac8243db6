// Once a world is loaded, a frame (camera step, scene frame with lights, actions
// and a nested scene, the device's drawing and the flip) allocates no memory. The
// test replaces the global allocation functions to count calls, so it has a test
// program of its own; sanitizer builds, which bring their own allocator, skip it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "scene/Scene.h"
#include "shell/CameraStep.h"
#include "shell/SurfaceSetup.h"
#include "support/TempDir.h"
#include "SceneTestWorlds.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELORINA_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELORINA_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef VELORINA_COUNT_ALLOCATIONS
#define VELORINA_COUNT_ALLOCATIONS 1
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

}  // namespace

#if VELORINA_COUNT_ALLOCATIONS
// GCC sees malloc behind operator new and free behind operator delete and takes
// the pair for a mismatch; here they are the same allocator by construction.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(std::size_t size, std::align_val_t align) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  const std::size_t a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#endif

namespace velorina {
namespace {

TEST(FrameAllocation, FramesOfALoadedWorldAllocateNothing) {
  if (!VELORINA_COUNT_ALLOCATIONS) GTEST_SKIP() << "the sanitizer's allocator is in charge";
  test::TempDir dir;
  dir.write("red.bmp", test::bmpFile(255, 0, 0));
  dir.write("green.bmp", test::bmpFile(0, 255, 0));
  dir.write("inner.d3d", test::sceneStream("green.bmp", {{test::wall(20, 6), 0}}));
  std::vector<std::pair<TD3DQuadrangleInfo, int>> quads;
  for (int i = 0; i < 40; ++i) quads.push_back({test::wall(i + 1, 2.0f + static_cast<float>(i % 8)), i % 3 - 1});
  dir.write("world.d3d", test::sceneStream("red.bmp\r\ngreen.bmp", quads, {dir.file("inner.d3d")}, true));

  test::Rig rig;
  TD3DScene scene(&rig.display, nullptr, rig.clock);
  scene.LoadFromFile(dir.file("world.d3d"));
  TD3DActionInfo spin;
  spin.Kind = static_cast<std::uint8_t>(ActionKind::RotateAboutCentres);
  spin.TargetKind = -1;
  spin.TargetID = 3;
  spin.Vector2 = {0, 1, 0};
  spin.Duration = 2;
  scene.AddAction(spin);
  const TWorldHeader header = TWorldHeader::shipped();
  setUpSurface(*rig.display.D3DDevice7(), 64, 48, header, &scene);

  CameraStep camera;
  camera.start(rig.clock.GetTickCount());
  TDXInputStates keys;
  keys.set(TDXInputState::Up);
  keys.set(TDXInputState::Left);
  auto frame = [&] {
    rig.clock.advanceMilliseconds(16);
    camera.step(scene, keys, header, rig.clock.GetTickCount(), true);
    scene.Frame(header.BackgroundColor);
    rig.display.Flip();
  };
  for (int i = 0; i < 30; ++i) frame();  // warm up: sort buffers and tile lists reach their size
  allocations = 0;
  counting = true;
  void* volatile probe = ::operator new(16);  // the counter does see allocations
  ::operator delete(probe);
  ASSERT_EQ(allocations.exchange(0), 1);
  for (int i = 0; i < 200; ++i) frame();
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_NE(scene.GetCameraPosition().z, 0.0f);  // the frames did move the camera
}

}  // namespace
}  // namespace velorina
