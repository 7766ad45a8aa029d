#include <sys/mman.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <time.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/system.h"

namespace quillet {

namespace {

std::string& commandLine() {
  static std::string line;
  return line;
}

std::vector<std::string>& arguments() {
  static std::vector<std::string> given;
  return given;
}

bool needsQuotes(const std::string& argument) {
  return argument.empty() || argument.find_first_of(" \t") != std::string::npos;
}

}  // namespace

char* allocateInLargePages(std::size_t bytes) {
  constexpr std::size_t kLargePage = std::size_t{1} << 21;
  const std::size_t rounded = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  if (rounded < bytes) return nullptr;  // wrapped around
  void* block = std::aligned_alloc(kLargePage, rounded);
  // Only advice: where the system has no large pages the block works as any other.
  if (block != nullptr) ::madvise(block, rounded, MADV_HUGEPAGE);
  return static_cast<char*>(block);
}

void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
  // Freed memory is given back only once 32 MB lie free at the heap's top; a block of 4 MB
  // or more (a large book's text, which comes in large pages anyway) gets a mapping of its
  // own. Setting either turns off glibc's own adjustment of both, which had raised them
  // only after the first large block was freed. A lower mapping threshold made books of a
  // megabyte or two fault their buffers in afresh, one after another.
  mallopt(M_TRIM_THRESHOLD, 32 << 20);
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
#endif
}

void sleepMilliseconds(unsigned milliseconds) {
  timespec rest{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  // Interrupted by a signal: sleep on for what is left.
  while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

std::string wholeCommandLine() { return commandLine(); }

std::vector<std::string> utf8Arguments() { return arguments(); }

void setCommandLineArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const std::string argument = argv[i];
    if (i > 0) line += ' ';
    line += needsQuotes(argument) ? '"' + argument + '"' : argument;
  }
  commandLine() = line;
  arguments().assign(argv, argv + argc);
}

}  // namespace quillet
