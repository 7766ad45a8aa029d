#include "platform/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>

namespace quillet {

namespace {

// A file cut short by another program while it is mapped makes every read of a page past
// its new end raise SIGBUS, which would end the process without a word. Each mapping is
// registered here; the handler puts a page of zeros where the file's page was, notes the
// cut for the mapping's reader, and lets the read go on. Signals from anywhere else go
// where they went before.
struct GuardedRange {
  std::atomic<bool> claimed{false};
  std::atomic<std::uintptr_t> start{0};  // 0: no mapping
  std::atomic<std::size_t> size{0};
  std::atomic<bool> cut{false};
};

// As many as quillet's largest -j reads at once; a file opened beyond them is read whole.
constexpr int kGuardedRanges = 256;
GuardedRange gRanges[kGuardedRanges];
struct sigaction gPreviousAction;
std::uintptr_t gPageSize = 4096;
std::once_flag gHandlerInstalled;
// A file up to this size has all its pages mapped by the call that maps it: one call costs
// far less than a page fault every few pages, and so small a file costs little memory.
constexpr std::size_t kMappedAtOnce = std::size_t{8} << 20;

void passOn(int signal, siginfo_t* info, void* context) {
  if ((gPreviousAction.sa_flags & SA_SIGINFO) != 0 && gPreviousAction.sa_sigaction != nullptr) {
    gPreviousAction.sa_sigaction(signal, info, context);
  } else if ((gPreviousAction.sa_flags & SA_SIGINFO) == 0 &&
             gPreviousAction.sa_handler != SIG_DFL && gPreviousAction.sa_handler != SIG_IGN) {
    gPreviousAction.sa_handler(signal);
  } else {
    // The faulting read runs again on return and the signal's default action ends the
    // process, as it would have without this handler.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(SIGBUS, &byDefault, nullptr);
  }
}

void onBusError(int signal, siginfo_t* info, void* context) {
  // Only a fault has an address; a SIGBUS sent by kill or raise is passed on.
  const auto address = info->si_code > 0 ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0;
  for (GuardedRange& range : gRanges) {
    if (address == 0) break;
    const std::uintptr_t start = range.start.load(std::memory_order_acquire);
    if (start == 0 || address - start >= range.size.load(std::memory_order_relaxed)) continue;
    void* page = reinterpret_cast<void*>(address & ~(gPageSize - 1));
    if (mmap(page, gPageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
        MAP_FAILED) {
      range.cut.store(true, std::memory_order_relaxed);
      return;
    }
    break;
  }
  passOn(signal, info, context);
}

void installHandler() {
  gPageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  struct sigaction action {};
  action.sa_sigaction = onBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &gPreviousAction);
}

// The slot the mapping is registered in, or -1 when every slot is taken.
int guardRange(const void* start, std::size_t size) {
  std::call_once(gHandlerInstalled, installHandler);
  for (int k = 0; k < kGuardedRanges; ++k) {
    bool free = false;
    if (!gRanges[k].claimed.compare_exchange_strong(free, true)) continue;
    gRanges[k].cut.store(false);
    gRanges[k].size.store(size);
    gRanges[k].start.store(reinterpret_cast<std::uintptr_t>(start), std::memory_order_release);
    return k;
  }
  return -1;
}

void unguardRange(int slot) {
  gRanges[slot].start.store(0, std::memory_order_release);
  gRanges[slot].size.store(0);
  gRanges[slot].claimed.store(false);
}

bool readWhole(int fd, std::vector<unsigned char>& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t got = ::read(fd, bytes.data() + at, bytes.size() - at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) bytes.resize(at);  // shorter now than when it was measured
      return got == 0;
    }
    at += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

MappedFile::~MappedFile() {
  if (guard_ >= 0) unguardRange(guard_);
  if (mapped_) munmap(const_cast<unsigned char*>(data_), size_);
}

bool MappedFile::open(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
    close(fd);
    errno = error;
    return false;
  }
  size_ = static_cast<std::size_t>(status.st_size);
  const int populate = size_ <= kMappedAtOnce ? MAP_POPULATE : 0;
  void* at =
      size_ > 0 ? mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | populate, fd, 0) : MAP_FAILED;
  if (at != MAP_FAILED) {
    guard_ = guardRange(at, size_);
    if (guard_ < 0) {  // unguarded, a cut file could end the process: read it instead
      munmap(at, size_);
      at = MAP_FAILED;
    }
  }
  if (at != MAP_FAILED) {
    data_ = static_cast<const unsigned char*>(at);
    mapped_ = true;
    if (populate == 0) madvise(at, size_, MADV_SEQUENTIAL);  // its pages come as it is read
  } else if (size_ > 0) {
    read_.resize(size_);
    if (!readWhole(fd, read_)) {
      const int error = errno;
      close(fd);
      errno = error;
      return false;
    }
    data_ = read_.data();
    size_ = read_.size();
  }
  close(fd);
  return true;
}

void MappedFile::releaseBefore(std::size_t offset) {
  if (!mapped_ || size_ <= kMappedAtOnce) return;  // small, and mapped whole on purpose
  // A megabyte at a time: one call per record would cost more than it saves.
  constexpr std::size_t kReleaseStep = std::size_t{1} << 20;
  const std::size_t end = std::min(offset, size_) / gPageSize * gPageSize;
  if (end < released_ + kReleaseStep) return;
  // The pages read so far leave this process; the file keeps them.
  madvise(const_cast<unsigned char*>(data_) + released_, end - released_, MADV_DONTNEED);
  released_ = end;
}

bool MappedFile::cutWhileRead() const {
  return guard_ >= 0 && gRanges[guard_].cut.load(std::memory_order_relaxed);
}

}  // namespace quillet
