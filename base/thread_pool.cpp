#include "base/thread_pool.h"

namespace quillet {

ThreadPool::ThreadPool(unsigned threads) {
  for (unsigned i = 1; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    ending_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ThreadPool::parallelFor(std::size_t count, const std::function<void(std::size_t)>& part) {
  if (count == 0) return;
  if (workers_.empty() || count == 1) {
    for (std::size_t i = 0; i < count; ++i) part(i);
    return;
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    part_ = &part;
    count_ = count;
    next_ = 0;
    running_ = 0;
    ++job_;
  }
  wake_.notify_all();
  runParts();
  std::unique_lock<std::mutex> guard(lock_);
  finished_.wait(guard, [this] { return next_ == count_ && running_ == 0; });
  part_ = nullptr;
}

// Takes parts of the current job until none is left.
void ThreadPool::runParts() {
  std::unique_lock<std::mutex> guard(lock_);
  while (part_ != nullptr && next_ < count_) {
    const std::size_t index = next_++;
    ++running_;
    const auto* part = part_;
    guard.unlock();
    (*part)(index);
    guard.lock();
    if (--running_ == 0 && next_ == count_) finished_.notify_all();
  }
}

void ThreadPool::work() {
  std::size_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(lock_);
      wake_.wait(guard, [&] { return ending_ || (job_ != seen && part_ != nullptr); });
      if (ending_) return;
      seen = job_;
    }
    runParts();
  }
}

unsigned hardwareThreads() {
  const unsigned threads = std::thread::hardware_concurrency();
  return threads == 0 ? 1 : threads;
}

}  // namespace quillet
