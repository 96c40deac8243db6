#pragma once
// Threads that draw horizontal bands of the target side by side. The target's
// rows are dealt out in bands of kBandRows rows, round-robin, so each thread owns
// every count()-th band; a thread draws every triangle but only into its own
// rows. Each sample is written by one thread, in the order the triangles came,
// so the picture does not depend on the number of threads.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace velorina::software {

inline constexpr int kBandShift = 4;  // bands of 16 rows
inline constexpr std::int32_t kBandRows = 1 << kBandShift;

class BandWorkers {
 public:
  // `count` threads in all, the calling thread included (at least 1).
  explicit BandWorkers(unsigned count);
  ~BandWorkers();
  BandWorkers(const BandWorkers&) = delete;
  BandWorkers& operator=(const BandWorkers&) = delete;

  unsigned count() const { return count_; }

  // Calls job(band) for band 0 .. count()-1, band 0 on the calling thread, and
  // returns when all have finished. Allocates nothing.
  template <class Job>
  void run(Job& job) {
    runErased(&job, [](void* j, unsigned band) { (*static_cast<Job*>(j))(band); });
  }

 private:
  using Trampoline = void (*)(void*, unsigned);
  void runErased(void* job, Trampoline call);
  void workerLoop(unsigned band);

  unsigned count_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable start_;
  std::condition_variable done_;
  std::uint64_t generation_ = 0;
  unsigned pending_ = 0;
  bool stopping_ = false;
  void* job_ = nullptr;
  Trampoline call_ = nullptr;
};

}  // namespace velorina::software
