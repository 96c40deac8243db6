#pragma once
// A fixed set of threads that run one job together: job(index) for index
// 0 .. count()-1, the first on the calling thread. Started once; running a job
// allocates nothing.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace velorina::software {

class WorkerThreads {
 public:
  // `count` threads in all, the calling thread included (at least 1).
  explicit WorkerThreads(unsigned count);
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  unsigned count() const { return count_; }

  // Calls job(index) for index 0 .. count()-1, index 0 on the calling thread,
  // and returns when all have finished.
  template <class Job>
  void run(Job& job) {
    runErased(&job, [](void* j, unsigned index) { (*static_cast<Job*>(j))(index); });
  }

 private:
  using Trampoline = void (*)(void*, unsigned);
  void runErased(void* job, Trampoline call);
  void workerLoop(unsigned index);

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
