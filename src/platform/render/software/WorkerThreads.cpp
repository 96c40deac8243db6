#include "platform/render/software/WorkerThreads.h"

#include <algorithm>

namespace velorina::software {

WorkerThreads::WorkerThreads(unsigned count) : count_(std::max(1u, count)) {
  threads_.reserve(count_ - 1);
  for (unsigned index = 1; index < count_; ++index) threads_.emplace_back([this, index] { workerLoop(index); });
}

WorkerThreads::~WorkerThreads() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  start_.notify_all();
  for (auto& t : threads_) t.join();
}

void WorkerThreads::runErased(void* job, Trampoline call) {
  if (count_ == 1) {
    call(job, 0);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    job_ = job;
    call_ = call;
    pending_ = count_ - 1;
    ++generation_;
  }
  start_.notify_all();
  call(job, 0);
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
}

void WorkerThreads::workerLoop(unsigned index) {
  std::uint64_t seen = 0;
  for (;;) {
    void* job;
    Trampoline call;
    {
      std::unique_lock lock(mutex_);
      start_.wait(lock, [&] { return stopping_ || generation_ != seen; });
      if (stopping_) return;
      seen = generation_;
      job = job_;
      call = call_;
    }
    call(job, index);
    {
      std::lock_guard lock(mutex_);
      if (--pending_ == 0) done_.notify_one();
    }
  }
}

}  // namespace velorina::software
