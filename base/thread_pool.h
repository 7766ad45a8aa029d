#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace quillet {

// A few worker threads that run the parts of one job at a time. parallelFor hands out the
// indices 0 .. count-1 one at a time to the workers and to the calling thread, and returns
// when every part has run; the parts must not throw. One pool serves one caller at a time.
class ThreadPool {
 public:
  // threads counts the calling thread: 1 makes no workers and runs everything in place.
  explicit ThreadPool(unsigned threads);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  unsigned threads() const { return static_cast<unsigned>(workers_.size()) + 1; }
  void parallelFor(std::size_t count, const std::function<void(std::size_t)>& part);

 private:
  void work();
  void runParts();

  std::vector<std::thread> workers_;
  std::mutex lock_;
  std::condition_variable wake_;      // a job is there, or the pool ends
  std::condition_variable finished_;  // the last part of the job has run
  const std::function<void(std::size_t)>* part_ = nullptr;
  std::size_t count_ = 0;
  std::size_t next_ = 0;      // the next index to hand out
  std::size_t running_ = 0;   // parts handed out and not yet done
  std::size_t job_ = 0;       // counts jobs, so that a worker takes each one once
  bool ending_ = false;
};

// The number of threads the machine runs at once (at least 1).
unsigned hardwareThreads();

}  // namespace quillet
